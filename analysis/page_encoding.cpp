#include "page_encoding.h"

#include <cstring>

#include "text.h"

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

char lower(char c) { return lowerAscii(c); }

bool startsNoCase(const char* p, const char* end, const char* word) {
    for (; *word; ++p, ++word) {
        if (p >= end || lower(*p) != *word) return false;
    }
    return true;
}

bool equalsLabel(std::string_view label, const char* word) {
    const size_t n = strlen(word);
    if (label.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (lower(label[i]) != word[i]) return false;
    }
    return true;
}

// One attribute of a tag in the first bytes, read the way the prescan reads it: the name
// in small letters, the value as written (quoted or not).
struct PrescanAttribute {
    char name[16];
    size_t nameLength;
    std::string_view value;
};

// Reads the attribute at `p` (up to `end`); false when the tag ends (at its ">" or at
// `end`) before one. `p` moves past what was read.
bool readAttribute(const char*& p, const char* end, PrescanAttribute& a) {
    while (p < end && (isSpace(*p) || *p == '/')) ++p;
    if (p >= end || *p == '>') return false;
    a.nameLength = 0;
    a.value = std::string_view();
    // The first character may be "=".
    for (bool first = true; p < end; ++p, first = false) {
        const char c = *p;
        if (c == '=' && !first) break;
        if (isSpace(c)) {
            while (p < end && isSpace(*p)) ++p;
            if (p >= end || *p != '=') return true;
            break;
        }
        if (c == '/' || c == '>') return true;
        if (a.nameLength < sizeof a.name) a.name[a.nameLength++] = lower(c);
    }
    if (p >= end) return true;
    ++p;  // the "="
    while (p < end && isSpace(*p)) ++p;
    if (p >= end) return true;
    if (*p == '"' || *p == '\'') {
        const char quote = *p++;
        const char* from = p;
        while (p < end && *p != quote) ++p;
        a.value = std::string_view(from, static_cast<size_t>(p - from));
        if (p < end) ++p;
        return true;
    }
    if (*p == '>') return true;
    const char* from = p;
    while (p < end && !isSpace(*p) && *p != '>') ++p;
    a.value = std::string_view(from, static_cast<size_t>(p - from));
    return true;
}

bool nameIs(const PrescanAttribute& a, const char* word) {
    return a.nameLength == strlen(word) && memcmp(a.name, word, a.nameLength) == 0;
}

// The label after "charset=" in a Content-Type value, or "" when it names none.
std::string_view charsetOfContentType(std::string_view content) {
    for (size_t at = 0; at + 7 <= content.size(); ++at) {
        if (!equalsLabel(content.substr(at, 7), "charset")) continue;
        size_t p = at + 7;
        while (p < content.size() && isSpace(content[p])) ++p;
        if (p >= content.size() || content[p] != '=') continue;
        ++p;
        while (p < content.size() && isSpace(content[p])) ++p;
        if (p >= content.size()) return std::string_view();
        if (content[p] == '"' || content[p] == '\'') {
            const size_t close = content.find(content[p], p + 1);
            if (close == std::string_view::npos) return std::string_view();
            return content.substr(p + 1, close - p - 1);
        }
        size_t e = p;
        while (e < content.size() && !isSpace(content[e]) && content[e] != ';') ++e;
        return content.substr(p, e - p);
    }
    return std::string_view();
}

// The label the meta tag whose attributes begin at `p` declares, or "".
std::string_view metaLabel(const char*& p, const char* end) {
    PrescanAttribute a;
    bool contentType = false;
    std::string_view charset, content;
    while (readAttribute(p, end, a)) {
        if (nameIs(a, "charset") && charset.empty()) {
            charset = a.value;
        } else if (nameIs(a, "content") && content.empty()) {
            content = a.value;
        } else if (nameIs(a, "http-equiv")) {
            contentType = contentType || equalsLabel(a.value, "content-type");
        }
    }
    if (!charset.empty()) return charset;
    return contentType ? charsetOfContentType(content) : std::string_view();
}

// The encoding an XML declaration at `p` gives, or "".
std::string_view xmlLabel(const char* p, const char* end) {
    if (!startsNoCase(p, end, "<?xml") || p + 5 >= end || !isSpace(p[5])) return std::string_view();
    const char* close = static_cast<const char*>(memchr(p, '>', static_cast<size_t>(end - p)));
    if (!close) return std::string_view();
    const std::string_view declaration(p, static_cast<size_t>(close - p));
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return std::string_view();
    size_t q = at + 8;
    while (q < declaration.size() && isSpace(declaration[q])) ++q;
    if (q >= declaration.size() || declaration[q] != '=') return std::string_view();
    ++q;
    while (q < declaration.size() && isSpace(declaration[q])) ++q;
    if (q >= declaration.size() || (declaration[q] != '"' && declaration[q] != '\'')) return std::string_view();
    const size_t e = declaration.find(declaration[q], q + 1);
    return e == std::string_view::npos ? std::string_view() : declaration.substr(q + 1, e - q - 1);
}

}  // namespace

