#include "known_tag_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<KnownTagDefinition> read(const std::string& text, std::vector<std::string>& errors) {
    return readKnownTags(text.data(), text.size(), "site.known", errors);
}

TEST(ReadKnownTags, ReadsEveryFieldAndSkipsBlankAndCommentLines) {
    const std::string text =
        "# our widgets\r\n"
        "\n"
        "  my-date | Counted |  Date picker  | value min  max data-*\r\n"
        "\t# indented comment\n"
        "* | | | hx-* *\n"
        "a||Link\n"
        "x-plain | raw\n"
        "!doctype | void";  // no line feed at the end
    std::vector<std::string> errors;
    const auto defs = read(text, errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_EQ(defs.size(), 5u);

    EXPECT_EQ(defs[0].name, "my-date");
    EXPECT_EQ(defs[0].pairing, PairCounted);
    EXPECT_EQ(defs[0].description, "Date picker");
    EXPECT_EQ(defs[0].attributes, (std::vector<std::string>{"value", "min", "max", "data-*"}));
    EXPECT_EQ(defs[0].line, 3);

    EXPECT_EQ(defs[1].name, "*");
    EXPECT_EQ(defs[1].pairing, PairNone);
    EXPECT_EQ(defs[1].attributes, (std::vector<std::string>{"hx-*", "*"}));

    EXPECT_EQ(defs[2].pairing, PairNone);
    EXPECT_EQ(defs[2].description, "Link");
    EXPECT_TRUE(defs[2].attributes.empty());

    EXPECT_EQ(defs[3].pairing, PairRaw);
    EXPECT_EQ(defs[3].description, "");
    EXPECT_EQ(defs[4].name, "!doctype");
    EXPECT_EQ(defs[4].line, 8);
}

struct MalformedCase {
    std::string line;
    const char* error;  // after "site.known:2: "
};

TEST(ReadKnownTags, ReportsEachMalformedLineWithFileAndLineAndKeepsTheRest) {
    const MalformedCase cases[] = {
        {"a | strict | Link | href | obsolete | x",
         "more than five fields; expected NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS"},
        {" | strict", "no tag name; expected NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS"},
        {"/a | strict", "'/a' is not a tag name: it holds a space or one of < > / = \" ' * |"},
        // What only the built-in tables may say.
        {"/b | | Bold end", "'/b' is not a tag name: it holds a space or one of < > / = \" ' * |"},
        {"i | strict | Italic | | | closes-p", "more than five fields; expected NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS"},
        {"my tag | strict", "'my tag' is not a tag name: it holds a space or one of < > / = \" ' * |"},
        {"x-* | strict", "'x-*' is not a tag name: it holds a space or one of < > / = \" ' * |"},
        {"b | paired", "unknown pairing 'paired': use void, optional, strict, counted, raw or foreign"},
        {"* | strict", "'*' gives attributes only: leave its pairing empty"},
        {"* | | Everything", "'*' gives attributes only: leave its description empty"},
        {"b | strict | A description that goes on and on well past the sixty we allow",
         "description longer than 60 characters"},
        {"b | strict | Bold | href=x", "'href=x' is not an attribute name: it holds one of < > / = \" ' | or a \"*\" before its end"},
        {"b | strict | Bold | da*ta", "'da*ta' is not an attribute name: it holds one of < > / = \" ' | or a \"*\" before its end"},
        {"b | strict | Bold | | old", "unknown status 'old': use obsolete or leave it empty"},
        {"b | strict | Bold | | obsolete now", "unknown status 'obsolete now': use obsolete or leave it empty"},
        {"* | | | hx-* | obsolete", "'*' gives attributes only: leave its status empty"},
        {"B | counted", "'B' is defined on line 1 already"},
        {std::string("b\0 | strict", 11), "holds a NUL byte"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> errors;
        const auto defs = read("b | strict | Bold\n" + c.line + "\nu | strict\n", errors);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], std::string("site.known:2: ") + c.error);
        ASSERT_EQ(defs.size(), 2u) << "the good lines around it are kept";
        EXPECT_EQ(defs[1].name, "u");
        EXPECT_EQ(defs[1].line, 3);
    }
}

struct StatusCase {
    std::string line;
    bool obsolete;
    PairKind pairing;
    size_t attributes;
};

