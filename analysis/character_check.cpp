#include "character_check.h"

#include <algorithm>
#include <cstring>

#include "byte_scan.h"

namespace {

struct NamedReference {
    const char* name;
    uint8_t flags;
};

const NamedReference References[] = {
#include "character_references.inc"
};

constexpr size_t LongestReferenceName = 31;
constexpr size_t LongestLegacyName = 6;

bool isAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isNoncharacter(uint32_t c) { return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE; }

// A control character other than ASCII white space; a carriage return too, which HTML
// only ever has as a line break, never by reference.
bool isControl(uint32_t c) { return (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0C) || (c >= 0x7F && c <= 0x9F); }

}  // namespace

uint8_t referenceNameFlags(const char* name, size_t length) {
    if (length == 0 || length > LongestReferenceName) return 0;
    // By bytes, a name sorting before the longer names it begins.
    auto compare = [&](const char* entry) {
        const int order = strncmp(entry, name, length);
        return order != 0 ? order : entry[length] == '\0' ? 0 : 1;
    };
    size_t low = 0, high = sizeof References / sizeof References[0];
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = compare(References[middle].name);
        if (order == 0) return References[middle].flags;
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return 0;
}

CharacterCheck::CharacterCheck(PageEncoding encoding, bool current, const char* floor)
    : encoding_(encoding), current_(current), unicode_(encoding == PageEncoding::Utf8), floor_(floor) {
    stops_[static_cast<unsigned char>('&')] = true;
    for (int c = 0; c < 0x20; ++c) stops_[c] = isControl(static_cast<uint32_t>(c)) && c != 0x0D;
    stops_[0x7F] = true;
    // html4: SGML has no form feed, but browsers and the current standard take it as space.
    // Neither is read at all.
    if (encoding == PageEncoding::Unreadable || encoding == PageEncoding::Utf16) std::fill(std::begin(stops_), std::end(stops_), false);
    switch (encoding) {
        case PageEncoding::Utf8:
            for (int c = 0x80; c < 0x100; ++c) stops_[c] = true;
            break;
        case PageEncoding::Windows1252:
            // The five bytes windows-1252 leaves undefined are read as C1 controls.
            for (int c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) stops_[c] = true;
            break;
        default:
            break;
    }
}

void CharacterCheck::scan(const char* from, const char* to, bool attribute) {
    if (encoding_ == PageEncoding::Unreadable || encoding_ == PageEncoding::Utf16) return;
    const auto* stops = stops_;
    for (const char* p = from;;) {
        // Straight to the next byte that may be a fault: most text has none.
        p = byte_scan::characterStop(p, to, floor_, unicode_);
        if (p == to) break;
        // A byte above 127 that the encoding takes as it is.
        if (!stops[static_cast<unsigned char>(*p)]) {
            ++p;
            continue;
        }
        const auto c = static_cast<unsigned char>(*p);
        if (c == '&') {
            p = reference(p, to, attribute);
        } else if (c >= 0x80 && encoding_ == PageEncoding::Utf8) {
            p = utf8(p, to);
        } else {
            control(p, p + 1, c);
            ++p;
        }
    }
}

const char* CharacterCheck::reference(const char* amp, const char* to, bool attribute) {
    const char* p = amp + 1;
    if (p >= to) return p;
    if (*p == '#') return numericReference(amp, to);
    if (!isAlnum(*p)) return p;
    const char* q = p;
    while (q < to && isAlnum(*q)) ++q;
    const size_t length = static_cast<size_t>(q - p);
    const bool semicolon = q < to && *q == ';';
    const uint8_t want = current_ ? ReferenceCurrent : ReferenceHtml4;
    if (semicolon && (flagsOf(p, length) & want)) return q + 1;

    // The longest name at the start that may go without ";" (the standard's longest
    // match: "&notit;" is "&not" followed by "it;").
    size_t legacy = std::min(length, LongestLegacyName);
    while (legacy >= 2 && !(flagsOf(p, legacy) & ReferenceLegacy)) --legacy;
    if (legacy < 2) legacy = 0;
    if (current_) {
        if (legacy > 0) {
            const char after = p + legacy < to ? p[legacy] : '\0';
            // In a value, "&amp=" and "&copyx" are no references at all.
            if (attribute && (after == '=' || isAlnum(after))) return q;
            found_.push_back({ProblemKind::ReferenceWithoutSemicolon, amp, p + legacy, 0});
            return p + legacy;
        }
        if (semicolon) found_.push_back({ProblemKind::UnknownReference, amp, q + 1, 0});
        return semicolon ? q + 1 : q;
    }
    // html4: "&name;" must name one of its own; "&copy2000" reads as a name that isn't
    // one, and browsers as "&copy" without its ";". "&nbsp " is sound SGML, "&b=2" in a
    // value is left alone as browsers leave it.
    if (semicolon) {
        found_.push_back({ProblemKind::UnknownReference, amp, q + 1, 0});
        return q + 1;
    }
    if (!attribute && legacy > 0 && legacy < length && !(flagsOf(p, length) & ReferenceHtml4)) {
        found_.push_back({ProblemKind::ReferenceWithoutSemicolon, amp, p + legacy, 0});
        return p + legacy;
    }
    return q;
}

