#include "known_tags.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "known_tag_reference.h"
#include "memory_lines.h"
#include "tag_profile.h"

// What `tagvetter known --profile html32` has always printed (known_html32.golden).
extern const char KnownHtml32Golden[];

namespace {

const TagProfile& html32 = TagProfile::html32();

TEST(Html32Table, ListsAsItAlwaysHas) {
    MemoryResultList list;
    referenceLines(knownTagRows(html32), list);
    std::string text;
    for (const std::string& line : list.lines) text += line + "\n";
    EXPECT_EQ(text, KnownHtml32Golden);
}

TEST(Html32Table, KeepsItsRowsAndTheirPairings) {
    ASSERT_EQ(html32.rowCount(), KnownTagCount);
    int closes = 0, alternating = 0, counted = 0, unpaired = 0;
    for (int r = 0; r < html32.rowCount(); ++r) {
        const int32_t kind = html32.row(r).kind;
        closes += html32.row(r).name[0] == '/';
        alternating += alternates(kind);
        counted += isCounted(kind);
        unpaired += kind == PairVoid || kind == PairOptional;
    }
    EXPECT_EQ(closes, 59);
    EXPECT_EQ(alternating, 80);
    EXPECT_EQ(counted, 14);
    EXPECT_EQ(unpaired, 42);
    // The check reports the counted tags left open in this order.
    std::vector<std::string> order;
    for (int r = 0; r < html32.rowCount(); ++r) {
        if (isCounted(html32.row(r).kind) && html32.row(r).name[0] != '/') order.push_back(html32.row(r).name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"TABLE", "DL", "FONT", "OL", "UL", "CENTER", "DIV"}));
}

struct RowCase {
    const char* name;
    int32_t kind;
    bool closes;            // a close tag is known
    const char* bodyEnd;    // the close row up to which a body is skipped, or ""
    TableRole role;
    bool checksAttributes;  // html32 checks only the rows with attributes
};

TEST(Html32Table, GivesEachKindOfTagItsBehaviour) {
    using R = TableRole;
    const RowCase cases[] = {
        {"!-", PairVoid, false, "", R::None, false},
        {"SCRIPT", PairRaw, true, "/SCRIPT", R::None, false},
        {"PRE", PairRaw, true, "/PRE", R::None, true},
        {"TABLE", PairCounted, true, "", R::Table, true},
        {"/TABLE", PairCounted, false, "", R::TableEnd, false},
        {"TD", PairOptional, true, "", R::Cell, true},
        {"/TR", PairOptional, false, "", R::Cell, false},
        {"TH", PairOptional, true, "", R::Cell, true},
        {"CAPTION", PairStrict, true, "", R::None, true},
        {"A", PairStrict, true, "", R::None, true},
        {"SPAN", PairStrict, true, "", R::None, false},
        {"LI", PairVoid, false, "", R::None, false},
        {"NOBR", PairOptional, true, "", R::None, false},
        {"STYLE", PairStrict, true, "", R::None, false},
        {"!DOCTYPE", PairVoid, false, "", R::None, false},
        {"OPTION", PairVoid, false, "", R::None, true},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int r = html32.find(c.name);
        ASSERT_GE(r, 0);
        EXPECT_EQ(html32.row(r).kind, c.kind);
        const int close = html32.find((std::string("/") + c.name).c_str());
        EXPECT_EQ(close >= 0, c.closes);
        if (close >= 0) {
            EXPECT_EQ(html32.row(close).kind, c.kind);
        }
        EXPECT_EQ(html32.skippedBodyEnd(c.name), *c.bodyEnd ? html32.find(c.bodyEnd) : -1);
        EXPECT_EQ(html32.tableRole(r), c.role);
        EXPECT_EQ(html32.checksAttributes(r), c.checksAttributes);
        EXPECT_FALSE(html32.opensForeign(r));
    }
}

// What each profile knows of a name, its close tag's name and letter case aside.
TEST(EveryProfile, FindsDescribesAndPairsItsNames) {
    const struct {
        const char* profile;
        const char* name;
        const char* description;  // "" when the name is not known
        int32_t kind;
        const char* closeDescription;  // "" when no close tag is known
    } cases[] = {
        {"html32", "a", "Anchor (link)", PairStrict, "Anchor end"},
        {"html32", "Td", "Table cell", PairOptional, "Table cell end"},
        {"html32", "FONT", "Font", PairCounted, "Font end"},
        {"html32", "br", "Line break", PairVoid, ""},
        {"html32", "script", "Script language", PairRaw, "Script language end"},
        {"html32", "nav", "", PairNone, ""},
        {"html32", "svg", "", PairNone, ""},
        {"html4", "A", "Anchor (link)", PairStrict, "End of anchor (link)"},
        {"html4", "td", "Table cell", PairOptional, "End of table cell"},
        {"html4", "font", "Font face, size and colour", PairCounted, "End of font face, size and colour"},
        {"html4", "BR", "Line break", PairVoid, ""},
        {"html4", "Script", "Script", PairRaw, "End of script"},
        {"html4", "nav", "", PairNone, ""},
        {"html5", "a", "Anchor (link)", PairStrict, "End of anchor (link)"},
        {"html5", "TD", "Table cell", PairOptional, "End of table cell"},
        {"html5", "center", "Centred block", PairCounted, "End of centred block"},
        {"html5", "br", "Line break", PairVoid, ""},
        {"html5", "nav", "Navigation links", PairCounted, "End of navigation links"},
        {"html5", "svg", "SVG drawing", PairForeign, "End of SVG drawing"},
        {"html5", "sidebar", "", PairNone, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " " + c.name);
        const std::unique_ptr<TagProfile> profile = TagProfile::make(c.profile);
        ASSERT_TRUE(profile);
        const int r = profile->find(c.name);
        EXPECT_EQ(r >= 0, *c.description != '\0');
        EXPECT_STREQ(profile->describe(c.name), c.description);
        if (r >= 0) {
            EXPECT_EQ(profile->row(r).kind, c.kind);
        }
        const std::string close = std::string("/") + c.name;
        EXPECT_STREQ(profile->describe(close.c_str()), c.closeDescription);
        const int closeRow = profile->find(close.c_str());
        EXPECT_EQ(closeRow >= 0, *c.closeDescription != '\0');
        if (closeRow >= 0) {
            EXPECT_EQ(profile->row(closeRow).kind, c.kind);
        }
    }
}

}  // namespace
