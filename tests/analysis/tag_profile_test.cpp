#include "tag_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tag_scanner.h"
#include "test_documents.h"

namespace {

const TagProfile& html32 = TagProfile::html32();

// The first tag of `text` as the 1990s check reads it.
ScannedTag firstTag(const std::string& text) {
    LoadedDocument d(text);
    TagScanner scanner(d.document, html32, Html32Check);
    EXPECT_TRUE(scanner.next()) << text;
    return scanner.tag();
}

TEST(Html32Profile, KnowsTheCommentAndNoAttributesOfEveryTag) {
    EXPECT_STREQ(html32.row(html32.commentRow()).name, "!-");
    EXPECT_EQ(html32.globalAttributeText(), "");
}

struct FindCase {
    const char* text;
    const char* row;  // the name of the row found, or "" for none
    const char* nameRead;
};

// The 1990s check reads a tag's name, at most one character past the profile's longest,
// and finds its row.
TEST(Html32Check, ReadsTheNameAndFindsItsRow) {
    const FindCase cases[] = {
        {"<td>", "TD", "td"},
        {"<TD>", "TD", "TD"},
        {"<Td>", "TD", "Td"},
        {"</tr>", "/TR", "/tr"},
        {"<TD align=left>", "TD", "TD"},
        {"<!-- a comment -->", "!-", "!-"},
        {"<!- one dash ->", "!-", "!-"},
        {"<!->", "!-", "!-"},
        {"<!--x>y-->", "!-", "!-"},
        {"<!DOCTYPE HTML PUBLIC>", "!DOCTYPE", "!DOCTYPE"},
        {"<!doctype html>", "!DOCTYPE", "!doctype"},
        {"<br/>", "", "br/"},
        {"<TD\n>", "TD", "TD"},
        {"<TD\r>", "TD", "TD"},
        {"<abcdefghijklmnopqrstuvwxy>", "", "abcdefghijklmnopqrs"},
        {"<>", "", ""},
        {"<", "", ""},
        {"<a!-b>", "", "a!-"},
    };
    for (const FindCase& c : cases) {
        if (*c.row) {
            ASSERT_GE(html32.find(c.row), 0) << c.row;
        }
        const ScannedTag tag = firstTag(c.text);
        EXPECT_EQ(tag.row, *c.row ? html32.find(c.row) : -1) << c.text;
        EXPECT_STREQ(tag.name, c.nameRead) << c.text;
    }
}

TEST(Html32Check, FindsEveryRowByItsOwnNameInAnyCase) {
    for (int i = 0; i < html32.rowCount(); ++i) {
        std::string text = std::string("<") + html32.row(i).name + ">";
        EXPECT_EQ(firstTag(text).row, i) << text;
        for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(firstTag(text).row, i) << text;
    }
}

TEST(HasAttribute, MatchesTheRowsListWithoutRegardToCase) {
    EXPECT_TRUE(html32.hasAttribute("HREF", html32.find("A")));
    EXPECT_TRUE(html32.hasAttribute("src", html32.find("EMBED")));
    EXPECT_FALSE(html32.hasAttribute("align", html32.find("BR")));
    EXPECT_TRUE(html32.hasAttribute("BorderColorLight", html32.find("TABLE")));
    EXPECT_FALSE(html32.hasAttribute("", html32.find("TABLE")));
    EXPECT_FALSE(html32.hasAttribute("colour", html32.find("FONT")));
    EXPECT_TRUE(html32.hasAttribute("http-equiv", html32.find("META")));
}

TEST(AttributeText, ListsTheNamesEachFollowedByASpace) {
    EXPECT_EQ(html32.attributeText(html32.find("TR")), "align valign ");
    EXPECT_EQ(html32.attributeText(html32.find("BR")), "");
    EXPECT_EQ(html32.attributeText(html32.find("A")), "name href target rel rev title onclick ");
    EXPECT_EQ(html32.attributeText(html32.find("TABLE")).size(), 98u);
    size_t longest = 0;
    for (int i = 0; i < html32.rowCount(); ++i) longest = std::max(longest, html32.attributeText(i).size());
    EXPECT_EQ(longest, 98u);
}

TEST(Describe, GivesTheDescriptionOrTheEmptyText) {
    EXPECT_STREQ(html32.describe("p"), "Paragraph begin");
    EXPECT_STREQ(html32.describe("/blockquote"), "Block quote end");
    EXPECT_STREQ(html32.describe("SPAN"), "");
    EXPECT_STREQ(html32.describe("SIDEBAR"), "");
    EXPECT_STREQ(html32.describe(""), "");
    EXPECT_STREQ(html32.describe("!-"), "Comment");
}

std::unique_ptr<TagProfile> html5Profile() {
    std::unique_ptr<TagProfile> profile = TagProfile::make("html5");
    EXPECT_TRUE(profile) << "html5.known does not load";
    return profile;
}

// A profile with known tags added; the test fails on any error.
std::unique_ptr<TagProfile> withKnown(const char* profileName, const std::string& text) {
    std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
    std::vector<std::string> errors;
    EXPECT_TRUE(profile->addKnownTags(text.data(), text.size(), "site.known", errors));
    EXPECT_TRUE(errors.empty()) << errors.front();
    return profile;
}

// The layout the check relies on, in every profile and after any known tags.
void expectTableLayout(const TagProfile& profile) {
    std::vector<std::string> names;
    for (int r = 0; r < profile.rowCount(); ++r) {
        const TagEntry& row = profile.row(r);
        SCOPED_TRACE(row.name);
        names.push_back(row.name);
        for (const char* p = row.name; *p; ++p) EXPECT_FALSE(*p >= 'a' && *p <= 'z');
        EXPECT_EQ(profile.find(row.name), r);
        if (row.name[0] == '/') {
            ASSERT_GT(r, 0);
            EXPECT_STREQ(row.name + 1, profile.row(r - 1).name) << "close row must follow its open row";
            EXPECT_EQ(row.kind, profile.row(r - 1).kind);
        } else if (profile.opensText(r) || profile.opensForeign(r)) {
            ASSERT_LT(r + 1, profile.rowCount()) << "a skipped body needs a close row";
            EXPECT_EQ(std::string("/") + row.name, profile.row(r + 1).name);
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "duplicate name";
}

TEST(Html5Profile, HoldsTheCurrentElementsWithTheirPairingAndContents) {
    const auto html5 = html5Profile();
    expectTableLayout(*html5);
    expectTableLayout(html32);
    struct Case {
        const char* name;
        int32_t kind;
        bool closes;
        bool text;     // its contents are text
        bool foreign;  // its contents are another vocabulary
        TableRole role;
    } cases[] = {
        {"DIV", PairCounted, true, false, false, TableRole::None},
        {"A", PairStrict, true, false, false, TableRole::None},
        {"LI", PairOptional, true, false, false, TableRole::None},
        {"BR", PairVoid, false, false, false, TableRole::None},
        {"SCRIPT", PairRaw, true, true, false, TableRole::None},
        {"PRE", PairStrict, true, false, false, TableRole::None},
        {"SVG", PairForeign, true, false, true, TableRole::None},
        {"TABLE", PairCounted, true, false, false, TableRole::Table},
        {"/TABLE", PairCounted, false, false, false, TableRole::TableEnd},
        {"TD", PairOptional, true, false, false, TableRole::Cell},
        {"/TH", PairOptional, false, false, false, TableRole::Cell},
        {"!DOCTYPE", PairVoid, false, false, false, TableRole::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int r = html5->find(c.name);
        ASSERT_GE(r, 0);
        EXPECT_EQ(html5->row(r).kind, c.kind);
        EXPECT_EQ(html5->find((std::string("/") + c.name).c_str()) == r + 1, c.closes);
        EXPECT_EQ(html5->opensText(r), c.text);
        EXPECT_EQ(html5->opensForeign(r), c.foreign);
        EXPECT_EQ(html5->tableRole(r), c.role);
    }
    // Obsolete elements are known, as obsolete.
    for (const char* name : {"FONT", "CENTER"}) {
        ASSERT_GE(html5->find(name), 0) << name;
        EXPECT_TRUE(html5->isObsolete(html5->find(name))) << name;
    }
    EXPECT_FALSE(html5->isObsolete(html5->find("DIV")));
    EXPECT_STREQ(html5->row(html5->commentRow()).name, "!-");
    EXPECT_STREQ(html5->describe("/td"), "End of table cell");
    EXPECT_STREQ(html5->describe("/svg"), "End of SVG drawing");
    EXPECT_STREQ(html5->describe("my-menu"), "Custom element");
    EXPECT_STREQ(html5->describe("/MY-MENU"), "Custom element end");
    EXPECT_STREQ(html32.describe("my-menu"), "");
    // Every element takes the global and ARIA attributes, event handlers and data-*.
    const int b = html5->find("B");
    for (const char* a : {"class", "ID", "aria-label", "role", "onclick", "data-x"})
        EXPECT_TRUE(html5->hasAttribute(a, b)) << a;
    EXPECT_TRUE(html5->hasAttribute(("data-" + std::string(100, 'x')).c_str(), b)) << "longer than names are read";
    // A pattern stands for longer names only.
    for (const char* a : {"href", "aria-lable", "on", "data-", "x-data"}) EXPECT_FALSE(html5->hasAttribute(a, b)) << a;
    EXPECT_TRUE(html5->hasAttribute("viewBox", html5->find("SVG")));
    EXPECT_TRUE(html5->checksAttributes(b));
    EXPECT_FALSE(html32.checksAttributes(html32.find("B")));
}

TEST(IsCustomElement, TakesWhatHtml5sTableTakes) {
    const auto html5 = html5Profile();
    for (const char* name : {"my-card", "x-", "My-Card", "a-b.c_d-1", "math-\xC3\xA9l\xC3\xA9ment", "p-"}) {
        EXPECT_TRUE(html5->isCustomElement(name)) << name;
        EXPECT_FALSE(html32.isCustomElement(name)) << name;
        EXPECT_FALSE(TagProfile::make("html4")->isCustomElement(name)) << name;
    }
    for (const char* name : {"mycard", "-card", "1-card", "my card", "my-card/", "my:card-x", "font-face",
                             "Annotation-XML", "missing-glyph", ""})
        EXPECT_FALSE(html5->isCustomElement(name)) << name;
}

TEST(AddKnownTags, AddsNewTagsAndOverridesTheProfiles) {
    const auto html5 = withKnown("html5",
                                 "my-date | counted | Date picker | value min\n"
                                 "p | counted\n"
                                 "br | strict | Break | clear-all\n"
                                 "td | void\n"
                                 "* | | | hx-* x-data\n");
    expectTableLayout(*html5);
    const int date = html5->find("MY-DATE");
    ASSERT_GE(date, 0);
    EXPECT_EQ(html5->row(date).kind, PairCounted);
    EXPECT_STREQ(html5->describe("/my-date"), "End of date picker");
    EXPECT_TRUE(html5->hasAttribute("MIN", date));
    EXPECT_TRUE(html5->hasAttribute("class", date));
    EXPECT_FALSE(html5->hasAttribute("max", date));
    // An override changes what it names and keeps the rest.
    const int p = html5->find("P");
    EXPECT_EQ(html5->row(p).kind, PairCounted);
    EXPECT_STREQ(html5->row(p).description, "Paragraph");
    const int br = html5->find("BR");
    EXPECT_EQ(html5->row(br).kind, PairStrict);
    EXPECT_EQ(html5->find("/BR"), br + 1);
    EXPECT_EQ(html5->attributeText(br), "clear clear-all ");
    EXPECT_EQ(html5->find("/TD"), -1);
    EXPECT_EQ(html5->tableRole(html5->find("TD")), TableRole::Cell);
    EXPECT_TRUE(html5->hasAttribute("hx-get", p));
    EXPECT_TRUE(html5->hasAttribute("x-data", br));
    EXPECT_FALSE(html5->hasAttribute("hx", p));

    // html32 leaves the tags without attributes unchecked, whatever every tag takes.
    const auto old = withKnown("html32", "* | | | hx-*\nblink | void\nmy-date | raw | Date picker\n");
    expectTableLayout(*old);
    EXPECT_TRUE(old->hasAttribute("hx-get", old->find("A")));
    EXPECT_FALSE(old->checksAttributes(old->find("B")));
    EXPECT_EQ(old->find("/BLINK"), -1);
    EXPECT_EQ(old->skippedBodyEnd("my-date"), old->find("/MY-DATE"));
    EXPECT_EQ(old->skippedBodyEnd("SCRIPTS"), old->find("/SCRIPT"));
    EXPECT_EQ(old->globalAttributeText(), "hx-* ");
}

struct TraitsCase {
    const char* profile;
    const char* name;
    ElementGroup group;
    const char* flags;  // p closes-p, s special, b scope, h in-head
};

TEST(ElementTraits, ComeFromTheTablesAndForANewTagFromHtml5s) {
    using G = ElementGroup;
    // main, svg and listing are not html4's: a known-tag file adds them there.
    const auto html4 = withKnown("html4", "main | counted\nsvg | foreign\nlisting | raw\nmy-box | counted\n");
    const auto html5 = withKnown("html5", "my-box | counted\np | counted\n");
    const TraitsCase cases[] = {
        {"html5", "P", G::Paragraph, "p"},
        {"html5", "/P", G::Paragraph, "p"},
        {"html5", "TD", G::TableCell, "sb"},
        {"html5", "LI", G::ListItem, "ps"},
        {"html5", "TITLE", G::Other, "sh"},
        {"html5", "OBJECT", G::Other, "sbh"},
        {"html5", "SPAN", G::Other, ""},
        {"html5", "MY-BOX", G::Other, ""},
        {"html4", "P", G::Paragraph, "p"},
        {"html4", "COLGROUP", G::ColumnGroup, "s"},
        {"html4", "?XML", G::Other, ""},
        {"html4", "MAIN", G::Other, "ps"},
        {"html4", "SVG", G::Other, "sb"},
        {"html4", "LISTING", G::Other, "ps"},
        {"html4", "MY-BOX", G::Other, ""},
    };
    for (const TraitsCase& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " " + c.name);
        const TagProfile& profile = std::string(c.profile) == "html4" ? *html4 : *html5;
        const int r = profile.find(c.name);
        ASSERT_GE(r, 0);
        const ElementTraits& t = profile.traits(r);
        const std::string flags = c.flags;
        EXPECT_EQ(t.group, c.group);
        EXPECT_EQ(t.closesParagraph, flags.find('p') != std::string::npos);
        EXPECT_EQ(t.special, flags.find('s') != std::string::npos);
        EXPECT_EQ(t.scopeBoundary, flags.find('b') != std::string::npos);
        EXPECT_EQ(t.inHead, flags.find('h') != std::string::npos);
    }
}

TEST(AddKnownTags, ReportsWhatTheProfileCantTakeAndThenLeavesItAsItWas) {
    auto profile = TagProfile::make("html32");
    const std::string text =
        "x-one | strict\n"
        "x-two\n"
        "a-name-of-nineteen-c | void\n"
        "b | | | an-attribute-of-19-c\n";
    std::vector<std::string> errors;
    EXPECT_FALSE(profile->addKnownTags(text.data(), text.size(), "site.known", errors));
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "site.known:2: 'x-two' is not a tag of the html32 profile, so it needs a pairing",
                          "site.known:3: 'a-name-of-nineteen-c' is longer than the 18 characters the html32 profile reads",
                          "site.known:4: 'an-attribute-of-19-c' is longer than the 18 characters the html32 profile reads",
                      }));
    EXPECT_EQ(profile->find("X-ONE"), -1);
    EXPECT_EQ(profile->rowCount(), TagProfile::html32().rowCount());
    // The html5 profile reads longer names.
    withKnown("html5", "a-name-of-nineteen-c | void\nb | | | an-attribute-of-19-c\n");
}

}  // namespace

