// The check of a page's characters, for html4 and html5: the character references in its
// text and attribute values, the control characters and noncharacters, and the bytes its
// encoding can't have. The HTML check hands it the spans to look at (running text, the
// text of a title or textarea, each attribute value); it finds the faults, in the order
// of the page, without allocating for each span.
#pragma once

#include <cstdint>
#include <vector>

#include "byte_scan.h"
#include "document_check.h"
#include "name_cache.h"
#include "page_encoding.h"

// What is wrong with a numeric character reference (a Problem's count, for the message).
enum NumericReferenceFault : int32_t {
    NumericWithoutDigits = 1,  // "&#;", "&#x"
    NumericWithoutSemicolon,   // "&#169 " (the number itself is fine)
    NumericNull,               // "&#0;"
    NumericSurrogate,          // "&#xD800;"
    NumericBeyondUnicode,      // "&#x110000;"
    NumericNoncharacter,       // "&#xFFFE;"
    NumericControl,            // "&#150;", "&#13;", "&#1;"
};

struct CharacterFinding {
    ProblemKind kind;
    const char* at;   // where the fault begins: the "&", or the first byte
    const char* end;  // one past what is at fault
    // Reference faults: their text is [at, end). NumericReferenceFault for a numeric one;
    // the code point of a control character or noncharacter; for bytes not valid, the
    // number of such bytes on the page (the one finding stands for them all).
    int32_t count;
};

// The name of a named character reference, looked up in the table of current names:
// its flags (ReferenceCurrent, ReferenceLegacy, ReferenceHtml4) or 0 when it is none.
enum : uint8_t { ReferenceCurrent = 1, ReferenceLegacy = 2, ReferenceHtml4 = 4 };
uint8_t referenceNameFlags(const char* name, size_t length);

class CharacterCheck {
public:
    // `current`: html5's rules and names; else html4's, which take only what SGML and
    // browsers agree is wrong.
    // `floor`: the page's first byte; the spans handed over lie after it, and the searches
    // may read back to it.
    CharacterCheck(PageEncoding encoding, bool current, const char* floor);

    // Running text, or the text of an element whose references count (a title).
    void text(const char* from, const char* to) { look(from, to, false); }
    // An attribute's value, without its quotes.
    void attributeValue(const char* from, const char* to) { look(from, to, true); }
    // The findings, in the order of the page; call once, after the last span.
    const std::vector<CharacterFinding>& finish();

private:
    // Most spans are a few bytes with nothing to find: one look at the block that ends
    // with them says so, without the scan's call.
    void look(const char* from, const char* to, bool attribute) {
        const char* stop = byte_scan::characterStop(from, to, floor_, unicode_);
        if (stop != to) scan(stop, to, attribute);
    }
    void scan(const char* from, const char* to, bool attribute);
    const char* reference(const char* amp, const char* to, bool attribute);
    // referenceNameFlags, kept for the names a page repeats.
    uint8_t flagsOf(const char* name, size_t length) {
        if (const uint8_t* kept = referenceFlags_.find(name, length, 0)) return *kept;
        const uint8_t flags = referenceNameFlags(name, length);
        referenceFlags_.keep(name, length, 0, flags);
        return flags;
    }
    const char* numericReference(const char* amp, const char* to);
    // The byte at `p` is not ASCII: decodes it as UTF-8; gives where the next one begins.
    const char* utf8(const char* p, const char* to);
    void control(const char* at, const char* end, uint32_t codePoint);

    const PageEncoding encoding_;
    const bool current_;
    const bool unicode_;  // UTF-8: every byte above 127 is looked at
    const char* const floor_;
    bool stops_[256] = {};  // the bytes the scan stops at
    NameCache<uint8_t> referenceFlags_;
    std::vector<CharacterFinding> found_;
    const char* lastControl_ = nullptr;  // at most one control character a line is reported
    const char* firstInvalid_ = nullptr;
    int32_t invalidCount_ = 0;
};
