// checkDocument over arbitrary documents, with the html32 and the html5 profile: every
// line it gives has one of the result forms, the labels never go back, a second run gives
// the same lines, and the text of the document is left as it was read.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document_check.h"
#include "fuzz_document.h"
#include "memory_sinks.h"

namespace {

const char* const ReportEndings[] = {
    " - Unknown keyword",
    " - Open tag before previous tag was closed",
    " - Close tag without matching open tag",
    " - More close tags than open tags",
    " - Unbalanced quotes",
    " - This tag should be in a table",
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
        if (!profile.knowsCustomElements() || !isCustomElementName(name.c_str())) return false;
        row = profile.rowCount();
    } else if (profile.row(row).kind != PairCounted || name[0] == '/') {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Document document;
    loadFuzzedDocument(document, data, size);

    static const std::unique_ptr<const TagProfile> html5 = TagProfile::make("html5");
    for (const TagProfile* profile : {&TagProfile::html32(), html5.get()}) {
        MemoryResultList first;
        checkDocument(document, first, *profile);
        requireWellFormed(first.lines, *profile);
        // The scan counted exactly the line feeds it passed.
        FUZZ_REQUIRE(document.line == lineFeedsBetween(document.text, document.cursor), "line counter");

        MemoryResultList second;
        checkDocument(document, second, *profile);
        FUZZ_REQUIRE(first.lines == second.lines, "a second check gives other lines");
    }

    FUZZ_REQUIRE(size == 0 || memcmp(document.text, data, size) == 0, "the check wrote into the text");
    return 0;
}
