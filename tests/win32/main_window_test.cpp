// The application in-process: start-up, opening files, every command on the real list box
// and status bar, the menu, the messages, drops and the ways out; plus the program's
// resources.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "document_check.h"
#include "known_tag_reference.h"
#include "memory_lines.h"
#include "resource.h"
#include "tag_listing.h"

namespace {

const std::string Sample = windowsPath(TAGVETTER_SAMPLE);
const std::string SampleFolder = Sample.substr(0, Sample.rfind('\\'));

// What the analysis gives for the sample, computed apart from the window.
struct Expected {
    std::vector<std::string> lines;
    std::string pane1;
    int longest = 0;
};

// `run` fills the lines and gives the status bar's second pane, and the longest tag's
// length where there is one.
Expected analyse(const std::function<std::string(Document&, MemoryResultList&, int&)>& run) {
    Document doc;
    EXPECT_TRUE(doc.load(Sample.c_str()));
    MemoryResultList list;
    int longest = 0;
    std::string pane1 = run(doc, list, longest);
    return {list.lines, pane1, longest};
}

Expected expectedCensus() {
    return analyse([](Document& doc, MemoryResultList& list, int&) {
        TagCensus census;
        census.setUp();
        countTags(doc, census, list, TagProfile::html32());
        return censusSummary(census.count);
    });
}

Expected expectedListing(const char* filter) {
    return analyse([filter](Document& doc, MemoryResultList& list, int& longest) {
        longest = listTagLines(doc, filter, list, TagProfile::html32());
        return longestSummary(longest);
    });
}

// The tab stops the list box was last given, caught on their way in.
std::vector<int> lastTabStops;
bool tabStopsSet = false;
WNDPROC listProcedure = nullptr;

LRESULT CALLBACK recordTabStops(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_SETTABSTOPS) {
        const INT* stops = reinterpret_cast<const INT*>(lParam);
        lastTabStops.assign(stops, stops + wParam);
        tabStopsSet = true;
    }
    return CallWindowProcA(listProcedure, window, message, wParam, lParam);
}

// The commands that need a document, in the menu's order.
const std::vector<UINT> DocumentCommands = {CMD_CHECK_DOCUMENT, CMD_COUNT_TAGS, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG};

class MainWindowTest : public AppTest {
protected:
    void start(const std::string& commandLine = "") {
        AppTest::start(commandLine);
        listProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(listBox.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordTabStops)));
    }
    // Starts with a file named on the command line whose opening shows a message.
    SeenBox startAnswering(const std::string& commandLine) {
        BoxAnswerer answerer({{BoxStep::Key, VK_RETURN}});
        start(commandLine);
        return answerer.seen();
    }
    void TearDown() override {
        AppTest::TearDown();
        releaseKeys();
        tabStopsSet = false;
    }

    // Sends a command that shows a message and answers it with Enter.
    SeenBox commandAnswering(int id) {
        BoxAnswerer answerer({{BoxStep::Key, VK_RETURN}});
        command(id);
        return answerer.seen();
    }
    // Opens a file through the window, answering a "Can't open file" if one comes.
    SeenBox open(const std::string& path) {
        BoxAnswerer answerer({{BoxStep::Key, VK_RETURN}}, 1500);
        mainWindow.openDocument(path.c_str());
        return answerer.seen();
    }
    int extent() const { return static_cast<int>(SendMessageA(listBox.handle, LB_GETHORIZONTALEXTENT, 0, 0)); }
    void select(const std::string& prefix) {
        std::vector<std::string> all = lines();
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].compare(0, prefix.size(), prefix) == 0) {
                SendMessageA(listBox.handle, LB_SETCURSEL, i, 0);
                return;
            }
        }
        ADD_FAILURE() << "no line starts with " << prefix;
    }
    // The menu's commands that are greyed, in the menu's order.
    std::vector<UINT> greyedCommands() const {
        HMENU menu = GetMenu(mainWindow.handle);
        std::vector<UINT> greyed;
        for (UINT id : {CMD_OPEN, CMD_EXIT, CMD_CHECK_DOCUMENT, CMD_COUNT_TAGS, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG,
                        CMD_VIEW_KNOWN_TAGS, CMD_ABOUT}) {
            if (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) greyed.push_back(id);
        }
        return greyed;
    }
};

