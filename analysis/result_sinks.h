// The two sinks every analysis writes to. The Windows program backs them with its list
// box and status bar, the command line with its output streams, the tests with memory.
#pragma once

#include <string>

// The lines of the last listing, shown unsorted in the order appended.
class ResultList {
public:
    virtual ~ResultList() = default;
    virtual void empty() = 0;
    // Appends one NUL-terminated line; it may hold tabs.
    virtual void append(const char* line) = 0;
    virtual int count() const = 0;
    // The index of the selected line, or -1 when no line is selected.
    virtual int selectedLine() const = 0;
    virtual std::string lineText(int index) const = 0;
};

// Pane 0 shows the open file's path, pane 1 the summary of the last census or listing.
class StatusPanes {
public:
    virtual ~StatusPanes() = default;
    virtual void setText(int pane, const char* text) = 0;
};
