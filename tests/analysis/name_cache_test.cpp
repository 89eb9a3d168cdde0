#include "name_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Each name in a block of exactly its own size, so that a sanitized build catches a read
// past it.
std::unique_ptr<char[]> exactCopy(const std::string& name) {
    std::unique_ptr<char[]> copy(new char[name.size() == 0 ? 1 : name.size()]);
    std::copy(name.begin(), name.end(), copy.get());
    return copy;
}

// A name as the tag reader leaves one: zeros after it up to its 16th byte.
std::string padded(const std::string& name) { return name + std::string(name.size() < 16 ? 16 - name.size() : 0, '\0'); }

TEST(NameCache, KeepsEachShortNameApartFromEveryNameOneByteAway) {
    // For every length a name is kept at, a name kept is found again, by another copy of
    // its bytes and by its key only, as it is and zero-padded; a name differing in any one
    // byte, or one byte shorter, is not taken for it.
    for (size_t length = 1; length <= NameCache<int>::Longest; ++length) {
        std::string name;
        for (size_t i = 0; i < length; ++i) name += static_cast<char>('a' + i);
        NameCache<int> cache;
        const auto kept = exactCopy(name);
        cache.keep(kept.get(), length, 7, static_cast<int>(length));
        const auto again = exactCopy(name);
        const int* found = cache.find(again.get(), length, 7);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(*found, static_cast<int>(length)) << name;
        EXPECT_EQ(cache.find(again.get(), length, 8), nullptr) << name;
        EXPECT_EQ(cache.find(again.get(), length - 1, 7), nullptr) << name;
        const std::string zeros = padded(name);
        found = cache.findPadded(zeros.data(), length, 7);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(*found, static_cast<int>(length)) << name;
        EXPECT_EQ(cache.findPadded(zeros.data(), length, 8), nullptr) << name;
        EXPECT_EQ(cache.findPadded(padded(name.substr(0, length - 1)).data(), length - 1, 7), nullptr) << name;
        for (size_t at = 0; at < length; ++at) {
            for (const char other : {'A', '\0', '\xFF'}) {
                std::string changed = name;
                changed[at] = other;
                const auto copy = exactCopy(changed);
                EXPECT_EQ(cache.find(copy.get(), length, 7), nullptr) << name << " changed at " << at;
                EXPECT_EQ(cache.findPadded(padded(changed).data(), length, 7), nullptr) << name << " changed at " << at;
            }
        }
    }
}

TEST(NameCache, KeepsNoEmptyOrLongName) {
    NameCache<int> cache;
    const std::string longName(NameCache<int>::Longest + 1, 'x');
    cache.keep(longName.data(), longName.size(), 0, 1);
    EXPECT_EQ(cache.find(longName.data(), longName.size(), 0), nullptr);
    EXPECT_EQ(cache.findPadded(longName.data(), longName.size(), 0), nullptr);
    cache.keep("", 0, 0, 1);
    EXPECT_EQ(cache.find("", 0, 0), nullptr);
    EXPECT_EQ(cache.findPadded(padded("").data(), 0, 0), nullptr);
}

}  // namespace