TEST_F(MainWindowTest, StartsWithTheDropHintInAnUnshownWindow) {
    start();
    EXPECT_EQ(lines(), std::vector<std::string>{"*** Drag files here ***"});
    EXPECT_EQ(mainWindow.viewMode, ViewNothing);
    EXPECT_EQ(greyedCommands(), DocumentCommands);
    EXPECT_EQ(windowText(mainWindow.handle), "Tagvetter");
    EXPECT_EQ(windowClassName(mainWindow.handle), "MainClass");
    EXPECT_FALSE(IsWindowVisible(mainWindow.handle));
    RECT frame;
    GetWindowRect(mainWindow.handle, &frame);
    EXPECT_EQ(frame.right - frame.left, 440);
    EXPECT_EQ(frame.bottom - frame.top, 482);
    EXPECT_EQ(pane(0), "");
    EXPECT_EQ(pane(1), "");
    EXPECT_EQ(mainWindow.documentPath[0], '\0');
    EXPECT_GT(mainWindow.averageCharWidth, 0);
    // The bar is made while the frame is created, the list right after.
    EXPECT_EQ(listBox.id, statusBar.id + 1);
    EXPECT_EQ(GetWindowLongA(listBox.handle, GWL_STYLE) & 0xFFFF, 0x0181);
    EXPECT_TRUE(GetWindowLongA(mainWindow.handle, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(MainWindowTest, StatusBarPanesEndTwoAndTwentyTwoCharactersShortOfTheRight) {
    start();
    mainWindow.show(SW_SHOWNORMAL);
    RECT bar;
    GetWindowRect(statusBar.handle, &bar);
    int width = bar.right - bar.left;
    int average = barAverageCharWidth(statusBar.handle);
    int edges[2] = {0, 0};
    ASSERT_EQ(SendMessageA(statusBar.handle, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[1], width - 2 * average);
    EXPECT_EQ(edges[0], width - 22 * average);
}

TEST_F(MainWindowTest, OpeningFromTheCommandLineShowsTheCensus) {
    start(Sample);
    Expected census = expectedCensus();
    ASSERT_FALSE(census.lines.empty());
    EXPECT_EQ(lines(), census.lines);
    EXPECT_EQ(pane(0), Sample);
    EXPECT_EQ(pane(1), census.pane1);
    EXPECT_EQ(pane(1), std::to_string(census.lines.size()) + " different tags");
    EXPECT_STREQ(mainWindow.documentPath, Sample.c_str());
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
    EXPECT_TRUE(greyedCommands().empty());
    // The start-up's tab stops were set before the test could watch; a second open
    // takes the same road.
    EXPECT_FALSE(open(Sample).found);
    EXPECT_EQ(lastTabStops, (std::vector<int>{60, 60}));
    EXPECT_EQ(lines(), census.lines);
}

// How far right the lines of `list` reach as the list itself draws them, in pixels from
// its left edge: the list is widened past every line and drawn page by page into a
// bitmap, where the rightmost pixel off the white ground ends the widest line.
int drawnRightEnd(HWND list) {
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    RECT window;
    GetWindowRect(list, &window);
    SetWindowPos(list, nullptr, 0, 0, 6000, window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(list, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const auto* pixels = static_cast<const DWORD*>(bits);
    int rightEnd = 0;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    int page = std::max(1, static_cast<int>(client.bottom / SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)));
    for (int top = 0; top < count; top += page) {
        SendMessageA(list, LB_SETTOPINDEX, top, 0);
        PatBlt(dc, 0, 0, client.right, client.bottom, WHITENESS);
        SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = client.right - 1; x >= rightEnd; --x) {
                if ((pixels[y * client.right + x] & 0xFFFFFF) != 0xFFFFFF) {
                    rightEnd = x + 1;
                    break;
                }
            }
        }
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    SetWindowPos(list, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    return rightEnd;
}

// One command after the sample's census: the mode, the lines and the tab stops (none:
// left as they were).
struct CommandCase {
    const char* name;
    int command;
    int viewMode;
    std::function<Expected()> expected;
    std::vector<int> tabStops;
};

class CommandTest : public MainWindowTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTest, FillsTheListAndSetsItsViewMode) {
    const CommandCase& c = GetParam();
    start(Sample);
    command(CMD_VIEW_KNOWN_TAGS);  // leave the census first, so every command changes something
    tabStopsSet = false;
    command(c.command);
    Expected expected = c.expected();
    EXPECT_EQ(lines(), expected.lines) << c.name;
    EXPECT_EQ(mainWindow.viewMode, c.viewMode) << c.name;
    if (c.tabStops.empty()) {
        EXPECT_FALSE(tabStopsSet) << c.name;
    } else {
        EXPECT_EQ(lastTabStops, c.tabStops) << c.name;
    }
    if (!expected.pane1.empty()) {
        EXPECT_EQ(pane(1), expected.pane1) << c.name;
    }
    EXPECT_EQ(pane(0), Sample) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTest,
    ::testing::Values(
        CommandCase{"count tags", CMD_COUNT_TAGS, ViewCensus, expectedCensus, {60, 60}},
        CommandCase{"check document", CMD_CHECK_DOCUMENT, ViewCheck,
                    [] {
                        return analyse([](Document& doc, MemoryResultList& list, int&) {
                            checkLines(doc, list, TagProfile::html32());
                            return std::string();
                        });
                    },
                    {}},
        CommandCase{"view all tags", CMD_VIEW_ALL_TAGS, ViewAllTags, [] { return expectedListing(""); }, {}}));

// A listing in a sequence on one document, and how far its list scrolls sideways by
// design, in average characters.
struct ExtentCase {
    const char* name;
    const char* select;  // the line to select first, or null
    int command;
    int designChars;
    bool outgrowsDesign;  // whether the document's widest line needs more
};

TEST_F(MainWindowTest, EveryListingScrollsToTheEndOfItsWidestLine) {
    // A long tag of wide letters: its line, line number included, is far wider than its
    // length in average characters.
    const std::string wide(70, 'W');
    const ScratchFolder folder;
    start(folder.write("wide.htm", "<html>\n<body bgcolor=\"#FFFFF0\">\n<" + wide + ">\n<td>cell</td>\n</body>\n</html>\n"));
    const int longest = 1 + static_cast<int>(wide.size());
    const ExtentCase cases[] = {
        {"count tags", nullptr, CMD_COUNT_TAGS, 80, false},
        {"view one tag", "WWW", CMD_VIEW_ONE_TAG, longest, true},
        {"check document", nullptr, CMD_CHECK_DOCUMENT, 100, false},
        {"view all tags", nullptr, CMD_VIEW_ALL_TAGS, longest, true},
        {"view all known tags", nullptr, CMD_VIEW_KNOWN_TAGS, 160, false},
    };
    for (const ExtentCase& c : cases) {
        if (c.select) select(c.select);
        command(c.command);
        ASSERT_FALSE(lines().empty()) << c.name;
        int design = c.designChars * mainWindow.averageCharWidth;
        int drawn = drawnRightEnd(listBox.handle);
        EXPECT_EQ(drawn > design, c.outgrowsDesign) << c.name << ": drawn " << drawn << ", design " << design;
        // Scrolled fully right, the widest line's last pixel shows; the list scrolls as
        // far as its design says, and not much further than its lines need.
        EXPECT_GE(extent(), drawn) << c.name;
        EXPECT_GE(extent(), design) << c.name;
        EXPECT_LE(extent(), std::max(design, drawn + mainWindow.averageCharWidth)) << c.name;
    }
}

TEST_F(MainWindowTest, ALongListingKeepsEveryLineInOrder) {
    // Enough lines to outgrow the room the list makes ahead several times over.
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "<b>" + std::to_string(i) + "</b>\n";
    const ScratchFolder folder;
    start(folder.write("long.htm", text));
    command(CMD_VIEW_ALL_TAGS);
    std::vector<std::string> all = lines();
    ASSERT_EQ(all.size(), 6000u);
    EXPECT_EQ(all.front(), "0001  <b>");
    EXPECT_EQ(all[1], "0001  </b>");
    EXPECT_EQ(all[4095], "2048  </b>");
    EXPECT_EQ(all.back(), "3000  </b>");
    // And back to the census, which replaces them all.
    command(CMD_COUNT_TAGS);
    EXPECT_EQ(lines(), (std::vector<std::string>{"B\t3000\tBold", "/B\t3000\tBold end"}));
}

TEST_F(MainWindowTest, ViewAllKnownTagsWorksWithoutADocument) {
    start();
    command(CMD_VIEW_KNOWN_TAGS);
    MemoryResultList reference;
    referenceLines(knownTagRows(TagProfile::html32()), reference);
    EXPECT_EQ(lines(), reference.lines);
    EXPECT_EQ(lines().size(), 136u);
    EXPECT_EQ(mainWindow.viewMode, ViewKnownTags);
    EXPECT_EQ(lastTabStops, (std::vector<int>{60, 150}));
    EXPECT_EQ(pane(1), "");
    // Twice in a row gives the same 136 lines.
    command(CMD_VIEW_KNOWN_TAGS);
    EXPECT_EQ(lines(), reference.lines);
}

TEST_F(MainWindowTest, CommandsThatNeedADocumentDoNothingWithoutOne) {
    start();
    // The menu shows them greyed; sent all the same, they do nothing.
    EXPECT_EQ(greyedCommands(), DocumentCommands);
    for (int id : {CMD_COUNT_TAGS, CMD_CHECK_DOCUMENT, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG}) {
        BoxAnswerer none({{BoxStep::Key, VK_RETURN}}, 300);
        command(id);
        EXPECT_FALSE(none.seen().found) << id;
        EXPECT_EQ(lines(), std::vector<std::string>{"*** Drag files here ***"}) << id;
        EXPECT_EQ(mainWindow.viewMode, ViewNothing) << id;
        EXPECT_EQ(pane(1), "") << id;
    }
}

TEST_F(MainWindowTest, ViewOneTagListsTheSelectedCensusName) {
    start(Sample);
    select("/A\t");  // a closing name lists its opening tags too
    command(CMD_VIEW_ONE_TAG);
    Expected expected = expectedListing("A");
    ASSERT_FALSE(expected.lines.empty());
    EXPECT_EQ(lines(), expected.lines);
    EXPECT_EQ(mainWindow.viewMode, ViewOneTag);
    EXPECT_EQ(pane(1), "Longest: " + std::to_string(expected.longest));
}

TEST_F(MainWindowTest, ViewOneTagListsTheSelectedReferenceRow) {
    start(Sample);
    command(CMD_VIEW_KNOWN_TAGS);
    select("/TABLE\t");
    command(CMD_VIEW_ONE_TAG);
    EXPECT_EQ(lines(), expectedListing("TABLE").lines);
    EXPECT_EQ(mainWindow.viewMode, ViewOneTag);
}

TEST_F(MainWindowTest, ViewOneTagWithoutASelectionOrFromAnotherViewExplains) {
    start(Sample);
    std::vector<std::string> census = lines();
    SeenBox seen = commandAnswering(CMD_VIEW_ONE_TAG);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "Go to \"Count tags\" and highlight the one you want to see.");
    EXPECT_EQ(seen.caption, "Tagvetter");
    EXPECT_EQ(seen.style, static_cast<DWORD>(MB_ICONASTERISK));
    EXPECT_EQ(seen.labels[0], "&Ok");
    EXPECT_EQ(lines(), census);
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
    EXPECT_TRUE(IsWindowEnabled(mainWindow.handle));

    // A selected line in the check results (or in a listing) is not a name.
    command(CMD_CHECK_DOCUMENT);
    SendMessageA(listBox.handle, LB_SETCURSEL, 0, 0);
    std::vector<std::string> check = lines();
    ASSERT_TRUE(commandAnswering(CMD_VIEW_ONE_TAG).found);
    EXPECT_EQ(lines(), check);
    EXPECT_EQ(mainWindow.viewMode, ViewCheck);
    EXPECT_EQ(SendMessageA(listBox.handle, LB_GETCURSEL, 0, 0), 0);
}

TEST_F(MainWindowTest, AFileThatCannotBeOpenedIsReportedWithItsPathAsCaption) {
    start(Sample);
    std::vector<std::string> census = lines();
    std::string pane1 = pane(1);
    for (const std::string& bad : {std::string("Z:\\no\\such\\file.htm"), SampleFolder}) {
        SeenBox seen = open(bad);
        ASSERT_TRUE(seen.found) << bad;
        EXPECT_EQ(seen.text, "Can't open file");
        EXPECT_EQ(seen.caption, bad);
        EXPECT_EQ(seen.style, static_cast<DWORD>(MB_ICONEXCLAMATION));
        EXPECT_TRUE(lines().empty());
        EXPECT_EQ(mainWindow.documentPath[0], '\0');
        EXPECT_FALSE(document.isLoaded());
        EXPECT_EQ(tagCensus.count, 0);
        // The panes keep the last good file and its summary; the mode is unchanged.
        EXPECT_EQ(pane(0), Sample);
        EXPECT_EQ(pane(1), pane1);
        EXPECT_EQ(mainWindow.viewMode, ViewCensus);
        EXPECT_EQ(greyedCommands(), DocumentCommands);
    }
    // With no document, the document commands do nothing; the reference still works.
    for (int id : {CMD_COUNT_TAGS, CMD_CHECK_DOCUMENT, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG}) {
        command(id);
        EXPECT_TRUE(lines().empty()) << id;
    }
    command(CMD_VIEW_KNOWN_TAGS);
    EXPECT_EQ(lines().size(), 136u);
    // A good open afterwards always ends in the census.
    EXPECT_FALSE(open(Sample).found);
    EXPECT_EQ(lines(), census);
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
    EXPECT_TRUE(greyedCommands().empty());
}

TEST_F(MainWindowTest, TheCommandLineIsTakenWholeQuotesIncluded) {
    std::string quoted = "\"" + Sample + "\"";
    SeenBox seen = startAnswering(quoted);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, quoted);
    EXPECT_EQ(seen.text, "Can't open file");
    // The message came before the window was shown; the window then invites a drop, as
    // a start without a file does.
    EXPECT_FALSE(IsWindowVisible(mainWindow.handle));
    EXPECT_EQ(lines(), std::vector<std::string>{"*** Drag files here ***"});
    EXPECT_EQ(greyedCommands(), DocumentCommands);
    EXPECT_EQ(mainWindow.viewMode, ViewNothing);
}

TEST_F(MainWindowTest, TrailingBlanksStayPartOfThePath) {
    // The platform's file names drop trailing blanks, so the file opens; the path kept
    // and shown is the text as given.
    std::string blanks = Sample + "  ";
    start(blanks);
    EXPECT_EQ(pane(0), blanks);
    EXPECT_STREQ(mainWindow.documentPath, blanks.c_str());
}

TEST_F(MainWindowTest, APathTooLongForThePathBufferIsRefused) {
    start(Sample);
    std::string longPath = "Z:\\" + std::string(300, 'x') + ".htm";
    SeenBox seen = open(longPath);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, longPath);
    EXPECT_EQ(seen.text, "Can't open file");
    EXPECT_EQ(mainWindow.documentPath[0], '\0');
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
    EXPECT_EQ(pane(0), Sample);
}

// A drop of `paths`, as the shell hands it over.
HDROP makeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* p = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        memcpy(p, path.c_str(), path.size() + 1);
        p += path.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

TEST_F(MainWindowTest, ADropOpensOnlyItsFirstFile) {
    start();
    std::string missing = SampleFolder + "\\missing.htm";
    BoxAnswerer none({{BoxStep::Key, VK_RETURN}}, 500);
    SendMessageA(mainWindow.handle, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({Sample, missing, missing})), 0);
    EXPECT_FALSE(none.seen().found);
    EXPECT_EQ(pane(0), Sample);
    EXPECT_EQ(lines(), expectedCensus().lines);
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
}

