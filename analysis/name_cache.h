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

// The words a name is kept by hold its bytes in order from the lowest.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "NameCache reads names as little-endian words");

template <typename Value>
class NameCache {
public:
    static constexpr size_t Longest = 16;

    // The value kept for `name` (`length` bytes) and `key`, or null.
    const Value* find(const char* name, size_t length, int32_t key) const {
        Words words = {0, 0};
        if (slots_.empty() || !wordsOf(name, length, words)) return nullptr;
        const Slot& slot = slots_[slotOf(words, length, key)];
        const bool same = slot.length == length && slot.key == key && slot.words[0] == words[0] &&
                          slot.words[1] == words[1];
        return same ? &slot.value : nullptr;
    }
    // As find, for a name followed by zeros up to its 16th byte (as the tag reader leaves
    // a tag's): read whole, with no branch on its length.
    const Value* findPadded(const char* name, size_t length, int32_t key) const {
        if (slots_.empty() || length == 0 || length > Longest) return nullptr;
        Words words;
        memcpy(words, name, sizeof words);
        const Slot& slot = slots_[slotOf(words, length, key)];
        const bool same = slot.length == length && slot.key == key && slot.words[0] == words[0] &&
                          slot.words[1] == words[1];
        return same ? &slot.value : nullptr;
    }
    void keep(const char* name, size_t length, int32_t key, const Value& value) {
        Words words = {0, 0};
        if (!wordsOf(name, length, words)) return;
        if (slots_.empty()) slots_.resize(Slots);
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
    // The name's bytes in order, zero-padded to 16, read in at most two loads a word
    // that overlap rather than byte by byte or through a call; no byte after the name is
    // read.
    static bool wordsOf(const char* name, size_t length, Words& words) {
        if (length == 0 || length > Longest) return false;
        auto load = [&](size_t at, size_t size) {
            uint64_t value = 0;
            memcpy(&value, name + at, size);
            return value;
        };
        if (length >= 8) {
            words[0] = load(0, 8);
            words[1] = length == 8 ? 0 : load(length - 8, 8) >> (8 * (16 - length));
        } else if (length >= 4) {
            words[0] = load(0, 4) | (load(length - 4, 4) << (8 * (length - 4)));
            words[1] = 0;
        } else {
            words[0] = load(0, 1) | (load(length / 2, 1) << (8 * (length / 2))) | (load(length - 1, 1) << (8 * (length - 1)));
            words[1] = 0;
        }
        return true;
    }
    static size_t slotOf(const Words& words, size_t length, int32_t key) {
        const uint64_t mixed = words[0] ^ (words[1] * 31) ^ (static_cast<uint64_t>(static_cast<uint32_t>(key)) << 40) ^ length;
        return static_cast<size_t>((mixed * 0x9E3779B97F4A7C15u) >> 56);
    }
    // Made at the first name kept: a reader may never need them.
    static constexpr size_t Slots = 256;
    std::vector<Slot> slots_;
};
