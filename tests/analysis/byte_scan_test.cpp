#include "byte_scan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Every search over [from, to) of a copy of `text` cut at `to`, so that a sanitized build
// catches a read past the span; its first byte is the floor. One line per search, the
// places as offsets.
std::string answers(const std::string& text, size_t from, size_t to) {
    const std::unique_ptr<char[]> copy(new char[to == 0 ? 1 : to]);
    std::copy(text.begin(), text.begin() + static_cast<ptrdiff_t>(to), copy.get());
    const char* t = copy.get();
    auto at = [&](const char* p) { return p ? std::to_string(p - t) : std::string("none"); };
    std::string out;
    int32_t count = 0;
    const char* last = nullptr;
    const char* found = byte_scan::lessThanAndFeeds(t + from, t + to, t, count, last);
    out += "lessThanAndFeeds " + at(found) + " " + std::to_string(count) + " " + at(last) + "\n";
    count = 0;
    found = byte_scan::lineFeeds(t + from, t + to, t, count);
    out += "lineFeeds " + at(found) + " " + std::to_string(count) + "\n";
    for (const char quote : {'"', '\''}) {
        bool greaterThan = false;
        found = byte_scan::closingQuote(t + from, t + to, quote, greaterThan);
        out += std::string("closingQuote ") + quote + " " + at(found) + (greaterThan ? " >" : "") + "\n";
    }
    count = 0;
    found = byte_scan::lessThanOrNul(t + from, t + to, t, count);
    out += "lessThanOrNul " + at(found) + " " + std::to_string(count) + "\n";
    out += "lessThanOrNul uncounted " + at(byte_scan::lessThanOrNul(t + from, t + to, t)) + "\n";
    out += "plainBytes " + std::to_string(byte_scan::plainBytes(t + from, t + to)) + "\n";
    out += "characterStop " + at(byte_scan::characterStop(t + from, t + to, t, true)) + " " +
           at(byte_scan::characterStop(t + from, t + to, t, false)) + "\n";
    out += "urlUnitsEnd " + at(byte_scan::urlUnitsEnd(t + from, t + to)) + "\n";
    return out;
}

// The answers by one path, then by the other.
std::string bySimd(bool simd, const std::string& text, size_t from, size_t to) {
    const bool was = byte_scan::simdInUse();
    byte_scan::useSimd(simd);
    std::string out = answers(text, from, to);
    byte_scan::useSimd(was);
    return out;
}

TEST(ByteScan, BothPathsAgreeWhereverInABlockTheBytesStand) {
    // Each byte a search stops at or counts, one at every place of a 48-byte text of
    // letters, with a line feed and a ">" further on; every span from a few starts.
    const unsigned char sought[] = {'<', '\n', '"', '\'', '>', '\0', '\t', '\r', '&', 0x01, 0x0C, 0x7F, 0x85, 0x9F, 0xA0, 0xC3,
                                    ' ', '#', '%', '[', '\\', '^', '`', '}', '~', '!', 0x80, 0xFF, 0x89, 0x8D, 0xA6, 0xFF - 0x20};
    size_t compared = 0;
    for (const unsigned char byte : sought) {
        for (size_t place = 0; place < 48; ++place) {
            std::string text(48, 'a');
            text[place] = static_cast<char>(byte);
            text[(place + 7) % 48] = '\n';
            text[(place + 21) % 48] = '>';
            for (const size_t from : {0, 1, 5, 15, 16, 17, 31}) {
                for (size_t to = from; to <= text.size(); ++to) {
                    ASSERT_EQ(bySimd(true, text, from, to), bySimd(false, text, from, to))
                        << "byte " << int{byte} << " at " << place << ", span " << from << "-" << to;
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 10000u);
}

TEST(ByteScan, GivesTheAnswersOfAPlainReading) {
    // 16 letters, a line feed, "x<y", a line feed and a quote: past the first block.
    const std::string text = std::string(16, 'a') + "\nx<y\n\"z";
    for (const bool simd : {true, false}) {
        EXPECT_EQ(bySimd(simd, text, 0, text.size()),
                  "lessThanAndFeeds 18 1 16\n"
                  "lineFeeds 20 2\n"
                  "closingQuote \" 21\n"
                  "closingQuote ' 23\n"
                  "lessThanOrNul 18 1\n"
                  "lessThanOrNul uncounted 18\n"
                  "plainBytes 16\n"
                  "characterStop 23 23\n"
                  "urlUnitsEnd 16\n")
            << (simd ? "SSE2" : "portable");
    }
}

// The word at every place of a text of its first letter, and two near misses (its first
// and last bytes with another between, and it without its last), in spans that end within it, at its
// end and past it: both paths find it exactly when the span holds it.
TEST(ByteScan, FindsAWordWhereverItStandsByEitherPath) {
    const std::string word = "tagvetter-";
    for (const std::string& written : {word, std::string("tagvettEr-"), word.substr(0, word.size() - 1)}) {
        for (size_t place = 0; place + written.size() <= 70; ++place) {
            std::string text(70, 't');
            text.replace(place, written.size(), written);
            for (const size_t to : {place + written.size() - 1, place + written.size(), text.size()}) {
                const std::unique_ptr<char[]> copy(new char[to]);
                std::copy(text.begin(), text.begin() + static_cast<ptrdiff_t>(to), copy.get());
                const bool held = written == word && place + word.size() <= to;
                for (const bool simd : {true, false}) {
                    const bool was = byte_scan::simdInUse();
                    byte_scan::useSimd(simd);
                    EXPECT_EQ(byte_scan::contains(copy.get(), copy.get() + to, word.data(), word.size()), held)
                        << written << " at " << place << " to " << to << (simd ? " SSE2" : " portable");
                    byte_scan::useSimd(was);
                }
            }
        }
    }
}

TEST(ByteScan, TheEnvironmentCanForceThePortablePath) {
    const bool was = byte_scan::simdInUse();
    byte_scan::useSimd(false);
    EXPECT_FALSE(byte_scan::simdInUse());
    byte_scan::useSimd(true);
#if defined(__x86_64__)
    // Every x86-64 processor has SSE2; only TAGVETTER_SIMD=off turns it away.
    const char* asked = getenv("TAGVETTER_SIMD");
    EXPECT_EQ(byte_scan::simdInUse(), !(asked && std::string(asked) == "off"));
#endif
    byte_scan::useSimd(was);
}

}  // namespace
