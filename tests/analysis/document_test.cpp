#include "document.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstring>
#include <memory>
#include <string>

#include "document_check.h"
#include "test_documents.h"

namespace {

using namespace std::string_literals;

TEST(DocumentLoad, ReadsTheWholeFileFollowedByTwoZeroBytes) {
    LoadedDocument d("<P>one\r\ntwo");
    ASSERT_TRUE(d.loaded);
    EXPECT_EQ(d.document.size, 11u);
    EXPECT_EQ(d.document.allocatedSize, 13u);
    EXPECT_EQ(std::string(d.document.text, d.document.size), "<P>one\r\ntwo");
    EXPECT_EQ(d.document.text[11], '\0');
    EXPECT_EQ(d.document.text[12], '\0');
    EXPECT_EQ(d.document.end, d.document.text + 11);
}

TEST(DocumentLoad, LoadsAnEmptyFile) {
    LoadedDocument d("");
    ASSERT_TRUE(d.loaded);
    EXPECT_EQ(d.document.size, 0u);
    EXPECT_TRUE(d.document.isLoaded());
    for (const bool countingLines : {true, false}) {
        d.document.resetScan();
        EXPECT_FALSE(d.document.advanceToTag(countingLines));
    }
}

TEST(DocumentLoad, FailsCleanlyAndHoldsNothing) {
    LoadedDocument d("<B>");
    ASSERT_TRUE(d.loaded);
    EXPECT_FALSE(d.document.load("/nonexistent/page.htm"));
    EXPECT_FALSE(d.document.isLoaded());
    EXPECT_EQ(d.document.text, nullptr);
    EXPECT_FALSE(d.document.load("/tmp"));  // a folder is no file
    EXPECT_FALSE(d.document.isLoaded());
    EXPECT_FALSE(d.document.load(""));
}

#ifndef _WIN32
TEST(DocumentLoad, RefusesAFileTooLargeForItsSizeFieldsWithoutReadingIt) {
    TempFile big("");
    // Sparse: no disk space is used, and the size alone must make the load fail.
    if (truncate(big.path(), int64_t{1} << 32) != 0) GTEST_SKIP() << "no sparse files here";
    Document document;
    EXPECT_FALSE(document.load(big.path()));
    EXPECT_FALSE(document.isLoaded());
    if (truncate(big.path(), (int64_t{1} << 31) - 1) != 0) GTEST_SKIP() << "no sparse files here";
    EXPECT_FALSE(document.load(big.path()));
}
#endif

// An editor's buffer: the bytes copied, two zero bytes after them, and checked as the same
// bytes read from a file are.
TEST(DocumentLoadText, HoldsACopyCheckedAsTheSameBytesReadFromAFile) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const std::string pages[] = {
        "",
        "\0"s,
        "<Sidebar>\n<td bogus=1>\n<table>",
        "<FONT\0x>\n<bogus>\0<td>\r\n<p class=\"a"s,
        "<!-- tagvetter-disable-next-line unknown-tag -->\n<bogus>\n<bogus><div>",
    };
    for (const std::string& page : pages) {
        Document fromMemory;
        std::string buffer = page;
        ASSERT_TRUE(fromMemory.loadText(buffer.data(), buffer.size())) << page;
        buffer.assign(buffer.size(), 'x');  // the text is the document's own
        EXPECT_EQ(std::string(fromMemory.text, fromMemory.size), page);
        EXPECT_EQ(fromMemory.allocatedSize, page.size() + 2);
        EXPECT_EQ(fromMemory.text[page.size()], '\0');
        EXPECT_EQ(fromMemory.text[page.size() + 1], '\0');
        EXPECT_EQ(fromMemory.end, fromMemory.text + page.size());
        LoadedDocument fromFile(page);
        ASSERT_TRUE(fromFile.loaded);
        for (const TagProfile* profile : {&TagProfile::html32(), static_cast<const TagProfile*>(html5.get())}) {
            MemoryResultList expected, got;
            checkLines(fromFile.document, expected, *profile);
            checkLines(fromMemory, got, *profile);
            EXPECT_EQ(got.lines, expected.lines) << page << " (" << profile->name() << ")";
        }
    }
}

TEST(DocumentLoadText, ReplacesTheTextHeldAndRefusesMoreThanAFileMayHold) {
    LoadedDocument d("<B>");
    ASSERT_TRUE(d.loaded);
    ASSERT_TRUE(d.document.loadText("<I>x", 4));
    EXPECT_EQ(std::string(d.document.text, d.document.size), "<I>x");
    // The size alone refuses it: nothing is read.
    const char small[] = "<B>";
    EXPECT_FALSE(d.document.loadText(small, LargestText + 1));
    EXPECT_FALSE(d.document.isLoaded());
    EXPECT_EQ(d.document.text, nullptr);
}

// Collects the tag at the first "<" of `bytes`.
struct Collected {
    std::string text;
    int length;
    int line;
    size_t cursorAfter;
};

