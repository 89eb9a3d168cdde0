// Link following end to end: a double click on a listed tag in a real folder of pages.
#include <windows.h>

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
};

TEST_F(LinkFollowingTest, OpensTheLinkedPageOfTheDocumentsFolder) {
    TempFolder pages("tagvetter-links");
    // The last tag is cut off by the end of the text: its value ends with the line.
    const std::string index = pages.write("index.htm",
                                          "<a HREF=\"Page.htm\">\n<a href = \"page.html\">\n"
                                          "<a href=\"page.htm#top\">\n<a href=\"../sub/dir/page.html\">\n"
                                          "<a href=\"http://example.org/x/page.html\">\n<a href='page.htm'>\n"
                                          "<link href=\"#top\">\n<a href=\"missing.htm\">\n<a href=\"dir.htm\">\n"
                                          "<a href=page.htm");
    pages.write("page.htm", "<p>one</p>");
    pages.write("page.html", "<b>two</b>");
    pages.folder("dir.htm");
    const std::string joinedMissing = pages.path + "\\missing.htm";
    const std::string joinedFolder = pages.path + "\\dir.htm";
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
    for (const LinkCase& c : cases) {
        SeenBox seen = doubleClick(index, c.tag, c.message != nullptr);
        EXPECT_EQ(seen.found, c.message != nullptr) << c.tag;
        if (c.message) {
            EXPECT_EQ(seen.text, c.message) << c.tag;
            EXPECT_EQ(seen.caption, c.caption) << c.tag;
        }
        if (c.opens) {
            // The linked page's census replaces the listing; its name is in small letters.
            EXPECT_EQ(pane(0), pages.path + "\\" + c.opens) << c.tag;
            EXPECT_STREQ(mainWindow.documentPath, (pages.path + "\\" + c.opens).c_str()) << c.tag;
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
}

TEST_F(LinkFollowingTest, AJoinedPathTooLongForItsBufferIsReportedCutShort) {
    // A folder of 200-odd characters and a 64-character name: 300 together, more than
    // the 263 the joined path may hold.
    TempFolder deep("tagvetter-" + std::string(100, 'd') + "\\" + std::string(100, 'e'));
    const std::string name = std::string(60, 'n') + ".htm";
    const std::string index = deep.write("index.htm", "<a href=\"" + name + "\">");
    ASSERT_LE(index.size(), 269u);
    const std::string joined = deep.path + "\\" + name;
    ASSERT_GT(joined.size(), LinkLineSize - 1);
    start(index);
    SeenBox seen = doubleClick(index, name, true);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Can't open");
    EXPECT_EQ(seen.text, joined.substr(0, LinkLineSize - 1));
    EXPECT_STREQ(mainWindow.documentPath, index.c_str());
    EXPECT_EQ(mainWindow.viewMode, ViewAllTags);
}

}  // namespace
