// listTags over arbitrary documents, with the empty filter, a fuzzed filter and the name
// of the document's first tag: every line is a LineLabel, two spaces and tag text; labels
// never go back; a filtered listing is part of the full one and names its filter; every
// listing reports the same longest length, and it fits the longest line.
//
// Input: the filter (libFuzzer's random-length string: up to 20 bytes, ended by a
// backslash and one other byte), then the document.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_document.h"
#include "memory_lines.h"
#include "tag_listing.h"

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

struct Listing {
    std::vector<std::string> lines;
    int longest;
};

Listing list(Document& document, const std::string& filter) {
    MemoryResultList lines;
    int longest = listTagLines(document, filter.c_str(), lines, TagProfile::html32());
    return {lines.lines, longest};
}

// Splits "LineLabel, two spaces, tag" and checks the pieces; gives the tag.
std::string tagOf(const std::string& line, long long& lastLabel) {
    size_t space = line.find("  ");
    FUZZ_REQUIRE(space != std::string::npos && isLineLabel(line.substr(0, space)), line);
    long long label = std::stoll(line.substr(0, space));
    FUZZ_REQUIRE(label >= lastLabel && label >= 1, line);
    lastLabel = label;
    std::string tag = line.substr(space + 2);
    FUZZ_REQUIRE(!tag.empty() && tag[0] == '<', line);
    FUZZ_REQUIRE(tag.find_first_of("\t\n\r") == std::string::npos, line);
    return tag;
}

// True when `tag`, after its "<" and one "/", begins with `filter`, case ignored.
bool namesFilter(const std::string& tag, const std::string& filter) {
    size_t at = tag.size() > 1 && tag[1] == '/' ? 2 : 1;
    if (tag.size() < at + filter.size()) return false;
    for (size_t i = 0; i < filter.size(); ++i) {
        if (upper(tag[at + i]) != upper(filter[i])) return false;
    }
    return true;
}

// The filtered lines appear in the full listing in the same order.
bool isSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
    size_t at = 0;
    for (const std::string& line : part) {
        while (at < whole.size() && whole[at] != line) ++at;
        if (at == whole.size()) return false;
        ++at;
    }
    return true;
}

void requireFilteredListing(Document& document, const Listing& all, const std::string& filter) {
    Listing some = list(document, filter.c_str());
    FUZZ_REQUIRE(some.longest == all.longest, filter);
    FUZZ_REQUIRE(isSubsequence(some.lines, all.lines), filter);
    long long lastLabel = 0;
    for (const std::string& line : some.lines) {
        std::string tag = tagOf(line, lastLabel);
        FUZZ_REQUIRE(namesFilter(tag, filter), filter + " listed " + line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    // A NUL ends the filter as it ends any NUL-terminated name.
    std::string filter = provider.ConsumeRandomLengthString(20).c_str();
    std::vector<uint8_t> text = provider.ConsumeRemainingBytes<uint8_t>();
    static Document document;
    loadFuzzedDocument(document, text.data(), text.size());

    Listing all = list(document, "");
    // The scan counted exactly the line feeds it passed, skipped bodies included.
    FUZZ_REQUIRE(document.line == lineFeedsBetween(document.text, document.cursor), "line counter");
    long long lastLabel = 0;
    size_t longestStored = 0;
    std::string firstName;
    for (const std::string& line : all.lines) {
        std::string tag = tagOf(line, lastLabel);
        longestStored = std::max(longestStored, tag.size());
        if (firstName.empty()) {
            size_t at = tag.size() > 1 && tag[1] == '/' ? 2 : 1;
            firstName = tag.substr(at, tag.find_first_of(" >", at) - at).substr(0, 18);
        }
    }
    // The longest length leaves out a closing ">", which a cut tag does not have.
    FUZZ_REQUIRE(static_cast<size_t>(all.longest) <= longestStored && static_cast<size_t>(all.longest) + 1 >= longestStored,
                 std::to_string(all.longest) + " for a line of " + std::to_string(longestStored));
    FUZZ_REQUIRE(all.lines.empty() == (all.longest == 0), std::to_string(all.longest));

    if (!filter.empty()) requireFilteredListing(document, all, filter);
    if (!firstName.empty()) {
        requireFilteredListing(document, all, firstName);
        // A name written as it is found, a comment opener aside, lists at least that tag.
        if (firstName.find("!-") == std::string::npos)
            FUZZ_REQUIRE(!list(document, firstName).lines.empty(), firstName);
    }

    FUZZ_REQUIRE(text.empty() || memcmp(document.text, text.data(), text.size()) == 0, "the listing wrote into the text");
    return 0;
}
