// Edits and positions in both units: ASCII, characters of 2, 3 and 4 bytes, bytes that
// aren't UTF-8, and every kind of line end.
#include <gtest/gtest.h>

#include "text_document.h"

namespace {

#define E_ACUTE "\xc3\xa9"          // 2 bytes, 1 UTF-16 unit
#define EURO "\xe2\x82\xac"         // 3 bytes, 1 unit
#define GRINNING "\xf0\x9f\x98\x80"  // 4 bytes, 2 units

struct Edit {
    uint32_t startLine, startCharacter, endLine, endCharacter;
    const char* text;
};

struct EditCase {
    const char* name;
    const char* text;
    PositionEncoding encoding;
    std::vector<Edit> edits;  // applied in order
    const char* expected;
    size_t lines;
};

constexpr PositionEncoding U16 = PositionEncoding::Utf16;
constexpr PositionEncoding U8 = PositionEncoding::Utf8;

const EditCase editCases[] = {
    {"ASCII insertion", "<p>hello</p>", U16, {{0, 3, 0, 3, "X"}}, "<p>Xhello</p>", 1},
    {"deletion across lines", "ab\ncd\nef", U16, {{0, 1, 2, 1, ""}}, "af", 1},
    {"after a 2-byte character, UTF-16", "caf" E_ACUTE "<b>", U16, {{0, 4, 0, 4, "!"}}, "caf" E_ACUTE "!<b>", 1},
    {"after a 2-byte character, UTF-8", "caf" E_ACUTE "<b>", U8, {{0, 5, 0, 5, "!"}}, "caf" E_ACUTE "!<b>", 1},
    {"3-byte characters, UTF-16", EURO EURO "x", U16, {{0, 1, 0, 2, "E"}}, EURO "Ex", 1},
    {"3-byte characters, UTF-8", EURO EURO "x", U8, {{0, 3, 0, 6, "E"}}, EURO "Ex", 1},
    {"4-byte character, UTF-16", "a" GRINNING "b", U16, {{0, 1, 0, 3, ""}}, "ab", 1},
    {"4-byte character, UTF-8", "a" GRINNING "b", U8, {{0, 1, 0, 5, ""}}, "ab", 1},
    {"inside a UTF-16 pair: the character's start", "a" GRINNING "b", U16, {{0, 2, 0, 2, "|"}},
     "a|" GRINNING "b", 1},
    {"CRLF lines", "one\r\ntwo\r\nthree", U16, {{1, 0, 1, 3, "2"}, {2, 0, 2, 0, "<"}}, "one\r\n2\r\n<three", 3},
    {"past a CRLF line's end: before its CR", "ab\r\ncd", U16, {{0, 99, 0, 99, "X"}}, "abX\r\ncd", 2},
    {"past the last line: the end", "ab", U16, {{5, 0, 5, 0, "!"}}, "ab!", 1},
    {"joining CRLF lines", "ab\r\ncd", U16, {{0, 2, 1, 0, ""}}, "abcd", 1},
    {"several changes in order", "abc", U16, {{0, 0, 0, 1, "X"}, {0, 1, 0, 1, "Y\n"}, {1, 0, 1, 1, ""}}, "XY\nc", 2},
    {"wide characters on a CRLF line, UTF-16", "x\r\n" GRINNING E_ACUTE EURO "z", U16, {{1, 2, 1, 4, ""}},
     "x\r\n" GRINNING "z", 2},
    {"wide characters on a CRLF line, UTF-8", "x\r\n" GRINNING E_ACUTE EURO "z", U8, {{1, 4, 1, 9, ""}},
     "x\r\n" GRINNING "z", 2},
    {"bytes that aren't UTF-8 count one each", "\xff\xe2\x82<a>", U16, {{0, 2, 0, 2, "X"}}, "\xff\xe2X\x82<a>", 1},
    {"lone CR ends a line", "a\rb", U16, {{1, 0, 1, 1, "B"}}, "a\rB", 2},
    {"an LF after a CR makes one line end", "a\r", U16, {{1, 0, 1, 0, "\nb"}}, "a\r\nb", 2},
    {"start after end: taken as the end", "abcd", U16, {{0, 3, 0, 1, "X"}}, "aXbcd", 1},
};

TEST(TextDocumentTest, IncrementalEditsInBothEncodings) {
    for (const EditCase& c : editCases) {
        SCOPED_TRACE(c.name);
        TextDocument document(c.text);
        for (const Edit& e : c.edits) {
            document.replace({e.startLine, e.startCharacter}, {e.endLine, e.endCharacter}, e.text, c.encoding);
        }
        EXPECT_EQ(document.text(), c.expected);
        EXPECT_EQ(document.lineCount(), c.lines);
        // The line index after the edits is the one a fresh document has.
        const TextDocument fresh(c.expected);
        ASSERT_EQ(fresh.lineCount(), document.lineCount());
        for (size_t line = 0; line < fresh.lineCount(); ++line)
            EXPECT_EQ(document.lineStart(line), fresh.lineStart(line));
    }
}

TEST(TextDocumentTest, OffsetsToPositionsAndBack) {
    // "a😀é\r\n€\n" and the byte offsets of each character's start.
    const TextDocument document("a" GRINNING E_ACUTE "\r\n" EURO "\n");
    struct Expected {
        size_t offset;
        uint32_t line, utf16, utf8;
    };
    const Expected table[] = {
        {0, 0, 0, 0}, {1, 0, 1, 1}, {5, 0, 3, 5}, {7, 0, 4, 7}, {9, 1, 0, 0}, {12, 1, 1, 3}, {13, 2, 0, 0},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.offset);
        const EditorPosition utf16 = document.positionOf(e.offset, U16);
        const EditorPosition utf8 = document.positionOf(e.offset, U8);
        EXPECT_EQ(utf16.line, e.line);
        EXPECT_EQ(utf16.character, e.utf16);
        EXPECT_EQ(utf8.line, e.line);
        EXPECT_EQ(utf8.character, e.utf8);
        EXPECT_EQ(document.offsetOf(utf16, U16), e.offset);
        EXPECT_EQ(document.offsetOf(utf8, U8), e.offset);
    }
    // Inside the CR LF: the end of the line's text. Inside the 4-byte character: its start.
    EXPECT_EQ(document.positionOf(8, U16).character, 4u);
    EXPECT_EQ(document.positionOf(3, U16).character, 1u);
}

}  // namespace
