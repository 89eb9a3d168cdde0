// Whether an attribute's value is a valid URL string, as the URL standard's grammar writes
// one, and if not, what is wrong where.
//
// ASCII is checked by the whole grammar: scheme, "//" and host of the special schemes,
// IPv4 and IPv6 addresses, port, and the code points of path, query and fragment. A host
// with non-ASCII letters is checked only for the code points no host may hold: no IDNA
// table is at hand in every build. The bodies of javascript: and data: URLs are not read.
// Bytes that are not UTF-8 are let through, since the page's encoding is not known here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class UrlFault : uint8_t {
    None,
    Space,        // a space inside
    LineBreak,    // a tab, line feed or carriage return inside
    Control,      // another control character (C0, DEL or C1)
    Backslash,    // "\", a Windows path's separator
    Percent,      // "%" not followed by two hex digits
    Character,    // a code point no URL holds: " < > [ ] ^ ` { | } or a noncharacter
    SecondHash,   // a "#" inside the fragment
    Slashes,      // a special scheme (http:, ftp:, ...) not followed by "//"
    Credentials,  // a user name or password before the host
    EmptyHost,    // "http://" and no host
    HostCharacter,  // a code point a domain can't hold
    HostLabel,    // an empty label between dots, or one longer than 63
    Ipv4,         // a host ending in a number that is no dotted IPv4 address
    Ipv6,         // a malformed address in brackets
    Port,         // a port that is not digits, or above 65535
};
constexpr int UrlFaultCount = 16;

struct UrlVerdict {
    UrlFault fault = UrlFault::None;
    size_t at = 0;  // byte offset of the fault in the value given, always inside it
};

// Checks `value`, an attribute's value with its character references decoded and the
// ASCII white space at its ends taken off. A relative URL is taken against a base of a
// special scheme (http:, file:), as a page's is.
UrlVerdict checkUrl(std::string_view value);

// The value with ASCII white space at both ends left out, as a URL attribute is read.
std::string_view trimmedUrl(std::string_view value);
