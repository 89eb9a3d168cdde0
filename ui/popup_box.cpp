#include "popup_box.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BoxButtonSet boxButtons;

namespace {

const char BoxClassName[] = "AboutClass";
const char OutOfMemory[] = "Out of memory";
constexpr int ButtonWidth = 60;
constexpr int ButtonHeight = 30;
// The box window is this much wider than the right edge of its text area.
constexpr int BoxMargin = 16;

// One button set: labels, results and left edges relative to the box's centre.
struct ButtonSet {
    int count;
    const char* labels[3];
    int results[3];
    int leftFromCentre[3];
    int minimumRightInLines;  // textRect.right at least this many line heights; 0 for none
};

// The set chosen by the low four style bits; any other value gives one "&Ok".
const ButtonSet& buttonSetFor(DWORD style) {
    static const ButtonSet ok = {1, {"&Ok"}, {IDOK}, {-30}, 0};
    static const ButtonSet okCancel = {2, {"&Ok", "&Cancel"}, {IDOK, IDCANCEL}, {-70, 10}, 10};
    static const ButtonSet yesNoCancel = {
        3, {"&Yes", "&No", "&Cancel"}, {IDYES, IDNO, IDCANCEL}, {-100, -30, 40}, 13};
    static const ButtonSet yesNo = {2, {"&Yes", "&No"}, {IDYES, IDNO}, {-70, 10}, 10};
    switch (style & 0xF) {
    case MB_OKCANCEL: return okCancel;
    case MB_YESNOCANCEL: return yesNoCancel;
    case MB_YESNO: return yesNo;
    default: return ok;
    }
}

// The system icon named by the icon bits, or null for the caller's own.
const char* systemIconFor(DWORD style) {
    switch (style & 0xF0) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
    }
}

// Measures the widest line of `text` and counts its lines.
void measureLines(HDC dc, const char* text, int& widest, int& count) {
    forEachLine(text, [&](const char* start, int length) {
        SIZE extent{0, 0};
        GetTextExtentPoint32A(dc, start, length, &extent);
        if (extent.cx > widest) widest = extent.cx;
        ++count;
    });
}

// The width a window of `style` needs to show `caption` whole in its caption bar: the
// text in the caption font, the window's frame, and a caption bar's height of room at
// either end.
int captionWindowWidth(const char* caption, DWORD style) {
    if (!caption || !*caption) return 0;
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    HFONT font = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                     ? CreateFontIndirectA(&metrics.lfCaptionFont)
                     : nullptr;
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, caption, static_cast<int>(strlen(caption)), &extent);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    if (font) DeleteObject(font);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return extent.cx + (frame.right - frame.left) + 2 * GetSystemMetrics(SM_CYCAPTION);
}

// True when `button` is one of the current box's live buttons.
int indexOfButton(HWND button) {
    if (!button) return -1;
    for (int i = 0; i < boxButtons.count; ++i) {
        if (boxButtons.buttons[i].handle == button) return i;
    }
    return -1;
}

// Focuses button `index` if its window belongs to a live box; a handle kept from an
// earlier box may be gone, or reused by some other window.
void focusButton(HWND box, int index) {
    if (index < 0 || index >= boxButtons.count) return;
    HWND button = boxButtons.buttons[index].handle;
    if (button && IsWindow(button) && GetParent(button) == box) SetFocus(button);
}

}  // namespace

// Starts with the system's button colours and no rectangle.
BevelFrame::BevelFrame() : light(GetSysColor(COLOR_BTNHIGHLIGHT)), dark(GetSysColor(COLOR_BTNSHADOW)) {}

// Takes the rectangle with its right and bottom edges inside.
void BevelFrame::setRect(const RECT& rectangle) {
    x = rectangle.left;
    y = rectangle.top;
    width = rectangle.right - rectangle.left + 1;
    height = rectangle.bottom - rectangle.top + 1;
}

