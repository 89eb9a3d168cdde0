// Posts one menu command to the running tagvetter.exe, as choosing it from the menu would;
// the screenshots use it to bring up a box over the main window.
//   post_command.exe COMMAND-ID
#include <windows.h>

#include <cstdlib>

// Waits up to 10 s for the shown main window, then posts the command; 1 when there is none.
int main(int argc, char** argv) {
    if (argc != 2) return 2;
    WPARAM command = MAKEWPARAM(atoi(argv[1]), 0);
    for (int waited = 0; waited < 10000; waited += 50) {
        HWND main = FindWindowA("MainClass", "Tagvetter");
        if (main && IsWindowVisible(main)) return PostMessageA(main, WM_COMMAND, command, 0) ? 0 : 1;
        Sleep(50);
    }
    return 1;
}
