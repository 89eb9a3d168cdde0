// The 1990s reading of a tag's name (readTagWord) over arbitrary tag text and name lengths,
// and the lookups that take the name it reads: find, describe, hasAttribute, attributeText.
//
// Input: one byte for the size of the name buffer (1 to 32) and the profile (html5 when
// its bit 0x20 is set), the rest is the tag text.
// Every buffer is allocated at its exact size so that AddressSanitizer sees any byte
// written or read beyond it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document.h"
#include "fuzz_document.h"
#include "tag_profile.h"
#include "text.h"

namespace {

bool stopsName(char c) { return c == '\0' || c == '>' || c == ' ' || c == '\n' || c == '\r'; }

// hasAttribute, said the simple way: a listed name equal to the word, or a listed
// pattern whose part before the "*" begins it and is shorter.
bool listedIn(const std::vector<std::string>& listed, const std::string& word) {
    for (const std::string& a : listed) {
        if (!a.empty() && a.back() == '*') {
            std::string stem = a.substr(0, a.size() - 1);
            if (word.size() > stem.size() && equalNoCase(stem.c_str(), word.substr(0, stem.size()).c_str())) return true;
        } else if (equalNoCase(a.c_str(), word.c_str())) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = text.find_first_not_of(' ', at)) != std::string::npos) {
        size_t end = text.find(' ', at);
        out.push_back(text.substr(at, end - at));
        at = end;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int nameSize = 1 + data[0] % 32;
    // The text after one "<", with a "<" put in front when it has none.
    const bool hasLessThan = size > 1 && data[1] == '<';
    std::unique_ptr<char[]> text(new char[size + 1]);
    text[0] = '<';
    memcpy(text.get() + 1, data + 1 + hasLessThan, size - 1 - hasLessThan);
    text[size - hasLessThan] = '\0';
    std::unique_ptr<char[]> name(new char[nameSize]);

    static const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    const bool modern = (data[0] & 0x20) != 0;
    const TagProfile& profile = modern ? *html5 : TagProfile::html32();
    readTagWord(text.get(), name.get(), nameSize - 1);
    const std::string read(name.get());
    const int row = profile.find(read.c_str());

    // The name is a prefix of the text after one "<", cut where the reading rules cut it.
    const char* after = text.get() + 1;
    FUZZ_REQUIRE(read.size() <= static_cast<size_t>(nameSize - 1), read);
    FUZZ_REQUIRE(strncmp(after, read.c_str(), read.size()) == 0, read);
    for (char c : read) FUZZ_REQUIRE(!stopsName(c), read);
    const bool commentOpener = read.size() >= 2 && read.compare(read.size() - 2, 2, "!-") == 0;
    if (read.size() < static_cast<size_t>(nameSize - 1) && !commentOpener)
        FUZZ_REQUIRE(stopsName(after[read.size()]), read);
    // Only the last two characters can be "!-": reading stops right after them.
    FUZZ_REQUIRE(read.find("!-") == std::string::npos || commentOpener, read);

    // The row found is the one of that name, and only a known name finds one.
    FUZZ_REQUIRE(row >= -1 && row < profile.rowCount(), std::to_string(row));
    if (row >= 0) {
        const TagEntry& entry = profile.row(row);
        FUZZ_REQUIRE(equalNoCase(entry.name, read.c_str()), read);
        FUZZ_REQUIRE(strcmp(profile.describe(read.c_str()), entry.description) == 0, read);
        const std::vector<std::string> own = words(profile.attributeText(row));
        const std::vector<std::string> everyTag = words(profile.globalAttributeText());
        // Every word of the tag's text is looked up as an attribute of its row.
        std::string word;
        for (const char* p = after;; ++p) {
            if (*p == '\0' || *p == ' ' || *p == '=' || *p == '>') {
                if (!word.empty()) {
                    bool accepted = profile.hasAttribute(word.c_str(), row);
                    // A tag that takes any attribute (embed) takes every name without a namespace.
                    const bool any = entry.name[0] != '/' && profile.attributeRules(row).anyAttributes &&
                                     word.find(':') == std::string::npos;
                    FUZZ_REQUIRE(accepted == (listedIn(own, word) || listedIn(everyTag, word) || any), word);
                }
                word.clear();
                if (*p == '\0') break;
            } else {
                word += *p;
            }
        }
    } else {
        const bool custom = profile.isCustomElement(read[0] == '/' ? read.c_str() + 1 : read.c_str());
        FUZZ_REQUIRE((profile.describe(read.c_str())[0] == '\0') != custom, read);
    }
    return 0;
}
