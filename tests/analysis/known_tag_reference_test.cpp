#include "known_tag_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "memory_lines.h"

namespace {

using Lines = std::vector<std::string>;

Lines reference(const TagProfile& profile = TagProfile::html32()) {
    MemoryResultList list;
    referenceLines(knownTagRows(profile), list);
    return list.lines;
}

std::string nameOf(const std::string& line) { return line.substr(0, line.find('\t')); }

TEST(ListKnownTags, ListsTheWholeTableInNameOrder) {
    const char* order[] = {
        "!-", "!DOCTYPE", "A", "/A", "ADDRESS", "/ADDRESS", "APPLET", "/APPLET", "AREA", "B", "/B", "BASE",
        "BASEFONT", "BGSOUND", "BIG", "/BIG", "BLINK", "/BLINK", "BLOCKQUOTE", "/BLOCKQUOTE", "BODY", "/BODY",
        "BR", "CAPTION", "/CAPTION", "CENTER", "/CENTER", "CITE", "/CITE", "CODE", "/CODE", "DD", "/DD", "DFN",
        "/DFN", "DIR", "/DIR", "DIV", "/DIV", "DL", "/DL", "DT", "EM", "/EM", "EMBED", "FONT", "/FONT", "FORM",
        "/FORM", "FRAME", "FRAMESET", "/FRAMESET", "H1", "/H1", "H2", "/H2", "H3", "/H3", "H4", "/H4", "H5",
        "/H5", "H6", "/H6", "HEAD", "/HEAD", "HR", "HTML", "/HTML", "I", "/I", "IMG", "INPUT", "ISINDEX", "KBD",
        "/KBD", "LI", "LINK", "MAP", "/MAP", "MARQUEE", "/MARQUEE", "MENU", "/MENU", "META", "NOBR", "/NOBR",
        "NOSCRIPT", "/NOSCRIPT", "OL", "/OL", "OPTION", "P", "/P", "PRE", "/PRE", "SAMP", "/SAMP", "SCRIPT",
        "/SCRIPT", "SELECT", "/SELECT", "SMALL", "/SMALL", "SPAN", "/SPAN", "STRIKE", "/STRIKE", "STRONG",
        "/STRONG", "STYLE", "/STYLE", "SUB", "/SUB", "SUP", "/SUP", "TABLE", "/TABLE", "TD", "/TD", "TEXTAREA",
        "/TEXTAREA", "TH", "/TH", "TITLE", "/TITLE", "TR", "/TR", "TT", "/TT", "U", "/U", "UL", "/UL", "VAR",
        "/VAR"};
    Lines lines = reference();
    ASSERT_EQ(lines.size(), 136u);
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(nameOf(lines[i]), order[i]) << "line " << i;
    EXPECT_EQ(reference(), lines);
}

TEST(ListKnownTags, BuildsEachRowFromNameDescriptionAndAttributes) {
    Lines lines = reference();
    EXPECT_EQ(lines[2], "A\tAnchor (link)\tname href target rel rev title onclick ");
    EXPECT_EQ(lines[3], "/A\tAnchor end\t");
    size_t longest = 0;
    for (const std::string& line : lines) {
        longest = std::max(longest, line.size());
        const std::string name = nameOf(line);
        if (name == "SPAN" || name == "/SPAN" || name == "NOBR" || name == "/NOBR" || name == "/MARQUEE" ||
            name == "NOSCRIPT" || name == "/NOSCRIPT") {
            EXPECT_EQ(line, name + "\t\t");
        }
        if (name == "TABLE") {
            EXPECT_EQ(line.size(), 110u);
        }
        if (name == "FRAME") {
            EXPECT_EQ(line.size(), 96u);
        }
        const char last = line.back();
        EXPECT_TRUE(last == ' ' || last == '\t') << line;
    }
    EXPECT_EQ(longest, 110u);
}

TEST(ListKnownTags, ListsAProfilesRowsAndWhatEveryTagTakes) {
    const auto html5 = TagProfile::make("html5");
    MemoryResultList list;
    list.lines = reference(*html5);
    EXPECT_EQ(list.lines.size(), static_cast<size_t>(html5->rowCount()) + 1);
    EXPECT_EQ(std::count(list.lines.begin(), list.lines.end(), "DIV\tDocument division\talign "), 1);
    EXPECT_EQ(std::count(list.lines.begin(), list.lines.end(), "/DIV\tEnd of document division\t"), 1);
    auto everyTag = std::find_if(list.lines.begin(), list.lines.end(),
                                 [](const std::string& line) { return line.compare(0, 2, "*\t") == 0; });
    ASSERT_NE(everyTag, list.lines.end());
    EXPECT_EQ(*everyTag, "*\tAttributes of every tag\t" + html5->globalAttributeText());
}

// The name column orders the rows, one leading "/" set aside and letter case ignored;
// between equal names the greater line comes first, so a tag stands before its close tag.
TEST(ListKnownTags, OrdersByTheNameColumn) {
    const Lines lines = reference();
    const auto at = [&](const char* name) {
        return std::find_if(lines.begin(), lines.end(), [&](const std::string& line) { return nameOf(line) == name; }) -
               lines.begin();
    };
    const std::pair<const char*, const char*> pairs[] = {{"A", "/A"}, {"EM", "EMBED"}, {"/EM", "EMBED"}, {"H6", "HEAD"}};
    for (const auto& [earlier, later] : pairs) EXPECT_LT(at(earlier), at(later)) << earlier << " " << later;
}

}  // namespace