// Draws the sunken edges, leaving the device context's pen as it was.
void BevelFrame::draw(HDC dc) const {
    if (width == -1) return;
    int right = x + width - 1;
    int bottom = y + height - 1;
    HPEN darkPen = CreatePen(PS_SOLID, 1, dark);
    HPEN lightPen = CreatePen(PS_SOLID, 1, light);
    HGDIOBJ previous = SelectObject(dc, darkPen);
    MoveToEx(dc, x, bottom, nullptr);
    LineTo(dc, x, y);
    LineTo(dc, right, y);
    SelectObject(dc, lightPen);
    LineTo(dc, right, bottom);
    LineTo(dc, x, bottom);
    SelectObject(dc, previous);
    DeleteObject(darkPen);
    DeleteObject(lightPen);
}

PopupBox::~PopupBox() {
    releaseText();
}

// Registers the class shared by every box.
int PopupBox::registerWindowClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = classWindowProc;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = moduleInstance();
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = BoxClassName;
    return RegisterClassA(&windowClass);
}

// Does nothing; a derived box may finish its window here.
void PopupBox::afterCreate() {}

// Makes the buttons of the set the style names, along the box's bottom.
void PopupBox::createButtons() {
    const ButtonSet& set = buttonSetFor(style);
    RECT client;
    GetClientRect(handle, &client);
    int centre = client.right / 2;
    int top = client.bottom - 2 * lineHeight;
    for (int i = 0; i < set.count; ++i) {
        boxButtons.buttons[i].createButton(handle, set.labels[i], centre + set.leftFromCentre[i], top, ButtonWidth,
                                           ButtonHeight, -1);
        buttonResults[i] = set.results[i];
    }
    boxButtons.count = set.count;
}

// Makes the box window over the middle of the owner's client area, wide enough for its
// caption too (for "Can't open file" the caption is the path, the one place that says
// which file failed), but never wider than the screen for the caption's sake.
void PopupBox::createBoxWindow() {
    const DWORD boxStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    textRect.top = lineHeight;
    textRect.bottom = (lineCount + 1) * lineHeight + 8;
    int forCaption = std::min(captionWindowWidth(caption, boxStyle), GetSystemMetrics(SM_CXSCREEN));
    textRect.right = std::max<LONG>(textRect.right, forCaption - BoxMargin);
    int height = (lineCount + 6) * lineHeight;
    int width = textRect.right + BoxMargin;
    RECT area{0, 0, 0, 0};
    GetClientRect(owner, &area);
    int x = area.right / 2 - width / 2;
    int y = area.bottom / 2 - height / 2;
    handle = CreateWindowExA(0, BoxClassName, caption, boxStyle, x, y, width, height, owner, nullptr,
                             moduleInstance(), this);
}

