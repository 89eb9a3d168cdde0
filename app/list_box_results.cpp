#include "list_box_results.h"

#include <algorithm>
#include <cstring>

// The average character width of the font in `dc`, as the list box counts it. Exported by
// gdi32 on every Windows since 2000, but missing from the MinGW headers.
extern "C" LONG WINAPI GdiGetCharDimensions(HDC dc, LPTEXTMETRICW metrics, LONG* height);

namespace {
// The room made when a list first outgrows what was made for it.
constexpr int FirstRoom = 1024;
// A guess at a line's length, for the string room made with the line room.
constexpr int BytesPerLine = 40;
// The list box draws each line this far in from its left edge; the same gap is left at
// the right end of the widest line.
constexpr int TextIndent = 1;
}  // namespace

DrawnLineWidths::~DrawnLineWidths() {
    if (!dc_) return;
    SelectObject(dc_, originalFont_);
    DeleteDC(dc_);
}

// Selects the list's font into a measuring context of our own, kept for the next lists.
void DrawnLineWidths::restart(HWND list) {
    widest_ = 0;
    if (!dc_) {
        dc_ = CreateCompatibleDC(nullptr);
        if (!dc_) return;
        originalFont_ = GetCurrentObject(dc_, OBJ_FONT);
    }
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0));
    SelectObject(dc_, font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    maxCharWidth_ = metrics.tmMaxCharWidth + metrics.tmOverhang;
    tabUnitWidth_ = GdiGetCharDimensions(dc_, nullptr, nullptr);
    convertTabStops();
}

// Keeps the stops for the lines to come.
void DrawnLineWidths::setTabStops(const INT* stops, int count) {
    stopCount_ = std::min(count, 2);
    std::copy(stops, stops + stopCount_, dialogStops_);
    convertTabStops();
}

// Turns the stops into pixels as the list box does.
void DrawnLineWidths::convertTabStops() {
    for (int i = 0; i < stopCount_; ++i) pixelStops_[i] = MulDiv(dialogStops_[i], tabUnitWidth_, 4);
}

// Measures the line unless it is too short to be the widest: no character is wider than
// the font's widest, and the listings that run to many lines hold no tabs.
void DrawnLineWidths::measure(const char* line) {
    if (!dc_) return;
    size_t length = strlen(line);
    int width;
    if (memchr(line, '\t', length)) {
        // Drawn as the list box draws it, into our context's one-pixel bitmap: the stops
        // count from the list's edge, the text starts one pixel in.
        width = LOWORD(TabbedTextOutA(dc_, TextIndent, 0, line, static_cast<int>(length), stopCount_, pixelStops_, 0));
    } else {
        if (static_cast<double>(length) * maxCharWidth_ + TextIndent <= widest_) return;
        // A 32-bit width: a tag can run to thousands of characters.
        SIZE extent{0, 0};
        GetTextExtentPoint32A(dc_, line, static_cast<int>(length), &extent);
        width = extent.cx;
    }
    widest_ = std::max(widest_, TextIndent + width);
}

// Removes every line.
void ListBoxResults::empty() {
    SendMessageA(listBox_.handle, LB_RESETCONTENT, 0, 0);
    appended_ = 0;
    room_ = 0;
    widths_.restart(listBox_.handle);
}

// Adds a line at the end; the list is unsorted, so lines stay in the order appended.
void ListBoxResults::append(const char* line) {
    if (appended_ >= room_) reserve(room_ > 0 ? room_ : FirstRoom, 0);
    SendMessageA(listBox_.handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    ++appended_;
    widths_.measure(line);
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
    widths_.setTabStops(stops, 2);
}

void ListBoxResults::remeasure() {
    widths_.restart(listBox_.handle);
    for (int i = 0; i < count(); ++i) widths_.measure(lineText(i).c_str());
}

// Sets how far the list scrolls sideways.
void ListBoxResults::setHorizontalExtent(int pixels) {
    int extent = std::max(pixels, widths_.widest() + TextIndent);
    SendMessageA(listBox_.handle, LB_SETHORIZONTALEXTENT, extent, 0);
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
