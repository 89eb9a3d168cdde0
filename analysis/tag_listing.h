// The tag listing: every tag of the document, or every tag of one name, in document order.
#pragma once

#include <cstdint>
#include <string>

#include "document.h"
#include "tag_profile.h"

// One listed tag.
struct ListedTag {
    int32_t line;      // 1-based, of its "<"
    const char* text;  // as collected: "<" to ">", line breaks and tabs as spaces, up to its first NUL
};

class ListedTagSink {
public:
    virtual ~ListedTagSink() = default;
    virtual void tag(const ListedTag& tag) = 0;
};

// Hands over every tag whose name (one leading "/" set aside) equals `filter`, letter case
// ignored, or every tag when `filter` is empty; gives the length of the document's longest
// tag. The bodies `profile` skips (a script's) are not listed.
int listTags(Document& document, const char* filter, ListedTagSink& sink, const TagProfile& profile);

// The filter that View one tag and `tag NAME` take from a census or reference row's name:
// the characters before its first tab, one leading "/" dropped.
std::string tagFilterOf(const std::string& name);
