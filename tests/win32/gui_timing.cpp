// Measures, in one run under Wine, how long tagvetter.exe takes to open a document and
// show its census against the command line's `count` of the same file, and the time and
// memory of View all tags on it. Not a test: it prints figures.
//   gui_timing.exe GUI_EXE CLI_EXE FILE [ROUNDS [all]]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "application.h"
#include "memory_lines.h"
#include "resource.h"
#include "tag_listing.h"
#include "test_support.h"

namespace {

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Starts `commandLine` with its output thrown away and gives its process.
PROCESS_INFORMATION start(std::string commandLine) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    startup.hStdInput = nul;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "can't start %s\n", commandLine.c_str());
        exit(2);
    }
    CloseHandle(nul);
    return process;
}

void finish(PROCESS_INFORMATION& process) {
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

// The command line's count, from process start to its end.
double cliCount(const std::string& cli, const std::string& file) {
    double t0 = now();
    PROCESS_INFORMATION process = start("\"" + cli + "\" count " + file);
    finish(process);
    return now() - t0;
}

// The program with the file on its command line, from process start until its window is
// shown, which it is once the census is in the list.
double guiOpen(const std::string& gui, const std::string& file, int& lines) {
    double t0 = now();
    PROCESS_INFORMATION process = start("\"" + gui + "\" " + file);
    HWND main = nullptr;
    while (!main || !IsWindowVisible(main)) {
        main = topLevelWindowOf(process.dwProcessId, "MainClass");
        if (!main || !IsWindowVisible(main)) Sleep(1);
    }
    double elapsed = now() - t0;
    HWND list = FindWindowExA(main, nullptr, "ListBox", nullptr);
    lines = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    PostMessageA(main, WM_COMMAND, CMD_EXIT, 0);
    finish(process);
    return elapsed;
}

// Wine reports the process's private committed memory as its page-file usage.
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Appends straight to the list box, never making room ahead.
class BareList : public ResultList {
public:
    void append(const char* line) override {
        SendMessageA(listBox.handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    }
};

SIZE_T peakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: gui_timing GUI_EXE CLI_EXE FILE [ROUNDS]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string gui = argv[1], cli = argv[2], file = argv[3];
    int rounds = argc > 4 ? atoi(argv[4]) : 3;
    bool withoutRoom = argc > 5 && strcmp(argv[5], "all") == 0;

    std::vector<double> cliTimes, guiTimes;
    int guiLines = 0;
    for (int i = 0; i < rounds; ++i) {
        cliTimes.push_back(cliCount(cli, file));
        guiTimes.push_back(guiOpen(gui, file, guiLines));
    }
    printf("processes, median of %d (start to end / start to census shown):\n", rounds);
    printf("  CLI count             %.3f s\n", median(cliTimes));
    printf("  GUI open and census   %.3f s  (%d lines)  ratio %.2f\n", median(guiTimes), guiLines,
           median(guiTimes) / median(cliTimes));

    // The same open in this process, then View all tags on the shown window.
    if (!startUp(GetModuleHandleA(nullptr), "")) return 1;
    mainWindow.show(SW_SHOWNORMAL);
    double t0 = now();
    {
        Document alone;
        alone.load(file.c_str());
        printf("in process:\n  load alone            %.3f s\n", now() - t0);
    }
    t0 = now();
    mainWindow.openDocument(file.c_str());
    UpdateWindow(mainWindow.handle);
    double opened = now() - t0;
    printf("  openDocument + paint  %.3f s  (%s)\n", opened, mainWindow.documentPath);

    SIZE_T before = privateBytes();
    t0 = now();
    SendMessageA(mainWindow.handle, WM_COMMAND, CMD_VIEW_ALL_TAGS, 0);
    UpdateWindow(mainWindow.handle);
    double listed = now() - t0;
    SIZE_T after = privateBytes();
    int count = static_cast<int>(SendMessageA(listBox.handle, LB_GETCOUNT, 0, 0));
    printf("  View all tags         %.3f s  %d lines, private memory +%.1f MB (%.1f MB in all, peak %.1f MB)\n",
           listed, count, (after - before) / 1048576.0, after / 1048576.0, peakPrivateBytes() / 1048576.0);

    // With "all": the same listing with less help, to show what each is worth (minutes
    // on a large file): no room made ahead, and the list drawn after every line.
    const char* names[] = {"no room made ahead", "drawn after every line"};
    for (int variant = 0; withoutRoom && variant < 2; ++variant) {
        BareList bare;
        mainWindow.results.empty();
        t0 = now();
        if (variant == 0) {
            mainWindow.results.suspendRedraw();
            listTagLines(document, "", bare, TagProfile::html32());
            mainWindow.results.resumeRedraw();
        } else {
            listTagLines(document, "", mainWindow.results, TagProfile::html32());
        }
        UpdateWindow(mainWindow.handle);
        printf("  listing, %-23s %.3f s\n", names[variant], now() - t0);
    }

    t0 = now();
    SendMessageA(mainWindow.handle, WM_COMMAND, CMD_COUNT_TAGS, 0);
    UpdateWindow(mainWindow.handle);
    printf("  back to Count tags    %.3f s  (private memory %.1f MB)\n", now() - t0, privateBytes() / 1048576.0);
    // Once more, now that the process's heap has the room from the first time.
    t0 = now();
    SendMessageA(mainWindow.handle, WM_COMMAND, CMD_VIEW_ALL_TAGS, 0);
    UpdateWindow(mainWindow.handle);
    printf("  View all tags again   %.3f s\n", now() - t0);
    DestroyWindow(mainWindow.handle);
    return 0;
}
