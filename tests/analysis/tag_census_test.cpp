#include "tag_census.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_documents.h"

namespace {

struct Census {
    Lines lines;
    std::string summary;
};

Census census(const std::string& bytes, const TagProfile& profile = TagProfile::html32()) {
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    TagCensus tags;
    EXPECT_TRUE(tags.setUp());
    MemoryResultList list;
    countTags(d.document, tags, list, profile);
    return {list.lines, censusSummary(tags.count)};
}

TEST(CountTags, ListsTheDistinctTagsSortedWithCountsAndDescriptions) {
    Census c = census(
        "<html><head><title>T</title></head>\n"
        "<body><a href=\"x.htm\">x</a> <A name=y>y</a>\n"
        "<!-- note --><foo></body></html>\n");
    EXPECT_EQ(c.summary, "12 different tags");
    EXPECT_EQ(c.lines, (Lines{"!-\t1\tComment", "A\t2\tAnchor (link)", "/A\t2\tAnchor end",
                              "BODY\t1\tBody of the document", "/BODY\t1\tBody end", "FOO\t1\t",
                              "HEAD\t1\tDescriptive info, such as title", "/HEAD\t1\tDescriptive info end",
                              "HTML\t1\tBeginning of file", "/HTML\t1\tEnd of file",
                              "TITLE\t1\tTitle of document", "/TITLE\t1\tTitle end"}));
}

struct CensusCase {
    const char* what;
    std::string document;
    Lines lines;
};

TEST(CountTags, ReadsAndDescribesTheWordsAsTheHtml5ProfileDoes) {
    const auto html5 = TagProfile::make("html5");
    Census c = census("<br/><BR><svg><path d=1/></svg><svg/><b>\n<my-el></my-el><script>a<b</script><pre><i></i></pre>",
                      *html5);
    EXPECT_EQ(c.summary, "12 different tags");
    EXPECT_EQ(c.lines, (Lines{"B\t1\tBold (keywords)", "BR\t2\tLine break", "I\t1\tItalic (alternate voice)",
                              "/I\t1\tEnd of italic (alternate voice)", "MY-EL\t1\tCustom element",
                              "/MY-EL\t1\tCustom element end", "PRE\t1\tPreformatted text",
                              "/PRE\t1\tEnd of preformatted text", "SCRIPT\t1\tScript", "/SCRIPT\t1\tEnd of script",
                              "SVG\t2\tSVG drawing", "/SVG\t1\tEnd of SVG drawing"}));
    // Names longer than a census entry holds are read as far as it holds, so each is
    // counted once, close tags too.
    const std::string longName(90, 'x');
    Census cut = census("<" + longName + "></" + longName + "><" + longName + ">", *html5);
    EXPECT_EQ(cut.lines, (Lines{"/" + std::string(78, 'X') + "\t1\t", std::string(79, 'X') + "\t2\t"}));
}

TEST(CountTags, CutsAndCountsWordsAsTheTagReaderReadsThem) {
    const CensusCase cases[] = {
        {"case is ignored", "<b><B>", {"B\t2\tBold"}},
        {"first spelling capitalised", "<Table><TABLE>", {"TABLE\t2\tTable"}},
        {"bytes above 127 kept", "<t\xe9st>", {"T\xe9ST\t1\t"}},
        {"attributes are not part of the word", "<a href=x>", {"A\t1\tAnchor (link)"}},
        {"br/ is its own word", "<br/>", {"BR/\t1\t"}},
        {"25 letters cut to 18", "<abcdefghijklmnopqrstuvwxy>", {"ABCDEFGHIJKLMNOPQR\t1\t"}},
        {"a tab does not end a word", "<a\thref=\"x.htm\">", {"A\tHREF=\"X.HTM\"\t1\t"}},
        {"empty words", "<>< x><\n>", {"\t3\t"}},
        {"lone slash comes right before the empty word", "</><>", {"/\t1\t", "\t1\t"}},
        {"comments count as !- and hide their tags", "<!-- <b> > <i> --><!DOCTYPE html>",
         {"!-\t1\tComment", "!DOCTYPE\t1\tHTML 3.2 document"}},
        {"quoted > ends the tag", "<img alt=\"a>b\" x=\"<i>\">", {"I\t1\tItalic", "IMG\t1\tDisplay image"}},
        {"script and pre bodies skipped", "<script>a<b</script><PRE><i></pre>",
         {"PRE\t1\tPreformatted text (as is)", "/PRE\t1\tPreformatted text end",
          "SCRIPT\t1\tScript language", "/SCRIPT\t1\tScript language end"}},
        {"words that begin with SCRIPT or PRE skip too", "<scripts><b></script><preview><i></pre>",
         {"/PRE\t1\tPreformatted text end", "PREVIEW\t1\t", "/SCRIPT\t1\tScript language end", "SCRIPTS\t1\t"}},
        {"unclosed script ends the census", "<b><script><i><u>", {"B\t1\tBold", "SCRIPT\t1\tScript language"}},
        {"NUL ends the scan", std::string("<b>\0<i>", 7), {"B\t1\tBold"}},
        {"order of names", "<head><h1><a></a><!DOCTYPE><!--x-->",
         {"!-\t1\tComment", "!DOCTYPE\t1\tHTML 3.2 document", "A\t1\tAnchor (link)", "/A\t1\tAnchor end",
          "H1\t1\tHeading, large", "HEAD\t1\tDescriptive info, such as title"}},
        {"words met again, some as long as the reader keeps apart at once",
         "<abcdefghijklmnop><abcdefghijklmnopq><ABCDEFGHIJKLMNOP><abcdefghijklmnopr><abcdefghijklmnopq><ab><abc><AB>",
         {"AB\t2\t", "ABC\t1\t", "ABCDEFGHIJKLMNOP\t2\t", "ABCDEFGHIJKLMNOPQ\t2\t", "ABCDEFGHIJKLMNOPR\t1\t"}},
        {"no tags", "just text > here", {}},
    };
    for (const CensusCase& c : cases) {
        EXPECT_EQ(census(c.document).lines, c.lines) << c.what;
    }
    EXPECT_EQ(census("no tags").summary, "0 different tags");
}

TEST(CountTags, CountsEveryDistinctWordBeyondTheFirstHundred) {
    std::string document;
    for (int i = 0; i < 1000; ++i) document += "<w" + std::to_string(i) + "><W" + std::to_string(i) + ">";
    Census c = census(document);
    EXPECT_EQ(c.summary, "1000 different tags");
    ASSERT_EQ(c.lines.size(), 1000u);
    for (const std::string& line : c.lines) EXPECT_EQ(line.substr(line.find('\t')), "\t2\t") << line;
    EXPECT_TRUE(std::is_sorted(c.lines.begin(), c.lines.end(), [](const std::string& a, const std::string& b) {
        return compareTagNames(a.substr(0, a.find('\t')).c_str(), b.substr(0, b.find('\t')).c_str()) < 0;
    }));
}

TEST(CountTags, ASecondCensusShowsOnlyItsOwnDocument) {
    TagCensus tags;
    ASSERT_TRUE(tags.setUp());
    MemoryResultList list;
    LoadedDocument first("<b><i><u>");
    countTags(first.document, tags, list, TagProfile::html32());
    LoadedDocument second("<i><i>");
    list.lines.clear();
    countTags(second.document, tags, list, TagProfile::html32());
    EXPECT_EQ(list.lines, (Lines{"I\t2\tItalic"}));
    EXPECT_EQ(censusSummary(tags.count), "1 different tags");
}

TEST(RecordTag, CountsEqualWordsUnderTheFirstSpelling) {
    TagCensus tags;
    ASSERT_TRUE(tags.setUp());
    for (const char* word : {"td", "TD", "", "Td", "tr", ""}) recordTag(tags, word);
    ASSERT_EQ(tags.count, 3);
    EXPECT_STREQ(tags.entries[0].name, "TD");
    EXPECT_EQ(tags.entries[0].count, 3);
    EXPECT_STREQ(tags.entries[1].name, "");
    EXPECT_EQ(tags.entries[1].count, 2);
    resetCensus(tags);
    recordTag(tags, "tr");
    EXPECT_EQ(tags.count, 1);
    EXPECT_EQ(tags.entries[0].count, 1);
}

TEST(CompareTagNames, PutsATagRightBeforeItsClosingTag) {
    struct Case {
        const char* a;
        const char* b;
    } firstBeforeSecond[] = {
        {"A", "/A"},        {"/A", "ABBR"},  {"TD", "/TD"},    {"H1", "HEAD"},   {"!-", "!DOCTYPE"},
        {"!DOCTYPE", "A"},  {"/", ""},       {"", "!-"},       {"EM", "/EM"},    {"/EM", "EMBED"},
        {"a", "/A"},        {"//A", "A"},     {"9", "A"},       {"FRAME", "FRAMESET"},
    };
    for (const Case& c : firstBeforeSecond) {
        EXPECT_LT(compareTagNames(c.a, c.b), 0) << c.a << " before " << c.b;
        EXPECT_GT(compareTagNames(c.b, c.a), 0) << c.b << " after " << c.a;
    }
    EXPECT_NE(compareTagNames("A", "A"), 0);
}

}  // namespace
