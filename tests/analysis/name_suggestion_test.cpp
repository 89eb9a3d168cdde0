#include "name_suggestion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tag_profile.h"

namespace {

TEST(EditDistance, CountsEditsUpToTheBound) {
    struct Case {
        const char* a;
        const char* b;
        int bound;
        int distance;
    } const cases[] = {
        {"div", "div", 2, 0},
        {"DIV", "div", 2, 0},      // letter case ignored
        {"dvi", "div", 2, 1},      // two neighbours swapped: one edit
        {"spna", "span", 2, 1},
        {"hreff", "href", 2, 1},   // one left out
        {"clas", "class", 2, 1},   // one put in
        {"tabel", "table", 2, 1},
        {"main", "map", 2, 2},     // changed and left out
        {"ca", "abc", 2, 3},       // a swap is not edited again: more than the bound
        {"a", "abcd", 2, 3},       // lengths too far apart
        {"tabel", "table", 0, 1},  // beyond the bound: bound + 1
        {"header", "head", 2, 2},
        {"", "p", 2, 1},
        {"blockquote", "blokcqoute", 2, 2},
        {"blockquote", "bolcqkoute", 2, 3},
        {"alt", "tal", 2, 2},      // a swap and a change
        {"alt", "", 2, 3},
        {"rows", "cols", 2, 2},
        {"abcdef", "badcfe", 2, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(editDistanceWithin(c.a, strlen(c.a), c.b, strlen(c.b), c.bound), c.distance) << c.a << " " << c.b;
        EXPECT_EQ(editDistanceWithin(c.b, strlen(c.b), c.a, strlen(c.a), c.bound), c.distance) << c.b << " " << c.a;
    }
}

TEST(NearestName, ChoosesOnlyANameThatStandsOut) {
    // sole: the chosen one alone is that near, sure enough to mend by; a tie broken by the
    // letters is not, but the tied ones are handed on for the page to settle.
    struct Case {
        const char* name;
        std::vector<const char*> candidates;
        int chosen;
        bool sole;
        std::vector<int> tied;  // every candidate as near as the nearest
    } const cases[] = {
        {"dvi", {"dir", "div", "dl"}, 1, true, {1}},            // the others two edits away
        {"bt", {"b", "br", "dt"}, -1, false, {0, 1, 2}},        // three one edit away: unclear
        {"tabel", {"label", "table"}, 1, false, {0, 1}},        // as near, but only table has its letters
        {"ht", {"hr", "th", "tt"}, 1, false, {0, 1, 2}},
        {"ab", {"ab2", "ba", "bb"}, 1, false, {0, 1, 2}},       // all one edit near: ba alone has its letters
        {"abc", {"acb", "bac"}, -1, false, {0, 1}},             // two of its letters: unclear
        {"talbe", {"label", "table"}, 1, true, {1}},            // label is three edits away
        {"tabel", {"table", "tables"}, 0, true, {0}},           // a nearer one outweighs a farther one
        {"main", {"map", "menu"}, -1, false, {}},               // a short name takes one edit only
        {"sectoin", {"section", "select"}, 0, true, {0}},
        {"zorglub", {"table", "div"}, -1, false, {}},
        {"heaedr", {"header", "head"}, 0, true, {0}},           // head is two edits away
        {"blockqoute", {"blockquote", "button"}, 0, true, {0}},
        {"mian", {"main", "map"}, 0, true, {0}},                // map is two edits away, past a short name's bound
    };
    for (const Case& c : cases) {
        NearestName nearest(c.name, strlen(c.name));
        for (size_t i = 0; i < c.candidates.size(); ++i)
            nearest.consider(c.candidates[i], strlen(c.candidates[i]), static_cast<int>(i));
        EXPECT_EQ(nearest.chosen(), c.chosen) << c.name;
        EXPECT_EQ(nearest.sole(), c.sole) << c.name;
        EXPECT_EQ(nearest.tied(), c.tied) << c.name;
    }
}

TEST(NearestName, LooksAmongTheProfilesElementsAndAttributes) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5"), html4 = TagProfile::make("html4");
    ASSERT_TRUE(html5 && html4);
    struct ElementCase {
        const TagProfile& profile;
        const char* name;
        const char* nearest;  // the row's name, or "" for none
    } const elements[] = {
        {*html5, "dvi", "DIV"},       {*html5, "talbe", "TABLE"}, {*html5, "sectoin", "SECTION"},
        {*html5, "bt", ""},           {*html5, "zorglub", ""},    {*html4, "talbe", "TABLE"},
        {*html5, "tabel", "TABLE"}, {*html4, "ht", "TH"}, {*html5, "ilnk", "LINK"},
        {*html4, "fnot", "FONT"},     {*html5, "DVI", "DIV"},     {*html5, "!doctyp", ""},  // not an element
    };
    for (const ElementCase& c : elements) {
        const int row = c.profile.nearestElement(c.name, strlen(c.name));
        EXPECT_EQ(row < 0 ? std::string() : std::string(c.profile.row(row).name), c.nearest)
            << c.name << " in " << c.profile.name();
    }
    struct AttributeCase {
        const TagProfile& profile;
        const char* element;
        const char* name;
        const char* nearest;  // "" for none
    } const attributes[] = {
        {*html5, "div", "clas", "class"},         {*html5, "img", "scr", "src"},
        {*html5, "a", "hreff", "href"},           {*html5, "div", "ariahidden", "aria-hidden"},
        {*html5, "div", "hreff", ""},             // href is not a div's attribute
        {*html5, "p", "foo", ""},                 {*html5, "div", "data-x", ""},  // patterns are not names
        {*html4, "td", "colpsan", "colspan"},     {*html4, "body", "bgcolr", "bgcolor"},
    };
    for (const AttributeCase& c : attributes) {
        const char* near = c.profile.nearestAttribute(c.name, strlen(c.name), c.profile.find(c.element));
        EXPECT_STREQ(near ? near : "", c.nearest) << c.name << " on " << c.element << " in " << c.profile.name();
    }
}

}  // namespace
