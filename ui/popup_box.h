// The program's own modal message box: the platform's style bits and result codes, but
// drawn by us in the caller's colours, text centred line by line in a sunken frame beside
// a 32 x 32 icon, buttons that answer Tab, the arrows, Enter, Esc and their letters, and a
// body that drags the box. `run` blocks in a nested message pump until a button is pressed.
#pragma once

#include <windows.h>

#include "controls.h"
#include "window.h"

// A one-pixel sunken rectangle: dark top and left, light right and bottom.
class BevelFrame {
public:
    BevelFrame();
    // Takes a rectangle whose right and bottom edges are inside the frame.
    void setRect(const RECT& rectangle);
    void draw(HDC dc) const;

    COLORREF light;
    COLORREF dark;
    int x = 0;
    int y = 0;
    int width = -1;  // -1 until a rectangle is set
    int height = 0;
};

// The buttons of the box that is up. Process-wide, since only one box is up at a time;
// the same three objects make fresh windows (with fresh ids) for every box.
struct BoxButtonSet {
    ButtonControl buttons[3];
    int count = 0;                       // buttons in use, 1 to 3
    WNDPROC classProcedure = nullptr;    // the platform's "BUTTON" procedure
    int focusIndex = 0;                  // the button that has, or gets back, the focus
    int defaultIndex = 0;                // the button the style names first; Esc presses it
};
extern BoxButtonSet boxButtons;

class PopupBox : public Window {
public:
    PopupBox() = default;
    ~PopupBox() override;

    // Registers "AboutClass", the class of every box.
    int registerWindowClass() override;
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onPaint() override;
    virtual void afterCreate();
    virtual void createButtons();
    virtual void createBoxWindow();

    // Shows the box over `owner` and waits for a button: IDOK, IDCANCEL, IDYES or IDNO,
    // 0 when the box was closed otherwise or could not be shown. `caption` must stay
    // valid while the box is up; `iconName` names an icon of the program's resources.
    int run(HWND owner, const char* text, const char* caption, DWORD style, const char* iconName,
            COLORREF textColour, COLORREF backColour, COLORREF frameColour);

    int running = 0;
    HWND owner = nullptr;
    HICON icon = nullptr;
    int maxCharWidth = 0;
    int lineHeight = 0;
    int lineCount = 0;
    int widestLine = 0;
    int result = 0;
    int buttonResults[3] = {0, 0, 0};
    DWORD style = 0;
    COLORREF textColour = 0;
    COLORREF backColour = 0;
    char* text = nullptr;
    const char* caption = nullptr;
    RECT textRect = {0, 0, 0, 0};
    BevelFrame frame;

protected:
    void waitForAnswer();
    // Ends the wait and gives the owner back its input, however the box goes.
    void finish();
    void releaseText();
    bool ownsText = false;
};

// Calls `visit(start, length)` for each line of `text`: lines end at '\n', a final '\n'
// makes no empty line, and the empty text has none.
template <typename Visit>
void forEachLine(const char* text, Visit visit) {
    const char* p = text;
    while (*p) {
        const char* start = p;
        while (*p && *p != '\n') ++p;
        visit(start, static_cast<int>(p - start));
        if (*p == '\n') ++p;
    }
}

// The procedure put on the buttons of a box: focus moves, Enter, Esc and mnemonics.
LRESULT CALLBACK buttonKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Dispatches every waiting message; 1 when a quit message waits (left in the queue),
// 0 when the queue is empty.
int pumpPending();

// Centres `window` on its owner, or on the screen when it has none.
void centerWindow(HWND window);
