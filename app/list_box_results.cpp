#include "list_box_results.h"

namespace {
// The room made when a list first outgrows what was made for it.
constexpr int FirstRoom = 1024;
// A guess at a line's length, for the string room made with the line room.
constexpr int BytesPerLine = 40;
}  // namespace

// Removes every line.
void ListBoxResults::empty() {
    SendMessageA(listBox_.handle, LB_RESETCONTENT, 0, 0);
    appended_ = 0;
    room_ = 0;
}

// Adds a line at the end; the list is unsorted, so lines stay in the order appended.
void ListBoxResults::append(const char* line) {
    if (appended_ >= room_) reserve(room_ > 0 ? room_ : FirstRoom, 0);
    SendMessageA(listBox_.handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    ++appended_;
}

// Counts the lines.
int ListBoxResults::count() const {
    LRESULT n = SendMessageA(listBox_.handle, LB_GETCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<int>(n);
}

// Gives the selected line's index, -1 for none.
int ListBoxResults::selectedLine() const {
    LRESULT selected = SendMessageA(listBox_.handle, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

// Reads one line, or the empty text for an index out of range.
std::string ListBoxResults::lineText(int index) const {
    LRESULT length = SendMessageA(listBox_.handle, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length < 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(listBox_.handle, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

// Sets the two tab stops.
void ListBoxResults::setTabStops(int first, int second) {
    INT stops[2] = {first, second};
    SendMessageA(listBox_.handle, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
}

// Sets how far the list scrolls sideways.
void ListBoxResults::setHorizontalExtent(int pixels) {
    SendMessageA(listBox_.handle, LB_SETHORIZONTALEXTENT, pixels, 0);
}

// Asks the list box to make room at once.
void ListBoxResults::reserve(int lines, int bytes) {
    if (lines <= 0) return;
    if (bytes <= 0) bytes = lines * BytesPerLine;
    bool made = SendMessageA(listBox_.handle, LB_INITSTORAGE, lines, bytes) != LB_ERRSPACE;
    // Without the memory, the next try waits a while; adding lines will fail by itself.
    room_ = appended_ + (made ? lines : FirstRoom);
}

// Stops drawing the list.
void ListBoxResults::suspendRedraw() {
    SendMessageA(listBox_.handle, WM_SETREDRAW, FALSE, 0);
}

// Draws the list again, once, as it now stands.
void ListBoxResults::resumeRedraw() {
    SendMessageA(listBox_.handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox_.handle, nullptr, TRUE);
}

// Shows the text in the pane.
void StatusBarPanes::setText(int pane, const char* text) {
    bar_.setText(pane, text);
}
