#include "main_window.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "document_check.h"
#include "file_exists.h"
#include "link_text.h"
#include "open_dialog.h"
#include "page_links.h"
#include "page_profile.h"
#include "resource.h"
#include "result_lines.h"

namespace {

constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF LightGrey = RGB(192, 192, 192);
constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr int LongestPath = 269;
// Longer listed lines are not followed: they and their joined path share one buffer.
constexpr LRESULT LongestFollowedLine = 258;

// The window's own words, unchanged since its first release; the release's number is in
// the version resource and the command line's --version.
const char AboutText[] = "Tagvetter - Version 1.0\n2026\nBrindlemoor Software";
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

// Moves the census's count and description right as far as its longest name needs, so
// that with today's profiles (a custom element of up to 79 letters) its columns stay
// columns; the 1990s table's names always fit the first tab stop.
void widenNameColumn(ListBoxResults& results, const TagCensus& census, int first, int second) {
    size_t longest = 0;
    // A line's first tab ends its name, or the part of it before a tab it holds.
    for (int32_t e = 0; e < census.count; ++e) longest = std::max(longest, strcspn(census.entries[e].name, "\t"));
    // A dialog unit is a quarter of the average character; a space is left before the count.
    const int needed = 4 * static_cast<int>(longest + 1);
    if (census.count == 0 || needed <= first) return;
    results.setTabStops(needed, second + needed - first);
    results.remeasure();
}

// Lists each tag and keeps its text, one after another, each ended by a NUL.
class ListedRows : public ListedTagSink {
public:
    ListedRows(ResultList& list, std::string& texts, std::vector<size_t>& starts)
        : lines_(list), texts_(texts), starts_(starts) {}
    void tag(const ListedTag& tag) override {
        lines_.tag(tag);
        starts_.push_back(texts_.size());
        texts_.append(tag.text).push_back('\0');
    }

private:
    ListingLines lines_;
    std::string& texts_;
    std::vector<size_t>& starts_;
};

}  // namespace

MainWindow::MainWindow(Document& document, TagCensus& census, ListBoxControl& list, StatusBarControl& bar,
                       PopupBox& popupBox, AboutBox& aboutBox)
    : results(list),
      statusBar(bar),
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
    profileChoice = static_cast<int>(restoreProfileChoice(settingsKey, ProfileAutomatic, ProfileHtml32));
    showProfile();
    return FrameWindow::onCreate();
}

const TagProfile& MainWindow::profileNamed(const char* name) {
    std::unique_ptr<TagProfile>& made = strcmp(name, "html5") == 0 ? html5_ : html4_;
    if (strcmp(name, "html32") == 0) return TagProfile::html32();
    if (!made) made = TagProfile::make(name);
    // Without the memory for the table the page is read as the 1990s table reads it.
    return made ? *made : TagProfile::html32();
}

const TagProfile& MainWindow::chosenProfile() {
    const char* name = "html32";
    switch (profileChoice) {
    case ProfileHtml4: name = "html4"; break;
    case ProfileHtml5: name = "html5"; break;
    case ProfileAutomatic:
        if (document_.isLoaded()) name = profileOfPage(document_.text, document_.size);
        break;
    default: break;
    }
    return profileNamed(name);
}

const TagProfile& MainWindow::profile() {
    // html4 reads a page by the DTD its doctype names, as the command line does.
    const TagProfile& chosen = chosenProfile();
    return document_.isLoaded() ? chosen.forPage(document_.text, document_.size) : chosen;
}

void MainWindow::showProfile() {
    CheckMenuRadioItem(GetMenu(handle), CMD_PROFILE_HTML32, CMD_PROFILE_AUTO, CMD_PROFILE_HTML32 + profileChoice,
                       MF_BYCOMMAND);
    static const char* const Names[] = {"HTML 3.2", "HTML 4.01", "HTML5"};
    std::string title = "Tagvetter";
    if (profileChoice == ProfileAutomatic && !document_.isLoaded()) {
        title += " - Automatic profile";
    } else if (profileChoice != ProfileHtml32) {
        const std::string& name = profile().name();
        const int named = name == "html5" ? 2 : name == "html4" ? 1 : 0;
        title += std::string(" - ") + Names[named] + (profileChoice == ProfileAutomatic ? " (automatic)" : "");
    }
    SetWindowTextA(handle, title.c_str());
}

void MainWindow::chooseProfile(int choice) {
    profileChoice = choice;
    saveProfileChoice(settingsKey, static_cast<DWORD>(choice));
    showProfile();
    switch (viewMode) {
    case ViewCensus: countTags(); break;
    case ViewCheck: checkDocument(); break;
    case ViewAllTags: viewAllTags(); break;
    case ViewOneTag: listOneTag(); break;
    case ViewKnownTags: viewKnownTags(); break;
    case ViewLinks: checkLinks(); break;
    default: break;
    }
}

// Greys the commands that need a document while none is open, so the menu shows what
// would do nothing.
void MainWindow::enableDocumentCommands() {
    HMENU menu = GetMenu(handle);
    UINT state = document_.isLoaded() ? MF_ENABLED : MF_GRAYED;
    for (UINT command : {CMD_CHECK_DOCUMENT, CMD_COUNT_TAGS, CMD_VIEW_ALL_TAGS, CMD_VIEW_ONE_TAG, CMD_CHECK_LINKS})
        EnableMenuItem(menu, command, MF_BYCOMMAND | state);
}

