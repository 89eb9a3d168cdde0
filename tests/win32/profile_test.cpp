// The profile in the window: the View menu's group of profiles, the choice kept in the
// registry, the automatic choice from the page, and, for every profile and view, the same
// lines and summaries as the command line gives for the same page.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "cli_in_process.h"
#include "page_profile.h"
#include "registry_key.h"
#include "resource.h"
#include "window_placement.h"

namespace {

// Pages of each kind: a 1990s page, a current one with a custom element of 79 letters, an
// inline exception and an obsolete element, an XHTML 1.0 page and one without a doctype
// that holds what only the HTML reading sees.
const std::string LongName = "x-" + std::string(77, 'w');
const struct Page {
    const char* name;
    std::string text;
} Pages[] = {
    {"old.htm", "<HTML><BODY>\n<TD>x</TD><FONT colour=red>y</FONT>\n<A href=\"next.htm\">n</A></BODY></HTML>\n"},
    {"current.html", "<!DOCTYPE html>\n<main><" + LongName + " data-x=1></" + LongName +
                         ">\n<div><p>a<b>b</i></div>\n<font>f</font>\n"
                         "<!-- tagvetter-disable-next-line unknown-attribute -->\n<img src=a.png lazyload>\n</main>\n"},
    {"strict.htm", "<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                   "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n<html xmlns=\"http://www.w3.org/1999/xhtml\">"
                   "<body><div><span>s</div><br/></body></html>\n"},
    {"plain.htm", "<p title=\"a > b\">x</p>\n<table><tr><td>c</table>\n"},
};

const char* const ProfileNames[] = {"html32", "html4", "html5"};

class ProfileTest : public AppTest {
protected:
    bool checked(UINT id) const { return (GetMenuState(GetMenu(mainWindow.handle), id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    DWORD savedChoice() const {
        RegistryKey key;
        DWORD value = 99;
        if (key.openOrCreate(TestSettingsKey)) key.readDword("profile", value, 99);
        return value;
    }
    // Selects the first line that begins with `prefix`.
    void select(const std::string& prefix) {
        const std::vector<std::string> all = lines();
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].compare(0, prefix.size(), prefix) == 0) {
                SendMessageA(listBox.handle, LB_SETCURSEL, i, 0);
                return;
            }
        }
        ADD_FAILURE() << "no line begins with " << prefix;
    }
};

// Every page through every choice and view: the list's lines are the command line's, and
// so is the summary pane where the command line gives one.
TEST_F(ProfileTest, EveryProfileAndViewGivesTheCommandLinesAnswers) {
    const ScratchFolder folder;
    start();
    int compared = 0;
    for (const Page& page : Pages) {
        const std::string path = folder.write(page.name, page.text);
        for (int choice = ProfileHtml32; choice <= ProfileAutomatic; ++choice) {
            const std::string profile =
                choice == ProfileAutomatic ? profileOfPage(page.text.data(), page.text.size()) : ProfileNames[choice];
            const std::string what = std::string(page.name) + " with choice " + std::to_string(choice);
            command(CMD_PROFILE_HTML32 + choice);
            mainWindow.openDocument(path.c_str());
            ASSERT_EQ(mainWindow.viewMode, ViewCensus) << what;

            const CliOutput census = cliOutput({"count", "--profile", profile, path});
            EXPECT_EQ(lines(), census.lines) << what;
            EXPECT_EQ(pane(1), census.summary) << what;
            // View one tag of the census's first line, as the command line's tag NAME.
            ASSERT_FALSE(census.lines.empty()) << what;
            select(census.lines.front());
            command(CMD_VIEW_ONE_TAG);
            const CliOutput one = cliOutput({"tag", "--profile", profile, census.lines.front(), path});
            EXPECT_EQ(lines(), one.lines) << what;
            EXPECT_EQ(pane(1), one.summary) << what;

            command(CMD_CHECK_DOCUMENT);
            EXPECT_EQ(lines(), cliOutput({"check", "--profile", profile, path}).lines) << what;
            command(CMD_VIEW_ALL_TAGS);
            const CliOutput all = cliOutput({"tags", "--profile", profile, path});
            EXPECT_EQ(lines(), all.lines) << what;
            EXPECT_EQ(pane(1), all.summary) << what;
            command(CMD_VIEW_KNOWN_TAGS);
            EXPECT_EQ(lines(), cliOutput({"known", "--profile", profile}).lines) << what;
            compared += 5;
        }
    }
    EXPECT_EQ(compared, 4 * 4 * 5);
}

// The group's one checked item follows the choice, the title names the profile in use,
// the choice outlives the window, and a listing shown is redone at once.
TEST_F(ProfileTest, TheChoiceIsCheckedShownKeptAndAppliedAtOnce) {
    const ScratchFolder folder;
    const std::string current = folder.write(Pages[1].name, Pages[1].text);
    const std::string old = folder.write(Pages[0].name, Pages[0].text);
    start();
    // Never told otherwise: HTML 3.2, and the window as it always was.
    EXPECT_TRUE(checked(CMD_PROFILE_HTML32));
    EXPECT_FALSE(checked(CMD_PROFILE_HTML5));
    EXPECT_EQ(windowText(mainWindow.handle), "Tagvetter");
    EXPECT_EQ(savedChoice(), 99u);

    mainWindow.openDocument(current.c_str());
    command(CMD_CHECK_DOCUMENT);
    const std::vector<std::string> asHtml32 = lines();
    command(CMD_PROFILE_HTML5);
    EXPECT_EQ(mainWindow.viewMode, ViewCheck);
    EXPECT_NE(lines(), asHtml32);
    EXPECT_EQ(lines(), cliOutput({"check", "--profile", "html5", current}).lines);
    EXPECT_TRUE(checked(CMD_PROFILE_HTML5));
    EXPECT_FALSE(checked(CMD_PROFILE_HTML32));
    EXPECT_EQ(windowText(mainWindow.handle), "Tagvetter - HTML5");
    EXPECT_EQ(savedChoice(), static_cast<DWORD>(ProfileHtml5));

    command(CMD_PROFILE_AUTO);
    EXPECT_EQ(windowText(mainWindow.handle), "Tagvetter - HTML5 (automatic)");
    mainWindow.openDocument(old.c_str());
    EXPECT_EQ(windowText(mainWindow.handle), "Tagvetter - HTML 3.2 (automatic)");
    EXPECT_EQ(lines(), cliOutput({"count", "--profile", "html32", old}).lines);
    command(CMD_PROFILE_HTML4);
    EXPECT_EQ(windowText(mainWindow.handle), "Tagvetter - HTML 4.01");

    // A new window starts with the kept choice; a value out of range means the default.
    DestroyWindow(mainWindow.handle);
    drainQueue();
    UnregisterClassA("MainClass", moduleInstance());
    UnregisterClassA("AboutClass", moduleInstance());
    document.release();
    start();
    EXPECT_EQ(mainWindow.profileChoice, ProfileHtml4);
    EXPECT_TRUE(checked(CMD_PROFILE_HTML4));
    EXPECT_EQ(restoreProfileChoice(TestSettingsKey, ProfileAutomatic, ProfileHtml32), static_cast<DWORD>(ProfileHtml4));
    ASSERT_TRUE(saveProfileChoice(TestSettingsKey, 7));
    EXPECT_EQ(restoreProfileChoice(TestSettingsKey, ProfileAutomatic, ProfileHtml32), static_cast<DWORD>(ProfileHtml32));
}

// The tab stops the list box was last given, caught on their way in.
std::vector<int> givenTabStops;
WNDPROC listProcedure = nullptr;
LRESULT CALLBACK recordTabStops(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_SETTABSTOPS) {
        const INT* stops = reinterpret_cast<const INT*>(lParam);
        givenTabStops.assign(stops, stops + wParam);
    }
    return CallWindowProcA(listProcedure, window, message, wParam, lParam);
}

