#include "url_check.h"

#include <array>

#include "byte_scan.h"
#include "text.h"

namespace {

bool isUrlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlnum(char c) { return isAsciiLetter(c) || isDigit(c); }

UrlVerdict fault(UrlFault f, size_t at) { return {f, at}; }

// The bytes a scheme takes after its first letter: letters, digits, "+", "-" and ".".
// Relative URLs often begin with a name that is all of these, up to its "/" or ".html".
constexpr std::array<bool, 256> schemeBytes() {
    std::array<bool, 256> bytes{};
    for (int c = 0; c < 256; ++c)
        bytes[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    return bytes;
}
constexpr std::array<bool, 256> SchemeBytes = schemeBytes();

// The length of the UTF-8 sequence at `i` and its code point; 0 when the bytes are no
// valid UTF-8.
size_t utf8At(std::string_view s, size_t i, uint32_t& code) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    uint32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool isNoncharacter(uint32_t code) { return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE; }

// What each ASCII byte is in a URL unit: a fault, or fine (None); "%" is looked at apart.
struct AsciiFaults {
    UrlFault of[128];
    constexpr AsciiFaults() : of() {
        for (int c = 0; c < 128; ++c) of[c] = byte_scan::detail::UrlUnits[c] ? UrlFault::None : UrlFault::Character;
        for (int c = 0; c < 0x20; ++c) of[c] = UrlFault::Control;
        of[0x7F] = UrlFault::Control;
        of[static_cast<int>(' ')] = UrlFault::Space;
        of[static_cast<int>('\t')] = of[static_cast<int>('\n')] = of[static_cast<int>('\r')] = UrlFault::LineBreak;
        of[static_cast<int>('\\')] = UrlFault::Backslash;
        of[static_cast<int>('%')] = UrlFault::Percent;
    }
};
constexpr AsciiFaults Ascii;

// The fault of the code point at `i`, if it can't stand in a URL unit; `length` gets the
// bytes it takes.
UrlFault unitFault(std::string_view s, size_t i, size_t& length) {
    const auto c = static_cast<unsigned char>(s[i]);
    length = 1;
    if (c < 0x80) {
        const UrlFault f = Ascii.of[c];
        if (f != UrlFault::Percent) return f;
        if (i + 2 >= s.size() || hexDigitValue(s[i + 1]) < 0 || hexDigitValue(s[i + 2]) < 0) return UrlFault::Percent;
        length = 3;
        return UrlFault::None;
    }
    uint32_t code = 0;
    const size_t n = utf8At(s, i, code);
    if (n == 0) return UrlFault::None;  // not UTF-8: the page's own encoding
    length = n;
    if (code < 0xA0) return UrlFault::Control;
    return isNoncharacter(code) ? UrlFault::Character : UrlFault::None;
}

// Path, query and fragment from `i` on: URL units, a "?" starting the query, a "#" the
// fragment, which can't hold another.
UrlVerdict checkRest(std::string_view s, size_t i) {
    bool fragment = false;
    const char* const text = s.data();
    for (;;) {
        // Most of a URL is units that stand as they are, found many at a time.
        i = static_cast<size_t>(byte_scan::urlUnitsEnd(text + i, text + s.size()) - text);
        if (i >= s.size()) return {};
        if (s[i] == '#') {
            if (fragment) return fault(UrlFault::SecondHash, i);
            fragment = true;
            ++i;
            continue;
        }
        size_t length;
        const UrlFault f = unitFault(s, i, length);
        if (f != UrlFault::None) return fault(f, i);
        i += length;
    }
}

// "1.2.3.4": four numbers of at most 255, written without leading zeros.
bool isIpv4(std::string_view s) {
    int parts = 0;
    size_t i = 0;
    for (;;) {
        const size_t start = i;
        unsigned value = 0;
        while (i < s.size() && isDigit(s[i]) && i - start < 4) value = value * 10 + static_cast<unsigned>(s[i++] - '0');
        const size_t digits = i - start;
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && s[start] == '0')) return false;
        ++parts;
        if (i == s.size()) return parts == 4;
        if (s[i] != '.' || parts == 4) return false;
        ++i;
    }
}

