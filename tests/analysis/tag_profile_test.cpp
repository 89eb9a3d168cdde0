#include "tag_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

const TagProfile& html32 = TagProfile::html32();

TEST(Html32Profile, IsTheKnownTagTableRowForRow) {
    ASSERT_EQ(html32.rowCount(), KnownTagCount);
    for (int i = 0; i < KnownTagCount; ++i) {
        const TagEntry& row = html32.row(i);
        const TagEntry& table = KnownTagTable[i];
        SCOPED_TRACE(table.name);
        EXPECT_STREQ(row.name, table.name);
        EXPECT_STREQ(row.description, table.description);
        EXPECT_EQ(row.kind, table.kind);
        int a = 0;
        for (; table.attributes[a][0]; ++a) EXPECT_STREQ(row.attributes[a], table.attributes[a]);
        EXPECT_STREQ(row.attributes[a], "");
    }
    EXPECT_EQ(html32.commentRow(), 0);
    EXPECT_EQ(html32.globalAttributeText(), "");
}

struct FindCase {
    const char* text;
    int row;
    const char* nameRead;
};

TEST(FindTag, ReadsTheNameAndFindsItsRow) {
    const FindCase cases[] = {
        {"<td>", 5, "td"},
        {"<TD>", 5, "TD"},
        {"<Td>", 5, "Td"},
        {"</tr>", 8, "/tr"},
        {"<TD align=left>", 5, "TD"},
        {"<!-- a comment -->", 0, "!-"},
        {"<!- one dash ->", 0, "!-"},
        {"<!->", 0, "!-"},
        {"<!--x>y-->", 0, "!-"},
        {"<!DOCTYPE HTML PUBLIC>", 126, "!DOCTYPE"},
        {"<!doctype html>", 126, "!doctype"},
        {"<br/>", -1, "br/"},
        {"<TD\n>", 5, "TD"},
        {"<TD\r>", 5, "TD"},
        {"<abcdefghijklmnopqrstuvwxy>", -1, "abcdefghijklmnopqrs"},
        {"<>", -1, ""},
        {"<", -1, ""},
        {"TABLE>", 3, "TABLE"},
        {"<a!-b>", -1, "a!-"},
    };
    for (const FindCase& c : cases) {
        char name[20];
        EXPECT_EQ(html32.findTag(c.text, name, sizeof name), c.row) << c.text;
        EXPECT_STREQ(name, c.nameRead) << c.text;
    }
}

TEST(FindTag, NeverWritesMoreThanTheBufferHolds) {
    char name[6];
    memset(name, 'x', sizeof name);
    EXPECT_EQ(html32.findTag("<BLOCKQUOTE>", name, 5), -1);
    EXPECT_STREQ(name, "BLOC");
    EXPECT_EQ(name[5], 'x');
}

TEST(FindTag, FindsEveryRowByItsOwnNameInAnyCase) {
    for (int i = 0; i < KnownTagCount; ++i) {
        std::string text = std::string("<") + KnownTagTable[i].name + ">";
        char name[20];
        EXPECT_EQ(html32.findTag(text.c_str(), name, sizeof name), i) << text;
        for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(html32.findTag(text.c_str(), name, sizeof name), i) << text;
    }
}

TEST(HasAttribute, MatchesTheRowsListWithoutRegardToCase) {
    EXPECT_TRUE(html32.hasAttribute("HREF", 15));
    EXPECT_TRUE(html32.hasAttribute("src", 131));
    EXPECT_FALSE(html32.hasAttribute("align", 14));
    EXPECT_TRUE(html32.hasAttribute("BorderColorLight", 3));
    EXPECT_FALSE(html32.hasAttribute("", 3));
    EXPECT_FALSE(html32.hasAttribute("colour", 69));
    EXPECT_TRUE(html32.hasAttribute("http-equiv", 134));
}

TEST(AttributeText, ListsTheNamesEachFollowedByASpace) {
    EXPECT_EQ(html32.attributeText(7), "align valign ");
    EXPECT_EQ(html32.attributeText(14), "");
    EXPECT_EQ(html32.attributeText(15), "name href target rel rev title onclick ");
    EXPECT_EQ(html32.attributeText(3).size(), 98u);
    size_t longest = 0;
    for (int i = 0; i < KnownTagCount; ++i) longest = std::max(longest, html32.attributeText(i).size());
    EXPECT_EQ(longest, 98u);
}

TEST(Describe, GivesTheDescriptionOrTheEmptyText) {
    EXPECT_STREQ(html32.describe("p"), "Paragraph begin");
    EXPECT_STREQ(html32.describe("/blockquote"), "Block quote end");
    EXPECT_STREQ(html32.describe("SPAN"), "");
    EXPECT_STREQ(html32.describe("SIDEBAR"), "");
    EXPECT_STREQ(html32.describe(""), "");
    EXPECT_STREQ(html32.describe("!-"), "Comment");
}

}  // namespace