TEST(ReadKnownTags, ReadsTheStatusFieldOnlyWhenItIsThere) {
    const StatusCase cases[] = {
        {"font | counted | Font face | color face size | obsolete", true, PairCounted, 3},
        {"font | counted | Font face | | Obsolete", true, PairCounted, 0},
        {"font |||| OBSOLETE ", true, PairNone, 0},
        {"font | counted | Font face | color |", false, PairCounted, 1},
        {"font | counted | Font face | color |  \t", false, PairCounted, 1},
        {"font | counted | Font face | color", false, PairCounted, 1},
        {"font | void", false, PairVoid, 0},
        {"* | | | hx-* |", false, PairNone, 1},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> errors;
        const auto defs = read(c.line + "\nb | strict | Bold\n", errors);
        EXPECT_TRUE(errors.empty()) << errors.front();
        ASSERT_EQ(defs.size(), 2u);
        EXPECT_EQ(defs[0].obsolete, c.obsolete);
        EXPECT_EQ(defs[0].pairing, c.pairing);
        EXPECT_EQ(defs[0].attributes.size(), c.attributes);
        EXPECT_FALSE(defs[1].obsolete) << "a status holds for its own line only";
    }
}

struct TableCase {
    const char* name;
    PairKind pairing;
    bool obsolete;
    const char* attribute;  // one of its own, or "" for none
};

const KnownTagDefinition* findIn(const std::vector<KnownTagDefinition>& defs, const std::string& name) {
    for (const KnownTagDefinition& d : defs) {
        if (d.name == name) return &d;
    }
    return nullptr;
}

void expectTable(const KnownTagTable& table, const char* fileName, const std::vector<TableCase>& cases, size_t count) {
    std::vector<std::string> errors;
    const auto defs = readKnownTags(table.text, table.size, fileName, errors, KnownTagForm::BuiltIn);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(defs.size(), count) << "elements, and the lines of '*', comments and declarations";
    for (const TableCase& c : cases) {
        SCOPED_TRACE(std::string(fileName) + " " + c.name);
        const KnownTagDefinition* d = findIn(defs, c.name);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->pairing, c.pairing);
        EXPECT_EQ(d->obsolete, c.obsolete);
        EXPECT_EQ(d->description.empty(), d->name == "*");
        if (*c.attribute) {
            EXPECT_NE(std::find(d->attributes.begin(), d->attributes.end(), c.attribute), d->attributes.end());
        } else {
            EXPECT_TRUE(d->attributes.empty());
        }
    }
}

TEST(ReadKnownTags, ReadsTheCompiledInTables) {
    expectTable(Html32KnownTags, "html32.known",
                {
                    {"!-", PairVoid, false, ""},
                    {"SCRIPT", PairRaw, false, ""},
                    {"/SCRIPT", PairNone, false, ""},
                    {"TABLE", PairCounted, false, "bordercolorlight"},
                    {"TD", PairOptional, false, "nowrap"},
                    {"PRE", PairRaw, false, "width"},
                    {"LI", PairVoid, false, ""},
                    {"A", PairStrict, false, "onclick"},
                    {"!DOCTYPE", PairVoid, false, ""},
                    {"OPTION", PairVoid, false, "selected"},
                },
                KnownTagCount);
    expectTable(Html4KnownTags, "html4.known",
                {
                    {"a", PairStrict, false, "href"},
                    {"form", PairStrict, false, "accept-charset"},
                    {"select", PairStrict, false, "multiple"},
                    {"dir", PairStrict, false, "compact"},
                    {"div", PairCounted, false, "align"},
                    {"h1", PairCounted, false, "align"},
                    {"ins", PairCounted, false, "datetime"},
                    {"frameset", PairCounted, false, "rows"},
                    {"p", PairOptional, false, "align"},
                    {"tbody", PairOptional, false, "valign"},
                    {"option", PairOptional, false, "selected"},
                    {"br", PairVoid, false, "clear"},
                    {"frame", PairVoid, false, "noresize"},
                    {"script", PairRaw, false, "defer"},
                    {"title", PairRaw, false, ""},
                    {"b", PairCounted, false, ""},
                    {"*", PairNone, false, "onkeyup"},
                    {"?xml", PairVoid, false, ""},
                },
                91 + 4);
    expectTable(Html5KnownTags, "html5.known",
                {
                    {"div", PairCounted, false, "align"},
                    {"a", PairStrict, false, "href"},
                    {"font", PairCounted, true, "face"},
                    {"frame", PairVoid, true, "noresize"},
                    {"xmp", PairRaw, true, ""},
                    {"rb", PairOptional, true, ""},
                    {"rt", PairOptional, false, ""},
                },
                114 + 35 + 3);
}

