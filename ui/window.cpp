#include "window.h"

namespace {
HINSTANCE instance_ = nullptr;
}  // namespace

// Gives the module instance, or the executable's own when none was set.
HINSTANCE moduleInstance() {
    return instance_ ? instance_ : GetModuleHandleA(nullptr);
}

// Keeps the instance the entry point was given.
void setModuleInstance(HINSTANCE instance) {
    instance_ = instance;
}

// Links the window to its object on WM_NCCREATE, then hands every message to the object.
LRESULT CALLBACK classWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* object = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        if (object) object->handle = window;
    }
    auto* object = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Messages sent before WM_NCCREATE find no object yet.
    if (!object) return DefWindowProcA(window, message, wParam, lParam);
    return object->windowProc(message, wParam, lParam);
}

// Makes nothing: plain windows are created by their owners.
int Window::create(HWND) {
    return 0;
}

// Registers nothing.
int Window::registerWindowClass() {
    return 1;
}

// Dispatches one message to its handler and answers the platform.
LRESULT Window::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR: onChar(wParam, lParam); return 0;
    case WM_CLOSE: onClose(); return 0;
    case WM_COMMAND: onCommand(wParam, lParam); return 0;
    case WM_CONTEXTMENU: onContextMenu(wParam, lParam); return 0;
    case WM_CREATE: return onCreate() ? 0 : -1;
    case WM_CTLCOLORLISTBOX: return onCtlColorListBox(wParam, lParam);
    case WM_DESTROY: onDestroy(); return 0;
    case WM_DRAWITEM: onDrawItem(wParam, lParam); return 1;
    case WM_DROPFILES: onDropFiles(wParam); return 0;
    case WM_ENDSESSION: onEndSession(wParam, lParam); return 0;
    case WM_INITMENU: onInitMenu(); return 0;
    case WM_KEYDOWN: onKeyDown(wParam, lParam); return 0;
    case WM_KEYUP: onKeyUp(wParam, lParam); return 0;
    case WM_KILLFOCUS: onKillFocus(); return 0;
    case WM_LBUTTONDOWN: onLButtonDown(wParam, lParam); return 0;
    case WM_LBUTTONUP: onLButtonUp(wParam, lParam); return 0;
    case WM_MENUSELECT: onMenuSelect(wParam, lParam); return 0;
    case WM_MOUSEMOVE: onMouseMove(wParam, lParam); return 0;
    case WM_NOTIFY: onNotify(wParam, lParam); return 0;
    case WM_PAINT: onPaint(); return 0;
    case WM_QUERYENDSESSION: return onQueryEndSession();
    case WM_RBUTTONDOWN: onRButtonDown(wParam, lParam); return 0;
    case WM_RBUTTONUP: onRButtonUp(wParam, lParam); return 0;
    case WM_SETFOCUS: onSetFocus(); return 0;
    case WM_SIZE: onSize(wParam, lParam); return 0;
    case WM_SYSCOLORCHANGE: onSysColorChange(); return 0;
    case WM_SYSKEYDOWN: onSysKeyDown(wParam, lParam); return 0;
    case WM_SYSKEYUP: onSysKeyUp(wParam, lParam); return 0;
    case WM_TIMER: onTimer(wParam); return 0;
    case WM_VKEYTOITEM: return onVKeyToItem(wParam);
    default:
        if (onOtherMessage(message, wParam, lParam)) return 0;
        return DefWindowProcA(handle, message, wParam, lParam);
    }
}

// Leaves every other message to the platform.
int Window::onOtherMessage(UINT, WPARAM, LPARAM) {
    return 0;
}

// Do nothing: a derived class overrides what it needs.
void Window::onChar(WPARAM, LPARAM) {}

// Closes by destroying the window.
void Window::onClose() {
    DestroyWindow(handle);
}

void Window::onCommand(WPARAM, LPARAM) {}
void Window::onContextMenu(WPARAM, LPARAM) {}

// Refuses the creation: every class created through this dispatch says how it is made.
int Window::onCreate() {
    return 0;
}

// Leaves the list box its own colours.
LRESULT Window::onCtlColorListBox(WPARAM, LPARAM) {
    return 0;
}

void Window::onDestroy() {}
void Window::onDrawItem(WPARAM, LPARAM) {}
void Window::onDropFiles(WPARAM) {}
void Window::onEndSession(WPARAM, LPARAM) {}
void Window::onInitMenu() {}
void Window::onKeyDown(WPARAM, LPARAM) {}
void Window::onKeyUp(WPARAM, LPARAM) {}
void Window::onKillFocus() {}
void Window::onLButtonDown(WPARAM, LPARAM) {}
void Window::onLButtonUp(WPARAM, LPARAM) {}

// Leaves menu selection alone.
int Window::onMenuSelect(WPARAM, LPARAM) {
    return 0;
}

void Window::onMouseMove(WPARAM, LPARAM) {}
void Window::onNotify(WPARAM, LPARAM) {}

// Validates the window without drawing, so the platform stops asking.
void Window::onPaint() {
    PAINTSTRUCT paint;
    BeginPaint(handle, &paint);
    EndPaint(handle, &paint);
}

// Lets the session end.
int Window::onQueryEndSession() {
    return 1;
}

void Window::onRButtonDown(WPARAM, LPARAM) {}
void Window::onRButtonUp(WPARAM, LPARAM) {}
void Window::onSetFocus() {}
void Window::onSize(WPARAM, LPARAM) {}
void Window::onSysColorChange() {}
void Window::onSysKeyDown(WPARAM, LPARAM) {}
void Window::onSysKeyUp(WPARAM, LPARAM) {}
void Window::onTimer(WPARAM) {}

// Lets the list box do its default action for the key.
int Window::onVKeyToItem(WPARAM) {
    return -1;
}
