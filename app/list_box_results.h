// The result lines on the real list box.
#pragma once

#include <string>

#include "controls.h"
#include "result_lines.h"

// Measures lines as the list box draws them: in its font, one pixel in from its left
// edge, tabs expanded at its tab stops.
class DrawnLineWidths {
public:
    DrawnLineWidths() = default;
    ~DrawnLineWidths();
    DrawnLineWidths(const DrawnLineWidths&) = delete;
    DrawnLineWidths& operator=(const DrawnLineWidths&) = delete;

    // Takes the list's font (the system font while it has none) and forgets every line.
    void restart(HWND list);
    // Tab stops in dialog units, as the list box takes them.
    void setTabStops(const INT* stops, int count);
    void measure(const char* line);
    // Pixels from the list's left edge to the right end of the widest line measured.
    int widest() const { return widest_; }

private:
    void convertTabStops();

    HDC dc_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
    int maxCharWidth_ = 0;
    // The list's average character width; its tab stops are quarters of it.
    int tabUnitWidth_ = 0;
    INT dialogStops_[2] = {0, 0};
    INT pixelStops_[2] = {0, 0};
    int stopCount_ = 0;
    int widest_ = 0;
};

class ListBoxResults : public ResultList {
public:
    explicit ListBoxResults(ListBoxControl& listBox) : listBox_(listBox) {}

    void empty();
    void append(const char* line) override;
    int count() const;
    // The index of the selected line, or -1 when no line is selected.
    int selectedLine() const;
    std::string lineText(int index) const;

    // Two tab stops, in dialog units.
    void setTabStops(int first, int second);
    // Lets the list scroll sideways over `pixels`, or further where a line appended since
    // it was emptied is wider as drawn: every line can be read to its end.
    void setHorizontalExtent(int pixels);
    // Measures every line again, after the tab stops have moved.
    void remeasure();
    // Makes room for `lines` more lines of about `bytes` characters in all (0: a guess).
    void reserve(int lines, int bytes);
    // Stops and restarts drawing around a long fill; the list is drawn once at the end.
    void suspendRedraw();
    void resumeRedraw();
    HWND listHandle() const { return listBox_.handle; }

private:
    ListBoxControl& listBox_;
    // Lines appended since the list was last emptied, and the room made for them. The
    // list box regrows its storage a few lines at a time; room made ahead whenever the
    // count doubles fills 1.7 million lines in about a quarter of the time (under Wine,
    // where one large reserve at the start helps no more than none).
    int appended_ = 0;
    int room_ = 0;
    DrawnLineWidths widths_;
};
