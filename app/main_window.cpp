#include "main_window.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "document_check.h"
#include "file_exists.h"
#include "known_tag_reference.h"
#include "link_text.h"
#include "open_dialog.h"
#include "resource.h"
#include "tag_listing.h"

namespace {

constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF LightGrey = RGB(192, 192, 192);
constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr int LongestPath = 269;
// Longer listed lines are not followed: they and their joined path share one buffer.
constexpr LRESULT LongestFollowedLine = 258;

const char AboutText[] = "Tagvetter - Version " TAGVETTER_SHORT_VERSION "\n2026\nBrindlemoor Software";
const char ChooseOneTag[] = "Go to \"Count tags\" and highlight the one you want to see.";

// Keeps the list from drawing while a listing fills it and draws it once at the end: a
// list drawn after every line takes milliseconds a line, minutes for a large document.
class QuietFill {
public:
    explicit QuietFill(ListBoxResults& results) : results_(results) { results_.suspendRedraw(); }
    ~QuietFill() { results_.resumeRedraw(); }
    QuietFill(const QuietFill&) = delete;
    QuietFill& operator=(const QuietFill&) = delete;

private:
    ListBoxResults& results_;
};

}  // namespace

MainWindow::MainWindow(Document& document, TagCensus& census, ListBoxControl& list, StatusBarControl& bar,
                       PopupBox& popupBox, AboutBox& aboutBox)
    : results(list),
      panes(bar),
      document_(document),
      census_(census),
      popupBox_(popupBox),
      aboutBox_(aboutBox) {}

// Puts the program's icon and menu on "MainClass".
void MainWindow::adjustClass(WNDCLASSA& windowClass) {
    windowClass.hIcon = LoadIconA(moduleInstance(), MAKEINTRESOURCEA(IDI_TAGVETTER));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
}

// Titles the window and gives it its first size.
void MainWindow::adjustCreate(CREATESTRUCTA& create) {
    create.lpszName = "Tagvetter";
    create.cx = 440;
    create.cy = 482;
}

// Accepts drops, measures the character width the list's extents are counted in, and
// lets the frame make its status bar.
int MainWindow::onCreate() {
    DragAcceptFiles(handle, TRUE);
    // The list box does not exist yet, so the screen's default font is measured. The
    // screen is asked for by name: the list box object may hold the stale handle of a
    // window made before.
    HDC dc = GetDC(nullptr);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(nullptr, dc);
    averageCharWidth = metrics.tmAveCharWidth;
    documentPath[0] = '\0';
    enableDocumentCommands();
    return FrameWindow::onCreate();
}

// Greys the commands that need a document while none is open, so the menu shows what
// would do nothing.
void MainWindow::enableDocumentCommands() {
    HMENU menu = GetMenu(handle);
    UINT state = document_.isLoaded() ? MF_ENABLED : MF_GRAYED;
    for (UINT command : {CMD_CHECK_DOCUMENT, CMD_COUNT_TAGS, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG})
        EnableMenuItem(menu, command, MF_BYCOMMAND | state);
}

// Runs the command of a menu item or the accelerator.
void MainWindow::onCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam && reinterpret_cast<HWND>(lParam) == results.listHandle() && HIWORD(wParam) == LBN_DBLCLK) {
        // Only the tag listings hold whole tags whose links can be followed.
        if (viewMode == ViewAllTags || viewMode == ViewOneTag) {
            followLink();
            return;
        }
    }
    switch (LOWORD(wParam)) {
    case CMD_OPEN: open(); break;
    case CMD_COUNT_TAGS: countTags(); break;
    case CMD_VIEW_KNOWN_TAGS: viewKnownTags(); break;
    case CMD_ABOUT: about(); break;
    case CMD_VIEW_ALL_TAGS: viewAllTags(); break;
    case CMD_EXIT: exit(); break;
    case CMD_CHECK_DOCUMENT: checkDocument(); break;
    case CMD_VIEW_ONE_TAG: viewOneTag(); break;
    default: break;
    }
}

// Opens the first file of a drop; the drop is kept until any message has been answered.
void MainWindow::onDropFiles(WPARAM drop) {
    HDROP files = reinterpret_cast<HDROP>(drop);
    SetForegroundWindow(handle);
    char path[260];
    if (DragQueryFileA(files, 0, path, sizeof path) == 0) path[0] = '\0';
    openDocument(path);
    DragFinish(files);
}

