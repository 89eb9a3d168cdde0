// countTags over arbitrary documents, with the html32, html4 and html5 profiles: the
// summary counts the lines, every line is "name, tab, count, tab, description" with the
// profile's description, the names are distinct and in census order, no more tags are
// counted than there are "<" the scan can reach (html32: before the first NUL; read as
// HTML, a NUL is no end), and a census that has served every earlier input gives the same lines as a
// fresh one.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_document.h"
#include "memory_lines.h"
#include "tag_census.h"
#include "text.h"

namespace {

struct CensusLine {
    std::string name;
    long long count;
    std::string description;
};

// Splits a line from the right: a name may hold tabs, a count and a description can't.
CensusLine parseLine(const std::string& line) {
    size_t second = line.rfind('\t');
    FUZZ_REQUIRE(second != std::string::npos && second > 0, line);
    size_t first = line.rfind('\t', second - 1);
    FUZZ_REQUIRE(first != std::string::npos, line);
    std::string count = line.substr(first + 1, second - first - 1);
    FUZZ_REQUIRE(!count.empty() && count.size() <= 10 && count.find_first_not_of("0123456789") == std::string::npos &&
                     count[0] != '0',
                 line);
    return {line.substr(0, first), std::stoll(count), line.substr(second + 1)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Document document;
    static TagCensus reused;  // serves every input, as the program's one census does
    if (reused.capacity == 0 && !reused.setUp()) fuzzFailure("census set-up");
    loadFuzzedDocument(document, data, size);

    static const std::unique_ptr<const TagProfile> html4 = TagProfile::make("html4");
    static const std::unique_ptr<const TagProfile> html5 = TagProfile::make("html5");
    for (const TagProfile* profile : {&TagProfile::html32(), html4.get(), html5.get()}) {
        TagCensus fresh;
        if (!fresh.setUp()) fuzzFailure("census set-up");
        MemoryResultList lines;
        countTags(document, fresh, lines, *profile);
        FUZZ_REQUIRE(fresh.count == static_cast<int32_t>(lines.lines.size()), censusSummary(fresh.count));

        // Every tag counted starts at a "<" that the scan reached.
        const size_t scanned = profile->readsAsHtml() ? size : strnlen(document.text, size);
        long long lessThans = 0;
        for (size_t i = 0; i < scanned; ++i) lessThans += document.text[i] == '<';

        long long total = 0;
        std::vector<CensusLine> parsed;
        for (const std::string& line : lines.lines) {
            CensusLine entry = parseLine(line);
            FUZZ_REQUIRE(entry.name.size() <= static_cast<size_t>(profile->nameLength()), line);
            for (char c : entry.name) FUZZ_REQUIRE(!(c >= 'a' && c <= 'z'), line);
            FUZZ_REQUIRE(entry.description == profile->describe(entry.name.c_str()), line);
            total += entry.count;
            parsed.push_back(entry);
        }
        FUZZ_REQUIRE(total <= lessThans, std::to_string(total) + " tags from " + std::to_string(lessThans) + " <");
        for (size_t i = 1; i < parsed.size(); ++i) {
            const char* a = parsed[i - 1].name.c_str();
            const char* b = parsed[i].name.c_str();
            FUZZ_REQUIRE(compareTagNames(a, b) < 0 && compareTagNames(b, a) > 0, lines.lines[i]);
        }
        // The strict order above already rules out equal names; the pairwise look is kept
        // for small censuses, where it costs little.
        for (size_t i = 0; i < parsed.size() && parsed.size() <= 256; ++i) {
            for (size_t j = i + 1; j < parsed.size(); ++j)
                FUZZ_REQUIRE(!equalNoCase(parsed[i].name.c_str(), parsed[j].name.c_str()), parsed[j].name);
        }

        MemoryResultList again;
        countTags(document, reused, again, *profile);
        FUZZ_REQUIRE(again.lines == lines.lines && reused.count == fresh.count,
                     "a reused census gives other lines than a fresh one");
    }
    FUZZ_REQUIRE(size == 0 || memcmp(document.text, data, size) == 0, "the census wrote into the text");
    return 0;
}
