// The window object: one C++ object per window of the program's own classes, with one
// virtual handler per platform message and the shared window procedure that finds it.
//
// Conventions of the toolkit: objects are static and outlive their windows; destroying a
// window leaves the object in place (with its last handle) ready to create again. No
// exceptions: operations give non-zero for success and 0 for failure.
#pragma once

#include <windows.h>

// The module instance that owns every class, window and resource of the program.
HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

// The window procedure of every class the toolkit registers: hands each message to the
// object stored in the window's user-data slot.
LRESULT CALLBACK classWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Window {
public:
    Window() = default;
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creation and registration, called by the owner (controls make their window here).
    virtual int create(HWND parent);
    virtual int registerWindowClass();
    // Maps a message to its handler; see window.cpp for what goes back to the platform.
    virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Every message without a handler of its own; non-zero means handled.
    virtual int onOtherMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void onChar(WPARAM wParam, LPARAM lParam);
    virtual void onClose();
    virtual void onCommand(WPARAM wParam, LPARAM lParam);
    virtual void onContextMenu(WPARAM wParam, LPARAM lParam);
    // Non-zero lets the creation go on.
    virtual int onCreate();
    virtual LRESULT onCtlColorListBox(WPARAM wParam, LPARAM lParam);
    virtual void onDestroy();
    virtual void onDrawItem(WPARAM wParam, LPARAM lParam);
    virtual void onDropFiles(WPARAM drop);
    virtual void onEndSession(WPARAM wParam, LPARAM lParam);
    virtual void onInitMenu();
    virtual void onKeyDown(WPARAM wParam, LPARAM lParam);
    virtual void onKeyUp(WPARAM wParam, LPARAM lParam);
    virtual void onKillFocus();
    virtual void onLButtonDown(WPARAM wParam, LPARAM lParam);
    virtual void onLButtonUp(WPARAM wParam, LPARAM lParam);
    virtual int onMenuSelect(WPARAM wParam, LPARAM lParam);
    virtual void onMouseMove(WPARAM wParam, LPARAM lParam);
    virtual void onNotify(WPARAM wParam, LPARAM lParam);
    virtual void onPaint();
    virtual int onQueryEndSession();
    virtual void onRButtonDown(WPARAM wParam, LPARAM lParam);
    virtual void onRButtonUp(WPARAM wParam, LPARAM lParam);
    virtual void onSetFocus();
    virtual void onSize(WPARAM wParam, LPARAM lParam);
    virtual void onSysColorChange();
    virtual void onSysKeyDown(WPARAM wParam, LPARAM lParam);
    virtual void onSysKeyUp(WPARAM wParam, LPARAM lParam);
    virtual void onTimer(WPARAM timerId);
    virtual int onVKeyToItem(WPARAM wParam);

    // Null until WM_NCCREATE; kept (stale) after the window is destroyed.
    HWND handle = nullptr;
};
