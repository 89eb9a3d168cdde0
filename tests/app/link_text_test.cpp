#include "link_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FindExtension, FindsTheExtensionFromTheEnd) {
    struct Case {
        const char* path;
        const char* extension;  // null for none
    } cases[] = {
        {"index.html", ".html"},          {"C:\\old.dir\\readme", ""}, {"C:\\dir\\", nullptr},
        {"a/b.htm", ".htm"},              {"dir.x/file", ".x/file"},   {"", nullptr},
        {"readme", ""},                   {"C:", nullptr},             {"C:x", ""},
        {".htm", ".htm"},                 {"a.b.c", ".c"},
    };
    for (const auto& c : cases) {
        const char* got = findExtension(c.path);
        if (c.extension == nullptr) {
            EXPECT_EQ(got, nullptr) << c.path;
        } else {
            ASSERT_NE(got, nullptr) << c.path;
            EXPECT_STREQ(got, c.extension) << c.path;
        }
    }
}

TEST(PathParts, FileNamePartAndCutToDirectory) {
    struct Case {
        const char* path;
        const char* name;
        const char* directory;
    } cases[] = {
        {"C:\\docs\\index.htm", "index.htm", "C:\\docs\\"},
        {"sub/Next.HTM", "Next.HTM", "sub/"},
        {"page.htm", "page.htm", ""},
        {"/page.htm", "/page.htm", ""},
        {"http://host/a/b.html", "b.html", "http://host/a/"},
        {"C:page.htm", "page.htm", "C:"},
        {"dir/", "", "dir/"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        char name[LinkNameSize];
        fileNamePart(c.path, name, sizeof name);
        EXPECT_STREQ(name, c.name) << c.path;
        std::string directory = c.path;
        cutToDirectory(&directory[0]);
        EXPECT_STREQ(directory.c_str(), c.directory) << c.path;
    }
    char small[5];
    const char* path = "dir/abcdefgh";
    EXPECT_EQ(fileNamePart(path, small, sizeof small), path + 8);
    EXPECT_STREQ(small, "abcd");
}

TEST(TextHelpers, FindText) {
    char line[] = "x hrefhref";
    EXPECT_EQ(findText(line, "href"), line + 2);
    EXPECT_EQ(findText(line, "HREF"), nullptr);
    EXPECT_EQ(findText(line, ""), nullptr);
}

struct LinkCase {
    const char* line;
    const char* documentPath;
    LinkTarget target;
    const char* joined;
};

TEST(LinkedFilePath, JoinsTheLinksFileNameToTheDocumentsFolder) {
    const LinkCase cases[] = {
        {"0012  <a href=\"page.htm\">", "C:\\docs\\index.htm", LinkTarget::Joined, "C:\\docs\\page.htm"},
        {"0012  <A HREF=\"Page.HTM\">", "C:\\docs\\index.htm", LinkTarget::Joined, "C:\\docs\\page.htm"},
        {"0012  <a Href = \"sub/Next.HTM\">", "C:\\docs\\index.htm", LinkTarget::Joined, "C:\\docs\\next.htm"},
        {"0012  <a href=page.html#top>", "/home/u/site/index.htm", LinkTarget::Joined, "/home/u/site/page.html"},
        {"0012  <a href=\"http://example.org/a/b/page.html\">", "docs/x.htm", LinkTarget::Joined,
         "docs/page.html"},
        {"0012  <a href=\"../dir/page.html\">", "index.htm", LinkTarget::Joined, "page.html"},
        {"0012  <link rel=next href=\"n.htm\">", "a/b.htm", LinkTarget::Joined, "a/n.htm"},
        {"0012  <base href=\"x.htm\">", "a/b.htm", LinkTarget::Joined, "a/x.htm"},
        {"0012  <a href='page.htm'>", "a/b.htm", LinkTarget::None, ""},
        {"0012  <a href=\"#top\">", "a/b.htm", LinkTarget::None, ""},
        {"0012  <a href=\"page.htm?x=1\">", "a/b.htm", LinkTarget::None, ""},
        {"0012  <a href=\"style.css\">", "a/b.htm", LinkTarget::None, ""},
        {"0012  <a href=\"page\">", "a/b.htm", LinkTarget::None, ""},
        {"0012  <a name=x>", "a/b.htm", LinkTarget::None, ""},
        // A tag cut off by the end of the document: its value ends with the line.
        {"0012  <a href=page.htm", "a/b.htm", LinkTarget::Joined, "a/page.htm"},
        {"0012  <a href=\"page.ht", "a/b.htm", LinkTarget::None, ""},
    };
    for (const LinkCase& c : cases) {
        char joined[LinkLineSize] = "";
        EXPECT_EQ(linkedFilePath(c.line, c.documentPath, joined), c.target) << c.line;
        if (c.target != LinkTarget::None) {
            EXPECT_STREQ(joined, c.joined) << c.line;
        }
    }
}

TEST(LinkedFilePath, FollowsLinesUpTo258CharactersOnly) {
    char joined[LinkLineSize];
    std::string line = "0001  <a href=\"p.htm\" title=\"";
    line += std::string(258 - line.size() - 2, 'x') + "\">";
    ASSERT_EQ(line.size(), 258u);
    EXPECT_EQ(linkedFilePath(line.c_str(), "d/i.htm", joined), LinkTarget::Joined);
    line.insert(30, "x");
    EXPECT_EQ(linkedFilePath(line.c_str(), "d/i.htm", joined), LinkTarget::None);
}

TEST(LinkedFilePath, NeverOverrunsItsBufferForALongFolder) {
    const std::string folder = "C:\\" + std::string(240, 'f') + "\\";
    const std::string name(60, 'n');
    char joined[LinkLineSize + 8];
    memset(joined, '#', sizeof joined);
    std::string line = "0001  <a href=\"" + name + ".htm\">";
    EXPECT_EQ(linkedFilePath(line.c_str(), (folder + "index.htm").c_str(), joined), LinkTarget::TooLong);
    EXPECT_EQ(strlen(joined), LinkLineSize - 1);
    EXPECT_EQ(std::string(joined), (folder + name + ".htm").substr(0, LinkLineSize - 1));
    EXPECT_EQ(joined[LinkLineSize], '#');
}

}  // namespace