Collected collectFirst(const std::string& bytes) {
    LoadedDocument d(bytes);
    Document& doc = d.document;
    doc.resetScan();
    doc.advanceToTag(true);
    int n = doc.collectTag();
    return {doc.tagBuffer, n, doc.line, static_cast<size_t>(doc.cursor - doc.text)};
}

TEST(CollectTag, CollectsOneTagAsTheListingsShowIt) {
    struct Case {
        std::string bytes;
        const char* text;
        int length;
        int line;
        size_t cursorAfter;
    } cases[] = {
        {"<B>x", "<B>", 2, 0, 3},
        {"<TD\nalign=left\n>", "<TD align=left >", 15, 2, 16},
        {"<TD\r\nalign=left>", "<TD align=left>", 14, 1, 16},
        {"<A\thref=x>", "<A href=x>", 9, 0, 10},
        {"<!-- a > b -->z", "<!-- a > b -->", 13, 0, 14},
        {"<!-x> y ->", "<!-x> y ->", 9, 0, 10},
        {"<!-x> no end", "<!-x> no end", 12, 0, 13},
        {"<A href=\"a>b\">", "<A href=\"a>", 10, 0, 11},
        {"<B", "<B", 2, 0, 3},
        {"<", "<", 1, 0, 2},
        {"<B\0C>"s, "<B", 2, 0, 3},
        {"<B-\r>", "<B->", 3, 0, 5},
    };
    for (const Case& c : cases) {
        Collected got = collectFirst(c.bytes);
        EXPECT_EQ(got.text, c.text) << c.bytes;
        EXPECT_EQ(got.length, c.length) << c.bytes;
        EXPECT_EQ(got.line, c.line) << c.bytes;
        EXPECT_EQ(got.cursorAfter, c.cursorAfter) << c.bytes;
    }
}

TEST(CollectTag, GrowsTheBufferForATagLongerThanItsCapacity) {
    // 400 characters before the ">", the "<" counted: one too many for the first buffer.
    std::string tag = "<" + std::string(399, 'x') + ">";
    LoadedDocument d(tag + "<" + std::string(398, 'y') + ">");
    Document& doc = d.document;
    doc.resetScan();
    doc.advanceToTag(true);
    EXPECT_EQ(doc.collectTag(), 400);
    EXPECT_EQ(doc.tagCapacity, 410);
    EXPECT_EQ(std::string(doc.tagBuffer), tag);
    // A shorter tag afterwards fits and the buffer stays as grown.
    doc.advanceToTag(true);
    EXPECT_EQ(doc.collectTag(), 399);
    EXPECT_EQ(doc.tagCapacity, 410);
}

TEST(CollectTag, FitsATagOfExactlyItsCapacityLessOne) {
    Collected got = collectFirst("<" + std::string(398, 'x') + ">");
    EXPECT_EQ(got.length, 399);
    LoadedDocument d("<" + std::string(398, 'x') + ">");
    d.document.resetScan();
    d.document.collectTag();
    EXPECT_EQ(d.document.tagCapacity, 400);
}

TEST(CollectTag, GrowsTheBufferForALongTag) {
    std::string tag = "<" + std::string(5000, 'z') + ">";
    LoadedDocument d(tag);
    Document& doc = d.document;
    doc.resetScan();
    EXPECT_EQ(doc.collectTag(), 5001);
    EXPECT_EQ(doc.tagCapacity, 5011);
    EXPECT_EQ(std::string(doc.tagBuffer), tag);
}

struct SkipCase {
    const char* bytes;     // the skip starts at the first byte
    const char* openName;  // for the matching skip; null for the first close tag
    const char* closeName;
    size_t stopsAt;        // offset of the "<" it stops on, or of the NUL at the end
    int lines;
};

TEST(SkipToClosingTag, StopsOnTheClosingTagOrAtTheEnd) {
    const SkipCase cases[] = {
        {"a<b>\n</SCRIPT>", nullptr, "/SCRIPT", 5, 1},
        {"x</script>", nullptr, "/SCRIPT", 1, 0},
        {"x</Script >", nullptr, "/SCRIPT", 1, 0},
        {"x</scripts>\n</script>", nullptr, "/SCRIPT", 12, 1},
        {"x</script\t>\n", nullptr, "/SCRIPT", 12, 1},
        {"\n\nno closing tag", nullptr, "/SCRIPT", 16, 2},
        {"<pre> </pre>", nullptr, "/PRE", 6, 0},
        {"</PREVIEW></PRE>", nullptr, "/PRE", 10, 0},
        // A close name longer than the 18 characters of a tag word.
        {"</x-very-long-element-name-2></X-VERY-LONG-ELEMENT-NAME>", nullptr, "/X-VERY-LONG-ELEMENT-NAME", 29, 0},
        // The matching skip: nested open tags count, "<svg/>" does not.
        {"<svg><g/></svg>\n</svg>", "SVG", "/SVG", 16, 1},
        {"<svg/><SVG /></svg></svg>", "SVG", "/SVG", 13, 0},
        {"<svg>\n</svg>", "SVG", "/SVG", 12, 1},
    };
    for (const SkipCase& c : cases) {
        LoadedDocument d(c.bytes);
        Document& doc = d.document;
        doc.resetScan();
        if (c.openName) {
            doc.skipToMatchingClosingTag(c.openName, c.closeName);
        } else {
            doc.skipToClosingTag(c.closeName);
        }
        EXPECT_EQ(static_cast<size_t>(doc.cursor - doc.text), c.stopsAt) << c.bytes;
        EXPECT_EQ(doc.line, c.lines) << c.bytes;
    }
}

