// The known-tag table: the 1990s vocabulary of HTML the tool was born with, 136 fixed
// rows in a fixed order. The html32 profile (tag_profile.h) is made from it.
#pragma once

#include <cstdint>

// How the open and close forms of a tag must pair up in the document check.
enum PairKind : int32_t {
    PairNone = 0,     // no balance check
    PairStrict = 1,   // open and close must alternate
    PairCounted = 2,  // nesting allowed; opens and closes are counted
};

// One row of the table. The table never changes, so any number of threads may read it.
struct TagEntry {
    const char* name;                // in capitals; a close tag is "/" + its open tag's name
    const char* description;         // may be empty
    const char* const* attributes;   // accepted names in lower case, ended by ""
    int32_t kind;                    // a PairKind
};

constexpr int KnownTagCount = 136;

extern const TagEntry KnownTagTable[KnownTagCount];
