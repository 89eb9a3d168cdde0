// Case-insensitive comparison of single-byte names.
//
// Every name comparison and every sort order of the analysis goes through here, so the
// Windows program and the command line agree. On Windows this is the platform's
// lstrcmpiA; elsewhere a portable function that gives the same order for ASCII.
#pragma once

#include <cstddef>
#include <cstdint>

// Compares two NUL-terminated names without regard to letter case: negative when a
// sorts first, 0 when they are equal, positive otherwise.
int compareNoCase(const char* a, const char* b);

// True when compareNoCase finds the two names equal.
bool equalNoCase(const char* a, const char* b);

// True when compareNoCase's equality for this name is exactly "the same bytes once the
// letters a-z are capitalised", so a name can be looked up by its capitalised form.
// Always true for the portable comparison; on Windows only for plain ASCII names, since
// the platform may find other byte sequences equal (for example a sharp s and "ss").
bool foldsExactly(const char* name);

// The capital of an ASCII letter a-z; every other byte unchanged.
inline unsigned char upperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// Hash of a name's capitalised bytes; `length` receives its length.
uint32_t foldedHash(const char* name, size_t& length);

// True when the first `length` bytes of a and b are equal once capitalised.
bool foldedEqual(const char* a, const char* b, size_t length);