// Eight groups of one to four hex digits split by ":", one "::" standing for one or more
// groups of zeros, the last two groups perhaps an IPv4 address.
bool isIpv6(std::string_view s) {
    int groups = 0;
    bool compressed = false;
    size_t i = 0;
    if (s.size() >= 2 && s[0] == ':' && s[1] == ':') {
        compressed = true;
        i = 2;
        if (i == s.size()) return true;
    } else if (!s.empty() && s[0] == ':') {
        return false;
    }
    for (;;) {
        const size_t start = i;
        while (i < s.size() && hexDigitValue(s[i]) >= 0 && i - start < 5) ++i;
        if (i < s.size() && s[i] == '.') {
            // An IPv4 address ends the list and takes two groups.
            if (!isIpv4(s.substr(start))) return false;
            groups += 2;
            break;
        }
        if (i == start || i - start > 4) return false;
        ++groups;
        if (i == s.size()) break;
        if (s[i] != ':') return false;
        ++i;
        if (i < s.size() && s[i] == ':') {
            if (compressed) return false;
            compressed = true;
            ++i;
            if (i == s.size()) break;
        } else if (i == s.size()) {
            return false;
        }
    }
    return compressed ? groups < 8 : groups == 8;
}

bool isHexNumber(std::string_view s) {
    if (s.size() < 2 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return false;
    for (size_t i = 2; i < s.size(); ++i) {
        if (hexDigitValue(s[i]) < 0) return false;
    }
    return true;
}

// A host of a special scheme, at `offset` in the value: a domain, an IPv4 address, or an
// IPv6 address in brackets. Non-ASCII labels are checked only for what no host holds.
UrlVerdict checkHost(std::string_view host, size_t offset) {
    if (host.empty()) return fault(UrlFault::EmptyHost, offset);
    if (host[0] == '[') {
        if (host.back() != ']' || !isIpv6(host.substr(1, host.size() - 2))) return fault(UrlFault::Ipv6, offset);
        return {};
    }
    size_t labelStart = 0;
    bool ascii = true;
    for (size_t i = 0; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == '.') {
            const size_t length = i - labelStart;
            // One empty label may end the host: the root's.
            if ((length == 0 && i != host.size()) || (length > 63 && ascii))
                return fault(UrlFault::HostLabel, offset + labelStart);
            labelStart = i + 1;
            ascii = true;  // each label on its own
            continue;
        }
        const char c = host[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            size_t length;
            if (unitFault(host, i, length) != UrlFault::None) return fault(UrlFault::HostCharacter, offset + i);
            ascii = false;
            i += length - 1;
            continue;
        }
        if (!isAlnum(c) && c != '-') {
            const UrlFault f = c == ' ' ? UrlFault::Space : c == '\\' ? UrlFault::Backslash : UrlFault::HostCharacter;
            return fault(f, offset + i);
        }
    }
    // A last label that is a number makes the host an IPv4 address.
    std::string_view last = host;
    if (last.back() == '.') last.remove_suffix(1);
    const size_t dot = last.rfind('.');
    if (dot != std::string_view::npos) last.remove_prefix(dot + 1);
    bool number = !last.empty();
    for (char c : last) number = number && isDigit(c);
    if ((number || isHexNumber(last)) && !isIpv4(host)) return fault(UrlFault::Ipv4, offset);
    return {};
}

