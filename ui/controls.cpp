#include "controls.h"

#include <commctrl.h>

#include <cstdlib>

#include "window.h"

namespace {
// Ids only grow, so a command from a control of an earlier box matches no live one.
int controlCounter = 1;
}  // namespace

// Hands out the next control id.
int nextControlId(Control& control) {
    control.id = controlCounter++;
    return control.id;
}

// Makes the list box and links it to this object.
int ListBoxControl::create(HWND parent) {
    nextControlId(*this);
    handle = CreateWindowExA(exStyle, "listbox", nullptr, style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance(), nullptr);
    if (!handle) return 0;
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return 1;
}

StatusBarControl::~StatusBarControl() {
    free(widths);
    free(styles);
    free(edges);
}

// Allocates the three part arrays; the old ones and their parts are dropped, so a second
// call never leaves widths that no addPart filled.
int StatusBarControl::setPartCount(int n) {
    free(widths);
    free(styles);
    free(edges);
    partsAdded = 0;
    partCount = n;
    widths = static_cast<int*>(calloc(n, sizeof(int)));
    styles = static_cast<int*>(calloc(n, sizeof(int)));
    edges = static_cast<int*>(calloc(n, sizeof(int)));
    if (!widths || !styles || !edges) {
        free(widths);
        free(styles);
        free(edges);
        widths = styles = edges = nullptr;
        partCount = 0;
        return 0;
    }
    return 1;
}

// Fills the next part entry while there is room.
void StatusBarControl::addPart(int widthChars, int style) {
    if (partsAdded >= partCount) return;
    widths[partsAdded] = widthChars;
    styles[partsAdded] = style;
    ++partsAdded;
}

// Makes the bar with every part empty and in its style.
int StatusBarControl::create(HWND parentWindow) {
    parent = parentWindow;
    nextControlId(*this);
    handle = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, nullptr, parent, static_cast<UINT>(id));
    if (!handle) return 0;
    SendMessageA(handle, SB_SETPARTS, partCount, reinterpret_cast<LPARAM>(edges));
    for (int i = 0; i < partCount; ++i) SendMessageA(handle, SB_SETTEXTA, i | styles[i], 0);
    return 1;
}

// Resizes the bar with its parent and places the part edges from the right.
void StatusBarControl::relayout(WPARAM wParam, LPARAM lParam) {
    if (!handle || partCount == 0) return;
    SendMessageA(handle, WM_SIZE, wParam, lParam);
    RECT bar;
    GetWindowRect(handle, &bar);
    int width = bar.right - bar.left;

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(handle, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HDC dc = GetDC(parent);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(parent, dc);
    int average = metrics.tmAveCharWidth;

    edges[partCount - 1] = width - partCount * average;
    for (int i = partCount - 1; i >= 1; --i) edges[i - 1] = edges[i] - widths[i] * average;
    SendMessageA(handle, SB_SETPARTS, partCount, reinterpret_cast<LPARAM>(edges));
}

// Measures the bar unless it is hidden. The bar's own visible bit is what counts: before
// the frame is first shown the bar is not on screen, yet the frame lays it out already.
int StatusBarControl::visibleHeight() const {
    if (!handle || !(GetWindowLongA(handle, GWL_STYLE) & WS_VISIBLE)) return 0;
    RECT bar;
    GetWindowRect(handle, &bar);
    return bar.bottom - bar.top;
}

// Sends the text to its part with the part's style bits.
LRESULT StatusBarControl::setText(int part, const char* text) {
    int style = part >= 0 && part < partCount ? styles[part] : 0;
    return SendMessageA(handle, SB_SETTEXTA, part | style, reinterpret_cast<LPARAM>(text));
}

// Makes nothing: a button needs its label and geometry.
int ButtonControl::create(HWND) {
    return 0;
}

// Makes the push button and notes its mnemonic.
int ButtonControl::createButton(HWND parent, const char* text, int x, int y, int width, int height,
                                int buttonId) {
    if (buttonId == -1)
        nextControlId(*this);
    else
        id = buttonId;
    const char* ampersand = findChar(text, '&');
    mnemonic = ampersand ? ampersand[1] : 0;
    handle = CreateWindowExA(exStyle, "BUTTON", text, style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance(), nullptr);
    if (!handle) return 0;
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return 1;
}

// Finds a character before the text's NUL.
const char* findChar(const char* text, char c) {
    for (; *text; ++text) {
        if (*text == c) return text;
    }
    return nullptr;
}