// Shows the box and runs the nested pump until it is answered or closed.
int PopupBox::run(HWND ownerWindow, const char* boxText, const char* boxCaption, DWORD boxStyle,
                  const char* iconName, COLORREF textColor, COLORREF backColor, COLORREF frameColour) {
    // The button table is shared: a second box while one is up would take it over.
    if (running) return 0;
    owner = ownerWindow;
    style = boxStyle;
    textColour = textColor;
    backColour = backColor;
    result = 0;
    frame.light = RGB(255, 255, 255);
    frame.dark = frameColour;
    // Nothing of an earlier box may be focused or matched before this one makes its own.
    boxButtons.count = 0;
    boxButtons.focusIndex = 0;
    boxButtons.defaultIndex = 0;
    icon = nullptr;

    releaseText();
    size_t length = strlen(boxText);
    text = static_cast<char*>(malloc(length + 2));
    if (text) {
        memcpy(text, boxText, length + 1);
        ownsText = true;
    } else {
        text = const_cast<char*>(OutOfMemory);
    }
    caption = boxCaption;

    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    TEXTMETRICA metrics;
    if (!info || !GetTextMetricsA(info, &metrics)) {
        if (info) DeleteDC(info);
        releaseText();
        return 0;
    }
    maxCharWidth = metrics.tmMaxCharWidth;
    lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    lineCount = 0;
    widestLine = 0;
    measureLines(info, boxText, widestLine, lineCount);

    const char* systemIcon = systemIconFor(style);
    int right;
    if (systemIcon || iconName) {
        textRect.left = 64;
        right = widestLine + 4 * maxCharWidth + 64;
    } else {
        int captionWidest = 0;
        int captionLines = 0;
        measureLines(info, caption, captionWidest, captionLines);
        if (captionWidest > widestLine) widestLine = captionWidest;
        textRect.left = 8;
        right = widestLine + 4 * maxCharWidth + 8;
    }
    int minimumRight = buttonSetFor(style).minimumRightInLines * lineHeight;
    textRect.right = right > minimumRight ? right : minimumRight;
    DeleteDC(info);

    running = 1;
    createBoxWindow();
    afterCreate();
    icon = systemIcon ? LoadIconA(nullptr, systemIcon) : iconName ? LoadIconA(moduleInstance(), iconName) : nullptr;
    if (!handle) {
        running = 0;
        releaseText();
        return result;
    }
    EnableWindow(owner, FALSE);
    waitForAnswer();
    return result;
}

// Dispatches the thread's messages until a button is pressed or the box is gone; sleeps
// while the queue is empty. A quit message ends the wait and stays queued for the
// application's loop.
void PopupBox::waitForAnswer() {
    while (running == 1) {
        if (pumpPending()) break;
        // The queue was just drained, so anything posted or sent from here on wakes it.
        if (running == 1) WaitMessage();
    }
    running = 0;
}

// Ends the wait and enables the owner; runs for a button, a close command or a window
// destroyed under the box (its owner going, for one).
void PopupBox::finish() {
    running = 0;
    if (owner) EnableWindow(owner, TRUE);
}

// Frees the text copy (never the constant used when memory ran out).
void PopupBox::releaseText() {
    if (ownsText) free(text);
    text = nullptr;
    ownsText = false;
}

// The box's own dispatch; the window object's handlers are not used.
LRESULT PopupBox::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        createButtons();
        int wanted = (style & 0xF00) == MB_DEFBUTTON2 ? 1 : (style & 0xF00) == MB_DEFBUTTON3 ? 2 : 0;
        // A default-button bit beyond the set leaves the focus on the first button.
        boxButtons.defaultIndex = wanted < boxButtons.count ? wanted : 0;
        boxButtons.focusIndex = boxButtons.defaultIndex;
        focusButton(handle, boxButtons.focusIndex);
        if (boxButtons.count > 0 && boxButtons.buttons[0].handle) {
            boxButtons.classProcedure =
                reinterpret_cast<WNDPROC>(GetWindowLongPtrA(boxButtons.buttons[0].handle, GWLP_WNDPROC));
            for (int i = 0; i < boxButtons.count; ++i) {
                if (boxButtons.buttons[i].handle)
                    SetWindowLongPtrA(boxButtons.buttons[i].handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonKeyProc));
            }
        }
        centerWindow(handle);
        return 0;
    }
    case WM_SETFOCUS:
        focusButton(handle, boxButtons.focusIndex);
        return 0;
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_CLOSE:
        finish();
        DestroyWindow(handle);
        return 0;
    case WM_DESTROY:
        finish();
        releaseText();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) return 0;
        // Only the buttons of this box: the ids of unused ones belong to earlier boxes.
        for (int i = 0; i < boxButtons.count; ++i) {
            if (LOWORD(wParam) == boxButtons.buttons[i].id) {
                result = buttonResults[i];
                break;
            }
        }
        if (result != 0) {
            PostMessageA(handle, WM_CLOSE, 0, 0);
            running = 0;
        }
        return 0;
    case WM_LBUTTONDOWN:
        // A press anywhere on the body drags the box as its caption would.
        SendMessageA(handle, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(5, 5));
        return 0;
    default:
        return DefWindowProcA(handle, message, wParam, lParam);
    }
}

