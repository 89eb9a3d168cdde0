#include "known_tag_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// The data files the build compiles in (analysis/html*_known.cpp.in).
extern const char Html4KnownText[];
extern const size_t Html4KnownSize;
extern const char Html5KnownText[];
extern const size_t Html5KnownSize;

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
    EXPECT_EQ(defs[0].pairing, KnownPairing::Counted);
    EXPECT_EQ(defs[0].description, "Date picker");
    EXPECT_EQ(defs[0].attributes, (std::vector<std::string>{"value", "min", "max", "data-*"}));
    EXPECT_EQ(defs[0].line, 3);

    EXPECT_EQ(defs[1].name, "*");
    EXPECT_EQ(defs[1].pairing, KnownPairing::Keep);
    EXPECT_EQ(defs[1].attributes, (std::vector<std::string>{"hx-*", "*"}));

    EXPECT_EQ(defs[2].pairing, KnownPairing::Keep);
    EXPECT_EQ(defs[2].description, "Link");
    EXPECT_TRUE(defs[2].attributes.empty());

    EXPECT_EQ(defs[3].pairing, KnownPairing::Raw);
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
    KnownPairing pairing;
    size_t attributes;
};

TEST(ReadKnownTags, ReadsTheStatusFieldOnlyWhenItIsThere) {
    const StatusCase cases[] = {
        {"font | counted | Font face | color face size | obsolete", true, KnownPairing::Counted, 3},
        {"font | counted | Font face | | Obsolete", true, KnownPairing::Counted, 0},
        {"font |||| OBSOLETE ", true, KnownPairing::Keep, 0},
        {"font | counted | Font face | color |", false, KnownPairing::Counted, 1},
        {"font | counted | Font face | color |  \t", false, KnownPairing::Counted, 1},
        {"font | counted | Font face | color", false, KnownPairing::Counted, 1},
        {"font | void", false, KnownPairing::Void, 0},
        {"* | | | hx-* |", false, KnownPairing::Keep, 1},
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
    KnownPairing pairing;
    bool obsolete;
    const char* attribute;  // one of its own, or "" for none
};

const KnownTagDefinition* findIn(const std::vector<KnownTagDefinition>& defs, const std::string& name) {
    for (const KnownTagDefinition& d : defs) {
        if (d.name == name) return &d;
    }
    return nullptr;
}

void expectTable(const char* text, size_t size, const char* fileName, const std::vector<TableCase>& cases,
                 size_t count) {
    std::vector<std::string> errors;
    const auto defs = readKnownTags(text, size, fileName, errors);
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
    using P = KnownPairing;
    expectTable(Html4KnownText, Html4KnownSize, "html4.known",
                {
                    {"a", P::Strict, false, "href"},
                    {"form", P::Strict, false, "accept-charset"},
                    {"select", P::Strict, false, "multiple"},
                    {"dir", P::Strict, false, "compact"},
                    {"div", P::Counted, false, "align"},
                    {"h1", P::Counted, false, "align"},
                    {"ins", P::Counted, false, "datetime"},
                    {"frameset", P::Counted, false, "rows"},
                    {"p", P::Optional, false, "align"},
                    {"tbody", P::Optional, false, "valign"},
                    {"option", P::Optional, false, "selected"},
                    {"br", P::Void, false, "clear"},
                    {"frame", P::Void, false, "noresize"},
                    {"script", P::Raw, false, "defer"},
                    {"title", P::Raw, false, ""},
                    {"b", P::Counted, false, ""},
                    {"*", P::Keep, false, "onkeyup"},
                    {"?xml", P::Void, false, ""},
                },
                91 + 4);
    expectTable(Html5KnownText, Html5KnownSize, "html5.known",
                {
                    {"div", P::Counted, false, "align"},
                    {"a", P::Strict, false, "href"},
                    {"font", P::Counted, true, "face"},
                    {"frame", P::Void, true, "noresize"},
                    {"xmp", P::Raw, true, ""},
                    {"rb", P::Optional, true, ""},
                    {"rt", P::Optional, false, ""},
                },
                114 + 35 + 3);
}

}  // namespace
