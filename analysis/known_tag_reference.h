// The known-tag reference: every row of a profile, sorted by tag name (for html32, the 136
// rows of the known-tag table). When some attributes are known on every tag, a row "*"
// lists them.
#pragma once

#include <string>
#include <vector>

#include "tag_profile.h"

struct ReferenceRow {
    const char* name;
    const char* description;
    std::string attributes;  // each followed by a space; the "*" row's as the profile gives them
};

// The rows of `profile` in the reference order: names compared with one leading "/" set
// aside and letter case ignored; between rows that are then equal, the one whose line
// (name, tab, description, tab, attributes) is greater first.
std::vector<ReferenceRow> knownTagRows(const TagProfile& profile);