// Paints the background, the icon, the frame and the centred lines.
void PopupBox::onPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    HBRUSH back = CreateSolidBrush(backColour);
    FillRect(dc, &paint.rcPaint, back);
    DeleteObject(back);
    if (icon) {
        DrawIcon(dc, 16, textRect.top + (textRect.bottom - textRect.top) / 2 - 16, icon);
        frame.setRect(textRect);
        frame.draw(dc);
    }
    SetTextColor(dc, textColour);
    SetBkColor(dc, backColour);
    int y = textRect.top + 3;
    if (text) {
        forEachLine(text, [&](const char* start, int length) {
            SIZE extent{0, 0};
            GetTextExtentPoint32A(dc, start, length, &extent);
            TextOutA(dc, textRect.left + (textRect.right - textRect.left - extent.cx) / 2, y, start, length);
            y += lineHeight;
        });
    }
    EndPaint(handle, &paint);
}

// Moves the focus between the buttons, presses the focused one on Enter, the default one
// on Esc and a button on its letter, then lets the button class do the rest.
LRESULT CALLBACK buttonKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int focused = indexOfButton(GetFocus());
    if (focused >= 0) boxButtons.focusIndex = focused;
    int i = boxButtons.focusIndex;
    int count = boxButtons.count;
    HWND box = GetParent(window);
    if (message == WM_KEYDOWN && count > 0) {
        auto press = [&](int index) {
            SendMessageA(box, WM_COMMAND, MAKEWPARAM(boxButtons.buttons[index].id, 0), 0);
        };
        switch (wParam) {
        case VK_TAB:
        case VK_RIGHT:
            boxButtons.focusIndex = (i + 1) % count;
            focusButton(box, boxButtons.focusIndex);
            break;
        case VK_LEFT:
            boxButtons.focusIndex = i - 1 < 0 ? count - 1 : i - 1;
            focusButton(box, boxButtons.focusIndex);
            break;
        case VK_RETURN:
            press(i);
            break;
        case VK_ESCAPE:
            press(boxButtons.defaultIndex);
            break;
        default:
            for (int b = 0; b < count; ++b) {
                if (boxButtons.buttons[b].mnemonic == static_cast<char>(wParam & 0xFF)) {
                    press(b);
                    break;
                }
            }
        }
    }
    // The box may be gone now (Enter closes it later, from the queue), but the button
    // class procedure stays valid for the rest of this message.
    return CallWindowProcA(boxButtons.classProcedure, window, message, wParam, lParam);
}

// Drains the queue; stops at a quit message, which it leaves for the application's loop.
int pumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) return 1;
        GetMessageA(&message, nullptr, 0, 0);
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Centres the window on its owner's rectangle (or the screen), kept on screen; the size
// given to MoveWindow is one pixel larger each way, as the box has always grown.
void centerWindow(HWND window) {
    RECT area;
    HWND ownerWindow = GetWindow(window, GW_OWNER);
    if (ownerWindow) {
        GetWindowRect(ownerWindow, &area);
    } else {
        area = {0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    }
    RECT own;
    GetWindowRect(window, &own);
    int w = own.right - own.left + 1;
    int h = own.bottom - own.top + 1;
    int y = area.top + (area.bottom - area.top + 1) / 2 - h / 2;
    if (area.bottom - h < y) y = area.bottom - h;
    if (y <= 0) y = 0;
    int x = area.left + (area.right - area.left + 1) / 2 - w / 2;
    if (area.right - w < x) x = area.right - w;
    if (x <= 0) x = 0;
    MoveWindow(window, x, y, w, h, FALSE);
}
