// The byte-level text helpers every part of the program shares: letter case, white
// space, hex digits, percent escapes and UTF-8.
//
// Every name comparison and every sort order of the analysis goes through the case
// helpers here, so the Windows program and the command line agree. On Windows
// compareNoCase is the platform's lstrcmpiA; elsewhere a portable function that gives
// the same order for ASCII. Only the letters A-Z and a-z ever change case: bytes from
// 0x80 on stay as they are, whatever the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Letter case ----------------------------------------------------------------------

// Compares two NUL-terminated names without regard to letter case: negative when a
// sorts first, 0 when they are equal, positive otherwise.
int compareNoCase(const char* a, const char* b);

inline bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }

// The capital of an ASCII letter a-z; every other byte unchanged.
inline unsigned char upperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// The small letter of an ASCII letter A-Z; every other byte unchanged.
inline char lowerAscii(char c) { return isAsciiUpper(c) ? static_cast<char>(c + 32) : c; }

// `name` with the letters a-z capitalised.
inline std::string capitalised(const std::string& name) {
    std::string out = name;
    for (char& c : out) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
    return out;
}

// `text` with the letters A-Z made small.
inline std::string lowerCased(std::string text) {
    for (char& c : text) c = lowerAscii(c);
    return text;
}

// The same, in place, in a NUL-terminated text.
inline void upperCaseAscii(char* text) {
    for (auto p = reinterpret_cast<unsigned char*>(text); *p; ++p) *p = upperAscii(*p);
}
inline void lowerCaseAscii(char* text) {
    for (char* p = text; *p; ++p) *p = lowerAscii(*p);
}

// True when compareNoCase's equality for this name is exactly "the same bytes once the
// letters a-z are capitalised", so a name can be looked up by its capitalised form.
// Always true for the portable comparison; on Windows only for plain ASCII names, since
// the platform may find other byte sequences equal (for example a sharp s and "ss").
inline bool foldsExactly(const char* name) {
#ifdef _WIN32
    for (auto p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        bool plain = (*p >= 0x20 && *p <= 0x7E) || (*p >= 0x09 && *p <= 0x0D);
        if (!plain) return false;
    }
#else
    (void)name;
#endif
    return true;
}

// True when the first `length` bytes of a and b are equal once capitalised.
inline bool foldedEqual(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (upperAscii(static_cast<unsigned char>(a[i])) != upperAscii(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Whether `text` starts with, ends with or is `word`, letters A-Z and a-z taken alike.
// Byte for byte otherwise: unlike equalNoCase, never the platform's comparison.
inline bool startsWithNoCase(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && foldedEqual(text.data(), word.data(), word.size());
}
inline bool endsWithNoCase(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && foldedEqual(text.data() + text.size() - word.size(), word.data(), word.size());
}
inline bool equalBytesNoCase(std::string_view text, std::string_view word) {
    return text.size() == word.size() && foldedEqual(text.data(), word.data(), word.size());
}

// True when compareNoCase finds the two names equal.
inline bool equalNoCase(const char* a, const char* b) {
    if (!foldsExactly(a) || !foldsExactly(b)) return compareNoCase(a, b) == 0;
    size_t i = 0;
    for (; a[i] && b[i]; ++i) {
        if (upperAscii(static_cast<unsigned char>(a[i])) != upperAscii(static_cast<unsigned char>(b[i])))
            return false;
    }
    return a[i] == b[i];
}

// Hash of a name's capitalised bytes; `length` receives its length.
inline uint32_t foldedHash(const char* name, size_t& length) {
    uint32_t h = 2166136261u;
    size_t i = 0;
    for (; name[i]; ++i) {
        h ^= upperAscii(static_cast<unsigned char>(name[i]));
        h *= 16777619u;
    }
    length = i;
    return h;
}

// White space ----------------------------------------------------------------------

// HTML's white space: space, tab, line feed, form feed, carriage return.
inline bool isHtmlSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f'; }

// White space inside a tag as the tag reader takes it: a NUL counts too, so it can't cut
// a name short of its tag.
inline bool isTagSpace(char c) { return isHtmlSpace(c) || c == '\0'; }

// A space or a tab, the only white space of a line of the known-tag files or a header.
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// `text` without the blanks at either end.
inline std::string blankTrimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// Hex digits and percent escapes ---------------------------------------------------

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hex digit of either case, or -1.
inline int hexDigitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte "%xx" at `at` stands for, or -1 when no '%' and two hex digits are there.
inline int percentEscapeAt(std::string_view text, size_t at) {
    if (at + 2 >= text.size() || text[at] != '%') return -1;
    const int high = hexDigitValue(text[at + 1]), low = hexDigitValue(text[at + 2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// `text` with each "%xx" as the byte it stands for; a '%' not followed by two hex digits
// stays.
std::string percentDecoded(std::string_view text);

// UTF-8 ----------------------------------------------------------------------------

inline bool isUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 character at `bytes` (`available` bytes on), or 0
// when none begins there: no overlong forms, surrogates or code points past U+10FFFF.
inline size_t utf8CharacterLength(const unsigned char* bytes, size_t available) {
    if (available == 0) return 0;
    const unsigned char lead = bytes[0];
    if (lead < 0x80) return 1;
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (available < length || bytes[1] < low || bytes[1] > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!isUtf8Continuation(bytes[i])) return 0;
    }
    return length;
}

// The code point of the well-formed character of `length` bytes at `p`, as
// utf8CharacterLength measured it.
inline char32_t utf8CodePoint(const unsigned char* p, size_t length) {
    char32_t c = length == 1 ? p[0] : p[0] & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) c = c << 6 | (p[i] & 0x3F);
    return c;
}

// Writes `code` (at most U+10FFFF) as UTF-8 from `out` on and gives the end.
inline char* writeUtf8(char32_t code, char* out) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

inline void appendUtf8(char32_t code, std::string& out) {
    char bytes[4];
    out.append(bytes, writeUtf8(code, bytes));
}
