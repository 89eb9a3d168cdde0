// The analysis sinks on the real controls: the ResultList on the list box, the
// StatusPanes on the status bar.
#pragma once

#include <string>

#include "controls.h"
#include "result_sinks.h"

class ListBoxResults : public ResultList {
public:
    explicit ListBoxResults(ListBoxControl& listBox) : listBox_(listBox) {}

    void empty() override;
    void append(const char* line) override;
    int count() const override;
    int selectedLine() const override;
    std::string lineText(int index) const override;

    // Two tab stops, in dialog units.
    void setTabStops(int first, int second);
    void setHorizontalExtent(int pixels);
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
};

class StatusBarPanes : public StatusPanes {
public:
    explicit StatusBarPanes(StatusBarControl& bar) : bar_(bar) {}
    void setText(int pane, const char* text) override;

private:
    StatusBarControl& bar_;
};
