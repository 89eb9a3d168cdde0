// Case-insensitive comparison of single-byte names.
//
// Every name comparison and every sort order of the analysis goes through here, so the
// Windows program and the command line agree. On Windows this is the platform's
// lstrcmpiA; elsewhere a portable function that gives the same order for ASCII.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Compares two NUL-terminated names without regard to letter case: negative when a
// sorts first, 0 when they are equal, positive otherwise.
int compareNoCase(const char* a, const char* b);

// The capital of an ASCII letter a-z; every other byte unchanged.
inline unsigned char upperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// `name` with the letters a-z capitalised.
inline std::string capitalised(const std::string& name) {
    std::string out = name;
    for (char& c : out) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
    return out;
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