TEST_F(MainWindowTest, ADroppedFolderCannotBeOpened) {
    start();
    BoxAnswerer answerer({{BoxStep::Key, VK_RETURN}});
    SendMessageA(mainWindow.handle, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({SampleFolder})), 0);
    SeenBox seen = answerer.seen();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, SampleFolder);
    EXPECT_EQ(seen.text, "Can't open file");
}

TEST_F(MainWindowTest, DoubleClicksChangeNothing) {
    start(Sample);
    for (int id : {0, CMD_COUNT_TAGS, CMD_CHECK_DOCUMENT, CMD_VIEW_KNOWN_TAGS, CMD_VIEW_ALL_TAGS}) {
        if (id) command(id);
        int mode = mainWindow.viewMode;
        std::vector<std::string> before = lines();
        SendMessageA(listBox.handle, LB_SETCURSEL, 0, 0);
        SendMessageA(mainWindow.handle, WM_COMMAND, MAKEWPARAM(listBox.id, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(listBox.handle));
        EXPECT_EQ(lines(), before) << id;
        EXPECT_EQ(mainWindow.viewMode, mode) << id;
    }
}

TEST_F(MainWindowTest, AboutShowsTheVersionAndChangesNothing) {
    start(Sample);
    std::vector<std::string> census = lines();
    SeenBox seen = commandAnswering(CMD_ABOUT);
    ASSERT_TRUE(seen.found);
    // The oval about box: the version, the year and the maker, and no caption bar.
    EXPECT_EQ(seen.text.substr(0, 24), "Tagvetter - Version 1.0\n");
    EXPECT_EQ(std::count(seen.text.begin(), seen.text.end(), '\n'), 2);
    EXPECT_EQ(seen.caption, "");
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(mainWindow.handle));
    EXPECT_EQ(lines(), census);
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndQuitsWithZero) {
    start(Sample);
    command(CMD_EXIT);
    EXPECT_FALSE(IsWindow(mainWindow.handle));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(MainWindowTest, AltXEndsTheMessageLoopLikeExit) {
    start();
    mainWindow.show(SW_SHOWNORMAL);
    ASSERT_TRUE(mainWindow.loadAccelerators(MAKEINTRESOURCEA(IDR_ACCELERATORS)));
    pressAltAnd('X', mainWindow.handle);
    EXPECT_EQ(mainWindow.runMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow.handle));
}

