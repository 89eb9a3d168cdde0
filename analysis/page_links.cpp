#include "page_links.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "byte_scan.h"
#include "line_index.h"
#include "tag_profile.h"
#include "tag_scanner.h"
#include "text.h"

namespace {

// The attributes the reader looks at, one bit each.
enum AttributeBit : uint16_t {
    Href = 1 << 0,
    Src = 1 << 1,
    Srcset = 1 << 2,
    Poster = 1 << 3,
    Data = 1 << 4,
    Background = 1 << 5,
    Action = 1 << 6,
    Content = 1 << 7,
    HttpEquiv = 1 << 8,
    Type = 1 << 9,
    Id = 1 << 10,
    Name = 1 << 11,
};

struct AttributeRule {
    const char* name;
    uint32_t length;
    uint16_t bit;
};

constexpr AttributeRule AttributeRules[] = {
    {"href", 4, Href},     {"src", 3, Src},
    {"srcset", 6, Srcset}, {"poster", 6, Poster},
    {"data", 4, Data},     {"background", 10, Background},
    {"action", 6, Action}, {"content", 7, Content},
    {"http-equiv", 10, HttpEquiv}, {"type", 4, Type},
    {"id", 2, Id},         {"name", 4, Name},
};

uint16_t findAttribute(const char* name, uint32_t length) {
    for (const AttributeRule& rule : AttributeRules) {
        if (rule.length == length && foldedEqual(rule.name, name, length)) return rule.bit;
    }
    return 0;
}

const char* attributeName(uint16_t bit) {
    for (const AttributeRule& rule : AttributeRules) {
        if (rule.bit == bit) return rule.name;
    }
    return "";
}

uint16_t bitOf(const std::string& name) {
    return findAttribute(name.c_str(), static_cast<uint32_t>(name.size()));
}

// A reference that counts only when another attribute of the tag has a value: the src
// of an input of type image, the content of a refresh.
struct ConditionalReference {
    uint16_t reference;
    uint16_t condition;
    std::string value;
};

// What the reader looks for in the tags of one row, from the row's link attributes.
struct ElementRule {
    std::string name;  // lower case, as references name their element
    uint16_t references = 0;
    uint16_t anchors = 0;  // besides id
    uint16_t base = 0;
    std::vector<ConditionalReference> conditional;
    uint16_t wanted = 0;  // every attribute read, id included
};

// The rules of every row of `profile`, by row.
std::vector<ElementRule> rulesOf(const TagProfile& profile) {
    std::vector<ElementRule> rules(static_cast<size_t>(profile.rowCount()));
    for (int r = 0; r < profile.rowCount(); ++r) {
        ElementRule& rule = rules[static_cast<size_t>(r)];
        rule.name = lowerCased(profile.row(r).name);
        const LinkAttributes& links = profile.links(r);
        for (const AttributeUse& use : links.references) {
            if (use.condition.empty()) {
                rule.references |= bitOf(use.name);
            } else {
                rule.conditional.push_back({bitOf(use.name), bitOf(use.condition), use.value});
                rule.wanted |= bitOf(use.name) | bitOf(use.condition);
            }
        }
        for (const AttributeUse& use : links.anchors) rule.anchors |= bitOf(use.name);
        for (const AttributeUse& use : links.base) rule.base |= bitOf(use.name);
        rule.wanted |= Id | rule.references | rule.anchors | rule.base;
    }
    return rules;
}

// A stretch of the document's text.
struct Span {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool empty() const { return begin == end; }
};

Span trimmed(Span s) {
    while (s.begin < s.end && isHtmlSpace(*s.begin)) ++s.begin;
    while (s.end > s.begin && isHtmlSpace(s.end[-1])) --s.end;
    return s;
}

// With `p` on a "&", decodes the character reference there into `out` and gives the
// position after it, or gives `p` when none is there.
const char* decodeReference(const char* p, const char* end, std::string& out) {
    static constexpr struct {
        const char* name;
        size_t length;
        char character;
    } Named[] = {{"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}};
    const size_t left = static_cast<size_t>(end - p - 1);
    if (p[1] != '#') {
        for (const auto& n : Named) {
            if (left >= n.length && memcmp(p + 1, n.name, n.length) == 0) {
                out += n.character;
                return p + 1 + n.length;
            }
        }
        return p;
    }
    const bool hex = p + 2 < end && (p[2] == 'x' || p[2] == 'X');
    const char* q = p + (hex ? 3 : 2);
    uint32_t code = 0;
    const char* digits = q;
    for (; q < end; ++q) {
        const int digit = hex ? hexDigitValue(*q) : isDigit(*q) ? *q - '0' : -1;
        if (digit < 0) break;
        // Held just past the largest code point, so that a long number can't wrap round.
        code = std::min<uint32_t>(code * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
    }
    if (q == digits || q >= end || *q != ';') return p;
    // As a browser reads them: no character for NUL, a surrogate or beyond U+10FFFF.
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    appendUtf8(code, out);
    return q + 1;
}

// `s` with its character references decoded, into `out`.
void decode(Span s, std::string& out) { decodeCharacterReferences(s.begin, s.end, out); }

// The position in `raw` whose decoding begins `offset` bytes into the decoded text.
const char* rawPositionOf(Span raw, size_t offset) { return rawPositionOfDecoded(raw.begin, raw.end, offset); }

// Calls `add` with each candidate URL of a srcset: a URL up to white space, then
// descriptors up to a comma outside parentheses; commas that end a URL belong to the
// list, not to it.
template <typename Add>
void forEachCandidate(Span srcset, Add add) {
    const char* p = srcset.begin;
    const char* const end = srcset.end;
    for (;;) {
        while (p < end && (isHtmlSpace(*p) || *p == ',')) ++p;
        if (p >= end) return;
        const char* url = p;
        while (p < end && !isHtmlSpace(*p)) ++p;
        const char* urlEnd = p;
        if (urlEnd[-1] == ',') {
            while (urlEnd[-1] == ',') --urlEnd;
        } else {
            for (bool inParentheses = false; p < end && (*p != ',' || inParentheses); ++p) {
                if (*p == '(') inParentheses = true;
                if (*p == ')') inParentheses = false;
            }
        }
        add(Span{url, urlEnd});
    }
}

// Where the URL of a refresh's content begins and ends; empty when it names none.
Span refreshUrl(Span content) {
    const char* p = content.begin;
    const char* const end = content.end;
    while (p < end && isHtmlSpace(*p)) ++p;
    const char* time = p;
    while (p < end && isDigit(*p)) ++p;
    if (p == time && (p >= end || *p != '.')) return {};
    while (p < end && (isDigit(*p) || *p == '.')) ++p;
    if (p >= end || !(*p == ';' || *p == ',' || isHtmlSpace(*p))) return {};
    while (p < end && isHtmlSpace(*p)) ++p;
    if (p < end && (*p == ';' || *p == ',')) ++p;
    while (p < end && isHtmlSpace(*p)) ++p;
    // "url=" before it, in any case and with white space around the "=", is left out,
    // and a quote after that (or at the start) ends the URL at its match; a "u" that
    // begins no "url=" belongs to the URL.
    Span url{p, end};
    bool quoted = true;
    if (p < end && (*p == 'u' || *p == 'U')) {
        quoted = false;
        if (end - p >= 3 && foldedEqual(p, "url", 3)) {
            const char* q = p + 3;
            while (q < end && isHtmlSpace(*q)) ++q;
            if (q < end && *q == '=') {
                for (++q; q < end && isHtmlSpace(*q);) ++q;
                url.begin = q;
                quoted = true;
            }
        }
    }
    if (quoted && url.begin < end && (*url.begin == '"' || *url.begin == '\'')) {
        const char quote = *url.begin++;
        const char* close = static_cast<const char*>(memchr(url.begin, quote, static_cast<size_t>(end - url.begin)));
        if (close) url.end = close;
    }
    return trimmed(url);
}

// Reads a page's links into a Sink, which has
//   reference(target, line, column, element, attribute), anchor(name), base(href)
// and keeps the anchors as it likes: sorting them is its part.
template <typename Sink>
class LinkReader {
public:
    LinkReader(Document& document, Sink& sink, const std::vector<ElementRule>& rules)
        : text_(document.text, document.size), sink_(sink), rules_(rules) {}

    void read(TagScanner& scanner) {
        while (scanner.next()) {
            const ScannedTag& tag = scanner.tag();
            if (tag.closing || tag.comment || tag.nameLength == 0) continue;
            readTag(tag, scanner.attributes());
        }
    }

private:
    void readTag(const ScannedTag& tag, const std::vector<ScannedAttribute>& attributes) {
        const ElementRule* element = tag.row >= 0 ? &rules_[static_cast<size_t>(tag.row)] : nullptr;
        // The row's name as written, whatever else the platform's comparison finds equal.
        if (element && (element->name.size() != tag.nameLength || !foldedEqual(element->name.data(), tag.name, tag.nameLength)))
            element = nullptr;
        const uint16_t wanted = element ? element->wanted : static_cast<uint16_t>(Id);
        uint16_t seen = 0;  // the first of an attribute written twice is the one that counts
        const size_t conditional = element ? element->conditional.size() : 0;
        // The conditional references, until their conditions are known.
        deferred_.assign(conditional, Span());
        conditionsMet_.assign(conditional, false);
        for (const ScannedAttribute& a : attributes) {
            const uint16_t bit = a.length <= 10 ? findAttribute(a.name, a.length) : 0;
            if (!(bit & wanted) || (bit & seen)) continue;
            seen |= bit;
            const Span value{a.value, a.value + a.valueLength};
            if (bit == Id || (bit & element->anchors)) {
                addAnchor(value);
            } else if (bit & element->base) {
                if (!baseFound_) {
                    const Span base = trimmed(textOf(value));
                    sink_.base(std::string_view(base.begin, static_cast<size_t>(base.end - base.begin)));
                }
                baseFound_ = true;
            } else if (bit & element->references) {
                addReferences(value, *element, bit);
            } else {
                for (size_t i = 0; i < conditional; ++i) {
                    const ConditionalReference& c = element->conditional[i];
                    if (bit == c.condition) conditionsMet_[i] = c.value.empty() || decodedEquals(value, c.value.c_str());
                    if (bit == c.reference) deferred_[i] = value;
                }
            }
        }
        for (size_t i = 0; i < conditional; ++i) {
            if (conditionsMet_[i] && !deferred_[i].empty())
                addReferences(deferred_[i], *element, element->conditional[i].reference);
        }
    }

    // The text `raw` stands for: itself, or its decoding (in decoded_, until the next call).
    Span textOf(Span raw) {
        if (raw.empty() || !memchr(raw.begin, '&', static_cast<size_t>(raw.end - raw.begin))) return raw;
        decode(raw, decoded_);
        return {decoded_.data(), decoded_.data() + decoded_.size()};
    }

    bool decodedEquals(Span raw, const char* word) {
        const Span text = textOf(raw);
        const size_t length = static_cast<size_t>(text.end - text.begin);
        return length == strlen(word) && foldedEqual(text.begin, word, length);
    }

    void addAnchor(Span raw) {
        // Anchors are matched as written: no white space taken off.
        const Span text = textOf(raw);
        if (!text.empty()) sink_.anchor(std::string_view(text.begin, static_cast<size_t>(text.end - text.begin)));
    }

    // The references of the value `raw`: itself, each candidate of a srcset, or the URL of
    // a refresh, each read from the decoded value and placed where it stands in the text.
    void addReferences(Span raw, const ElementRule& element, uint16_t attribute) {
        const Span text = textOf(raw);
        auto add = [&](Span piece) {
            if (piece.empty()) return;
            const char* at = text.begin == raw.begin
                                 ? piece.begin
                                 : rawPositionOf(raw, static_cast<size_t>(piece.begin - text.begin));
            const LinePlace place = placeOf(at);
            sink_.reference(std::string_view(piece.begin, static_cast<size_t>(piece.end - piece.begin)),
                            static_cast<int32_t>(place.line) + 1, static_cast<int32_t>(place.column) + 1, element,
                            attribute);
        };
        if (attribute == Srcset) {
            forEachCandidate(text, add);
        } else if (attribute == Content) {
            add(refreshUrl(text));
        } else {
            add(trimmed(text));
        }
    }

    const std::string_view text_;
    // The place of `at` as a LineIndex of the text (line feeds, characters) gives it, counted
    // on from the place asked for before: references come in the order of the text, so a
    // page's line feeds are counted once, and none after its last reference.
    LinePlace placeOf(const char* at) {
        if (at < counted_) {
            counted_ = lineStart_ = text_.data();
            line_ = 0;
            lastAt_ = nullptr;
        }
        int32_t feeds = 0;
        if (const char* last = byte_scan::lineFeeds(counted_, at, text_.data(), feeds)) {
            lineStart_ = last + 1;
            line_ += static_cast<size_t>(feeds);
        }
        counted_ = at;
        // Along one long line, counted on from the last place when a character ended
        // there (after an ASCII byte one always has), as LineIndex does.
        size_t column;
        if (lastAt_ && lastAt_ > lineStart_ && static_cast<unsigned char>(lastAt_[-1]) < 0x80) {
            column = lastColumn_ + static_cast<size_t>(columnOf(lastAt_, at) - 1);
        } else {
            column = static_cast<size_t>(columnOf(lineStart_, at) - 1);
        }
        lastAt_ = at;
        lastColumn_ = column;
        return {line_, column};
    }

    const char* counted_ = text_.data();    // line feeds are counted up to here
    const char* lineStart_ = text_.data();  // of the line counted_ is on
    size_t line_ = 0;
    const char* lastAt_ = nullptr;          // the last place asked for, and its column
    size_t lastColumn_ = 0;
    Sink& sink_;
    const std::vector<ElementRule>& rules_;
    std::vector<Span> deferred_;
    std::vector<bool> conditionsMet_;
    std::string decoded_;  // a value with character references; its room is kept from tag to tag
    bool baseFound_ = false;
};

// Fills a PageLinks.
struct PageLinksSink {
    PageLinks& links;
    void reference(std::string_view target, int32_t line, int32_t column, const ElementRule& element,
                   uint16_t attribute) {
        links.references.push_back({std::string(target), line, column, element.name, attributeName(attribute)});
    }
    void anchor(std::string_view name) { links.anchors.emplace_back(name); }
    void base(std::string_view href) { links.base.assign(href.data(), href.size()); }
    void finish() {
        std::vector<std::string>& anchors = links.anchors;
        std::sort(anchors.begin(), anchors.end());
        anchors.erase(std::unique(anchors.begin(), anchors.end()), anchors.end());
    }
};

// The html5 profile and the rules of its rows: links are read as browsers read tags,
// whatever profile the page is checked with. Null when there's no memory for them.
const TagProfile* linkProfile() {
    static const std::unique_ptr<const TagProfile> html5 = TagProfile::make("html5");
    return html5.get();
}
const std::vector<ElementRule>& linkRules() {
    static const std::vector<ElementRule> rules = rulesOf(*linkProfile());
    return rules;
}

// Reads the links of a loaded, non-empty document into `sink`.
template <typename Sink>
void readLinksInto(Document& document, Sink& sink) {
    TagScanner scanner(document, *linkProfile(), TagsOnly);
    LinkReader<Sink>(document, sink, linkRules()).read(scanner);
    sink.finish();
}

}  // namespace

void decodeCharacterReferences(const char* begin, const char* end, std::string& out) {
    out.clear();
    const char* p = begin;
    while (p < end) {
        const char* amp = static_cast<const char*>(memchr(p, '&', static_cast<size_t>(end - p)));
        if (!amp) break;
        out.append(p, amp);
        p = decodeReference(amp, end, out);
        if (p == amp) out += *p++;
    }
    out.append(p, end);
}

const char* rawPositionOfDecoded(const char* begin, const char* end, size_t offset) {
    const char* p = begin;
    std::string character;  // one decoded reference: never more than the string holds in itself
    for (size_t decoded = 0; p < end && decoded < offset;) {
        character.clear();
        const char* after = *p == '&' ? decodeReference(p, end, character) : p;
        if (after == p) {
            ++p;
            ++decoded;
        } else {
            p = after;
            decoded += character.size();
        }
    }
    return p;
}

std::string cleanedReference(std::string_view target) {
    size_t begin = 0, end = target.size();
    while (begin < end && static_cast<unsigned char>(target[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(target[end - 1]) <= ' ') --end;
    std::string out;
    out.reserve(end - begin);
    for (size_t i = begin; i < end; ++i) {
        if (target[i] != '\t' && target[i] != '\n' && target[i] != '\r') out += target[i];
    }
    return out;
}

bool fragmentNeedsAnchor(const std::string& fragment) { return !fragment.empty() && !equalNoCase(fragment.c_str(), "top"); }

bool ownAnchorOf(std::string_view target, std::string& anchor) {
    size_t begin = 0, end = target.size();
    while (begin < end && static_cast<unsigned char>(target[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(target[end - 1]) <= ' ') --end;
    if (begin == end || target[begin] != '#') return false;
    const std::string_view fragment = target.substr(begin + 1, end - begin - 1);
    // Most fragments are plain: taken as they are, without the cleaning's copies.
    if (std::none_of(fragment.begin(), fragment.end(),
                     [](char c) { return c == '%' || c == '\t' || c == '\n' || c == '\r'; })) {
        anchor.assign(fragment.data(), fragment.size());
    } else {
        anchor = percentDecoded(std::string_view(cleanedReference(target)).substr(1));
    }
    return fragmentNeedsAnchor(anchor);
}

bool readPageLinks(Document& document, PageLinks& links) {
    links.references.clear();
    links.anchors.clear();
    links.base.clear();
    if (!document.isLoaded()) return true;
    try {
        if (!linkProfile()) return false;
        PageLinksSink sink{links};
        readLinksInto(document, sink);
        return true;
    } catch (const std::bad_alloc&) {
        links.references.clear();
        links.anchors.clear();
        links.base.clear();
        return false;
    }
}

bool PageLinkBlock::hasAnchor(std::string_view name) const {
    size_t low = 0, high = anchorCount();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = anchor(middle).compare(name);
        if (order == 0) return true;
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return false;
}

// Appends each text to the packer's one string; records hold offsets into it, so its
// growing never leaves them pointing at freed bytes.
struct PageLinkPacker::Sink {
    PageLinkPacker& packer;
    Record add(std::string_view text, int32_t line = 0, int32_t column = 0) {
        // Offsets are 32 bits: a page whose links add up to more has no room for them.
        if (packer.text_.size() + text.size() > UINT32_MAX / 2) throw std::bad_alloc();
        const Record record{static_cast<uint32_t>(packer.text_.size()), static_cast<uint32_t>(text.size()), line,
                            column};
        packer.text_.append(text.data(), text.size());
        return record;
    }
    void reference(std::string_view target, int32_t line, int32_t column, const ElementRule&, uint16_t) {
        std::vector<uint32_t>& slots = packer.targetSlots_;
        const std::vector<Record>& references = packer.references_;
        if (slots.size() < 2 * (references.size() + 1)) {
            size_t size = 64;
            while (size < 4 * (references.size() + 1)) size *= 2;
            slots.assign(size, 0);
            for (uint32_t i = 0; i < references.size(); ++i) *slotOf(textOf(references[i])) = i + 1;
        }
        uint32_t* slot = slotOf(target);
        if (*slot != 0) {
            Record again = references[*slot - 1];
            again.line = line;
            again.column = column;
            packer.references_.push_back(again);
            return;
        }
        *slot = static_cast<uint32_t>(references.size()) + 1;
        packer.references_.push_back(add(target, line, column));
    }
    std::string_view textOf(const Record& r) const { return {packer.text_.data() + r.offset, r.length}; }
    // The slot of `target`: the one that holds a reference to the same text, or a free one.
    // The table is never more than half full.
    uint32_t* slotOf(std::string_view target) {
        std::vector<uint32_t>& slots = packer.targetSlots_;
        const size_t mask = slots.size() - 1;  // a power of two
        for (size_t at = std::hash<std::string_view>()(target) & mask;; at = (at + 1) & mask) {
            if (slots[at] == 0 || textOf(packer.references_[slots[at] - 1]) == target) return &slots[at];
        }
    }
    void anchor(std::string_view name) { packer.anchors_.push_back(add(name)); }
    void base(std::string_view href) { packer.base_ = add(href); }
    void finish() {
        std::vector<Record>& anchors = packer.anchors_;
        std::sort(anchors.begin(), anchors.end(), [&](const Record& a, const Record& b) { return textOf(a) < textOf(b); });
        anchors.erase(std::unique(anchors.begin(), anchors.end(),
                                  [&](const Record& a, const Record& b) { return textOf(a) == textOf(b); }),
                      anchors.end());
    }
};

PageLinkBlock PageLinkPacker::packed() const {
    const size_t headerWords = PageLinkBlock::HeaderWords + 4 * references_.size() + 2 * anchors_.size();
    const size_t words = headerWords + (text_.size() + sizeof(uint32_t) - 1) / sizeof(uint32_t);
    if (words > UINT32_MAX / sizeof(uint32_t)) throw std::bad_alloc();
    PageLinkBlock block;
    block.words_.reset(new uint32_t[words]);
    uint32_t* w = block.words_.get();
    const uint32_t textStart = static_cast<uint32_t>(headerWords * sizeof(uint32_t));
    w[PageLinkBlock::Words] = static_cast<uint32_t>(words);
    w[PageLinkBlock::ReferenceCount] = static_cast<uint32_t>(references_.size());
    w[PageLinkBlock::AnchorCount] = static_cast<uint32_t>(anchors_.size());
    w[PageLinkBlock::BaseOffset] = textStart + base_.offset;
    w[PageLinkBlock::BaseLength] = base_.length;
    w += PageLinkBlock::HeaderWords;
    for (const Record& r : references_) {
        *w++ = textStart + r.offset;
        *w++ = r.length;
        *w++ = static_cast<uint32_t>(r.line);
        *w++ = static_cast<uint32_t>(r.column);
    }
    for (const Record& r : anchors_) {
        *w++ = textStart + r.offset;
        *w++ = r.length;
    }
    if (!text_.empty()) memcpy(reinterpret_cast<char*>(block.words_.get()) + textStart, text_.data(), text_.size());
    return block;
}

bool PageLinkPacker::read(Document& document, PageLinkBlock& block) {
    text_.clear();
    references_.clear();
    anchors_.clear();
    base_ = Record{0, 0, 0, 0};
    targetSlots_.clear();
    try {
        if (document.isLoaded()) {
            if (!linkProfile()) return false;
            Sink sink{*this};
            readLinksInto(document, sink);
        }
        block = packed();
        return true;
    } catch (const std::bad_alloc&) {
        block = PageLinkBlock();
        return false;
    }
}

PageLinkBlock PageLinkPacker::pack(const PageLinks& links) {
    PageLinkPacker packer;
    Sink sink{packer};
    for (const PageReference& r : links.references) sink.reference(r.target, r.line, r.column, ElementRule(), 0);
    for (const std::string& anchor : links.anchors) sink.anchor(anchor);
    sink.base(links.base);
    sink.finish();
    return packer.packed();
}