// Replaces the document with the file at `path` and shows its census.
void MainWindow::openDocument(const char* path) {
    document_.release();
    resetCensus(census_);
    results.empty();
    // A longer path would not fit documentPath; it is refused like any file that can't
    // be opened.
    bool loaded = strlen(path) <= LongestPath && document_.load(path);
    enableDocumentCommands();
    if (!loaded) {
        showWarning("Can't open file", path);
        documentPath[0] = '\0';
        return;
    }
    strcpy(documentPath, path);
    panes.setText(0, path);
    countTags();
    viewMode = ViewCensus;
}

// Shows the program's kind of message and waits for "&Ok".
void MainWindow::showWarning(const char* text, const char* caption) {
    popupBox_.run(handle, text, caption, MB_ICONEXCLAMATION, nullptr, Black, LightGrey, Grey);
}

// Lists the distinct tags with their counts and descriptions.
void MainWindow::countTags() {
    if (!document_.isLoaded()) return;
    QuietFill quiet(results);
    results.empty();
    results.setTabStops(60, 60);
    ::countTags(document_, census_, results, panes, TagProfile::html32());
    results.setHorizontalExtent(80 * averageCharWidth);
    viewMode = ViewCensus;
}

// Lists the problems of the document's tags.
void MainWindow::checkDocument() {
    if (!document_.isLoaded()) return;
    QuietFill quiet(results);
    results.empty();
    ::checkDocument(document_, results, TagProfile::html32());
    results.setHorizontalExtent(100 * averageCharWidth);
    viewMode = ViewCheck;
}

// Lists every tag with its line number.
void MainWindow::viewAllTags() {
    if (!document_.isLoaded()) return;
    QuietFill quiet(results);
    results.empty();
    int longest = listTags(document_, "", results, panes, TagProfile::html32());
    results.setHorizontalExtent(longest * averageCharWidth);
    viewMode = ViewAllTags;
}

// Lists the tags named on the selected census or reference line.
void MainWindow::viewOneTag() {
    if (!document_.isLoaded()) return;
    int selected = results.selectedLine();
    if (selected < 0 || (viewMode != ViewCensus && viewMode != ViewKnownTags)) {
        popupBox_.run(handle, ChooseOneTag, "Tagvetter", MB_ICONASTERISK, nullptr, Black, LightGrey, Grey);
        return;
    }
    std::string filter = tagFilterOfLine(results.lineText(selected));
    QuietFill quiet(results);
    results.empty();
    int longest = listTags(document_, filter.c_str(), results, panes, TagProfile::html32());
    results.setHorizontalExtent(longest * averageCharWidth);
    viewMode = ViewOneTag;
}

// Lists the built-in reference of the known tags; needs no document.
void MainWindow::viewKnownTags() {
    viewMode = ViewKnownTags;
    QuietFill quiet(results);
    results.empty();
    results.setTabStops(60, 150);
    // Without the memory to build it the list stays empty.
    listKnownTags(results, TagProfile::html32());
    results.setHorizontalExtent(160 * averageCharWidth);
}

// Asks for a file with the open dialog and opens it; a cancelled dialog changes nothing.
void MainWindow::open() {
    char path[OpenPathSize];
    if (askForFile(handle, path)) openDocument(path);
}

// Shows the oval about box with the program's name, version, year and maker.
void MainWindow::about() {
    aboutBox_.run(handle, AboutText, "About", MB_OK, MAKEINTRESOURCEA(IDI_TAGVETTER), Black, LightGrey, Grey);
}

// Ends the program through the window's destruction.
void MainWindow::exit() {
    if (canClose()) DestroyWindow(handle);
}

// Follows the link of the selected line; a missing file, or a joined path too long to
// hold, is reported with as much of the path as fits.
void MainWindow::followLink() {
    HWND list = results.listHandle();
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, selected, 0);
    if (length == LB_ERR || length > LongestFollowedLine) return;
    char line[LinkLineSize];
    if (SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(line)) == LB_ERR) return;
    char joined[LinkLineSize];
    switch (linkedFilePath(line, documentPath, joined)) {
    case LinkTarget::None: return;
    case LinkTarget::Joined:
        if (fileExists(joined)) {
            openDocument(joined);
            return;
        }
        showWarning(joined, "Can't open");
        return;
    case LinkTarget::TooLong: showWarning(joined, "Can't open"); return;
    }
}

// Applies the saved placement, if there is an acceptable one.
int MainWindow::restorePlacement() {
    return restoreWindowPlacement(handle, settingsKey);
}

// Keeps the placement for the next start.
void MainWindow::savePlacement() {
    saveWindowPlacement(handle, settingsKey);
}