TEST_F(MainWindowTest, TheCloseBoxEndsTheProgram) {
    start();
    SendMessageA(mainWindow.handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(mainWindow.handle));
    EXPECT_EQ(mainWindow.runMessageLoop(), 0);
}

// A menu as lines: each item's text and command id, a separator as "-", a pop-up's items
// indented under it.
std::vector<std::string> menuLines(HMENU menu, const std::string& indent = "") {
    std::vector<std::string> lines;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {0};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        HMENU popup = GetSubMenu(menu, i);
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) {
            lines.push_back(indent + "-");
        } else if (popup) {
            lines.push_back(indent + text);
            const std::vector<std::string> items = menuLines(popup, indent + "  ");
            lines.insert(lines.end(), items.begin(), items.end());
        } else {
            lines.push_back(indent + text + " " + std::to_string(GetMenuItemID(menu, i)));
        }
    }
    return lines;
}

// The window's menu bar is the program's menu resource, whatever that holds; every item
// gives a command of its own.
TEST_F(MainWindowTest, TheMenuBarIsExactlyTheProgramsMenu) {
    start();
    HMENU bar = GetMenu(mainWindow.handle);
    ASSERT_NE(bar, nullptr);
    HMENU resource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(menuLines(bar), menuLines(resource));
    DestroyMenu(resource);
    std::vector<UINT> ids;
    for (int p = 0; p < GetMenuItemCount(bar); ++p) {
        HMENU popup = GetSubMenu(bar, p);
        ASSERT_NE(popup, nullptr);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            if (!(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR)) ids.push_back(GetMenuItemID(popup, i));
        }
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "two items give one command";
    for (UINT id : {CMD_OPEN, CMD_EXIT, CMD_CHECK_DOCUMENT, CMD_COUNT_TAGS, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG,
                    CMD_VIEW_KNOWN_TAGS, CMD_CHECK_LINKS, CMD_PROFILE_HTML32, CMD_PROFILE_HTML4, CMD_PROFILE_HTML5,
                    CMD_PROFILE_AUTO, CMD_ABOUT}) {
        EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), id)) << "no item gives command " << id;
    }
}