namespace {

// Only html4 has a profile per DTD; each is made once, whatever the number of threads
// that ask for it first.
TEST(ForPage, GivesHtml4TheProfileOfTheNamedDtdAndTheOthersThemselves) {
    const std::string strict = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\"><p>";
    const std::string frameset = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\"><p>";
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4");
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html4 && html5);
    EXPECT_EQ(&html5->forPage(strict.data(), strict.size()), html5.get());
    EXPECT_EQ(&html32.forPage(strict.data(), strict.size()), &html32);
    EXPECT_EQ(&html4->forPage("<p>", 3), html4.get());

    const TagProfile* seen[4] = {};
    std::vector<std::thread> threads;
    for (size_t i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] { seen[i] = &html4->forPage(strict.data(), strict.size()); });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_NE(seen[0], html4.get());
    EXPECT_EQ(std::count(seen, seen + 4, seen[0]), 4);
    EXPECT_EQ(seen[0]->name(), "html4");
    EXPECT_EQ(seen[0]->find("FONT"), -1);
    const TagProfile& frames = html4->forPage(frameset.data(), frameset.size());
    EXPECT_NE(&frames, seen[0]);
    EXPECT_GE(frames.find("FRAMESET"), 0);
    EXPECT_GE(html4->find("FRAMESET"), 0);
}

}  // namespace
