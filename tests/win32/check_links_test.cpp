// Check links in the window: the open page's broken local links, the same lines as
// `tagvetter links PAGE`, redone with the page, greyed without one, and a double click on a
// line opening the page its target names, as on a listed tag.
#include <windows.h>

#include <string>
#include <vector>

#include "app_fixture.h"
#include "cli_in_process.h"
#include "resource.h"

namespace {

class CheckLinksTest : public AppTest {
protected:
    void doubleClick(int line) {
        SendMessageA(listBox.handle, LB_SETCURSEL, line, 0);
        SendMessageA(mainWindow.handle, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(listBox.handle));
    }
};

TEST_F(CheckLinksTest, ListsThePagesBrokenLinksAsTheCommandLineDoes) {
    const ScratchFolder folder;
    const std::string about = folder.write("about.htm", "<h2 id=\"team\">Team</h2>\n");
    folder.write("Photo.JPG", "");
    const std::string page = folder.write(
        "index.htm", "<a href=\"about.htm#team\">ok</a>\n<a href=\"about.htm#staff\">staff</a>\n"
                     "<img src=\"photo.jpg\">\n<a href=\"gone.htm\">gone</a>\n<a href=\"#here\">here</a>\n");
    const std::string clean = folder.write("clean.htm", "<a href=\"about.htm\">about</a>\n");
    start();
    HMENU menu = GetMenu(mainWindow.handle);
    EXPECT_TRUE(GetMenuState(menu, CMD_CHECK_LINKS, MF_BYCOMMAND) & MF_GRAYED);

    mainWindow.openDocument(page.c_str());
    EXPECT_FALSE(GetMenuState(menu, CMD_CHECK_LINKS, MF_BYCOMMAND) & MF_GRAYED);
    command(CMD_CHECK_LINKS);
    EXPECT_EQ(mainWindow.viewMode, ViewLinks);
    const std::vector<std::string> expected = {
        "0002  about.htm#staff - No anchor staff there",
        "0003  photo.jpg - Exists only as Photo.JPG",
        "0004  gone.htm - No such file",
        "0005  #here - No anchor here there",
    };
    EXPECT_EQ(lines(), expected);
    EXPECT_EQ(cliOutput({"links", page}).lines, expected);
    // Another profile redoes it: links don't depend on the profile.
    command(CMD_PROFILE_HTML5);
    EXPECT_EQ(lines(), expected);

    // The missing anchor's page opens, as a listed tag's link does.
    doubleClick(0);
    EXPECT_STREQ(mainWindow.documentPath, about.c_str());
    EXPECT_EQ(mainWindow.viewMode, ViewCensus);

    mainWindow.openDocument(clean.c_str());
    command(CMD_CHECK_LINKS);
    EXPECT_EQ(lines(), std::vector<std::string>{"No broken links"});
    EXPECT_EQ(cliOutput({"links", clean}).lines, lines());
}

}  // namespace
