// checkDocument over arbitrary documents, with the html32, html4 and html5 profiles: with
// html32 every line it gives has one of the result forms and the labels never go back;
// read as HTML (the element stack included) every problem is of that reading's kinds,
// placed within the page, in order; a second run, by the other search path (SSE2 or
// portable), gives the same lines, and the text of the document is left as it was read.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "byte_scan.h"
#include "document_check.h"
#include "fuzz_document.h"
#include "line_index.h"
#include "memory_lines.h"

namespace {

const char* const ReportEndings[] = {
    " - Unknown keyword",
    " - Open tag before previous tag was closed",
    " - Close tag without matching open tag",
    " - More close tags than open tags",
    " - Unbalanced quotes",
    " - This tag should be in a table",
    " - Unknown kind in a tagvetter directive",
};

bool endsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// True for "NAME<tab>Unbalanced tags (N)" with NAME a counted open row, or a custom
// element the profile knows, and N above 0; gives the row, or the row count for a custom
// element, whose lines come after the rows'.
bool isUnbalancedLine(const std::string& line, const TagProfile& profile, int& row) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    std::string name = line.substr(0, tab);
    row = profile.find(name.c_str());
    if (row < 0) {
        if (!profile.isCustomElement(name.c_str())) return false;
        row = profile.rowCount();
    } else if (!isCounted(profile.row(row).kind) || name[0] == '/') {
        return false;
    }
    const std::string prefix = "Unbalanced tags (";
    if (line.compare(tab + 1, prefix.size(), prefix) != 0 || !endsWith(line, ")")) return false;
    std::string number = line.substr(tab + 1 + prefix.size(), line.size() - tab - 2 - prefix.size());
    return !number.empty() && number.size() <= 10 && number.find_first_not_of("0123456789") == std::string::npos &&
           number[0] != '0';
}

void requireWellFormed(const std::vector<std::string>& lines, const TagProfile& profile) {
    FUZZ_REQUIRE(!lines.empty(), "no line at all");
    if (lines.size() == 1 && lines[0] == "No errors found") return;
    long long lastLabel = 0;
    int lastUnbalancedRow = -1;
    for (const std::string& line : lines) {
        FUZZ_REQUIRE(line != "No errors found", "No errors found beside other lines");
        int row;
        if (isUnbalancedLine(line, profile, row)) {
            FUZZ_REQUIRE(row > lastUnbalancedRow || row == profile.rowCount(), line);
            lastUnbalancedRow = row;
            continue;
        }
        // Every labelled report comes before the lines of the end.
        FUZZ_REQUIRE(lastUnbalancedRow < 0, line);
        size_t space = line.find("  ");
        FUZZ_REQUIRE(space != std::string::npos && isLineLabel(line.substr(0, space)), line);
        long long label = std::stoll(line.substr(0, space));
        FUZZ_REQUIRE(label >= lastLabel && label >= 1, line);
        lastLabel = label;
        bool known = line.find(" - Unknown attribute for ") != std::string::npos;
        for (const char* ending : ReportEndings) known = known || endsWith(line, ending);
        FUZZ_REQUIRE(known, line);
    }
}

// The records of a check that reads the page as HTML: kinds of that reading only, every
// problem placed on a line of the page and a column, in the order of the page.
void requirePlaced(Document& document, const TagProfile& profile) {
    struct Records : ProblemSink {
        void report(const Problem& p) override {
            all.push_back({p.kind, p.line, p.column, p.relatedLine, p.tag, p.offset, p.endOffset});
        }
        struct Record {
            ProblemKind kind;
            int32_t line, column, relatedLine;
            std::string tag;
            uint32_t offset, endOffset;
        };
        std::vector<Record> all;
    } records;
    const int32_t count = checkDocument(document, records, profile);
    FUZZ_REQUIRE(count == static_cast<int32_t>(records.all.size()), "the count of problems");
    const int32_t lines = lineFeedsBetween(document.text, document.end) + 1;
    const std::vector<ProblemKind>& kinds = problemKindsOf(profile);
    const char* firstLine = document.size >= 3 && memcmp(document.text, "\xEF\xBB\xBF", 3) == 0 ? document.text + 3
                                                                                                 : document.text;
    int32_t lastLine = 1, lastColumn = 1;
    for (const auto& r : records.all) {
        FUZZ_REQUIRE(std::find(kinds.begin(), kinds.end(), r.kind) != kinds.end(), problemKindId(r.kind));
        FUZZ_REQUIRE(r.line >= 1 && r.line <= lines && r.column >= 1, "a problem outside the page");
        FUZZ_REQUIRE(r.line > lastLine || (r.line == lastLine && r.column >= lastColumn), "problems out of order");
        lastLine = r.line;
        lastColumn = r.column;
        // What the related line is, by kind: a line of the page, one that may be 0 (an
        // implied element, no child), an earlier line, or a character of a value.
        switch (r.kind) {
            case ProblemKind::CrossingClose:
                FUZZ_REQUIRE(r.relatedLine >= 1 && r.relatedLine <= r.line, "a crossing's line");
                break;
            case ProblemKind::NotClosed:
                FUZZ_REQUIRE(r.tag.empty() || (r.relatedLine >= r.line && r.relatedLine <= lines), "a not-closed's line");
                break;
            case ProblemKind::MisplacedElement:
            case ProblemKind::MissingChild:
                FUZZ_REQUIRE(r.relatedLine >= 0 && r.relatedLine <= lines, "a related line outside the page");
                break;
            case ProblemKind::DuplicateId:
                FUZZ_REQUIRE(r.relatedLine >= 1 && r.relatedLine <= r.line, "a duplicate's first line");
                break;
            case ProblemKind::BadUrl:
                FUZZ_REQUIRE(r.relatedLine >= 1, "a bad URL's character");
                break;
            default:
                break;
        }
        // The offsets mark what line and column point at.
        if (r.offset == NoOffset) continue;
        FUZZ_REQUIRE(r.offset <= r.endOffset && r.endOffset <= document.size, "offsets outside the page");
        const char* at = document.text + r.offset;
        const char* lineStart = at;
        while (lineStart > firstLine && lineStart[-1] != '\n') --lineStart;
        FUZZ_REQUIRE(lineFeedsBetween(document.text, at) + 1 == r.line && columnOf(lineStart, at) == r.column,
                     "an offset away from its line and column");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Document document;
    loadFuzzedDocument(document, data, size);

    static const std::unique_ptr<const TagProfile> html4 = TagProfile::make("html4");
    static const std::unique_ptr<const TagProfile> html5 = TagProfile::make("html5");
    for (const TagProfile* profile : {&TagProfile::html32(), html4.get(), html5.get()}) {
        MemoryResultList first;
        checkLines(document, first, *profile);
        if (profile->readsAsHtml()) {
            requirePlaced(document, *profile);
        } else {
            requireWellFormed(first.lines, *profile);
        }
        // The scan counted exactly the line feeds it passed.
        FUZZ_REQUIRE(document.line == lineFeedsBetween(document.text, document.cursor), "line counter");

        // Again by the other search path: the SSE2 and portable ones agree.
        byte_scan::useSimd(!byte_scan::simdInUse());
        MemoryResultList second;
        checkLines(document, second, *profile);
        byte_scan::useSimd(!byte_scan::simdInUse());
        FUZZ_REQUIRE(first.lines == second.lines, "a second check, by the other search path, gives other lines");
    }

    FUZZ_REQUIRE(size == 0 || memcmp(document.text, data, size) == 0, "the check wrote into the text");
    return 0;
}