PageEncoding encodingOfLabel(std::string_view label) {
    while (!label.empty() && isSpace(label.front())) label.remove_prefix(1);
    while (!label.empty() && isSpace(label.back())) label.remove_suffix(1);
    for (const char* word : {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "x-unicode20utf8"})
        if (equalsLabel(label, word)) return PageEncoding::Utf8;
    // Browsers read Latin-1 and ASCII as windows-1252.
    for (const char* word : {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso88591", "iso_8859-1",
                             "iso_8859-1:1987", "iso-ir-100", "latin1", "l1", "csisolatin1", "ibm819", "cp819",
                             "us-ascii", "ascii", "ansi_x3.4-1968"})
        if (equalsLabel(label, word)) return PageEncoding::Windows1252;
    for (const char* word : {"utf-16", "utf-16le", "utf-16be", "unicode", "unicodefeff", "unicodefffe", "ucs-2",
                             "csunicode", "iso-10646-ucs-2"})
        if (equalsLabel(label, word)) return PageEncoding::Utf16;
    // Encodings whose bytes below 128 are not all ASCII.
    for (const char* word : {"iso-2022", "csiso2022", "utf-7", "hz-gb-2312", "replacement", "x-user-defined"}) {
        const size_t n = strlen(word);
        if (label.size() >= n && equalsLabel(label.substr(0, n), word)) return PageEncoding::Unreadable;
    }
    return PageEncoding::OtherAscii;
}

EncodingDecision decidePageEncoding(const char* text, size_t size, PageEncoding fallback) {
    if (size == 0) return {fallback, EncodingSource::Default, 0};
    const auto* u = reinterpret_cast<const unsigned char*>(text);
    if (size >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) return {PageEncoding::Utf8, EncodingSource::ByteOrderMark, 3};
    if (size >= 2 && ((u[0] == 0xFF && u[1] == 0xFE) || (u[0] == 0xFE && u[1] == 0xFF)))
        return {PageEncoding::Utf16, EncodingSource::ByteOrderMark, 2};
    if (size >= 2 && ((text[0] == '<' && text[1] == '\0') || (text[0] == '\0' && text[1] == '<')))
        return {PageEncoding::Utf16, EncodingSource::Default, 0};

    const char* const end = text + (size < 1024 ? size : 1024);
    const bool nulls = memchr(text, '\0', static_cast<size_t>(end - text)) != nullptr;
    for (const char* p = text; p < end;) {
        p = static_cast<const char*>(memchr(p, '<', static_cast<size_t>(end - p)));
        if (!p) break;
        if (startsNoCase(p, end, "<!--")) {
            const char* close = p + 4;
            while (close + 2 < end && !(close[0] == '-' && close[1] == '-' && close[2] == '>')) ++close;
            p = close + 3;
            continue;
        }
        if (startsNoCase(p, end, "<meta") && p + 5 < end && (isSpace(p[5]) || p[5] == '/')) {
            p += 5;
            const std::string_view label = metaLabel(p, end);
            if (label.empty()) continue;
            PageEncoding encoding = encodingOfLabel(label);
            if (encoding == PageEncoding::Utf16 && !nulls) encoding = PageEncoding::Utf8;
            return {encoding, EncodingSource::Meta, 0};
        }
        const bool closing = p + 1 < end && p[1] == '/';
        if (p + 1 < end && (isAsciiLetter(p[1]) || (closing && p + 2 < end && isAsciiLetter(p[2])))) {
            // Another tag: its name, then its attributes, so that a quoted ">" doesn't end it.
            p += closing ? 2 : 1;
            while (p < end && !isSpace(*p) && *p != '>') ++p;
            PrescanAttribute ignored;
            while (readAttribute(p, end, ignored)) {
            }
            continue;
        }
        if (p + 1 < end && (p[1] == '!' || p[1] == '/' || p[1] == '?')) {
            const char* close = static_cast<const char*>(memchr(p, '>', static_cast<size_t>(end - p)));
            if (!close) break;
            p = close + 1;
            continue;
        }
        ++p;
    }
    const std::string_view xml = xmlLabel(text, end);
    if (!xml.empty()) {
        PageEncoding encoding = encodingOfLabel(xml);
        if (encoding == PageEncoding::Utf16 && !nulls) encoding = PageEncoding::Utf8;
        return {encoding, EncodingSource::XmlDeclaration, 0};
    }
    return {fallback, EncodingSource::Default, 0};
}
