// The known-tag reference: every row of a profile as one line, sorted by tag name, each
// "name, tab, description, tab, accepted attributes" (for html32, the 136 rows of the
// known-tag table). When some attributes are known on every tag, a line "*" lists them.
#pragma once

#include "result_sinks.h"
#include "tag_profile.h"

// Empties `list` and appends the reference lines of `profile`. False, with the list left
// empty, when the memory for building them can't be had.
bool listKnownTags(ResultList& list, const TagProfile& profile);

// The reference order: the census order applied to the lines' name fields. Never 0.
int compareReferenceRows(const char* a, const char* b);
