// Result lines held in memory, for the tests, the fuzz targets and the benchmarks.
#pragma once

#include <string>
#include <vector>

#include "result_lines.h"

class MemoryResultList : public ResultList {
public:
    void append(const char* line) override { lines.emplace_back(line); }
    int count() const { return static_cast<int>(lines.size()); }
    std::vector<std::string> lines;
};

// Lists the tags `filter` names (all for "") as lines; gives the longest tag's length.
inline int listTagLines(Document& page, const char* filter, ResultList& list, const TagProfile& profile) {
    ListingLines lines(list);
    return listTags(page, filter, lines, profile);
}
