#include "page_profile.h"

#include <cstring>

#include "text.h"

namespace {

// Reads a page's start, one token at a time.
class Start {
public:
    Start(const char* text, size_t size) : p_(text), end_(text + size) {}

    void skipSpace() {
        while (p_ < end_ && isHtmlSpace(*p_)) ++p_;
    }
    // Moves past `word` (compared without letter case) when the text goes on with it.
    bool take(const char* word) {
        const size_t length = strlen(word);
        if (static_cast<size_t>(end_ - p_) < length || !foldedEqual(p_, word, length)) return false;
        p_ += length;
        return true;
    }
    // Moves past the first `closer` on; false when there is none.
    bool skipPast(const char* closer) {
        const size_t length = strlen(closer);
        for (const char* s = p_; end_ - s >= static_cast<ptrdiff_t>(length); ++s) {
            if (memcmp(s, closer, length) == 0) {
                p_ = s + length;
                return true;
            }
        }
        return false;
    }
    // The quoted text that follows (after white space), without its quotes; "" for none.
    size_t quoted(const char*& from) {
        skipSpace();
        if (p_ >= end_ || (*p_ != '"' && *p_ != '\'')) return 0;
        const char quote = *p_++;
        from = p_;
        while (p_ < end_ && *p_ != quote && *p_ != '>') ++p_;
        const size_t length = static_cast<size_t>(p_ - from);
        if (p_ < end_ && *p_ == quote) ++p_;
        return length;
    }
    bool next(char c) const { return p_ < end_ && *p_ == c; }
    bool nextIsSpace() const { return p_ < end_ && isHtmlSpace(*p_); }

private:
    const char* p_;
    const char* end_;
};

// Whether the public identifier `id` holds `word`, letter case ignored.
bool idHolds(const char* id, size_t length, const char* word) {
    const size_t n = strlen(word);
    for (size_t i = 0; i + n <= length; ++i) {
        if (foldedEqual(id + i, word, n)) return true;
    }
    return false;
}

// Whether the public identifier `id` names HTML 4.01 or XHTML 1.x.
bool namesHtml4(const char* id, size_t length) {
    return idHolds(id, length, "//DTD HTML 4.01") || idHolds(id, length, "//DTD XHTML 1.");
}

// The profile the doctype at the start of `text` asks for; with html4, `id` and `length`
// are its public identifier.
DoctypeProfile readDoctype(const char* text, size_t size, const char*& id, size_t& length) {
    using P = DoctypeProfile;
    Start start(text, size);
    start.take("\xEF\xBB\xBF");
    for (;;) {
        start.skipSpace();
        if (start.take("<!--")) {
            if (!start.skipPast("-->")) return P::Html32;
        } else if (start.take("<?xml")) {
            if (!start.skipPast("?>")) return P::Html32;
        } else {
            break;
        }
    }
    if (!start.take("<!doctype") || !start.nextIsSpace()) return P::Html32;
    start.skipSpace();
    if (!start.take("html")) return P::Html32;
    if (start.next('>')) return P::Html5;
    if (!start.nextIsSpace()) return P::Html32;
    start.skipSpace();
    if (start.next('>')) return P::Html5;
    if (start.take("system")) {
        length = start.quoted(id);
        return length == 19 && Start(id, length).take("about:legacy-compat") ? P::Html5 : P::Html32;
    }
    if (!start.take("public")) return P::Html32;
    length = start.quoted(id);
    return namesHtml4(id, length) ? P::Html4 : P::Html32;
}

}  // namespace

DoctypeProfile doctypeProfileOf(const char* text, size_t size) {
    const char* id = nullptr;
    size_t length = 0;
    return readDoctype(text, size, id, length);
}

Html4Dtd html4DtdOf(const char* text, size_t size) {
    const char* id = nullptr;
    size_t length = 0;
    if (readDoctype(text, size, id, length) != DoctypeProfile::Html4) return Html4Dtd::None;
    // The words end with "//" so that "XHTML 1.1 plus MathML 2.0", whose elements no
    // HTML 4.01 DTD has, keeps the merged vocabulary.
    static const struct {
        const char* words;
        Html4Dtd dtd;
    } Named[] = {
        {"//DTD HTML 4.01//", Html4Dtd::Strict},
        {"//DTD HTML 4.01 Transitional//", Html4Dtd::Transitional},
        {"//DTD HTML 4.01 Frameset//", Html4Dtd::Frameset},
        {"//DTD XHTML 1.0 Strict//", Html4Dtd::Strict},
        {"//DTD XHTML 1.0 Transitional//", Html4Dtd::Transitional},
        {"//DTD XHTML 1.0 Frameset//", Html4Dtd::Frameset},
        {"//DTD XHTML 1.1//", Html4Dtd::Strict},
    };
    for (const auto& named : Named) {
        if (idHolds(id, length, named.words)) return named.dtd;
    }
    return Html4Dtd::None;
}
