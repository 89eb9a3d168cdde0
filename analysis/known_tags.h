// The known-tag table: the tool's whole vocabulary of HTML, 136 fixed rows in a fixed
// order, and the four lookups over it.
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

// Rows that code addresses by index. A close row always follows its open row directly.
enum KnownTagRow : int {
    RowComment = 0,
    RowScript = 1,
    RowScriptEnd = 2,
    RowTable = 3,
    RowTableEnd = 4,
    RowFirstCell = 5,  // TD, /TD, TR, /TR, TH, /TH
    RowLastCell = 10,
    RowPre = 11,
    RowPreEnd = 12,
};

// Reads the name of the tag `tagText` (after its "<", if any) into `name` of `size` bytes
// and gives the index of the row of that name, or -1.
int findTag(const char* tagText, char* name, int size);

// The index of the row whose name equals `name` without regard to case, or -1.
int findKnownName(const char* name);

// The description of the row named `name`, or "" when no row has that name.
const char* describeTag(const char* name);

// True when `attribute` is one of the accepted attributes of row `row`.
bool hasAttribute(const char* attribute, int row);

// Writes the accepted attribute names of row `row` into `out`, each followed by one
// space, and gives `out`. The longest result (TABLE's) has 98 characters.
char* attributeText(int row, char* out);
