// The tag census: which distinct tag words a document holds, how often, and what each is.
#pragma once

#include <cstdint>

#include "document.h"
#include "tag_profile.h"

// One distinct tag word.
struct CensusEntry {
    char name[80];   // the word as first met, letters a-z capitalised; at most 79 characters
    int64_t count;   // occurrences in the current census, at least 1; a census of many files may pass 2^31
};

// The distinct words of the last census, in the order first met until sortCensus.
//
// The storage starts at 100 entries and doubles whenever a new word finds it full, so
// every distinct word is counted. Beside it a hash index of the names, keyed by their
// capitals, finds a word's entry without comparing it with every name.
class TagCensus {
public:
    TagCensus() = default;
    ~TagCensus();
    TagCensus(const TagCensus&) = delete;
    TagCensus& operator=(const TagCensus&) = delete;

    // Obtains the storage for the first 100 entries; false when it can't be had.
    bool setUp();

    int32_t capacity = 0;
    int32_t count = 0;
    CensusEntry* entries = nullptr;

private:
    friend void resetCensus(TagCensus&);
    friend int32_t recordTag(TagCensus&, const char*, int64_t);
    friend void sortCensus(TagCensus&);

    bool grow();
    void rebuildIndex();
    void indexEntry(int32_t entry);
    int32_t findEntry(const char* word) const;

    uint32_t* hashes_ = nullptr;    // the hash of each entry's name
    int32_t* slots_ = nullptr;      // entry numbers, -1 for a free slot
    uint32_t slotMask_ = 0;
    // Entries whose names the platform may find equal to other byte sequences; they are
    // not in the index and are compared one by one (never any outside Windows).
    int32_t* unindexed_ = nullptr;
    int32_t unindexedCount_ = 0;
};

void resetCensus(TagCensus& census);

// Counts `times` occurrences of `word` (possibly empty); gives its entry, or -1 when there
// was no room to count it.
int32_t recordTag(TagCensus& census, const char* word, int64_t times = 1);

// Adds every word of `part` with its count to `total`, in the order of `part`'s entries.
void addCensus(TagCensus& total, const TagCensus& part);

// Sorts the entries in use by compareTagNames.
void sortCensus(TagCensus& census);

// The census order: one leading "/" set aside, letter case ignored, and between names
// that are then equal the one greater in full first, so a tag comes right before its
// closing tag. Never 0.
int compareTagNames(const char* a, const char* b);

// Resets the census and counts the document's tag words into it, as `profile` reads them.
void recordDocumentTags(Document& document, TagCensus& census, const TagProfile& profile);