std::vector<KnownTagDefinition> readBuiltIn(const std::string& text, std::vector<std::string>& errors) {
    return readKnownTags(text.data(), text.size(), "own.known", errors, KnownTagForm::BuiltIn);
}

std::string usesOf(const std::vector<AttributeUse>& uses) {
    std::string text;
    for (const AttributeUse& u : uses) {
        text += (text.empty() ? "" : " ") + u.name;
        if (!u.condition.empty()) text += "[" + u.condition + (u.value.empty() ? "" : "=" + u.value) + "]";
    }
    return text;
}

struct FeatureCase {
    std::string features;
    ElementGroup group;
    const char* flags;  // p closes-p, s special, b scope, h in-head
    TableRole role;
    const char* links;  // references, then anchors and base after "|"
};

TEST(ReadKnownTags, ReadsTheFeaturesOfABuiltInTable) {
    using G = ElementGroup;
    using R = TableRole;
    const FeatureCase cases[] = {
        {"", G::Other, "", R::None, "||"},
        {"group=table-cell special scope table=cell links=background", G::TableCell, "sb", R::Cell, "background||"},
        {"group=paragraph closes-p", G::Paragraph, "p", R::None, "||"},
        {"in-head special  links=content[http-equiv=refresh]", G::Other, "sh", R::None, "content[http-equiv=refresh]||"},
        {"links=HREF anchors=name", G::Other, "", R::None, "href|name|"},
        {"links=src,srcset", G::Other, "", R::None, "src srcset||"},
        {"links=src[type=image]", G::Other, "", R::None, "src[type=image]||"},
        {"links=src[hidden]", G::Other, "", R::None, "src[hidden]||"},
        {"base=href table=table group=ruby-text-group", G::RubyTextGroup, "", R::Table, "||href"},
    };
    for (const FeatureCase& c : cases) {
        SCOPED_TRACE(c.features);
        std::vector<std::string> errors;
        const auto defs = readBuiltIn("x | counted | X | | | " + c.features + "\n", errors);
        EXPECT_TRUE(errors.empty()) << errors.front();
        ASSERT_EQ(defs.size(), 1u);
        const KnownTagDefinition& d = defs[0];
        EXPECT_EQ(d.traits.group, c.group);
        const std::string flags = c.flags;
        EXPECT_EQ(d.traits.closesParagraph, flags.find('p') != std::string::npos);
        EXPECT_EQ(d.traits.special, flags.find('s') != std::string::npos);
        EXPECT_EQ(d.traits.scopeBoundary, flags.find('b') != std::string::npos);
        EXPECT_EQ(d.traits.inHead, flags.find('h') != std::string::npos);
        EXPECT_EQ(d.tableRole, c.role);
        EXPECT_EQ(usesOf(d.links.references) + "|" + usesOf(d.links.anchors) + "|" + usesOf(d.links.base), c.links);
    }
}

TEST(ReadKnownTags, ReadsTheContentModelOfABuiltInLine) {
    std::vector<std::string> errors;
    const auto defs = readBuiltIn(
        "x | counted | X | | | categories=flow,interactive[href],phrasing[type!=Hidden] holds=@phrasing,LI "
        "transparent forbids=@interactive,a needs=dt,dd needs=title follow=dt:dd\n"
        "y | void | Y | | | categories=none\nz | counted | Z\n",
        errors);
    ASSERT_TRUE(errors.empty());
    ASSERT_EQ(defs.size(), 3u);
    const ContentText& x = defs[0].content;
    EXPECT_TRUE(x.given && x.transparent && x.holdsGiven && !x.anywhere);
    EXPECT_EQ(x.categories, CategoryFlow);
    ASSERT_EQ(x.conditional.size(), 2u);
    EXPECT_EQ(x.conditional[0].category, CategoryInteractive);
    EXPECT_EQ(x.conditional[0].attribute, "href");
    EXPECT_FALSE(x.conditional[0].negated);
    EXPECT_EQ(x.conditional[1].attribute, "type");
    EXPECT_EQ(x.conditional[1].value, "hidden");
    EXPECT_TRUE(x.conditional[1].negated);
    EXPECT_EQ(x.holdsCategories, CategoryPhrasing);
    EXPECT_EQ(x.holds, std::vector<std::string>{"li"});
    EXPECT_EQ(x.forbidsCategories, CategoryInteractive);
    EXPECT_EQ(x.needs, (std::vector<std::vector<std::string>>{{"dt", "dd"}, {"title"}}));
    EXPECT_EQ(x.follows + ":" + x.followedBy, "dt:dd");
    // "none" marks an element placed by its parents' models alone; no word leaves it unchecked.
    EXPECT_TRUE(defs[1].content.given);
    EXPECT_EQ(defs[1].content.categories, 0);
    EXPECT_FALSE(defs[2].content.given);
}

