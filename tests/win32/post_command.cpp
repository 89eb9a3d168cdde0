// Posts steps to the running tagvetter.exe, as a user's menu choices and keys would; the
// screenshots use it to bring up a box or a menu over the main window.
//   post_command.exe STEP[,STEP...]
// A STEP is a menu command id (40006 is About), "right" (scroll the list fully right),
// "menu:LETTER" (open the menu bar's pop-up of that letter) or "esc" (press Esc in the
// box that is up).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Waits up to 10 s for a shown window of `className`; null when none comes.
HWND waitForWindow(const char* className, const char* title) {
    for (int waited = 0; waited < 10000; waited += 50) {
        HWND window = FindWindowA(className, title);
        if (window && IsWindowVisible(window)) return window;
        Sleep(50);
    }
    return nullptr;
}

// Posts one step; false when its window never came or the step is unknown.
bool post(const std::string& step) {
    if (step == "esc") {
        HWND box = waitForWindow("AboutClass", nullptr);
        HWND button = box ? FindWindowExA(box, nullptr, "Button", nullptr) : nullptr;
        return button && PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 1);
    }
    HWND main = waitForWindow("MainClass", nullptr);
    if (!main) return false;
    if (step == "right") {
        HWND list = FindWindowExA(main, nullptr, "ListBox", nullptr);
        return list && PostMessageA(list, WM_HSCROLL, SB_RIGHT, 0);
    }
    if (step.compare(0, 5, "menu:") == 0 && step.size() == 6)
        return PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, static_cast<unsigned char>(step[5])) != 0;
    int command = atoi(step.c_str());
    return command > 0 && PostMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

}  // namespace

// Posts the steps in order, a moment apart so each is handled before the next is sent;
// 1 when one of them could not be posted.
int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string steps = argv[1];
    for (size_t start = 0; start <= steps.size();) {
        size_t end = steps.find(',', start);
        if (end == std::string::npos) end = steps.size();
        if (!post(steps.substr(start, end - start))) return 1;
        Sleep(300);
        start = end + 1;
    }
    return 0;
}
