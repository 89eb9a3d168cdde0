// What the editor shows on a tag: the profile's description of the tag or attribute under
// the cursor, and the names that may be typed where the cursor stands. Works on the bytes
// of the document around one offset; the page is never parsed whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tag_profile.h"

// The name under a byte offset.
struct NameAtOffset {
    enum class Kind { None, TagName, AttributeName };
    Kind kind = Kind::None;
    std::string tag;        // the tag's name as written, "/" first for a close tag
    std::string attribute;  // for an attribute name, as written
    size_t start = 0;       // the bytes of the name under the offset
    size_t end = 0;
};

// The tag or attribute name that `offset` of `text` is on or just after, inside a tag.
NameAtOffset findNameAt(const std::string& text, size_t offset);

// Markdown on the name: the tag's description and the attributes the profile accepts on
// it; for an attribute, its tag and whether the profile accepts it there.
std::string describeName(const TagProfile& profile, const NameAtOffset& name);

struct CompletionChoice {
    std::string label;
    std::string detail;
};

// What may be typed at `offset`: after "<" or "</" the profile's tag names, inside a tag
// after white space its attributes and those every tag takes; nothing elsewhere.
std::vector<CompletionChoice> completionsAt(const TagProfile& profile, const std::string& text, size_t offset);
