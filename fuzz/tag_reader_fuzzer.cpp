// The tag reader over a whole document: every "<" is read with readTagWord and
// startsWithTagName, collected with collectTag, its attributes walked with
// readAttributeName and attributeEnd, SCRIPT and PRE bodies skipped with
// skipToClosingTag and SVG bodies with skipToMatchingClosingTag, checking after each step
// where the cursor and the line counter stand.
//
// Input: one control byte (whether bodies are skipped), then the document.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_document.h"
#include "result_lines.h"

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// startsWithTagName, said the simple way: the name's letters, case ignored, begin the text.
bool beginsWithName(const char* text, const char* name) {
    size_t k = strlen(name);
    for (size_t i = 0; i < k; ++i) {
        if (text[i] == '\0' || upper(text[i]) != name[i]) return false;
    }
    return true;
}

// The line feeds between the start of the text and the cursor, counted as the cursor
// moves, so that checking after every step costs one pass over the text.
class LineFeedCount {
public:
    explicit LineFeedCount(const char* text) : at_(text) {}
    int32_t upTo(const char* cursor, const char* step) {
        FUZZ_REQUIRE(cursor >= at_, std::string(step) + " moved the cursor back");
        count_ += lineFeedsBetween(at_, cursor);
        at_ = cursor;
        return count_;
    }

private:
    const char* at_;
    int32_t count_ = 0;
};

// The line counter always equals the line feeds between the start and the cursor, and
// the cursor never leaves the text and its two zero bytes.
void requireScanState(const Document& document, LineFeedCount& lineFeeds, const char* step) {
    FUZZ_REQUIRE(document.cursor >= document.text && document.cursor <= document.end + 1, step);
    FUZZ_REQUIRE(document.line == lineFeeds.upTo(document.cursor, step), step);
}

// Walks the attributes of collected tag text as the check does, with exact-size buffers.
void walkAttributes(const char* tag) {
    const char* const terminator = tag + strlen(tag);
    const char* p = tag + 1;
    size_t steps = 0;
    while (*p != '>' && *p != '\0') {
        std::unique_ptr<char[]> name(new char[19]);
        const char* stop = readAttributeName(p, name.get(), 18);
        FUZZ_REQUIRE(stop >= p && stop <= terminator, "readAttributeName left the tag");
        FUZZ_REQUIRE(strlen(name.get()) <= 18, name.get());
        const char* next = attributeEnd(stop);
        FUZZ_REQUIRE(next >= stop && next <= terminator, "attributeEnd left the tag");
        FUZZ_REQUIRE(*next == '>' || *next == '\0' || *next == ' ', "attributeEnd stopped early");
        if (*next == ' ') ++next;
        FUZZ_REQUIRE(next > p || *next == '>' || *next == '\0', "the attribute walk does not advance");
        p = next;
        FUZZ_REQUIRE(++steps <= strlen(tag) + 1, "the attribute walk does not end");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool skipBodies = (data[0] & 0x10) != 0;
    static Document document;  // one for the run, as in the program: the TagBuffer only grows
    loadFuzzedDocument(document, data + 1, size - 1);

    document.resetScan();
    LineFeedCount lineFeeds(document.text);
    while (document.cursor < document.end && *document.cursor != '\0') {
        if (*document.cursor != '<') {
            if (*document.cursor == '\n') ++document.line;
            ++document.cursor;
            continue;
        }
        std::unique_ptr<char[]> word(new char[19]);
        const bool comment = readTagWord(document.cursor, word.get(), 18);
        const size_t wordLength = strlen(word.get());
        FUZZ_REQUIRE(wordLength <= 18, word.get());
        FUZZ_REQUIRE(strncmp(document.cursor + 1, word.get(), wordLength) == 0, word.get());
        FUZZ_REQUIRE(!comment || (wordLength >= 2 && strcmp(word.get() + wordLength - 2, "!-") == 0), word.get());
        for (const char* name : {"SCRIPT", "PRE", "/SCRIPT", "/PRE", "BLOCKQUOTE", "A"})
            FUZZ_REQUIRE(startsWithTagName(word.get(), name) == beginsWithName(word.get(), name), word.get());

        const char* const start = document.cursor;
        const int n = document.collectTag();
        requireScanState(document, lineFeeds, "collectTag");
        FUZZ_REQUIRE(document.cursor > start, "collectTag did not move");
        const char* tag = document.tagBuffer;
        const size_t stored = strlen(tag);
        FUZZ_REQUIRE(n >= 0 && stored >= static_cast<size_t>(n) && stored <= static_cast<size_t>(n) + 1,
                     std::to_string(n) + " " + std::to_string(stored));
        FUZZ_REQUIRE(tag[0] == '<', "tag text does not begin with <");
        FUZZ_REQUIRE(strpbrk(tag, "\n\r\t") == nullptr, "line break or tab in tag text");
        // A tag that ended at its ">" is n characters and the ">"; a cut one has no ">" at n.
        if (stored == static_cast<size_t>(n) + 1) FUZZ_REQUIRE(tag[n] == '>', tag);
        walkAttributes(tag);

        if (skipBodies && startsWithTagName(tag + 1, "SCRIPT")) {
            document.skipToClosingTag("/SCRIPT");
            requireScanState(document, lineFeeds, "skipToClosingTag");
            if (*document.cursor != '\0') {
                readTagWord(document.cursor, word.get(), 18);
                FUZZ_REQUIRE(*document.cursor == '<' && strlen(word.get()) == 7 && beginsWithName(word.get(), "/SCRIPT"),
                             word.get());
            }
        } else if (skipBodies && startsWithTagName(tag + 1, "PRE")) {
            document.skipToClosingTag("/PRE");
            requireScanState(document, lineFeeds, "skipToClosingTag");
        } else if (skipBodies && startsWithTagName(tag + 1, "SVG")) {
            document.skipToMatchingClosingTag("SVG", "/SVG");
            requireScanState(document, lineFeeds, "skipToMatchingClosingTag");
            if (*document.cursor != '\0') {
                readTagWord(document.cursor, word.get(), 18);
                FUZZ_REQUIRE(*document.cursor == '<' && strlen(word.get()) == 4 && beginsWithName(word.get(), "/SVG"),
                             word.get());
            }
        }
    }
    requireScanState(document, lineFeeds, "end of scan");

    // The LineLabel of the last line reached: at least four digits, the line + 1.
    std::unique_ptr<char[]> label(new char[12]);
    labelOfLine(document.line + 1, label.get());
    FUZZ_REQUIRE(isLineLabel(label.get()), label.get());
    FUZZ_REQUIRE(std::stoll(label.get()) == static_cast<long long>(document.line) + 1, label.get());
    return 0;
}
