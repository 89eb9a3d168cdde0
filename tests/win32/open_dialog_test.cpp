// The Open command with the platform's dialog, answered from a helper thread as a user
// would: cancelled, or with a file name typed in.
#include <windows.h>
#include <dlgs.h>

#include <string>
#include <thread>

#include "app_fixture.h"
#include "resource.h"

namespace {

// What the helper saw of the dialog.
struct SeenDialog {
    bool found = false;
    std::string title;
    std::string firstFilter;
    bool readOnlyBoxShown = true;
    bool ownerEnabled = true;
};

// Waits for the open dialog of `uiThread`, notes it, then types `typed` and presses Open,
// or cancels when `typed` is empty.
void answerDialog(DWORD uiThread, HWND owner, std::string typed, SeenDialog& seen) {
    HWND dialog = nullptr;
    for (int waited = 0; waited < 10000 && !dialog; waited += 10) {
        HWND found = FindWindowA("#32770", nullptr);
        if (found && IsWindowVisible(found) && GetWindowThreadProcessId(found, nullptr) == uiThread) dialog = found;
        else Sleep(10);
    }
    if (!dialog) return;
    Sleep(100);
    seen.found = true;
    seen.title = windowText(dialog);
    seen.ownerEnabled = IsWindowEnabled(owner) != 0;
    char filter[128] = {0};
    SendMessageA(GetDlgItem(dialog, cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(filter));
    seen.firstFilter = filter;
    HWND readOnly = GetDlgItem(dialog, chx1);
    seen.readOnlyBoxShown = readOnly && IsWindowVisible(readOnly);
    if (typed.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The name field is an edit box in some versions of the dialog and a combo box in others.
    HWND name = GetDlgItem(dialog, edt1);
    if (!name) name = GetDlgItem(dialog, cmb13);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// A typed name, or none for cancel, and where the Open command ends.
struct OpenCase {
    std::string typed;
    bool message;          // "Can't open file" with the typed path as caption
    bool opened;           // the typed file's census is up
};

TEST_F(AppTest, OpenCancelledChangesNothingAndATypedNameIsOpenedOrReported) {
    const std::string sample = windowsPath(TAGVETTER_SAMPLE);
    const std::string missing = sample.substr(0, sample.rfind('\\')) + "\\no-such-page.htm";
    const OpenCase cases[] = {
        {"", false, false},
        {missing, true, false},
        {sample, false, true},
    };
    start();
    for (const OpenCase& c : cases) {
        SeenDialog seen;
        std::thread helper(answerDialog, GetCurrentThreadId(), mainWindow.handle, c.typed, std::ref(seen));
        BoxAnswerer answerer({{BoxStep::Key, VK_RETURN}}, c.message ? 10000 : 1500);
        command(CMD_OPEN);
        helper.join();
        SeenBox box = answerer.seen();
        ASSERT_TRUE(seen.found) << c.typed;
        // The platform's own title, not a blank one.
        EXPECT_EQ(seen.title, "Open");
        EXPECT_EQ(seen.firstFilter, "HTML files (*.htm)");
        EXPECT_FALSE(seen.readOnlyBoxShown);
        EXPECT_FALSE(seen.ownerEnabled);
        EXPECT_EQ(box.found, c.message) << c.typed;
        if (c.message) {
            EXPECT_EQ(box.text, "Can't open file");
            EXPECT_EQ(box.caption, c.typed);
        }
        if (c.opened) {
            EXPECT_EQ(pane(0), c.typed);
            EXPECT_EQ(mainWindow.viewMode, ViewCensus);
        } else {
            // Cancel leaves the drop hint; the failed open empties the list.
            EXPECT_EQ(lines().size(), c.message ? 0u : 1u) << c.typed;
            EXPECT_EQ(mainWindow.viewMode, ViewNothing) << c.typed;
        }
    }
}

}  // namespace
