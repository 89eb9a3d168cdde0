// The shared text helpers. The case-insensitive order must be the platform's: these
// cases were read off lstrcmpiA, and the Windows build runs them against it.
#include "text.h"

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

// Pairs of names through every case-insensitive helper: they must all agree on what
// counts as the same name, and never fold a byte other than A-Z and a-z.
struct FoldCase {
    std::string a, b;
    bool same;
};

TEST(NoCase, EveryHelperFoldsOnlyAsciiLetters) {
    const FoldCase cases[] = {
        {"bordercolorlight", "BorderColorLight", true},
        {"", "", true},
        {"TD", "TD ", false},
        {"co-op", "coop", false},
        {"@", "`", false},  // 0x40 and 0x60 differ by 32 but are no letters
        {"[", "{", false},
        {"z", "Z", true},
        {"caf\xe9", "CAF\xe9", true},
        {"caf\xe9", "caf\xc9", false},  // no folding from 0x80 on, whatever the locale
        {"\xff", "\xdf", false},
        {"", "a", false},
    };
    for (const FoldCase& c : cases) {
        SCOPED_TRACE("\"" + c.a + "\" vs \"" + c.b + "\"");
        EXPECT_EQ(equalBytesNoCase(c.a, c.b), c.same);
        EXPECT_EQ(startsWithNoCase(c.a + ".x", c.b), c.same);
        EXPECT_EQ(endsWithNoCase("x." + c.a, c.b), c.same);
        EXPECT_EQ(c.a.size() == c.b.size() && foldedEqual(c.a.data(), c.b.data(), c.a.size()), c.same);
        EXPECT_EQ(capitalised(c.a) == capitalised(c.b), c.same);
        EXPECT_EQ(lowerCased(c.a) == lowerCased(c.b), c.same);
        size_t la = 0, lb = 0;
        EXPECT_EQ(foldedHash(c.a.c_str(), la) == foldedHash(c.b.c_str(), lb), c.same);
        EXPECT_EQ(la, c.a.size());
        // On Windows the platform settles names beyond ASCII, and may find more equal.
        if (foldsExactly(c.a.c_str()) && foldsExactly(c.b.c_str())) {
            EXPECT_EQ(equalNoCase(c.a.c_str(), c.b.c_str()), c.same);
        }
        std::string upper = c.a, lower = c.a;
        upperCaseAscii(&upper[0]);
        lowerCaseAscii(&lower[0]);
        EXPECT_EQ(upper, capitalised(c.a));
        EXPECT_EQ(lower, lowerCased(c.a));
    }
    EXPECT_EQ(capitalised("abz{`@AZ\xe9\xff-09"), "ABZ{`@AZ\xe9\xff-09");
    EXPECT_EQ(lowerCased("HREF=Caf\xc9.HTM[@]"), "href=caf\xc9.htm[@]");
}

TEST(WhiteSpace, EachPredicateTakesExactlyItsBytes) {
    const std::string html(" \t\n\f\r"), blanks(" \t");
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool inHtml = html.find(c) != std::string::npos;
        EXPECT_EQ(isHtmlSpace(c), inHtml) << b;
        EXPECT_EQ(isTagSpace(c), inHtml || b == 0) << b;  // a NUL inside a tag too
        EXPECT_EQ(isBlank(c), blanks.find(c) != std::string::npos) << b;
    }
    EXPECT_EQ(blankTrimmed(" \t a b\t \t"), "a b");
    EXPECT_EQ(blankTrimmed("\f a \n"), "\f a \n");
    EXPECT_EQ(blankTrimmed(" \t"), "");
}

TEST(Hex, DigitsAndPercentEscapes) {
    const std::string digits("0123456789abcdef"), capitals("0123456789ABCDEF");
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const size_t small = digits.find(c), capital = capitals.find(c);
        const int expected = small != std::string::npos ? static_cast<int>(small)
                             : capital != std::string::npos ? static_cast<int>(capital) : -1;
        EXPECT_EQ(hexDigitValue(c), expected) << b;
    }
    const struct {
        std::string text, decoded;
        int first;  // percentEscapeAt(text, 0)
    } cases[] = {
        {"%41%62c", "Abc", 0x41}, {"a%41", "aA", -1},   {"%zz", "%zz", -1},       {"%4", "%4", -1},
        {"a%4", "a%4", -1},       {"%4g", "%4g", -1},   {"%", "%", -1},           {"", "", -1},
        {"%%41", "%A", -1},       {"%e9%C9", "\xe9\xc9", 0xE9}, {"%00", std::string(1, '\0'), 0},
        {"caf\xe9%20", "caf\xe9 ", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(percentDecoded(c.text), c.decoded) << c.text;
        EXPECT_EQ(percentEscapeAt(c.text, 0), c.first) << c.text;
    }
}

// Bytes through the length, the code point and the encoder.
TEST(Utf8, LengthsDecodingAndEncoding) {
    const struct {
        std::string bytes;
        size_t length;     // utf8CharacterLength; 0 for no well-formed character
        char32_t decoded;  // utf8CodePoint of a well-formed character
    } cases[] = {
        {"A", 1, 'A'},
        {"\xc3\xa9", 2, 0xE9},
        {"\xe2\x82\xac", 3, 0x20AC},
        {"\xf0\x9f\x98\x80", 4, 0x1F600},
        {"\xf4\x8f\xbf\xbf", 4, 0x10FFFF},
        {"\xc0\x80", 0, 0},          // overlong
        {"\xe0\x80\x80", 0, 0},      // overlong
        {"\xed\xa0\x80", 0, 0},      // surrogate
        {"\xf4\x90\x80\x80", 0, 0},  // past U+10FFFF
        {"\xe2\x28\xa1", 0, 0},      // no continuation
        {"\xf8\x88\x80\x80", 0, 0},
        {"\xe2\x82", 0, 0},          // cut short
        {"\xbf\xbf", 0, 0},          // continuation bytes
        {"\xf9\x80\x80\x80", 0, 0},
        {"\x80", 0, 0},
    };
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(utf8CharacterLength(bytes, c.bytes.size()), c.length) << c.bytes;
        if (c.length == 0) continue;
        EXPECT_EQ(utf8CodePoint(bytes, c.length), c.decoded) << c.bytes;
        std::string encoded;
        appendUtf8(c.decoded, encoded);
        EXPECT_EQ(encoded, c.bytes);
    }
    EXPECT_EQ(utf8CharacterLength(nullptr, 0), 0u);
    for (char32_t code : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        char bytes[4];
        const size_t written = static_cast<size_t>(writeUtf8(code, bytes) - bytes);
        const auto* unsignedBytes = reinterpret_cast<const unsigned char*>(bytes);
        EXPECT_EQ(utf8CharacterLength(unsignedBytes, written), written) << code;
        EXPECT_EQ(utf8CodePoint(unsignedBytes, written), code) << code;
        EXPECT_EQ(isUtf8Continuation(unsignedBytes[written - 1]), written > 1) << code;
    }
}

}  // namespace
