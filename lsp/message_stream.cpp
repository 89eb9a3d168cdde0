#include "message_stream.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text.h"

using nlohmann::json;

namespace {

// A header line longer than this, or a block of more lines, is no header of ours.
constexpr size_t LongestHeaderLine = 4096;
constexpr int MostHeaderLines = 32;
// Bodies are read, and read past, in pieces of this size.
constexpr size_t PieceSize = size_t{1} << 20;

// A decimal length; false for anything else, or one past 2^63.
bool parseLength(const std::string& text, uint64_t& length) {
    if (text.empty() || text.size() > 18) return false;
    length = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        length = length * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// The bytes that stand for themselves in a JSON string: not '"', '\\', a control
// character or a byte of a longer UTF-8 sequence.
const std::array<bool, 256> plainStringBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\';
    return plain;
}();

// True when one of the eight bytes isn't one that stands for itself: the high bit of a
// byte is left set where it is 0 after the xor, below 0x20, or 0x80 and up.
bool holdsOtherByte(uint64_t bytes) {
    constexpr uint64_t ones = 0x0101010101010101, highs = 0x8080808080808080;
    const uint64_t quotes = bytes ^ (ones * '"'), backslashes = bytes ^ (ones * '\\');
    return (((quotes - ones) & ~quotes) | ((backslashes - ones) & ~backslashes) | ((bytes - ones * 0x20) & ~bytes) |
            bytes) &
           highs;
}

// The UTF-16 unit of the four hex digits at `at`, or -1.
long hexUnit(const unsigned char* at, const unsigned char* end) {
    if (end - at < 4) return -1;
    long unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexDigitValue(static_cast<char>(at[i]));
        if (digit < 0) return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// Decodes the JSON string whose text begins at `from` into the start of `out`, up to its
// closing quote, which it gives, with the decoded length in `length`. Null for anything
// the library might not read the same way: a control character, bytes that aren't UTF-8,
// an unknown escape, a surrogate out of a pair, no end. `out` is only ever grown, to the
// bytes left, which the text can't outgrow: an escape is never shorter than what it
// stands for.
const char* decodeJsonString(const char* from, const char* end, std::string& out, size_t& length) {
    if (out.size() < static_cast<size_t>(end - from)) out.resize(static_cast<size_t>(end - from));
    char* const begin = &out[0];
    char* write = begin;
    const auto* at = reinterpret_cast<const unsigned char*>(from);
    const auto* const stop = reinterpret_cast<const unsigned char*>(end);
    for (;;) {
        // Eight bytes at a time while they all stand for themselves; the eight are written
        // in any case, which stays inside `out` as `write` never passes `at`.
        while (stop - at >= 8) {
            uint64_t bytes;
            memcpy(&bytes, at, 8);
            memcpy(write, &bytes, 8);
            if (holdsOtherByte(bytes)) break;
            at += 8;
            write += 8;
        }
        while (at < stop && plainStringBytes[*at]) *write++ = static_cast<char>(*at++);
        if (at == stop) return nullptr;
        if (*at == '"') {
            length = static_cast<size_t>(write - begin);
            return reinterpret_cast<const char*>(at);
        }
        if (*at >= 0x80) {
            const size_t bytes = utf8CharacterLength(at, static_cast<size_t>(stop - at));
            if (bytes == 0) return nullptr;
            for (size_t i = 0; i < bytes; ++i) *write++ = static_cast<char>(*at++);
            continue;
        }
        if (*at != '\\' || stop - at < 2) return nullptr;
        const unsigned char escaped = at[1];
        at += 2;
        switch (escaped) {
        case '"':
        case '\\':
        case '/':
            *write++ = static_cast<char>(escaped);
            break;
        case 'b':
            *write++ = '\b';
            break;
        case 'f':
            *write++ = '\f';
            break;
        case 'n':
            *write++ = '\n';
            break;
        case 'r':
            *write++ = '\r';
            break;
        case 't':
            *write++ = '\t';
            break;
        case 'u': {
            long code = hexUnit(at, stop);
            if (code < 0 || (code >= 0xDC00 && code <= 0xDFFF)) return nullptr;
            at += 4;
            if (code >= 0xD800 && code <= 0xDBFF) {
                if (stop - at < 2 || at[0] != '\\' || at[1] != 'u') return nullptr;
                const long low = hexUnit(at + 2, stop);
                if (low < 0xDC00 || low > 0xDFFF) return nullptr;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 6;
            }
            write = writeUtf8(static_cast<char32_t>(code), write);
            break;
        }
        default:
            return nullptr;
        }
    }
}

// Builds the values from the parser's events as the library's own parse does, moving
// strings rather than copying them, and putting each string cut out of the body back as
// the text it was decoded to. Strings (names and values alike) are counted in the order
// they stand in the body.
class ValueBuilder {
public:
    using number_integer_t = json::number_integer_t;
    using number_unsigned_t = json::number_unsigned_t;
    using number_float_t = json::number_float_t;
    using string_t = json::string_t;
    using binary_t = json::binary_t;

    ValueBuilder(json& root, std::vector<std::pair<size_t, std::string>>& cut) : root_(root), cut_(cut) {}

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(number_integer_t value) { return add(value); }
    bool number_unsigned(number_unsigned_t value) { return add(value); }
    bool number_float(number_float_t value, const string_t&) { return add(value); }
    bool string(string_t& value) { return add(std::move(restored(value))); }
    bool binary(binary_t& value) { return add(std::move(value)); }
    bool start_object(std::size_t) { return open(json::object()); }
    bool key(string_t& name) {
        member_ = &(*open_.back())[std::move(restored(name))];
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(json::array()); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const json::exception&) { return false; }

private:
    string_t& restored(string_t& value) {
        if (nextCut_ < cut_.size() && cut_[nextCut_].first == strings_) value = std::move(cut_[nextCut_++].second);
        ++strings_;
        return value;
    }
    json* place(json&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        json& container = *open_.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        *member_ = std::move(value);
        return member_;
    }
    bool add(json&& value) {
        place(std::move(value));
        return true;
    }
    bool open(json&& container) {
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    json& root_;
    std::vector<std::pair<size_t, std::string>>& cut_;  // each string's number among the strings, its text
    size_t nextCut_ = 0;
    size_t strings_ = 0;
    std::vector<json*> open_;  // the objects and arrays begun and not yet ended, outermost first
    json* member_ = nullptr;   // where the next value of the innermost object goes
};

}  // namespace

json parseMessageBody(const std::string& body, size_t longString, size_t* decoded) {
    if (decoded) *decoded = 0;
    // The body with each long string replaced by "", which the library then reads quickly.
    // A '"' outside a string always begins one, so the strings are found as the library
    // finds them, and a body is JSON just when the one with strings cut out is.
    std::string rest;
    std::vector<std::pair<size_t, std::string>> cut;
    std::string text;
    const char* const end = body.data() + body.size();
    const char* copied = body.data();
    size_t strings = 0;
    for (const char* at = body.data();; ++strings) {
        const char* quote = static_cast<const char*>(memchr(at, '"', static_cast<size_t>(end - at)));
        if (!quote) break;
        size_t length = 0;
        const char* close = decodeJsonString(quote + 1, end, text, length);
        if (!close) return json::parse(body, nullptr, false);
        if (static_cast<size_t>(close - quote - 1) >= longString) {
            rest.append(copied, quote + 1);
            rest += '"';
            copied = close + 1;
            if (length < text.size() / 2) {
                // Much room is left for the strings after it: keep it for them.
                cut.emplace_back(strings, std::string(text.data(), length));
            } else {
                text.resize(length);
                cut.emplace_back(strings, std::move(text));
                text = std::string();
            }
        }
        at = close + 1;
    }
    if (cut.empty()) return json::parse(body, nullptr, false);
    rest.append(copied, end);
    json values;
    ValueBuilder builder(values, cut);
    if (!json::sax_parse(rest.data(), rest.data() + rest.size(), &builder)) return json(json::value_t::discarded);
    if (decoded) *decoded = cut.size();
    return values;
}

bool FileByteSink::write(const char* bytes, size_t size) {
    return fwrite(bytes, 1, size, file_) == size && fflush(file_) == 0;
}

int StringByteSource::nextByte() {
    return position_ < size_ ? static_cast<unsigned char>(bytes_[position_++]) : EOF;
}

size_t StringByteSource::read(char* bytes, size_t size) {
    const size_t n = std::min(size, size_ - position_);
    memcpy(bytes, bytes_ + position_, n);
    position_ += n;
    return n;
}

bool MessageReader::readHeaderLine(std::string& line, bool& atEnd) {
    line.clear();
    for (;;) {
        const int c = source_.nextByte();
        if (c == EOF) {
            atEnd = true;
            return false;
        }
        if (c == '\n') break;
        if (line.size() == LongestHeaderLine) return false;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool MessageReader::readBody(uint64_t length, std::string& body) {
    body.clear();
    while (body.size() < length) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(length - body.size(), PieceSize));
        const size_t start = body.size();
        body.resize(start + piece);
        const size_t got = source_.read(&body[start], piece);
        if (got < piece) return false;
    }
    return true;
}

bool MessageReader::skipBody(uint64_t length) {
    char piece[1 << 14];
    while (length > 0) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(length, sizeof piece));
        if (source_.read(piece, wanted) < wanted) return false;
        length -= wanted;
    }
    return true;
}

