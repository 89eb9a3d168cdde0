// Child controls over the platform's own control classes: the list box, the status bar
// with a fixed number of parts, and the push buttons of the popup boxes. Every control
// takes its id from one process-wide counter, so no two controls of a run share one.
#pragma once

#include <windows.h>

// What a frame or box needs of a control: make its window under a parent.
class Control {
public:
    Control() = default;
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    virtual int create(HWND parent) = 0;
    // The platform's control classes need no registration.
    virtual int registerWindowClass() { return 1; }

    // Null until created; each create overwrites it.
    HWND handle = nullptr;
    DWORD exStyle = 0;
    int id = 0;
};

// Gives `control` the counter's value as its id and advances the counter.
int nextControlId(Control& control);

// The list box that shows the result lines.
class ListBoxControl : public Control {
public:
    int create(HWND parent) override;

    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_DISABLENOSCROLL | LBS_WANTKEYBOARDINPUT |
                  LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    int x = 0;
    int y = 0;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
};

// A status bar whose parts keep fixed widths in average characters, counted from the
// right; the first part takes what is left.
class StatusBarControl : public Control {
public:
    StatusBarControl() = default;
    ~StatusBarControl() override;

    // Makes room for n parts and forgets the parts added before; 0 when memory runs out.
    int setPartCount(int n);
    // Adds the next part: its width in average characters and its drawing-style bits.
    // Ignored once all parts are added.
    void addPart(int widthChars, int style);
    int create(HWND parent) override;
    // Docks the bar along the parent's bottom and recomputes the part edges; takes the
    // parent's WM_SIZE arguments.
    void relayout(WPARAM wParam, LPARAM lParam);
    // The bar's height in pixels, 0 while it is hidden.
    int visibleHeight() const;
    // Shows `text` (copied by the bar) in `part`, with that part's style bits.
    LRESULT setText(int part, const char* text);

    HWND parent = nullptr;
    int partCount = 0;
    int* widths = nullptr;
    int* styles = nullptr;
    int* edges = nullptr;
    int partsAdded = 0;
};

// A push button whose label's '&' letter is its keyboard mnemonic.
class ButtonControl : public Control {
public:
    // Buttons are made only through createButton, which knows label and geometry.
    int create(HWND parent) override;
    // Makes the button; an id of -1 takes the next id from the counter.
    int createButton(HWND parent, const char* text, int x, int y, int width, int height, int buttonId);

    DWORD style = WS_CHILD | WS_VISIBLE;
    char mnemonic = 0;
};

// The position of the first `c` in the NUL-terminated `text`, or null; never the NUL.
const char* findChar(const char* text, char c);
