// Link following end to end: a double click on a listed tag in a real folder of pages.
#include <windows.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "link_text.h"
#include "resource.h"

namespace {

// One listed tag and what a double click on it leads to.
struct LinkCase {
    const char* tag;
    const char* opens;    // the file name now open, or null when nothing opens
    const char* message;  // the message's text, or null when none is shown
    const char* caption;
};

class LinkFollowingTest : public AppTest {
protected:
    // Lists every tag of `document` and double-clicks the line that holds `tag`;
    // gives the message shown, if any (`message` tells whether one is expected).
    SeenBox doubleClick(const std::string& document, const std::string& tag, bool message) {
        if (mainWindow.documentPath != document) {
            mainWindow.openDocument(document.c_str());
        }
        command(CMD_VIEW_ALL_TAGS);
        std::vector<std::string> all = lines();
        int index = -1;
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i].find(tag) != std::string::npos) index = static_cast<int>(i);
        }
        EXPECT_GE(index, 0) << tag;
        SendMessageA(listBox.handle, LB_SETCURSEL, index, 0);
        // A box comes up within the double click, so one that is not expected is not waited for long.
        BoxAnswerer answerer({{BoxStep::Key, VK_RETURN}}, message ? 10000 : 500);
        SendMessageA(mainWindow.handle, WM_COMMAND, MAKEWPARAM(listBox.id, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(listBox.handle));
        return answerer.seen();
    }
    // Double-clicks the case's tag in the listing of `index`, a page of `folder`, and
    // checks where that leads: the page opened, the message shown, or nothing at all.
    void expectLeadsTo(const std::string& folder, const std::string& index, const LinkCase& c) {
        SeenBox seen = doubleClick(index, c.tag, c.message != nullptr);
        EXPECT_EQ(seen.found, c.message != nullptr) << c.tag;
        if (c.message) {
            EXPECT_EQ(seen.text, c.message) << c.tag;
            EXPECT_EQ(seen.caption, c.caption) << c.tag;
        }
        if (c.opens) {
            // The linked page's census replaces the listing; its name is in small letters.
            EXPECT_EQ(pane(0), folder + "\\" + c.opens) << c.tag;
            EXPECT_STREQ(mainWindow.documentPath, (folder + "\\" + c.opens).c_str()) << c.tag;
            EXPECT_EQ(mainWindow.viewMode, ViewCensus) << c.tag;
        } else if (c.message && std::string(c.message) == "Can't open file") {
            // The folder was found but could not be read: no document is loaded now.
            EXPECT_EQ(mainWindow.documentPath[0], '\0') << c.tag;
        } else {
            // Nothing happened: the listing and the document stay.
            EXPECT_STREQ(mainWindow.documentPath, index.c_str()) << c.tag;
            EXPECT_EQ(mainWindow.viewMode, ViewAllTags) << c.tag;
        }
    }
};

TEST_F(LinkFollowingTest, OpensTheLinkedPageOfTheDocumentsFolder) {
    const ScratchFolder pages;
    // The last tag is cut off by the end of the text: its value ends with the line.
    const std::string index = pages.write("index.htm",
                                          "<a HREF=\"Page.htm\">\n<a href = \"page.html\">\n"
                                          "<a href=\"page.htm#top\">\n<a href=\"../sub/dir/page.html\">\n"
                                          "<a href=\"http://example.org/x/page.html\">\n<a href='page.htm'>\n"
                                          "<link href=\"#top\">\n<a href=\"missing.htm\">\n<a href=\"dir.htm\">\n"
                                          "<a href=page.htm");
    pages.write("page.htm", "<p>one</p>");
    pages.write("page.html", "<b>two</b>");
    pages.makeFolder("dir.htm");
    const std::string joinedMissing = pages.path("missing.htm");
    const std::string joinedFolder = pages.path("dir.htm");
    const LinkCase cases[] = {
        {"<a HREF=\"Page.htm\">", "page.htm", nullptr, nullptr},
        {"<a href = \"page.html\">", "page.html", nullptr, nullptr},
        {"<a href=\"page.htm#top\">", "page.htm", nullptr, nullptr},
        {"<a href=\"../sub/dir/page.html\">", "page.html", nullptr, nullptr},
        {"<a href=\"http://example.org/x/page.html\">", "page.html", nullptr, nullptr},
        {"<a href='page.htm'>", nullptr, nullptr, nullptr},
        {"<link href=\"#top\">", nullptr, nullptr, nullptr},
        {"<a href=\"missing.htm\">", nullptr, joinedMissing.c_str(), "Can't open"},
        {"<a href=\"dir.htm\">", nullptr, "Can't open file", joinedFolder.c_str()},
        {"<a href=page.htm", "page.htm", nullptr, nullptr},
    };
    start(index);
    for (const LinkCase& c : cases) expectLeadsTo(pages.path(), index, c);
}

TEST_F(LinkFollowingTest, AJoinedPathTooLongForItsBufferIsReportedCutShort) {
    // A folder of 200-odd characters and a 64-character name: 300 together, more than
    // the 263 the joined path may hold.
    const ScratchFolder scratch;
    const std::filesystem::path deep = std::filesystem::path(std::string(90, 'd')) / std::string(90, 'e');
    const std::string name = std::string(60, 'n') + ".htm";
    const std::string index = scratch.write(deep / "index.htm", "<a href=\"" + name + "\">");
    ASSERT_LE(index.size(), 269u);
    const std::string joined = scratch.path(deep / name);
    ASSERT_GT(joined.size(), LinkLineSize - 1);
    start(index);
    SeenBox seen = doubleClick(index, name, true);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Can't open");
    EXPECT_EQ(seen.text, joined.substr(0, LinkLineSize - 1));
    EXPECT_STREQ(mainWindow.documentPath, index.c_str());
    EXPECT_EQ(mainWindow.viewMode, ViewAllTags);
}

