#include "tag_listing.h"

#include <gtest/gtest.h>

#include <string>

#include "test_documents.h"

namespace {

struct Listing {
    Lines lines;
    int longest;
    std::string summary;
};

Listing list(const std::string& bytes, const char* filter, const TagProfile& profile = TagProfile::html32()) {
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    MemoryResultList lines;
    int longest = listTagLines(d.document, filter, lines, profile);
    return {lines.lines, longest, longestSummary(longest)};
}

struct ListingCase {
    const char* what;
    std::string document;
    const char* filter;
    Lines lines;
    int longest;
};

TEST(ListTags, ListsTagsWithTheLabelOfTheLineTheyBeginOn) {
    const ListingCase cases[] = {
        {"every tag", "<P>one\n<B>two</B>", "", {"0001  <P>", "0002  <B>", "0002  </B>"}, 3},
        {"a tag over three lines", "<A\nhref=x\n>\n<B>", "", {"0001  <A href=x >", "0004  <B>"}, 10},
        {"CR LF counts once, CR alone never", "\r\n<B>\r\r<I>\r\n\r\n<U>", "",
         {"0002  <B>", "0002  <I>", "0004  <U>"}, 2},
        {"one tag, open and close, any case", "<a href=\"x.htm\">x</A>\n<b></b><A name=y>", "A",
         {"0001  <a href=\"x.htm\">", "0001  </A>", "0002  <A name=y>"}, 15},
        {"filter given with a slash", "<b>x</b>", "/B", {}, 3},
        {"b lists b and B", "<b><B></b></B><br>", "b", {"0001  <b>", "0001  <B>", "0001  </b>", "0001  </B>"}, 3},
        {"longest counts every tag, listed or not", "<B><TABLE border=1 width=2>", "b", {"0001  <B>"}, 23},
        {"name nowhere", "<B><I>", "U", {}, 2},
        {"every comment on !-", "<!-- a > b -->x<!->", "!-", {"0001  <!-- a > b -->", "0001  <!->"}, 13},
        {"doctype", "<!DOCTYPE html>\n<HTML>", "!DOCTYPE", {"0001  <!DOCTYPE html>"}, 14},
        {"script body skipped, its lines counted", "<SCRIPT>\na<b\n</SCRIPT>\n<i>", "",
         {"0001  <SCRIPT>", "0003  </SCRIPT>", "0004  <i>"}, 8},
        {"pre body skipped", "<pre>\n<b>\n</PRE><i>", "", {"0001  <pre>", "0003  </PRE>", "0003  <i>"}, 5},
        {"unclosed pre is the last tag", "<b><PRE><i>\n<u>", "", {"0001  <b>", "0001  <PRE>"}, 4},
        {"tag cut off by the end", "<b>\n<a href=\"x", "", {"0001  <b>", "0002  <a href=\"x"}, 10},
        {"tabs become spaces", "<a\thref=x>", "", {"0001  <a href=x>"}, 9},
        {"no tags", "plain text", "", {}, 0},
    };
    for (const ListingCase& c : cases) {
        Listing got = list(c.document, c.filter);
        EXPECT_EQ(got.lines, c.lines) << c.what;
        EXPECT_EQ(got.longest, c.longest) << c.what;
        EXPECT_EQ(got.summary, "Longest: " + std::to_string(c.longest)) << c.what;
    }
}

TEST(ListTags, LabelsHaveFiveDigitsFromLineTenThousandOn) {
    std::string document(9998, '\n');
    document += "<B>\n<I>\n<U>";
    Listing got = list(document, "");
    EXPECT_EQ(got.lines, (Lines{"9999  <B>", "10000  <I>", "10001  <U>"}));
}

TEST(ListTags, ListsATagLongerThanTheBufferWhole) {
    std::string tag = "<A href=\"" + std::string(100000, 'x') + ".htm\">";
    Listing got = list("\n" + tag + "<B>", "");
    ASSERT_EQ(got.lines.size(), 2u);
    EXPECT_EQ(got.lines[0], "0002  " + tag);
    EXPECT_EQ(got.lines[1], "0002  <B>");
    EXPECT_EQ(got.longest, static_cast<int>(tag.size()) - 1);
}

TEST(ListTags, SkipsTheBodiesEachProfileSkips) {
    const auto html5 = TagProfile::make("html5");
    const std::string page = "<svg><path/></svg><pre><b></b></pre><br/>";
    EXPECT_EQ(list(page, "").lines, (Lines{"0001  <svg>", "0001  <path/>", "0001  </svg>", "0001  <pre>",
                                           "0001  </pre>", "0001  <br/>"}));
    EXPECT_EQ(list(page, "", *html5).lines,
              (Lines{"0001  <svg>", "0001  </svg>", "0001  <pre>", "0001  <b>", "0001  </b>", "0001  </pre>",
                     "0001  <br/>"}));
    EXPECT_EQ(list(page, "br").lines, Lines{});
    EXPECT_EQ(list(page, "br", *html5).lines, Lines{"0001  <br/>"});
}

TEST(TagFilterOfLine, TakesTheFirstFieldWithoutOneLeadingSlash) {
    EXPECT_EQ(tagFilterOf("/A\t2\tAnchor end"), "A");
    EXPECT_EQ(tagFilterOf("TABLE\tTable\talign width "), "TABLE");
    EXPECT_EQ(tagFilterOf("//X\t1\t"), "/X");
    EXPECT_EQ(tagFilterOf("/\t1\t"), "");
    EXPECT_EQ(tagFilterOf("\t3\t"), "");
    EXPECT_EQ(tagFilterOf("td"), "td");
}

}  // namespace