// With a profile that reads names of 79 letters, the census's count moves right of the
// longest name, and the list scrolls to the end of its widest line; HTML 3.2 keeps its
// stops.
TEST_F(ProfileTest, TheCensusColumnsMakeRoomForLongNames) {
    const ScratchFolder folder;
    const std::string current = folder.write(Pages[1].name, Pages[1].text);
    start();
    listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(listBox.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordTabStops)));
    mainWindow.openDocument(current.c_str());
    EXPECT_EQ(givenTabStops, (std::vector<int>{60, 60}));

    command(CMD_PROFILE_HTML5);
    std::string upper = LongName;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::vector<std::string> census = lines();
    const std::string longLine = upper + "\t1\tCustom element";
    ASSERT_NE(std::find(census.begin(), census.end(), longLine), census.end());
    // The first stop, a quarter of the average character a unit, lies past the name.
    ASSERT_EQ(givenTabStops.size(), 2u);
    EXPECT_GE(givenTabStops[0], 4 * static_cast<int>(upper.size() + 1));
    EXPECT_EQ(givenTabStops[1] - givenTabStops[0], 0);
    HDC dc = GetDC(listBox.handle);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(listBox.handle, WM_GETFONT, 0, 0)));
    SIZE drawn{};
    GetTextExtentPoint32A(dc, (upper + " 1 Custom element").c_str(), static_cast<int>(upper.size() + 17), &drawn);
    SelectObject(dc, font);
    ReleaseDC(listBox.handle, dc);
    EXPECT_GT(static_cast<int>(SendMessageA(listBox.handle, LB_GETHORIZONTALEXTENT, 0, 0)), drawn.cx);
}

}  // namespace