// The old reading of a listed line, kept as it is whatever reads the page: the first
// "href" anywhere in the line, in any letter case, counts; its value starts after blanks,
// double quotes and "=" (not a single quote) and ends at a double quote, "#" or ">"; the
// line's own ending decides whether it is a page; a line of 259 characters or more is not
// followed at all.
TEST_F(LinkFollowingTest, TheFirstHrefOfTheLineCountsAndLongLinesAreNotFollowed) {
    const ScratchFolder pages;
    // "0001  " and the tag: 258 characters are followed, 259 not.
    const std::string followed = "<a href=\"page.htm\" title=\"" + std::string(258 - 6 - 28, 'f') + "\">";
    const std::string notFollowed = "<a href=\"page.htm\" title=\"" + std::string(259 - 6 - 28, 'n') + "\">";
    const std::string index = pages.write(
        "index.htm", "<a title=\"see href\" href=\"page.htm\">\n<a alt=HREF.htm>\n<a name=\"x\" hReF=\"page.htm\">\n"
                     "<a href=\"page.htm>x.html\">\n<a href=page.html#x>\n<a href= ' page.htm'>\n" +
                         followed + "\n" + notFollowed + "\n");
    pages.write("page.htm", "<p>one</p>");
    pages.write("page.html", "<b>two</b>");
    const std::string dotHtm = pages.path(".htm");
    const LinkCase cases[] = {
        // The title's "href" is the first: what follows it names no page.
        {"<a title=\"see href\"", nullptr, nullptr, nullptr},
        // Not an href at all, but the first "href" of the line: ".htm" is looked for.
        {"<a alt=HREF.htm>", nullptr, dotHtm.c_str(), "Can't open"},
        {"<a name=\"x\" hReF=", "page.htm", nullptr, nullptr},
        // The 1990s reading ends the tag at its first ">", quotes or not.
        {"<a href=\"page.htm>", "page.htm", nullptr, nullptr},
        {"<a href=page.html#x>", "page.html", nullptr, nullptr},
        {"<a href= ' page.htm'>", nullptr, nullptr, nullptr},
        {followed.c_str(), "page.htm", nullptr, nullptr},
        {notFollowed.c_str(), nullptr, nullptr, nullptr},
    };
    ASSERT_EQ(followed.size() + 6, 258u);
    ASSERT_EQ(notFollowed.size() + 6, 259u);
    start(index);
    for (const LinkCase& c : cases) expectLeadsTo(pages.path(), index, c);
}

// View one tag takes the name from the selected census or reference line as it stands:
// up to the first tab, one leading "/" set aside.
TEST_F(LinkFollowingTest, ViewOneTagTakesTheNameOfOddCensusAndReferenceLines) {
    const ScratchFolder pages;
    const std::string page = pages.write("odd.htm", "<!-- x -->\n<!DOCTYPE x>\n<//b>\n</>\n<a>\n<a\tb>\n");
    const struct {
        int view;          // the listing the line is selected in
        const char* line;  // the start of the selected line
        std::vector<std::string> listed;
    } cases[] = {
        {CMD_COUNT_TAGS, "!-\t", {"0001  <!-- x -->"}},
        {CMD_COUNT_TAGS, "!DOCTYPE\t", {"0002  <!DOCTYPE x>"}},
        {CMD_COUNT_TAGS, "//B\t", {"0003  <//b>"}},
        // The census reads a tab as part of a name; the listing reads it as a space.
        {CMD_COUNT_TAGS, "A\tB\t", {"0005  <a>", "0006  <a b>"}},
        {CMD_VIEW_KNOWN_TAGS, "/A\t", {"0005  <a>", "0006  <a b>"}},
        {CMD_VIEW_KNOWN_TAGS, "!-\t", {"0001  <!-- x -->"}},
    };
    start(page);
    for (const auto& c : cases) {
        command(c.view);
        const std::vector<std::string> all = lines();
        int index = -1;
        for (size_t i = 0; i < all.size() && index < 0; ++i) {
            if (all[i].rfind(c.line, 0) == 0) index = static_cast<int>(i);
        }
        ASSERT_GE(index, 0) << c.line;
        SendMessageA(listBox.handle, LB_SETCURSEL, index, 0);
        command(CMD_VIEW_ONE_TAG);
        EXPECT_EQ(lines(), c.listed) << c.line;
        EXPECT_EQ(mainWindow.viewMode, ViewOneTag) << c.line;
    }
}

// A broken link's whole target is followed, even one that holds " - " as its message does.
TEST_F(LinkFollowingTest, ABrokenLinksTargetIsFollowedWhole) {
    const ScratchFolder pages;
    const std::string dashed = pages.write("a - b.htm", "<p>\n");
    const std::string page = pages.write("index.htm", "<a href=\"a - b.htm#gone\">\n");
    start(page);
    command(CMD_CHECK_LINKS);
    ASSERT_EQ(lines(), std::vector<std::string>{"0001  a - b.htm#gone - No anchor gone there"});
    SendMessageA(listBox.handle, LB_SETCURSEL, 0, 0);
    SendMessageA(mainWindow.handle, WM_COMMAND, MAKEWPARAM(listBox.id, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(listBox.handle));
    EXPECT_STREQ(mainWindow.documentPath, dashed.c_str());
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);
}

}  // namespace
