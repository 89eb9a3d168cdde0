#include "line_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "page_links.h"
#include "tag_scanner.h"
#include "test_documents.h"
#include "text_document.h"

namespace {

// A place in one text as each reader of lines counts it: the scanner and the link reader
// (1-based, line feeds only, characters), the editor (0-based, every line break, UTF-16
// units and bytes; an offset inside a line break stands for the end of the line's text).
struct Place {
    size_t offset;
    int32_t line, column;
    uint32_t editorLine, utf16, utf8;
};

struct LineCase {
    const char* what;
    std::string text;
    std::vector<Place> places;  // in the order of the text
};

std::string shown(int64_t line, int64_t column) { return std::to_string(line) + ":" + std::to_string(column); }

TEST(LineIndex, EveryReaderCountsLinesAndColumnsItsWay) {
    const LineCase cases[] = {
        {"line feeds, no final one", "ab\ncd", {{0, 1, 1, 0, 0, 0}, {2, 1, 3, 0, 2, 2}, {3, 2, 1, 1, 0, 0}, {5, 2, 3, 1, 2, 2}}},
        {"a carriage return and a line feed", "ab\r\ncd", {{2, 1, 3, 0, 2, 2}, {3, 1, 4, 0, 2, 2}, {4, 2, 1, 1, 0, 0}}},
        {"a lone carriage return ends an editor's line only", "ab\rcd", {{2, 1, 3, 0, 2, 2}, {3, 1, 4, 1, 0, 0}, {5, 1, 6, 1, 2, 2}}},
        {"empty lines and the end", "\n\n", {{0, 1, 1, 0, 0, 0}, {1, 2, 1, 1, 0, 0}, {2, 3, 1, 2, 0, 0}}},
        // "é€😀x": a character inside the 4-byte one cut by the offset counts its bytes as
        // characters, but stands for its start in UTF-16 units.
        {"UTF-8", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80x", {{2, 1, 2, 0, 1, 2}, {7, 1, 5, 0, 2, 7}, {9, 1, 4, 0, 4, 9}, {10, 1, 5, 0, 5, 10}}},
        {"bytes that begin no character", "\xFF\xC3(\n\xE2\x82", {{2, 1, 3, 0, 2, 2}, {3, 1, 4, 0, 3, 3}, {6, 2, 3, 1, 2, 2}}},
        // Counted on from an ASCII place before, and from a place inside a character.
        {"UTF-8 after places on the line", "a\xC3\xA9" "b\xE2\x82\xAC" "c\nd\xC3\xA9",
         {{0, 1, 1, 0, 0, 0}, {3, 1, 3, 0, 2, 3}, {5, 1, 5, 0, 3, 5}, {7, 1, 5, 0, 4, 7}, {9, 2, 1, 1, 0, 0}, {12, 2, 3, 1, 2, 3}}},
        {"a long ASCII line then more", "0123456789abcdef\xC3\xA9z", {{9, 1, 10, 0, 9, 9}, {18, 1, 18, 0, 17, 18}, {19, 1, 19, 0, 18, 19}}},
    };
    const TagProfile& html32 = TagProfile::html32();
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        LoadedDocument d(c.text);
        ASSERT_TRUE(d.loaded);
        TagScanner scanner(d.document, *html5, TagsOnly);
        const TextDocument editor(c.text);
        // In order, then backwards: what each reader keeps of the last place never shows.
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < c.places.size(); ++i) {
                const Place& p = c.places[pass == 0 ? i : c.places.size() - 1 - i];
                SCOPED_TRACE(p.offset);
                const TextPosition at = scanner.positionOf(d.document.text + p.offset);
                EXPECT_EQ(shown(at.line, at.column), shown(p.line, p.column));
                const EditorPosition utf16 = editor.positionOf(p.offset, PositionEncoding::Utf16);
                const EditorPosition utf8 = editor.positionOf(p.offset, PositionEncoding::Utf8);
                EXPECT_EQ(shown(utf16.line, utf16.character), shown(p.editorLine, p.utf16));
                EXPECT_EQ(shown(utf8.line, utf8.character), shown(p.editorLine, p.utf8));
            }
        }
        for (const Place& p : c.places) {
            SCOPED_TRACE(p.offset);
            // A link written at the offset is placed at its value, 8 columns on.
            LoadedDocument linked(c.text.substr(0, p.offset) + "<a href=x>");
            PageLinks links;
            ASSERT_TRUE(readPageLinks(linked.document, links));
            ASSERT_EQ(links.references.size(), 1u);
            EXPECT_EQ(shown(links.references[0].line, links.references[0].column), shown(p.line, p.column + 8));
            // The 1990s reading counts the lines of a tag's "<" the same way.
            LoadedDocument old(c.text.substr(0, p.offset) + "<a>");
            TagScanner oldScanner(old.document, html32, Html32Check);
            ASSERT_TRUE(oldScanner.next());
            EXPECT_EQ(oldScanner.tag().line, p.line);
        }
    }
}

// The scanner places a byte as counting from its line's start would, in whatever order the
// places are asked for: after ASCII bytes and inside characters, across line feeds, on a
// line longer than the reach it counts on from, after a byte order mark.
TEST(LineIndex, TheScannerPlacesEveryByteInAnyOrder) {
    std::string line;
    for (int i = 0; i < 700; ++i) line += i % 7 == 0 ? "\xC3\xA9" : i % 11 == 0 ? "\xE2\x82" : i % 13 == 0 ? "\xFF" : "ab";
    const std::string text = "\xEF\xBB\xBF" + line + "\n\n" + line.substr(0, 90) + "\nx" + line;
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    LoadedDocument d(text);
    ASSERT_TRUE(d.loaded);
    const char* const start = d.document.text + 3;
    auto counted = [&](const char* p) {
        int32_t lineNumber = 1;
        const char* lineStart = start;
        for (const char* s = start; s < p; ++s) {
            if (*s == '\n') {
                ++lineNumber;
                lineStart = s + 1;
            }
        }
        return shown(lineNumber, columnOf(lineStart, p));
    };
    TagScanner scanner(d.document, *html5, TagsOnly);
    // Forward in steps of 1, 7 and 4099 bytes, then back and forth.
    for (const size_t step : {size_t{1}, size_t{7}, size_t{4099}}) {
        for (size_t offset = 3; offset <= text.size(); offset += step) {
            const char* p = d.document.text + offset;
            const TextPosition at = scanner.positionOf(p);
            ASSERT_EQ(shown(at.line, at.column), counted(p)) << "step " << step << ", offset " << offset;
        }
    }
    for (size_t i = 0, offset = 3; i < 2000; ++i, offset = 3 + (offset * 7919 + 13) % (text.size() - 3)) {
        const char* p = d.document.text + offset;
        const TextPosition at = scanner.positionOf(p);
        ASSERT_EQ(shown(at.line, at.column), counted(p)) << "offset " << offset;
    }
}

}  // namespace
