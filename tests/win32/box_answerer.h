// Answers a modal popup box from a helper thread while the test's own thread waits in
// the box's nested pump: it finds the box, notes what the user would see, then sends the
// steps a user would take.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "popup_box.h"

struct BoxStep {
    enum Kind { Key, Click, Command, Close, AltF4, Quit, Drag, Idle } kind;
    int value;  // the virtual key, the button index, the raw command id, the quit code,
                // the distance to drag right and down, or the milliseconds to leave the
                // box alone
};

// What the helper saw of the box while it was up.
struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    DWORD style = 0;
    int buttonCount = 0;
    std::string labels[3];
    int focusedButton = -1;  // index of the button that had the focus when first seen
    bool ownerEnabled = true;
    RECT textRect{0, 0, 0, 0};
    int lineHeight = 0;
    RECT buttonRects[3]{};   // in the box's client coordinates
    RECT clientRect{0, 0, 0, 0};
    RECT windowRect{0, 0, 0, 0};
    int buttonIds[3] = {0, 0, 0};
    RECT draggedRect{0, 0, 0, 0};  // where a drag left the box
    double idleCpuShare = -1;      // the box's thread's processor time over the idle wall time
};

// The processor time `thread` has used so far, in 100 ns units. (Wine's process times
// leave out running threads; its thread times are the system's.)
inline ULONGLONG threadCpuTime(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    auto units = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return units(kernel) + units(user);
}

class BoxAnswerer {
public:
    // Starts answering the next box shown by the thread `uiThread`.
    // `waitMs` bounds the wait for the box; a test that expects none passes a short one.
    explicit BoxAnswerer(std::vector<BoxStep> steps, int waitMs = 10000, DWORD uiThread = GetCurrentThreadId())
        : steps_(std::move(steps)), waitMs_(waitMs), uiThread_(uiThread) {
        thread_ = std::thread([this] { answer(); });
    }
    ~BoxAnswerer() {
        if (thread_.joinable()) thread_.join();
    }
    // Waits for the helper to finish; call after the box's `run` has returned.
    const SeenBox& seen() {
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    HWND findBox() const {
        for (int waited = 0; waited < waitMs_; waited += 5) {
            HWND box = FindWindowA("AboutClass", nullptr);
            if (box && IsWindowVisible(box) && GetWindowThreadProcessId(box, nullptr) == uiThread_) return box;
            Sleep(5);
        }
        return nullptr;
    }

    void answer() {
        HWND box = findBox();
        if (!box) return;
        // Let WM_CREATE finish: the buttons and the focus are set inside it.
        Sleep(30);
        seen_.found = true;
        char caption[512] = {0};
        GetWindowTextA(box, caption, sizeof caption);
        seen_.caption = caption;
        auto* object = reinterpret_cast<PopupBox*>(GetWindowLongPtrA(box, GWLP_USERDATA));
        if (object) {
            seen_.text = object->text ? object->text : "";
            seen_.style = object->style;
            seen_.textRect = object->textRect;
            seen_.lineHeight = object->lineHeight;
            seen_.ownerEnabled = object->owner ? IsWindowEnabled(object->owner) != 0 : true;
        }
        GetClientRect(box, &seen_.clientRect);
        GetWindowRect(box, &seen_.windowRect);
        seen_.buttonCount = boxButtons.count;
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(uiThread_, &info);
        for (int i = 0; i < seen_.buttonCount; ++i) {
            HWND button = boxButtons.buttons[i].handle;
            char label[64] = {0};
            GetWindowTextA(button, label, sizeof label);
            seen_.labels[i] = label;
            seen_.buttonIds[i] = boxButtons.buttons[i].id;
            if (button == info.hwndFocus) seen_.focusedButton = i;
            GetWindowRect(button, &seen_.buttonRects[i]);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&seen_.buttonRects[i]), 2);
        }
        HWND anyButton = seen_.buttonCount > 0 ? boxButtons.buttons[0].handle : nullptr;
        for (const BoxStep& step : steps_) {
            switch (step.kind) {
            case BoxStep::Key: PostMessageA(anyButton, WM_KEYDOWN, step.value, 1); break;
            case BoxStep::Click:
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(boxButtons.buttons[step.value].id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(boxButtons.buttons[step.value].handle));
                break;
            case BoxStep::Command: PostMessageA(box, WM_COMMAND, MAKEWPARAM(step.value, 0), 0); break;
            case BoxStep::Close: PostMessageA(box, WM_CLOSE, 0, 0); break;
            case BoxStep::AltF4: PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); break;
            case BoxStep::Quit: PostThreadMessageA(uiThread_, WM_QUIT, step.value, 0); return;
            case BoxStep::Drag: drag(box, step.value); break;
            case BoxStep::Idle: seen_.idleCpuShare = cpuShareWhileIdle(step.value); break;
            }
        }
        // A box the steps did not end is closed, so a failing test fails instead of hanging.
        waitUntil([&] { return !IsWindow(box); }, 5000);
        if (IsWindow(box)) PostMessageA(box, WM_CLOSE, 0, 0);
    }

    // Presses the mouse on the box's body, moves it by `distance` each way and lets go,
    // as a user's hand would; notes where the box went. Each step waits until the box has
    // taken the one before: on a loaded machine a move sent before the drag began is lost.
    void drag(HWND box, int distance) {
        RECT client, before;
        GetClientRect(box, &client);
        GetWindowRect(box, &before);
        POINT start{client.right - 10, 10};
        ClientToScreen(box, &start);
        SetCursorPos(start.x, start.y);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &input, sizeof input);
        waitUntil([&] { return dragging(); });
        for (int moved = 5; moved <= distance; moved += 5) {
            SetCursorPos(start.x + moved, start.y + moved);
            input.mi.dwFlags = MOUSEEVENTF_MOVE;
            SendInput(1, &input, sizeof input);
            waitUntil([&] {
                RECT now;
                GetWindowRect(box, &now);
                return now.left == before.left + moved && now.top == before.top + moved;
            });
        }
        input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &input, sizeof input);
        waitUntil([&] { return !dragging(); });
        GetWindowRect(box, &seen_.draggedRect);
    }

    // Whether the box's thread is in the system's move loop.
    bool dragging() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(uiThread_, &info) && (info.flags & GUI_INMOVESIZE);
    }

    // Polls `done` for up to `ms`; a test that waits in vain fails on what it then sees.
    template <class Done>
    static void waitUntil(Done done, int ms = 2000) {
        for (int waited = 0; waited < ms && !done(); waited += 5) Sleep(5);
    }

    // Sleeps `ms` while the box waits; gives the share of one processor that the box's
    // thread used meanwhile.
    double cpuShareWhileIdle(int ms) const {
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, uiThread_);
        if (!thread) return -1;
        ULONGLONG cpuBefore = threadCpuTime(thread);
        DWORD start = GetTickCount();
        Sleep(ms);
        DWORD elapsed = GetTickCount() - start;
        ULONGLONG cpu = threadCpuTime(thread) - cpuBefore;
        CloseHandle(thread);
        return elapsed ? double(cpu) / 10000.0 / elapsed : -1;
    }

    std::vector<BoxStep> steps_;
    int waitMs_;
    DWORD uiThread_;
    SeenBox seen_;
    std::thread thread_;
};
