#include "message_stream.h"

#include <algorithm>
#include <cstring>

namespace {

// A header line longer than this, or a block of more lines, is no header of ours.
constexpr size_t LongestHeaderLine = 4096;
constexpr int MostHeaderLines = 32;
// Bodies are read, and read past, in pieces of this size.
constexpr size_t PieceSize = size_t{1} << 20;

bool equalsNoCase(const std::string& text, const char* word) {
    const size_t length = strlen(word);
    if (text.size() != length) return false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != word[i]) return false;
    }
    return true;
}

std::string trimmed(const std::string& text) {
    size_t from = 0, to = text.size();
    while (from < to && (text[from] == ' ' || text[from] == '\t')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t')) --to;
    return text.substr(from, to - from);
}

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

}  // namespace

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

bool StringByteSink::write(const char* written, size_t size) {
    bytes.append(written, size);
    return true;
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
        const std::string name = trimmed(line.substr(0, colon));
        if (!equalsNoCase(name, "content-length")) continue;
        if (hasLength || !parseLength(trimmed(line.substr(colon + 1)), length)) return ReadOutcome::LostFraming;
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
