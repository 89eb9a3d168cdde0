// The tag listing: every tag of the document, or every tag of one name, each on a line
// of its own that starts with the LineLabel of the line where the tag begins.
#pragma once

#include <string>

#include "document.h"
#include "result_sinks.h"
#include "tag_profile.h"

// Appends "LineLabel, two spaces, tag text" for every tag whose name (one leading "/" set
// aside) equals `filter`, or for every tag when `filter` is empty; writes "Longest: N" to
// pane 1 and gives N, the length of the document's longest tag. The bodies `profile`
// skips (a script's) are not listed.
int listTags(Document& document, const char* filter, ResultList& list, StatusPanes& panes,
             const TagProfile& profile);

// The filter that View one tag takes from a census or reference line: the characters
// before its first tab, one leading "/" dropped.
std::string tagFilterOfLine(const std::string& line);