ReadOutcome MessageReader::next(std::string& body) {
    std::string line;
    bool atEnd = false;
    bool hasLength = false, malformed = false;
    uint64_t length = 0;
    int lines = 0;
    for (;;) {
        if (!readHeaderLine(line, atEnd)) return atEnd ? ReadOutcome::End : ReadOutcome::LostFraming;
        if (line.empty()) {
            // Blank lines between messages are tolerated; after header lines one ends the block.
            if (lines == 0) continue;
            break;
        }
        if (++lines > MostHeaderLines) return ReadOutcome::LostFraming;
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            malformed = true;
            continue;
        }
        if (!equalBytesNoCase(blankTrimmed(line.substr(0, colon)), "content-length")) continue;
        if (hasLength || !parseLength(blankTrimmed(line.substr(colon + 1)), length)) return ReadOutcome::LostFraming;
        hasLength = true;
    }
    if (!hasLength) return ReadOutcome::LostFraming;
    if (malformed || length > bodyLimit_) {
        if (!skipBody(length)) return ReadOutcome::End;
        return malformed ? ReadOutcome::BadHeader : ReadOutcome::TooLarge;
    }
    return readBody(length, body) ? ReadOutcome::Message : ReadOutcome::End;
}

bool MessageWriter::write(const nlohmann::json& message) {
    if (failed_) return false;
    // Texts from a page may hold bytes that aren't UTF-8: they go out as U+FFFD.
    return writeBody(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

bool MessageWriter::writeBody(const std::string& body) {
    if (failed_) return false;
    frame_ = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    frame_ += body;
    if (!sink_.write(frame_.data(), frame_.size())) failed_ = true;
    return !failed_;
}