TEST(ReadKnownTags, GivesACloseTagItsOwnLineInABuiltInTable) {
    std::vector<std::string> errors;
    const auto defs = readBuiltIn("TD | optional | Table cell\n/TD | | Table cell end\nSPAN | strict\n/SPAN\n", errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_EQ(defs.size(), 4u);
    EXPECT_EQ(defs[1].name, "/TD");
    EXPECT_EQ(defs[1].pairing, PairNone);
    EXPECT_EQ(defs[1].description, "Table cell end");
    EXPECT_EQ(defs[3].name, "/SPAN");
    EXPECT_EQ(defs[3].description, "");
}

TEST(ReadKnownTags, ReportsWhatABuiltInTableGetsWrong) {
    const MalformedCase cases[] = {
        {"x | counted | X | | | colour=red", "unknown feature 'colour'"},
        {"x | counted | X | | | group", "feature 'group' needs a value"},
        {"x | counted | X | | | closes-p=yes", "feature 'closes-p' takes no value"},
        {"x | counted | X | | | group=row", "unknown group 'row'"},
        {"x | counted | X | | | table=row", "unknown table role 'row': use table or cell"},
        {"x | counted | X | | | links=src,", "feature 'links' has an empty value"},
        {"x | counted | X | | | links=src[type=image", "'src[type=image' is not an attribute, with or without a [condition]"},
        {"x | counted | X | | | links=src[=image]", "'src[=image]' is not an attribute, with or without a [condition]"},
        // A default-state condition is for the attribute checks alone, and takes no value.
        {"x | counted | X | | | links=src[!type]", "'src[!type]' is not an attribute, with or without a [condition]"},
        {"x | counted | X | | | only=src[!type=a]", "'src[!type=a]' is not an attribute with a [condition]"},
        {"x | counted | X | | | | more", "more than six fields; expected NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS | FEATURES"},
        {"/x | void | X end", "'/x' is a close tag's line: it gives a description only"},
        {"/x | | X end | href", "'/x' is a close tag's line: it gives a description only"},
        {"/u | | U end", "'/u' does not follow the line of a tag with a close tag"},
        {"/b | | B end", "'/b' does not follow the line of a tag with a close tag"},
        {"x | counted | X | | | custom-elements", "custom-elements and reserved belong on the '*' line"},
        {"x | counted | X | | | reserved=font-face", "custom-elements and reserved belong on the '*' line"},
        {"* | | | | | reserved=font/face", "'font/face' is not a tag name"},
        {"x | counted | X | | | categories=block", "unknown category 'block'"},
        {"x | counted | X | | | categories=flow[href", "'flow[href' is not a category with a [condition]"},
        {"x | counted | X | | | categories=flow[=a]", "'flow[=a]' has no attribute in its condition"},
        {"x | counted | X | | | categories=flow[type!=]", "'flow[type!=]' compares with no word"},
        {"x | counted | X | | | holds=@inline", "unknown category 'inline'"},
        {"x | counted | X | | | forbids=a/b", "'a/b' is neither @CATEGORY nor a tag name"},
        {"x | counted | X | | | follow=dt", "follow takes NAME:NAME"},
        {"x | counted | X | | | follow=dt:", "follow takes NAME:NAME"},
        {"x | counted | X | | | transparent=yes", "feature 'transparent' takes no value"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> errors;
        const std::string before = c.line.compare(0, 3, "/b ") == 0 ? "b | void | Bold\n" : "b | strict | Bold\n";
        const auto defs = readBuiltIn(before + c.line + "\nu | strict\n", errors);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], std::string("own.known:2: ") + c.error);
        EXPECT_EQ(defs.size(), 2u) << "the good lines around it are kept";
    }
}

}  // namespace
