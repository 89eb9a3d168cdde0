// The links of arbitrary pages: every reference has a target and is one of the kinds the
// reader looks for, in the order of the text, placed on a line of the text where its
// target (or a character reference that decodes to its first byte) begins; the anchors
// are sorted, each once; a second reading gives the same and the text stays as it was.
// The packed reading a site's check keeps (by a packer that read another page before)
// holds the same targets, places, anchors and base.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_document.h"
#include "page_links.h"
#include "tag_scanner.h"

namespace {

const std::set<std::pair<std::string, std::string>>& referenceKinds() {
    static const std::set<std::pair<std::string, std::string>> kinds = {
        {"a", "href"},          {"area", "href"},        {"link", "href"},        {"img", "src"},
        {"script", "src"},      {"iframe", "src"},       {"frame", "src"},        {"embed", "src"},
        {"source", "src"},      {"audio", "src"},        {"video", "src"},        {"track", "src"},
        {"input", "src"},       {"img", "srcset"},       {"source", "srcset"},    {"video", "poster"},
        {"object", "data"},     {"body", "background"},  {"table", "background"}, {"td", "background"},
        {"th", "background"},   {"tr", "background"},    {"form", "action"},      {"meta", "content"},
    };
    return kinds;
}

// The first byte of the line `line` (1-based) of the text, or null when it has fewer lines.
const char* lineStartOf(const Document& document, int32_t line) {
    const char* p = document.text;
    for (int32_t n = 1; n < line; ++n) {
        p = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(document.end - p)));
        if (!p) return nullptr;
        ++p;
    }
    return p;
}

// The position on the line at `lineStart` whose column is `column`, among those that
// follow an ASCII byte (where every value, candidate and URL begins); null when none is.
const char* positionAtColumn(const Document& document, const char* lineStart, int32_t column) {
    int32_t at = 1;
    const char* last = lineStart;
    for (const char* p = lineStart;; ++p) {
        if (p == lineStart || static_cast<unsigned char>(p[-1]) < 0x80) {
            at += columnOf(last, p) - 1;
            last = p;
            if (at == column) return p;
            if (at > column) return nullptr;
        }
        if (p == document.end || *p == '\n') return nullptr;
    }
}

bool sameLinks(const PageLinks& a, const PageLinks& b) {
    if (a.references.size() != b.references.size() || a.anchors != b.anchors || a.base != b.base) return false;
    for (size_t i = 0; i < a.references.size(); ++i) {
        const PageReference &x = a.references[i], &y = b.references[i];
        if (x.target != y.target || x.line != y.line || x.column != y.column || x.tag != y.tag ||
            x.attribute != y.attribute)
            return false;
    }
    return true;
}

bool samePacked(const PageLinks& links, const PageLinkBlock& block) {
    if (block.referenceCount() != links.references.size() || block.anchorCount() != links.anchors.size() ||
        block.base() != links.base)
        return false;
    for (size_t i = 0; i < links.references.size(); ++i) {
        const PageReference& r = links.references[i];
        if (block.target(i) != r.target || block.line(i) != r.line || block.column(i) != r.column) return false;
    }
    for (size_t i = 0; i < links.anchors.size(); ++i) {
        if (block.anchor(i) != links.anchors[i] || !block.hasAnchor(links.anchors[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Document document;
    loadFuzzedDocument(document, data, size);
    PageLinks links;
    FUZZ_REQUIRE(readPageLinks(document, links), "no links read");
    int32_t lastLine = 1, lastColumn = 1;
    for (const PageReference& r : links.references) {
        const std::string where = std::to_string(r.line) + ":" + std::to_string(r.column) + " " + r.target;
        FUZZ_REQUIRE(!r.target.empty(), where);
        FUZZ_REQUIRE(r.line >= 1 && r.column >= 1, where);
        FUZZ_REQUIRE(referenceKinds().count({r.tag, r.attribute}) == 1, r.tag + "@" + r.attribute);
        FUZZ_REQUIRE(r.line > lastLine || (r.line == lastLine && r.column >= lastColumn), "out of order: " + where);
        lastLine = r.line;
        lastColumn = r.column;
        const char* lineStart = lineStartOf(document, r.line);
        FUZZ_REQUIRE(lineStart != nullptr, "no such line: " + where);
        const char* p = positionAtColumn(document, lineStart, r.column);
        FUZZ_REQUIRE(p != nullptr && p < document.end, "no such column: " + where);
        FUZZ_REQUIRE(*p == r.target[0] || *p == '&', "the target is not there: " + where);
    }
    for (size_t i = 0; i < links.anchors.size(); ++i) {
        FUZZ_REQUIRE(!links.anchors[i].empty(), "an empty anchor");
        FUZZ_REQUIRE(i == 0 || links.anchors[i - 1] < links.anchors[i],
                     "anchors unsorted or twice: " + links.anchors[i]);
    }
    PageLinks again;
    again.anchors.push_back("left from before");
    FUZZ_REQUIRE(readPageLinks(document, again) && sameLinks(links, again), "a second reading differs");
    static PageLinkPacker packer;  // kept from input to input, as a job keeps it from page to page
    PageLinkBlock block;
    FUZZ_REQUIRE(packer.read(document, block), "no packed links read");
    FUZZ_REQUIRE(samePacked(links, block), "the packed links differ");
    FUZZ_REQUIRE(samePacked(links, PageLinkPacker::pack(links)), "the links packed afterwards differ");
    FUZZ_REQUIRE(size == 0 || memcmp(document.text, data, size) == 0, "the reading wrote into the text");
    return 0;
}
