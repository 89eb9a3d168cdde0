#include "tag_census.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "name_cache.h"
#include "tag_scanner.h"
#include "text.h"

namespace {

constexpr int32_t InitialEntries = 100;

template <typename T>
bool resize(T*& block, size_t count) {
    T* grown = static_cast<T*>(realloc(block, count * sizeof(T)));
    if (!grown) return false;
    block = grown;
    return true;
}

uint32_t hashOf(const char* name) {
    size_t length;
    return foldedHash(name, length);
}

}  // namespace

TagCensus::~TagCensus() {
    free(entries);
    free(hashes_);
    free(slots_);
    free(unindexed_);
}

bool TagCensus::setUp() {
    entries = static_cast<CensusEntry*>(calloc(InitialEntries, sizeof(CensusEntry)));
    if (!entries) return false;
    capacity = InitialEntries;
    count = 0;
    if (!resize(hashes_, capacity) || !resize(unindexed_, capacity)) return false;
    rebuildIndex();
    return slots_ != nullptr;
}

bool TagCensus::grow() {
    int32_t larger = capacity * 2;
    if (larger <= capacity || !resize(entries, static_cast<size_t>(larger)) ||
        !resize(hashes_, static_cast<size_t>(larger)) || !resize(unindexed_, static_cast<size_t>(larger)))
        return false;
    memset(entries + capacity, 0, static_cast<size_t>(larger - capacity) * sizeof(CensusEntry));
    capacity = larger;
    rebuildIndex();
    return slots_ != nullptr;
}

// The index has at least twice as many slots as the storage has entries.
void TagCensus::rebuildIndex() {
    uint32_t slotCount = 1;
    while (slotCount < 2u * static_cast<uint32_t>(capacity)) slotCount *= 2;
    free(slots_);
    slots_ = static_cast<int32_t*>(malloc(slotCount * sizeof(int32_t)));
    if (!slots_) return;
    std::fill(slots_, slots_ + slotCount, -1);
    slotMask_ = slotCount - 1;
    unindexedCount_ = 0;
    for (int32_t e = 0; e < count; ++e) indexEntry(e);
}

void TagCensus::indexEntry(int32_t entry) {
    const char* name = entries[entry].name;
    if (!foldsExactly(name)) {
        unindexed_[unindexedCount_++] = entry;
        return;
    }
    uint32_t h = hashes_[entry] = hashOf(name);
    while (slots_[h & slotMask_] >= 0) ++h;
    slots_[h & slotMask_] = entry;
}

// The first entry whose name equals `word`, as a scan of the entries in order finds it.
int32_t TagCensus::findEntry(const char* word) const {
    int32_t found = count;
    size_t length;
    const uint32_t h = foldedHash(word, length);
    // A stored name has at most 79 characters, so a longer word equals none of them.
    if (foldsExactly(word) && length < sizeof(CensusEntry::name)) {
        for (uint32_t probe = h;; ++probe) {
            int32_t e = slots_[probe & slotMask_];
            if (e < 0) break;
            const char* name = entries[e].name;
            if (hashes_[e] == h && name[length] == '\0' && foldedEqual(name, word, length)) {
                found = e;
                break;
            }
        }
    }
    for (int32_t i = 0; i < unindexedCount_; ++i) {
        int32_t e = unindexed_[i];
        if (e < found && equalNoCase(entries[e].name, word)) found = e;
    }
    return found < count ? found : -1;
}

void resetCensus(TagCensus& census) {
    census.count = 0;
    if (census.slots_) std::fill(census.slots_, census.slots_ + census.slotMask_ + 1, -1);
    census.unindexedCount_ = 0;
}

int32_t recordTag(TagCensus& census, const char* word, int64_t times) {
    if (!census.slots_) return -1;  // no storage: nothing can be counted
    int32_t e = census.findEntry(word);
    if (e >= 0) {
        census.entries[e].count += times;
        return e;
    }
    // Without room for a new entry the word goes uncounted.
    if (census.count == census.capacity && !census.grow()) return -1;
    CensusEntry& entry = census.entries[census.count];
    size_t length = std::min(strlen(word), sizeof entry.name - 1);
    memcpy(entry.name, word, length);
    entry.name[length] = '\0';
    upperCaseAscii(entry.name);
    entry.count = times;
    census.indexEntry(census.count);
    return census.count++;
}

void addCensus(TagCensus& total, const TagCensus& part) {
    for (int32_t e = 0; e < part.count; ++e) recordTag(total, part.entries[e].name, part.entries[e].count);
}

void sortCensus(TagCensus& census) {
    std::sort(census.entries, census.entries + census.count, [](const CensusEntry& a, const CensusEntry& b) {
        return compareTagNames(a.name, b.name) < 0;
    });
    census.rebuildIndex();
}

int compareTagNames(const char* a, const char* b) {
    int r = compareNoCase(a[0] == '/' ? a + 1 : a, b[0] == '/' ? b + 1 : b);
    if (r != 0) return r;
    return compareNoCase(a, b) < 0 ? 1 : -1;
}

void recordDocumentTags(Document& document, TagCensus& census, const TagProfile& profile) {
    resetCensus(census);
    TagScanner scanner(document, profile, CensusReading);
    // The entries of the words a page repeats: a word's entry stays where it is while the
    // census grows.
    NameCache<int32_t> entries;
    while (scanner.next()) {
        const char* word = scanner.tag().name;
        const size_t length = scanner.tag().nameLength;
        if (const int32_t* e = entries.findPadded(word, length, 0)) {
            ++census.entries[*e].count;
            continue;
        }
        const int32_t e = recordTag(census, word);
        if (e >= 0) entries.keep(word, length, 0, e);
    }
}
