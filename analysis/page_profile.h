// The automatic choice of profile: what a page's own start says it is.
#pragma once

#include <cstddef>
#include <cstdint>

// The profiles a page's doctype chooses among, in the order their names are listed.
enum class DoctypeProfile : uint8_t { Html32, Html4, Html5 };
constexpr const char* DoctypeProfileNames[] = {"html32", "html4", "html5"};
constexpr size_t DoctypeProfileCount = 3;

// The profile the doctype at the start of `text` asks for, past a byte order mark, white
// space, comments and an XML declaration: html5 for <!DOCTYPE html> (any case, any
// spacing; also with SYSTEM "about:legacy-compat"), html4 for an HTML 4.01 or XHTML 1.x
// doctype, html32 for any other start.
DoctypeProfile doctypeProfileOf(const char* text, size_t size);

// The HTML 4.01 DTDs a doctype may name, for the html4 profile's check.
enum class Html4Dtd : uint8_t { None, Strict, Transitional, Frameset };

// The DTD the doctype at the start of `text` (read as for doctypeProfileOf) names by its
// public identifier, letter case ignored: HTML 4.01 and XHTML 1.0 Strict, Transitional or
// Frameset, XHTML 1.1 as Strict. None for any other doctype or none.
Html4Dtd html4DtdOf(const char* text, size_t size);

// Its name: "html32", "html4" or "html5".
inline const char* profileOfPage(const char* text, size_t size) {
    return DoctypeProfileNames[static_cast<size_t>(doctypeProfileOf(text, size))];
}
