// The one top-level window: the menu, the list box that shows the ResultList and the
// two-pane status bar. It owns the open file's path and the ViewMode and turns commands,
// drops and the command line into runs of the analyses.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "about_box.h"
#include "document.h"
#include "frame_window.h"
#include "known_tag_reference.h"
#include "link_check.h"
#include "list_box_results.h"
#include "popup_box.h"
#include "tag_census.h"
#include "tag_listing.h"
#include "tag_profile.h"
#include "window_placement.h"

// What the list shows.
enum ViewMode {
    ViewNothing = 0,
    ViewCensus = 1,
    ViewCheck = 2,
    ViewAllTags = 3,
    ViewOneTag = 4,
    ViewKnownTags = 5,
    ViewLinks = 6,
};

// How pages are read: the profile chosen in the View menu, kept in the registry as its
// number.
enum WindowProfile {
    ProfileHtml32 = 0,  // the 1990s table, the default
    ProfileHtml4 = 1,
    ProfileHtml5 = 2,
    ProfileAutomatic = 3,  // from each page's doctype
};

class MainWindow : public FrameWindow {
public:
    MainWindow(Document& document, TagCensus& census, ListBoxControl& listBox, StatusBarControl& statusBar,
               PopupBox& popupBox, AboutBox& aboutBox);

    void onCommand(WPARAM wParam, LPARAM lParam) override;
    int onCreate() override;
    void onDropFiles(WPARAM drop) override;
    void adjustClass(WNDCLASSA& windowClass) override;
    void adjustCreate(CREATESTRUCTA& create) override;
    // The placement kept under `settingsKey`.
    int restorePlacement() override;
    void savePlacement() override;

    // Loads `path`, taken exactly as given, and shows its census; a file that can't be
    // opened is reported with the path as caption.
    void openDocument(const char* path);
    // Shows an exclamation message with one "&Ok" button and waits for it.
    void showWarning(const char* text, const char* caption);

    // The commands of the menu, one each.
    void open();
    void countTags();
    void checkDocument();
    void viewAllTags();
    void viewOneTag();
    void viewKnownTags();
    void checkLinks();
    void about();
    void exit();
    // Reads pages with `choice` from now on, keeps it for the next start and redoes the
    // listing shown.
    void chooseProfile(int choice);

    // Opens the local page that the href of the selected listed tag names, looked for in
    // the folder of the open document; for a broken link of Check links, the page its
    // target names.
    void followLink();

    // The path of the last successful open, empty before it and after a failed one.
    char documentPath[270] = {0};
    int viewMode = ViewNothing;
    int profileChoice = ProfileHtml32;
    // Pixels; every listing lets the list scroll sideways over a multiple of it, or
    // further where its widest line needs it.
    int averageCharWidth = 0;
    // The registry key of the placement, under the current user.
    const char* settingsKey = SettingsKey;

    ListBoxResults results;
    StatusBarControl& statusBar;

    // The profile chosen, or with the automatic choice the one the open page's doctype
    // asks for.
    const TagProfile& chosenProfile();
    // The profile the open page is read with: the chosen one, or for html4 the one of the
    // DTD its doctype names.
    const TagProfile& profile();

private:
    // Greys or enables the commands that need a document, as one is open or not.
    void enableDocumentCommands();
    // Checks the menu's item of the chosen profile and names the profile in use in the
    // title (the plain "Tagvetter" for HTML 3.2 chosen).
    void showProfile();
    // The profile called `name`, made the first time it is asked for.
    const TagProfile& profileNamed(const char* name);
    // Lists the tags named by oneTagFilter_.
    void listOneTag();
    // Empties the list and forgets the records of its rows.
    void emptyList();
    // Lists the tags `filter` names (all for "") and shows the longest's length.
    void listTagsNamed(const char* filter);

    Document& document_;
    TagCensus& census_;
    PopupBox& popupBox_;
    AboutBox& aboutBox_;
    std::unique_ptr<TagProfile> html4_, html5_;
    // The names View one tag last listed, for a listing redone in another profile.
    std::string oneTagFilter_;
    // What each row of the list stands for, so that View one tag and link following read
    // the record rather than the line: the census's entries (census_), the reference's
    // rows, each listed tag's text (one after another, each ended by a NUL), the broken links.
    std::vector<ReferenceRow> referenceRows_;
    std::string listedTexts_;
    std::vector<size_t> listedStarts_;
    std::vector<LinkProblem> brokenLinks_;
};