TEST(Resources, AreUsEnglishWithOneAltXAcceleratorAndA32PixelSixteenColourIcon) {
    HMODULE module = GetModuleHandleA(nullptr);
    const WORD usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    EXPECT_NE(FindResourceExA(module, RT_MENU, MAKEINTRESOURCEA(IDR_MAIN_MENU), usEnglish), nullptr);
    EXPECT_NE(FindResourceExA(module, RT_ACCELERATOR, MAKEINTRESOURCEA(IDR_ACCELERATORS), usEnglish), nullptr);
    HRSRC group = FindResourceExA(module, RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_TAGVETTER), usEnglish);
    ASSERT_NE(group, nullptr);

    HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 1);
    EXPECT_EQ(entries[0].fVirt & (FALT | FVIRTKEY | FCONTROL | FSHIFT), FALT | FVIRTKEY);
    EXPECT_EQ(entries[0].key, 0x58);
    EXPECT_EQ(entries[0].cmd, CMD_EXIT);

    // The icon group's directory: a count, then one 14-byte entry per image.
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);
    WORD count;
    memcpy(&count, directory + 4, 2);
    EXPECT_EQ(count, 1);
    const BYTE* entry = directory + 6;
    WORD bitCount;
    memcpy(&bitCount, entry + 6, 2);
    EXPECT_EQ(entry[0], 32);  // width
    EXPECT_EQ(entry[1], 32);  // height
    EXPECT_EQ(bitCount, 4);
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(IDI_TAGVETTER)), nullptr);
}

}  // namespace
