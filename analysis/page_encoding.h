// Which encoding a page's bytes are in, decided as a browser decides it before it reads
// the page: a byte order mark, else the first <meta charset> or <meta http-equiv=
// "Content-Type" content="...; charset=..."> in the first 1024 bytes, else an XML
// declaration's encoding at the very start, else the profile's default (windows-1252
// for html4, UTF-8 for html5).
//
// Only what the character check needs is told apart: UTF-8 (whose bytes can be checked),
// windows-1252 (which every byte is, and which browsers read iso-8859-1 and us-ascii as),
// UTF-16 (which the check can't read at all), the other encodings that keep ASCII as
// ASCII (their bytes above 127 are taken as they come), and those that don't.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class PageEncoding : uint8_t {
    Utf8,
    Windows1252,
    Utf16,
    OtherAscii,  // shift_jis, iso-8859-2, koi8-r, ...: ASCII bytes mean ASCII
    Unreadable,  // iso-2022-jp, utf-7, ...: not even the ASCII bytes can be taken as such
};

enum class EncodingSource : uint8_t { ByteOrderMark, Meta, XmlDeclaration, Default };

struct EncodingDecision {
    PageEncoding encoding;
    EncodingSource source;
    size_t textStart;  // past the byte order mark, if any
};

// The encoding a label names (letter case and surrounding white space ignored).
PageEncoding encodingOfLabel(std::string_view label);

// Decides the encoding of the page `text` of `size` bytes; `fallback` when the page
// doesn't say. A meta naming UTF-16 counts as UTF-8, as browsers take it, unless the
// page's first bytes hold NULs; a page that begins "<" NUL or NUL "<" is UTF-16 without
// a byte order mark.
EncodingDecision decidePageEncoding(const char* text, size_t size, PageEncoding fallback);