const char* CharacterCheck::numericReference(const char* amp, const char* to) {
    const char* q = amp + 2;
    const bool hex = q < to && (*q == 'x' || *q == 'X');
    if (hex) ++q;
    const char* digits = q;
    uint32_t value = 0;
    bool beyond = false;
    for (; q < to; ++q) {
        const int d = hex ? hexValue(*q) : (*q >= '0' && *q <= '9' ? *q - '0' : -1);
        if (d < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        if (value > 0x10FFFF) {
            beyond = true;
            value = 0x110000;
        }
    }
    if (q == digits) {
        found_.push_back({ProblemKind::BadNumericReference, amp, q, NumericWithoutDigits});
        return q;
    }
    const bool semicolon = q < to && *q == ';';
    const char* end = semicolon ? q + 1 : q;
    int32_t fault = 0;
    if (beyond) {
        fault = NumericBeyondUnicode;
    } else if (value == 0) {
        fault = NumericNull;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
        fault = NumericSurrogate;
    } else if (current_ ? isNoncharacter(value) || isControl(value) || value == 0x0D
                        : isControl(value) && value != 0x0C && value != 0x0D) {
        // SGML takes a carriage return, a form feed and noncharacters by reference.
        fault = isNoncharacter(value) ? NumericNoncharacter : NumericControl;
    } else if (!semicolon) {
        // SGML ends a number at any character that can't be in a name.
        const char after = q < to ? *q : '\0';
        if (current_ || isAlnum(after) || after == '.' || after == '-' || after == '_') fault = NumericWithoutSemicolon;
    }
    if (fault) found_.push_back({ProblemKind::BadNumericReference, amp, end, fault});
    return end;
}

const char* CharacterCheck::utf8(const char* p, const char* to) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    const size_t room = static_cast<size_t>(to - p);
    const unsigned char lead = u[0];
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    uint32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    bool valid = length > 0 && room >= length && u[1] >= low && u[1] <= high;
    for (size_t k = 1; valid && k < length; ++k) {
        valid = k == 1 || (u[k] >= 0x80 && u[k] <= 0xBF);
        value = (value << 6) | (u[k] & 0x3F);
    }
    if (!valid) {
        if (invalidCount_ == 0) firstInvalid_ = p;
        if (invalidCount_ < INT32_MAX) ++invalidCount_;
        return p + 1;
    }
    if (isControl(value) || isNoncharacter(value)) control(p, p + length, value);
    return p + length;
}

void CharacterCheck::control(const char* at, const char* end, uint32_t codePoint) {
    // A page that holds one holds many, often on every line of a pasted block: the first
    // of each line is enough.
    if (lastControl_ && memchr(lastControl_, '\n', static_cast<size_t>(at - lastControl_)) == nullptr) return;
    lastControl_ = at;
    found_.push_back({ProblemKind::ControlCharacter, at, end, static_cast<int32_t>(codePoint)});
}

const std::vector<CharacterFinding>& CharacterCheck::finish() {
    if (invalidCount_ > 0) found_.push_back({ProblemKind::InvalidBytes, firstInvalid_, firstInvalid_ + 1, invalidCount_});
    return found_;
}
