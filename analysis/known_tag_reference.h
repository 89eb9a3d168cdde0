// The known-tag reference: the whole known-tag table as 136 lines sorted by tag name,
// each "name, tab, description, tab, accepted attributes".
#pragma once

#include "result_sinks.h"

// Empties `list` and appends the 136 reference lines. False, with the list left empty,
// when the memory for building them can't be had.
bool listKnownTags(ResultList& list);

// The reference order: the census order applied to the lines' name fields. Never 0.
int compareReferenceRows(const char* a, const char* b);