// "//" and what follows it, with `i` past the slashes: host and port up to the path, then
// the rest. `special`: the host is a domain or an address; otherwise any URL units.
UrlVerdict checkAuthority(std::string_view s, size_t i, bool special, bool emptyHostFine) {
    size_t end = i;
    while (end < s.size() && s[end] != '/' && s[end] != '?' && s[end] != '#' && s[end] != '\\') ++end;
    if (end < s.size() && s[end] == '\\') return fault(UrlFault::Backslash, end);
    const std::string_view authority = s.substr(i, end - i);
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        // A space or the like in it is the plainer fault.
        for (size_t k = 0; k < at; ++k) {
            size_t length;
            const UrlFault f = unitFault(authority, k, length);
            if (f != UrlFault::None && f != UrlFault::Percent) return fault(f, i + k);
        }
        return fault(UrlFault::Credentials, i);
    }
    // The port follows the last ":" outside brackets.
    size_t colon = std::string_view::npos;
    for (size_t k = authority.size(); k-- > 0;) {
        if (authority[k] == ']') break;
        if (authority[k] == ':') {
            colon = k;
            break;
        }
    }
    const std::string_view host = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        unsigned long value = 0;
        for (size_t k = 0; k < port.size(); ++k) {
            if (!isDigit(port[k])) {
                if (port[k] == ' ') return fault(UrlFault::Space, i + colon + 1 + k);
                return fault(UrlFault::Port, i + colon + 1);
            }
            value = value * 10 + static_cast<unsigned long>(port[k] - '0');
            if (value > 65535) return fault(UrlFault::Port, i + colon + 1);
        }
    }
    if (special) {
        if (!(host.empty() && emptyHostFine)) {
            const UrlVerdict v = checkHost(host, i);
            if (v.fault != UrlFault::None) return v;
        }
    } else if (!host.empty() && host[0] == '[') {
        if (host.back() != ']' || !isIpv6(host.substr(1, host.size() - 2))) return fault(UrlFault::Ipv6, i);
    } else {
        for (size_t k = 0; k < host.size();) {
            size_t length;
            UrlFault f = unitFault(host, k, length);
            if (f == UrlFault::None && host[k] == '%') f = UrlFault::HostCharacter;
            if (f != UrlFault::None) return fault(f == UrlFault::Character ? UrlFault::HostCharacter : f, i + k);
            k += length;
        }
    }
    return checkRest(s, end);
}

bool isSpecialScheme(std::string_view scheme) {
    for (const char* name : {"ftp", "http", "https", "ws", "wss"}) {
        if (equalBytesNoCase(scheme, name)) return true;
    }
    return false;
}

}  // namespace

std::string_view trimmedUrl(std::string_view value) {
    while (!value.empty() && isUrlSpace(value.front())) value.remove_prefix(1);
    while (!value.empty() && isUrlSpace(value.back())) value.remove_suffix(1);
    return value;
}

namespace {

UrlVerdict checkWhole(std::string_view s) {
    // A scheme: a letter, then letters, digits, "+", "-" and ".", then ":".
    size_t colon = 0;
    if (!s.empty() && isAsciiLetter(s[0])) {
        size_t k = 1;
        while (k < s.size() && SchemeBytes[static_cast<unsigned char>(s[k])]) ++k;
        if (k < s.size() && s[k] == ':') colon = k;
    }
    if (colon == 0) {
        // Relative: "//host..." against a special base, or a path.
        if (s.size() >= 2 && (s[0] == '/' || s[0] == '\\') && (s[1] == '/' || s[1] == '\\')) {
            if (s[0] == '\\' || s[1] == '\\') return fault(UrlFault::Backslash, s[0] == '\\' ? 0 : 1);
            return checkAuthority(s, 2, true, false);
        }
        return checkRest(s, 0);
    }
    const std::string_view scheme = s.substr(0, colon);
    const size_t after = colon + 1;
    if (equalBytesNoCase(scheme, "javascript") || equalBytesNoCase(scheme, "data")) return {};
    const bool slashes = s.size() >= after + 2 && s[after] == '/' && s[after + 1] == '/';
    for (size_t k = after; k < s.size() && k < after + 2; ++k) {
        if (s[k] == '\\') return fault(UrlFault::Backslash, k);
    }
    if (equalBytesNoCase(scheme, "file")) {
        // file: URLs are let through as paths: drive letters and empty hosts are common.
        return slashes ? checkAuthority(s, after + 2, true, true) : checkRest(s, after);
    }
    if (isSpecialScheme(scheme)) {
        if (!slashes) return fault(UrlFault::Slashes, after);
        return checkAuthority(s, after + 2, true, false);
    }
    return slashes ? checkAuthority(s, after + 2, false, true) : checkRest(s, after);
}

}  // namespace

UrlVerdict checkUrl(std::string_view value) {
    UrlVerdict verdict = checkWhole(value);
    // A fault found at the end ("http:", "http://") is placed on the last character.
    if (verdict.fault != UrlFault::None && verdict.at >= value.size()) verdict.at = value.empty() ? 0 : value.size() - 1;
    return verdict;
}
