// What a lookup gave for the short names lately met, kept by the name's bytes as written
// and a number the lookup also depends on (a row): a page writes the same few names over
// and over, and a lookup folds, hashes and compares them each time. A slot is overwritten
// by the next name that falls on it; names longer than 16 bytes, and empty ones, are not
// kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

template <typename Value>
class NameCache {
public:
    static constexpr size_t Longest = 16;

    // The value kept for `name` (`length` bytes) and `key`, or null.
    const Value* find(const char* name, size_t length, int32_t key) const {
        Words words;
        if (!wordsOf(name, length, words)) return nullptr;
        const Slot& slot = slots_[slotOf(words, length, key)];
        const bool same = slot.length == length && slot.key == key && slot.words[0] == words[0] &&
                          slot.words[1] == words[1];
        return same ? &slot.value : nullptr;
    }
    void keep(const char* name, size_t length, int32_t key, const Value& value) {
        Words words;
        if (!wordsOf(name, length, words)) return;
        slots_[slotOf(words, length, key)] = {{words[0], words[1]}, length, key, value};
    }

private:
    using Words = uint64_t[2];
    struct Slot {
        uint64_t words[2];
        size_t length;  // 0: empty
        int32_t key;
        Value value;
    };
    static bool wordsOf(const char* name, size_t length, Words& words) {
        if (length == 0 || length > Longest) return false;
        words[0] = words[1] = 0;
        memcpy(words, name, length);
        return true;
    }
    static size_t slotOf(const Words& words, size_t length, int32_t key) {
        const uint64_t mixed = words[0] ^ (words[1] * 31) ^ (static_cast<uint64_t>(static_cast<uint32_t>(key)) << 40) ^ length;
        return static_cast<size_t>((mixed * 0x9E3779B97F4A7C15u) >> 56);
    }
    std::vector<Slot> slots_ = std::vector<Slot>(256);
};
