#include "known_tag_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "known_tags.h"
#include "no_case.h"

namespace {

constexpr size_t ReferenceRowSize = 180;

// Copies the name field of a row (before its first tab), one leading "/" set aside.
void nameField(const char* row, char* out) {
    if (*row == '/') ++row;
    size_t length = strcspn(row, "\t");
    memcpy(out, row, length);
    out[length] = '\0';
}

}  // namespace

bool listKnownTags(ResultList& list) {
    list.empty();
    char* rows = static_cast<char*>(malloc(KnownTagCount * ReferenceRowSize));
    if (!rows) return false;
    const char* order[KnownTagCount];
    for (int i = 0; i < KnownTagCount; ++i) {
        char* row = rows + i * ReferenceRowSize;
        const TagEntry& entry = KnownTagTable[i];
        char attributes[ReferenceRowSize];
        snprintf(row, ReferenceRowSize, "%s\t%s\t%s", entry.name, entry.description, attributeText(i, attributes));
        order[i] = row;
    }
    std::sort(order, order + KnownTagCount,
              [](const char* a, const char* b) { return compareReferenceRows(a, b) < 0; });
    for (const char* row : order) list.append(row);
    free(rows);
    return true;
}

int compareReferenceRows(const char* a, const char* b) {
    char nameA[ReferenceRowSize];
    char nameB[ReferenceRowSize];
    nameField(a, nameA);
    nameField(b, nameB);
    int r = compareNoCase(nameA, nameB);
    if (r != 0) return r;
    return compareNoCase(a, b) < 0 ? 1 : -1;
}
