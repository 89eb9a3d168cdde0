// ResultList and StatusPanes held in memory, for tests and measurements.
#pragma once

#include <string>
#include <vector>

#include "result_sinks.h"

class MemoryResultList : public ResultList {
public:
    void empty() override { lines.clear(); }
    void append(const char* line) override { lines.emplace_back(line); }
    int count() const override { return static_cast<int>(lines.size()); }
    int selectedLine() const override { return selected; }
    std::string lineText(int index) const override { return lines.at(static_cast<size_t>(index)); }

    std::vector<std::string> lines;
    int selected = -1;
};

class MemoryStatusPanes : public StatusPanes {
public:
    void setText(int pane, const char* text) override { panes[pane] = text; }
    std::string panes[2];
};