TEST(TagSelfCloses, LooksAtTheCharacterBeforeTheFirstGreaterThan) {
    EXPECT_TRUE(tagSelfCloses("<svg/>"));
    EXPECT_TRUE(tagSelfCloses("<svg a=\"1\" />x>"));
    EXPECT_FALSE(tagSelfCloses("<svg>/>"));
    EXPECT_FALSE(tagSelfCloses("<svg/"));
    EXPECT_FALSE(tagSelfCloses("</>") && tagSelfCloses("<>"));
}

TEST(ReadTagWord, ReadsAtMostEighteenCharactersAndSpotsComments) {
    struct Case {
        const char* text;
        const char* word;
        bool comment;
    } cases[] = {
        {"<TABLE border=1>", "TABLE", false},
        {"<abcdefghijklmnopqrstuvwxyzabcd>", "abcdefghijklmnopqr", false},
        {"<!-- x -->", "!-", true},
        {"<!->", "!-", true},
        {"<a!-b>", "a!-", true},
        {"<a\thref=x>", "a\thref=x", false},
        {"<br/>", "br/", false},
        {"<>", "", false},
        {"< B>", "", false},
        {"<\nB>", "", false},
        {"<", "", false},
        {"<TD\r>", "TD", false},
    };
    char longer[26];
    readTagWord("<abcdefghijklmnopqrstuvwxyzabcd>", longer, 25);
    EXPECT_STREQ(longer, "abcdefghijklmnopqrstuvwxy");
    for (const auto& c : cases) {
        char word[19];
        EXPECT_EQ(readTagWord(c.text, word, 18), c.comment) << c.text;
        EXPECT_STREQ(word, c.word) << c.text;
    }
}

TEST(StartsWithTagName, ComparesOnlyTheBeginning) {
    EXPECT_TRUE(startsWithTagName("SCRIPT", "SCRIPT"));
    EXPECT_TRUE(startsWithTagName("script", "SCRIPT"));
    EXPECT_TRUE(startsWithTagName("scripting", "SCRIPT"));
    EXPECT_TRUE(startsWithTagName("PREVIEW", "PRE"));
    EXPECT_FALSE(startsWithTagName("SCRIP", "SCRIPT"));
    EXPECT_FALSE(startsWithTagName("/SCRIPT", "SCRIPT"));
    EXPECT_FALSE(startsWithTagName("", "PRE"));
    EXPECT_TRUE(startsWithTagName("/pre>", "/PRE"));
}

TEST(ReadAttributeName, ReadsOneNameAndStopsWhereItEnds) {
    struct Case {
        const char* text;
        const char* name;
        size_t stop;
    } cases[] = {
        {"  border=1>", "border", 8},
        {"\"x\">", "", 0},
        {" >", "", 1},
        {"=1>", "", 0},
        {"nowrap>", "nowrap", 6},
        {"a\"b\">", "a", 1},
        {"abcdefghijklmnopqrstuv=1>", "abcdefghijklmnopqr", 18},
        {"  ", "", 2},
        {"href", "href", 4},
    };
    for (const auto& c : cases) {
        char name[19];
        const char* stop = readAttributeName(c.text, name, 18);
        EXPECT_STREQ(name, c.name) << c.text;
        EXPECT_EQ(static_cast<size_t>(stop - c.text), c.stop) << c.text;
    }
}

TEST(AttributeEnd, PassesOverValuesAndQuotedText) {
    struct Case {
        const char* text;
        size_t end;
    } cases[] = {
        {"=1 width=2>", 2},
        {"=\"a b\" width=2>", 6},
        {"=\"a>b\" x>", 3},
        {">", 0},
        {"=\"unclosed", 10},
        {"=1", 2},
        {"\"\" x>", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<size_t>(attributeEnd(c.text) - c.text), c.end) << c.text;
    }
}

TEST(LineLabel, PadsToFourDigits) {
    struct Case {
        int32_t line;
        const char* label;
    } cases[] = {{1, "0001"}, {42, "0042"}, {999, "0999"}, {9999, "9999"},
                 {10000, "10000"}, {12345, "12345"}, {2147483647, "2147483647"}};
    for (const auto& c : cases) {
        char label[12];
        labelOfLine(c.line, label);
        EXPECT_STREQ(label, c.label);
    }
}

TEST(TextHelpers, CopyAtMost) {
    char out[8];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(copyAtMost(out, "abcdef", 3), out + 3);
    EXPECT_EQ(std::string(out, 4), "abcx");  // no NUL after n characters
    EXPECT_EQ(copyAtMost(out, "ab", 5), out + 3);
    EXPECT_STREQ(out, "ab");
}

}  // namespace
