// tagvetter.exe started as its own process, as a user starts it: the control ids of a
// fresh run, the command line taken whole, the start-up show command and the exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "document.h"
#include "memory_lines.h"
#include "tag_census.h"
#include "test_support.h"

namespace {

const std::string Exe = windowsPath(TAGVETTER_GUI_EXE);
const std::string Sample = windowsPath(TAGVETTER_SAMPLE);

// The top-level window of class `className` that `process` has made, waiting for it.
HWND waitForWindow(DWORD process, const char* className) {
    for (int waited = 0; waited < 15000; waited += 10) {
        if (HWND found = topLevelWindowOf(process, className)) return found;
        Sleep(10);
    }
    return nullptr;
}

// Waits until the program has shown `window`: its start-up is over then.
bool waitUntilShown(HWND window) {
    for (int waited = 0; waited < 15000 && !IsWindowVisible(window); waited += 10) Sleep(10);
    return IsWindowVisible(window) != 0;
}

// Reads a line of another process's list box: across processes the text comes back as
// UTF-16 whatever entry point is used, so the wide one is asked.
std::string listLine(HWND list, int index) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return std::string();
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(static_cast<size_t>(length));
    return std::string(wide.begin(), wide.end());  // the sample is plain ASCII
}

// The program's own placement key, in the test's prefix.
const char SettingsKey[] = "Software\\Brindlemoor\\Tagvetter\\Settings";

class TagvetterExe : public ::testing::Test {
protected:
    // Every run starts as on a fresh installation: no placement saved.
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey); }
    // Starts the program with `arguments` after its quoted name, and `showCommand` in its
    // start-up information when it is not -1.
    void launch(const std::string& arguments, int showCommand = -1) {
        std::string commandLine = "\"" + Exe + "\"" + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (showCommand >= 0) {
            startup.dwFlags = STARTF_USESHOWWINDOW;
            startup.wShowWindow = static_cast<WORD>(showCommand);
        }
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        running = true;
    }
    // Waits for the program to end and gives its exit code.
    DWORD exitCode() {
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 15000), WAIT_OBJECT_0);
        DWORD code = 12345;
        GetExitCodeProcess(process.hProcess, &code);
        running = false;
        return code;
    }
    void TearDown() override {
        if (running) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        if (process.hProcess) {
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        process = PROCESS_INFORMATION{};
        RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey);
    }

    PROCESS_INFORMATION process{};
    bool running = false;
};

TEST_F(TagvetterExe, AFreshRunNumbersTheStatusBarOneAndTheListTwo) {
    launch("");
    HWND main = waitForWindow(process.dwProcessId, "MainClass");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitUntilShown(main));
    char title[64] = {0};
    GetWindowTextA(main, title, sizeof title);
    EXPECT_STREQ(title, "Tagvetter");
    HWND bar = FindWindowExA(main, nullptr, "msctls_statusbar32", nullptr);
    HWND list = FindWindowExA(main, nullptr, "ListBox", nullptr);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetDlgCtrlID(bar), 1);
    EXPECT_EQ(GetDlgCtrlID(list), 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(listLine(list, 0), "*** Drag files here ***");
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
    EXPECT_EQ(exitCode(), 0u);
}

TEST_F(TagvetterExe, OpensTheFileNamedOnItsCommandLine) {
    launch(" " + Sample);
    HWND main = waitForWindow(process.dwProcessId, "MainClass");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitUntilShown(main));
    HWND list = FindWindowExA(main, nullptr, "ListBox", nullptr);
    ASSERT_NE(list, nullptr);

    Document document;
    ASSERT_TRUE(document.load(Sample.c_str()));
    TagCensus census;
    ASSERT_TRUE(census.setUp());
    MemoryResultList expected;
    countTags(document, census, expected, TagProfile::html32());

    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(expected.lines.size()));
    for (int i = 0; i < expected.count(); ++i) EXPECT_EQ(listLine(list, i), expected.lines[i]);
    // The close box ends the program as Exit does.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(), 0u);
}

TEST_F(TagvetterExe, TakesTheCommandLineWholeAndReportsItBeforeShowingTheWindow) {
    const std::string path = "\"" + Sample + "\"  ";
    launch(" " + path);
    HWND box = waitForWindow(process.dwProcessId, "AboutClass");
    ASSERT_NE(box, nullptr);
    char caption[512] = {0};
    GetWindowTextA(box, caption, sizeof caption);
    EXPECT_EQ(std::string(caption), path);
    HWND main = waitForWindow(process.dwProcessId, "MainClass");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(main));
    // The box disables its owner once its window is up.
    for (int waited = 0; waited < 5000 && IsWindowEnabled(main); waited += 10) Sleep(10);
    EXPECT_FALSE(IsWindowEnabled(main));

    // Esc answers the box as its "&Ok" would; the window then invites a drop.
    HWND ok = FindWindowExA(box, nullptr, "Button", nullptr);
    ASSERT_NE(ok, nullptr);
    PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(waitUntilShown(main));
    EXPECT_TRUE(IsWindowEnabled(main));
    HWND list = FindWindowExA(main, nullptr, "ListBox", nullptr);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(listLine(list, 0), "*** Drag files here ***");
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
    EXPECT_EQ(exitCode(), 0u);
}

TEST_F(TagvetterExe, ShowsItsWindowAsItWasStarted) {
    launch("", SW_SHOWMINNOACTIVE);
    HWND main = waitForWindow(process.dwProcessId, "MainClass");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitUntilShown(main));
    EXPECT_TRUE(IsIconic(main));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
    EXPECT_EQ(exitCode(), 0u);
}

TEST_F(TagvetterExe, ComesBackWhereAndAsItWasClosed) {
    launch("");
    HWND main = waitForWindow(process.dwProcessId, "MainClass");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitUntilShown(main));
    SetWindowPos(main, nullptr, 70, 80, 420, 300, SWP_NOZORDER);
    ShowWindow(main, SW_MAXIMIZE);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
    ASSERT_EQ(exitCode(), 0u);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = PROCESS_INFORMATION{};

    // Started minimized, the window still comes back maximized, and restoring it gives
    // back its old rectangle. (Wine does not report another process's placement, so
    // the rectangle is looked at after a restore.)
    launch("", SW_SHOWMINNOACTIVE);
    main = waitForWindow(process.dwProcessId, "MainClass");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitUntilShown(main));
    EXPECT_TRUE(IsZoomed(main));
    ShowWindow(main, SW_RESTORE);
    RECT normal;
    GetWindowRect(main, &normal);
    EXPECT_EQ(normal.left, 70);
    EXPECT_EQ(normal.top, 80);
    EXPECT_EQ(normal.right, 490);
    EXPECT_EQ(normal.bottom, 380);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
    EXPECT_EQ(exitCode(), 0u);
}

}  // namespace
