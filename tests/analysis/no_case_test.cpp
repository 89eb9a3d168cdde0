// The case-insensitive order must be the platform's: these cases were read off lstrcmpiA,
// and the Windows build runs them against it.
#include "no_case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

struct OrderCase {
    const char* a;
    const char* b;
    int expected;  // sign of compareNoCase(a, b)
};

TEST(CompareNoCase, AgreesWithThePlatformOrder) {
    const OrderCase cases[] = {
        {"a", "A", 0},          {"td", "TD", 0},       {"Td", "tD", 0},
        {"a", "B", -1},         {"B", "a", 1},         {"a1", "a", 1},
        {"1", "a", -1},         {"9", "A", -1},        {"_", "a", -1},
        {"/", "0", -1},         {"!", "/", -1},        {"~", "+", -1},
        {">", "0", -1},         {"a b", "ab", -1},     {"", "a", -1},
        {"", "/", -1},          {"/", "", 1},          {"A\tB", "AB", -1},
        {"A\tB", "A", 1},       {"a\tb", "a b", 1},    {"zz", "z-", 1},
        // The apostrophe and the hyphen weigh only when all else is equal.
        {"co-op", "coop", 1},   {"coop", "co-op", -1}, {"co-op", "c-oop", -1},
        {"a'b", "a-b", -1},     {"ab", "a-b", -1},     {"a-", "a", 1},
        {"-a", "a", 1},         {"-", "'", 1},         {"a--b", "a-b", 1},
        {"ab-", "a-b", -1},     {"'a", "a'", 1},       {"a-b-", "a--b", -1},
        {"-b", "a", 1},
        // Control characters weigh after everything else.
        {"A", "A\x01", -1},     {"\x01" "b", "a", 1},  {"a\x01", "a'", -1},
        {"\x02", "\x01\x01", 1}, {"\x01" "a", "a\x01", 1}, {"\x7f", "\x01", 1},
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(sign(compareNoCase(c.a, c.b)), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
        EXPECT_EQ(sign(compareNoCase(c.b, c.a)), -c.expected) << '"' << c.b << "\" vs \"" << c.a << '"';
    }
}

TEST(CompareNoCase, SortsPrintableAsciiAsThePlatformDoes) {
    std::vector<std::string> singles;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (c >= 'a' && c <= 'z') continue;  // equal to their capitals
        singles.push_back(std::string(1, c));
    }
    std::sort(singles.begin(), singles.end(),
              [](const std::string& a, const std::string& b) { return compareNoCase(a.c_str(), b.c_str()) < 0; });
    std::string order;
    for (const std::string& s : singles) order += s;
    EXPECT_EQ(order, "'- !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST(EqualNoCase, IgnoresOnlyLetterCase) {
    EXPECT_TRUE(equalNoCase("bordercolorlight", "BorderColorLight"));
    EXPECT_TRUE(equalNoCase("", ""));
    EXPECT_FALSE(equalNoCase("TD", "TD "));
    EXPECT_FALSE(equalNoCase("co-op", "coop"));
    EXPECT_FALSE(equalNoCase("@", "`"));  // 0x40 and 0x60 differ by 32 but are no letters
    EXPECT_FALSE(equalNoCase("[", "{"));
}

TEST(FoldedHash, IsTheSameForNamesThatDifferInCaseOnly) {
    size_t la = 0, lb = 0;
    EXPECT_EQ(foldedHash("blockquote", la), foldedHash("BlockQuote", lb));
    EXPECT_EQ(la, 10u);
    EXPECT_EQ(lb, 10u);
    EXPECT_TRUE(foldedEqual("abc", "ABC", 3));
    EXPECT_FALSE(foldedEqual("abc", "ABD", 3));
}

}  // namespace
