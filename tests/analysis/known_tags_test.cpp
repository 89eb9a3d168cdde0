#include "known_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "no_case.h"

namespace {

TEST(KnownTagTable, KeepsItsInvariants) {
    std::set<std::string> names;
    int pairs = 0, counted = 0, none = 0, strict = 0;
    for (int i = 0; i < KnownTagCount; ++i) {
        const TagEntry& row = KnownTagTable[i];
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(names.insert(row.name).second) << "duplicate name";
        EXPECT_LE(strlen(row.name), 11u);
        for (const char* p = row.name; *p; ++p) EXPECT_FALSE(*p >= 'a' && *p <= 'z');
        for (const char* const* a = row.attributes; **a; ++a) EXPECT_LE(strlen(*a), 16u);
        if (row.name[0] == '/') {
            ASSERT_GT(i, 0);
            EXPECT_STREQ(row.name + 1, KnownTagTable[i - 1].name) << "close row must follow its open row";
            EXPECT_EQ(row.kind, KnownTagTable[i - 1].kind);
            ++pairs;
        }
        counted += row.kind == PairCounted;
        none += row.kind == PairNone;
        strict += row.kind == PairStrict;
    }
    EXPECT_EQ(pairs, 59);
    EXPECT_EQ(counted, 14);
    EXPECT_EQ(none, 42);
    EXPECT_EQ(strict, 80);
}

TEST(KnownTagTable, HasItsFixedRowsWhereCodeLooksForThem) {
    const char* fixed[] = {"!-", "SCRIPT", "/SCRIPT", "TABLE", "/TABLE", "TD", "/TD",
                           "TR", "/TR", "TH", "/TH", "PRE", "/PRE"};
    for (int i = 0; i < 13; ++i) EXPECT_STREQ(KnownTagTable[i].name, fixed[i]);
    EXPECT_STREQ(KnownTagTable[126].name, "!DOCTYPE");
    EXPECT_STREQ(KnownTagTable[135].name, "OPTION");
    EXPECT_STREQ(KnownTagTable[134].description, "Meta information ( name/value pairs)");
    // Rows share attribute lists where the tags accept the same names.
    EXPECT_EQ(KnownTagTable[RowFirstCell].attributes, KnownTagTable[9].attributes);
    EXPECT_EQ(KnownTagTable[35].attributes, KnownTagTable[93].attributes);
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
        EXPECT_EQ(findTag(c.text, name, sizeof name), c.row) << c.text;
        EXPECT_STREQ(name, c.nameRead) << c.text;
    }
}

TEST(FindTag, NeverWritesMoreThanTheBufferHolds) {
    char name[6];
    memset(name, 'x', sizeof name);
    EXPECT_EQ(findTag("<BLOCKQUOTE>", name, 5), -1);
    EXPECT_STREQ(name, "BLOC");
    EXPECT_EQ(name[5], 'x');
}

TEST(FindTag, FindsEveryRowByItsOwnNameInAnyCase) {
    for (int i = 0; i < KnownTagCount; ++i) {
        std::string text = std::string("<") + KnownTagTable[i].name + ">";
        char name[20];
        EXPECT_EQ(findTag(text.c_str(), name, sizeof name), i) << text;
        for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(findTag(text.c_str(), name, sizeof name), i) << text;
    }
}

TEST(HasAttribute, MatchesTheRowsListWithoutRegardToCase) {
    EXPECT_TRUE(hasAttribute("HREF", 15));
    EXPECT_TRUE(hasAttribute("src", 131));
    EXPECT_FALSE(hasAttribute("align", 14));
    EXPECT_TRUE(hasAttribute("BorderColorLight", RowTable));
    EXPECT_FALSE(hasAttribute("", RowTable));
    EXPECT_FALSE(hasAttribute("colour", 69));
    EXPECT_TRUE(hasAttribute("http-equiv", 134));
}

TEST(AttributeText, ListsTheNamesEachFollowedByASpace) {
    char out[128];
    EXPECT_STREQ(attributeText(7, out), "align valign ");
    EXPECT_STREQ(attributeText(14, out), "");
    EXPECT_STREQ(attributeText(15, out), "name href target rel rev title onclick ");
    EXPECT_EQ(strlen(attributeText(RowTable, out)), 98u);
    size_t longest = 0;
    for (int i = 0; i < KnownTagCount; ++i) longest = std::max(longest, strlen(attributeText(i, out)));
    EXPECT_EQ(longest, 98u);
}

TEST(DescribeTag, GivesTheDescriptionOrTheEmptyText) {
    EXPECT_STREQ(describeTag("p"), "Paragraph begin");
    EXPECT_STREQ(describeTag("/blockquote"), "Block quote end");
    EXPECT_STREQ(describeTag("SPAN"), "");
    EXPECT_STREQ(describeTag("SIDEBAR"), "");
    EXPECT_STREQ(describeTag(""), "");
    EXPECT_STREQ(describeTag("!-"), "Comment");
}

}  // namespace
