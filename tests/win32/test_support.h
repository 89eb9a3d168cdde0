// Small helpers shared by the Win32 tests.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// `unixPath` as a Windows program names it, on Wine's Z: drive.
inline std::string windowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// Removes every waiting message, the quit message of a destroyed frame included, so the
// next test starts with an empty queue.
inline void drainQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageA(&message);
    }
}

// A plain visible top-level window for a box to belong to.
inline HWND makeOwnerWindow() {
    return CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 500, 400, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

inline std::string windowClassName(HWND window) {
    char name[64] = {0};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct WindowSearch {
    DWORD process;
    const char* className;
    HWND found;
};

inline BOOL CALLBACK matchWindowSearch(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || lstrcmpiA(windowClassName(window).c_str(), search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// The top-level window of class `className` that `process` has made, or null.
inline HWND topLevelWindowOf(DWORD process, const char* className) {
    WindowSearch search{process, className, nullptr};
    EnumWindows(matchWindowSearch, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::string windowText(HWND window) {
    char text[1024] = {0};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A child's rectangle in its parent's client coordinates.
inline RECT childRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The average character width of the status bar's font, measured independently.
inline int barAverageCharWidth(HWND bar) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HDC dc = GetDC(bar);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(bar, dc);
    return metrics.tmAveCharWidth;
}

// Holds Alt down in this thread's key state and posts Alt+key to `window`, as the
// keyboard would.
inline void pressAltAnd(int key, HWND window) {
    BYTE keys[256] = {0};
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    keys[VK_LMENU] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(window, WM_SYSKEYDOWN, key, 0x20000001);
}

inline void releaseKeys() {
    BYTE keys[256] = {0};
    SetKeyboardState(keys);
}

// The text of status bar part `part`.
inline std::string paneText(HWND bar, int part) {
    char text[1024] = {0};
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

// The lines of a list box.
inline std::vector<std::string> listLines(HWND list) {
    std::vector<std::string> lines;
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::string line(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
        line.resize(static_cast<size_t>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]))));
        lines.push_back(line);
    }
    return lines;
}
