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
    EXPECT_EQ(KnownTagTable[5].attributes, KnownTagTable[9].attributes);
    EXPECT_EQ(KnownTagTable[35].attributes, KnownTagTable[93].attributes);
}

}  // namespace
