// The tag scanner over arbitrary documents, with every profile and every use: the tags come
// in the order of the text, each from its "<" to its end within the text, with the line and
// column of its "<" and of each attribute counted as people count them; read as HTML the
// check, the census and the listing yield the same tags, and a listed tag is its own text;
// the SSE2 and portable search paths read the same tags.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "byte_scan.h"
#include "fuzz_document.h"
#include "tag_scanner.h"

namespace {

struct Seen {
    const char* start;
    const char* end;
    std::string name;
    int32_t line;
    int32_t lastLine;
    bool operator==(const Seen& o) const {
        return start == o.start && end == o.end && name == o.name && line == o.line && lastLine == o.lastLine;
    }
};

// The 1-based line and column of `p`, counted from the start of the text (a byte order
// mark is no column).
TextPosition counted(const char* text, const char* p) {
    const char* lineStart = text;
    if (p >= text + 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) lineStart = text + 3;
    int32_t line = 1;
    for (const char* s = text; s < p; ++s) {
        if (*s == '\n') {
            ++line;
            lineStart = s + 1;
        }
    }
    return {line, columnOf(lineStart, p)};
}

std::vector<Seen> scan(Document& document, const TagProfile& profile, TagReading reading) {
    std::vector<Seen> seen;
    TagScanner scanner(document, profile, reading);
    const bool html = profile.readsAsHtml();
    while (scanner.next()) {
        const ScannedTag& t = scanner.tag();
        FUZZ_REQUIRE(t.start >= document.text && t.start < document.end && *t.start == '<', "a tag's start");
        FUZZ_REQUIRE(seen.empty() || t.start >= seen.back().end, "tags out of order or overlapping");
        FUZZ_REQUIRE(strlen(t.name) < static_cast<size_t>(ScannedNameSize), "a name too long");
        if (html) {
            FUZZ_REQUIRE(t.end > t.start && t.end <= document.end, "a tag's end");
            const TextPosition at = counted(document.text, t.start);
            FUZZ_REQUIRE(at.line == t.line && at.column == columnOf(t.lineStart, t.start), "a tag's line or column");
            FUZZ_REQUIRE(t.lastLine == counted(document.text, t.end).line, "a tag's last line");
            for (const ScannedAttribute& a : scanner.attributes()) {
                FUZZ_REQUIRE(a.name > t.start && a.name + a.length <= t.end, "an attribute outside its tag");
                const TextPosition p = scanner.positionOf(a.name), q = counted(document.text, a.name);
                FUZZ_REQUIRE(p.line == q.line && p.column == q.column, "an attribute's place");
            }
            if (reading.collectsText) {
                std::string text;
                for (const char* p = t.start; p < t.end; ++p) {
                    if (*p == '\r') continue;
                    text += (*p == '\n' || *p == '\t' || *p == '\0') ? ' ' : *p;
                }
                FUZZ_REQUIRE(text == t.text, "a listed tag is not its text");
            }
        }
        seen.push_back({t.start, t.end, t.name, t.line, t.lastLine});
    }
    // The 1990s reading passes uncollected tags without counting lines: it has none to show.
    if (html || reading.collectsText)
        FUZZ_REQUIRE(document.line == lineFeedsBetween(document.text, document.cursor), "line counter");
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Document document;
    loadFuzzedDocument(document, data, size);
    static const std::unique_ptr<const TagProfile> html4 = TagProfile::make("html4");
    static const std::unique_ptr<const TagProfile> html5 = TagProfile::make("html5");
    for (const TagProfile* profile : {&TagProfile::html32(), html4.get(), html5.get()}) {
        const std::vector<Seen> checked = scan(document, *profile, profile->readsAsHtml() ? TagsOnly : Html32Check);
        const std::vector<Seen> census = scan(document, *profile, CensusReading);
        const std::vector<Seen> listed = scan(document, *profile, ListingReading);
        // The portable search path reads every tag as the SSE2 one does.
        byte_scan::useSimd(!byte_scan::simdInUse());
        const bool samePaths = scan(document, *profile, ListingReading) == listed &&
                               scan(document, *profile, profile->readsAsHtml() ? TagsOnly : Html32Check) == checked;
        byte_scan::useSimd(!byte_scan::simdInUse());
        FUZZ_REQUIRE(samePaths, "the SSE2 and portable paths read other tags");
        if (!profile->readsAsHtml()) continue;
        FUZZ_REQUIRE(checked.size() == census.size() && checked.size() == listed.size(), "the uses see other tags");
        for (size_t i = 0; i < checked.size(); ++i) {
            FUZZ_REQUIRE(checked[i].start == census[i].start && checked[i].start == listed[i].start &&
                             checked[i].end == census[i].end && checked[i].end == listed[i].end &&
                             checked[i].name == census[i].name && checked[i].name == listed[i].name,
                         "the uses read a tag differently");
        }
    }
    FUZZ_REQUIRE(size == 0 || memcmp(document.text, data, size) == 0, "the scan wrote into the text");
    return 0;
}