// Runs the command of a menu item or the accelerator.
void MainWindow::onCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam && reinterpret_cast<HWND>(lParam) == results.listHandle() && HIWORD(wParam) == LBN_DBLCLK) {
        // Only the tag listings and the broken links hold links that can be followed.
        if (viewMode == ViewAllTags || viewMode == ViewOneTag || viewMode == ViewLinks) {
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
    case CMD_CHECK_LINKS: checkLinks(); break;
    case CMD_PROFILE_HTML32: chooseProfile(ProfileHtml32); break;
    case CMD_PROFILE_HTML4: chooseProfile(ProfileHtml4); break;
    case CMD_PROFILE_HTML5: chooseProfile(ProfileHtml5); break;
    case CMD_PROFILE_AUTO: chooseProfile(ProfileAutomatic); break;
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
    emptyList();
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
    statusBar.setText(0, path);
    showProfile();
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
    emptyList();
    const TagProfile& reading = profile();
    results.setTabStops(60, 60);
    ::countTags(document_, census_, results, reading);
    statusBar.setText(1, censusSummary(census_.count).c_str());
    if (reading.readsAsHtml()) widenNameColumn(results, census_, 60, 60);
    results.setHorizontalExtent(80 * averageCharWidth);
    viewMode = ViewCensus;
}

// Lists the problems of the document's tags.
void MainWindow::checkDocument() {
    if (!document_.isLoaded()) return;
    QuietFill quiet(results);
    emptyList();
    checkLines(document_, results, profile());
    results.setHorizontalExtent(100 * averageCharWidth);
    viewMode = ViewCheck;
}

// Lists every tag with its line number.
void MainWindow::viewAllTags() {
    if (!document_.isLoaded()) return;
    listTagsNamed("");
    viewMode = ViewAllTags;
}

// Lists the tags named on the selected census or reference line.
void MainWindow::viewOneTag() {
    if (!document_.isLoaded()) return;
    const int selected = results.selectedLine();
    const char* name = nullptr;
    if (viewMode == ViewCensus && selected >= 0 && selected < census_.count) name = census_.entries[selected].name;
    if (viewMode == ViewKnownTags && selected >= 0 && static_cast<size_t>(selected) < referenceRows_.size())
        name = referenceRows_[static_cast<size_t>(selected)].name;
    if (!name) {
        popupBox_.run(handle, ChooseOneTag, "Tagvetter", MB_ICONASTERISK, nullptr, Black, LightGrey, Grey);
        return;
    }
    oneTagFilter_ = tagFilterOf(name);
    listOneTag();
}

void MainWindow::listOneTag() {
    listTagsNamed(oneTagFilter_.c_str());
    viewMode = ViewOneTag;
}

void MainWindow::listTagsNamed(const char* filter) {
    QuietFill quiet(results);
    emptyList();
    ListedRows rows(results, listedTexts_, listedStarts_);
    const int longest = listTags(document_, filter, rows, profile());
    statusBar.setText(1, longestSummary(longest).c_str());
    results.setHorizontalExtent(longest * averageCharWidth);
}

void MainWindow::emptyList() {
    results.empty();
    referenceRows_.clear();
    // Given back, not kept: a large page's listing may have been millions of tags.
    listedTexts_ = std::string();
    listedStarts_ = std::vector<size_t>();
    brokenLinks_.clear();
}

// Lists the built-in reference of the known tags; needs no document.
void MainWindow::viewKnownTags() {
    viewMode = ViewKnownTags;
    QuietFill quiet(results);
    emptyList();
    results.setTabStops(60, 150);
    // The profile's own table, as `tagvetter known` lists it, whatever DTD the page names.
    referenceRows_ = knownTagRows(chosenProfile());
    referenceLines(referenceRows_, results);
    results.setHorizontalExtent(160 * averageCharWidth);
}

// Lists the open page's local links that lead nowhere, as `tagvetter links PAGE` does: the
// root is the page's folder, and the anchors of the pages it links to are read from disk.
void MainWindow::checkLinks() {
    if (!document_.isLoaded()) return;
    PageLinks links;
    // Links half read would be reported as leading somewhere.
    if (!readPageLinks(document_, links)) {
        showWarning("Not enough memory for the page's links", documentPath);
        return;
    }
    LinkOptions options;
    const char* slash = strrchr(documentPath, '\\');
    options.root = slash ? std::string(documentPath, static_cast<size_t>(slash - documentPath)) : std::string(".");
    LinkCheck check(options);
    check.addPage(documentPath, std::move(links));
    std::vector<LinkProblem> problems = check.check(readPageLinksOfFile);
    QuietFill quiet(results);
    emptyList();
    for (const LinkProblem& problem : problems) results.append(linkProblemLine(problem).c_str());
    if (problems.empty()) results.append(NoBrokenLinks);
    brokenLinks_ = std::move(problems);
    results.setHorizontalExtent(100 * averageCharWidth);
    viewMode = ViewLinks;
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
    const size_t row = static_cast<size_t>(selected);
    char joined[LinkLineSize];
    LinkTarget target = LinkTarget::None;
    if (viewMode == ViewLinks) {
        // "No broken links" stands for no link.
        if (row < brokenLinks_.size()) target = targetFilePath(brokenLinks_[row].target.c_str(), documentPath, joined);
    } else if (row < listedStarts_.size()) {
        target = linkedFilePath(listedTexts_.c_str() + listedStarts_[row], documentPath, joined);
    }
    switch (target) {
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
