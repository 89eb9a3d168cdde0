// findTag over arbitrary tag text and name-buffer sizes, and the lookups that take the
// name it reads: describeTag, hasAttribute, attributeText.
//
// Input: one byte for the size of the name buffer (1 to 32), the rest is the tag text.
// Every buffer is allocated at its exact size so that AddressSanitizer sees any byte
// written or read beyond it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_document.h"
#include "known_tags.h"
#include "no_case.h"

namespace {

bool stopsName(char c) { return c == '\0' || c == '>' || c == ' ' || c == '\n' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int nameSize = 1 + data[0] % 32;
    std::unique_ptr<char[]> text(new char[size]);
    memcpy(text.get(), data + 1, size - 1);
    text[size - 1] = '\0';
    std::unique_ptr<char[]> name(new char[nameSize]);

    const int row = findTag(text.get(), name.get(), nameSize);
    const std::string read(name.get());

    // The name is a prefix of the text after one "<", cut where the reading rules cut it.
    const char* after = text[0] == '<' ? text.get() + 1 : text.get();
    FUZZ_REQUIRE(read.size() <= static_cast<size_t>(nameSize - 1), read);
    FUZZ_REQUIRE(strncmp(after, read.c_str(), read.size()) == 0, read);
    for (char c : read) FUZZ_REQUIRE(!stopsName(c), read);
    const bool commentOpener = read.size() >= 2 && read.compare(read.size() - 2, 2, "!-") == 0;
    if (read.size() < static_cast<size_t>(nameSize - 1) && !commentOpener)
        FUZZ_REQUIRE(stopsName(after[read.size()]), read);
    // Only the last two characters can be "!-": reading stops right after them.
    FUZZ_REQUIRE(read.find("!-") == std::string::npos || commentOpener, read);

    // The row found is the one of that name, and only a known name finds one.
    FUZZ_REQUIRE(row >= -1 && row < KnownTagCount, std::to_string(row));
    FUZZ_REQUIRE(row == findKnownName(read.c_str()), read);
    if (row >= 0) {
        FUZZ_REQUIRE(equalNoCase(KnownTagTable[row].name, read.c_str()), read);
        FUZZ_REQUIRE(strcmp(describeTag(read.c_str()), KnownTagTable[row].description) == 0, read);
        // The longest attribute text is TABLE's, 98 characters and its NUL.
        std::unique_ptr<char[]> attributes(new char[99]);
        FUZZ_REQUIRE(attributeText(row, attributes.get()) == attributes.get(), read);
        // Every word of the tag's text is looked up as an attribute of its row.
        std::string word;
        for (const char* p = after;; ++p) {
            if (*p == '\0' || *p == ' ' || *p == '=' || *p == '>') {
                if (!word.empty()) {
                    bool accepted = hasAttribute(word.c_str(), row);
                    bool listed = false;
                    for (const char* const* a = KnownTagTable[row].attributes; **a; ++a)
                        listed = listed || equalNoCase(*a, word.c_str());
                    FUZZ_REQUIRE(accepted == listed, word);
                }
                word.clear();
                if (*p == '\0') break;
            } else {
                word += *p;
            }
        }
    } else {
        FUZZ_REQUIRE(describeTag(read.c_str())[0] == '\0', read);
    }
    return 0;
}
