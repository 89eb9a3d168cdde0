#include "attribute_check.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "known_tag_file.h"
#include "test_documents.h"

namespace {

// Every problem of a page as "LINE:COLUMN kind: message".
Lines problemsOf(const std::string& bytes, const TagProfile& profile) {
    struct Placed : ProblemSink {
        void report(const Problem& p) override {
            char message[ProblemTextSize];
            formatProblemMessage(p, message);
            lines.push_back(std::to_string(p.line) + ":" + std::to_string(p.column) + " " + problemKindId(p.kind) +
                            ": " + message);
        }
        Lines lines;
    };
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    Placed placed;
    checkDocument(d.document, placed, profile);
    return placed.lines;
}

struct AttributePage {
    const char* what;
    const char* profile;  // "html4", "html5", or "both"
    std::string page;
    Lines problems;
};

TEST(AttributeCheck, FindsEachFaultOfAttributesInSmallPages) {
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4");
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html4 && html5);
    const AttributePage cases[] = {
        // Required attributes.
        {"an image without its text", "both", "<p>\n  <img src=a.png>", {"2:3 missing-attribute: alt - Missing attribute of IMG"}},
        {"an image with an empty text", "both", "<img src=a.png alt=\"\">", {}},
        {"an image with nothing", "html5", "<img>",
         {"1:1 missing-attribute: alt - Missing attribute of IMG", "1:1 missing-attribute: src - Missing attribute of IMG"}},
        {"a misspelt alt is the one fault", "both", "<img src=a.png atl=x>",
         {"1:16 unknown-attribute: atl - Unknown attribute for IMG (did you mean alt?)"}},
        {"two edits away is still a misspelling", "html5", "<img src=a.png alr=x><img src=b.png tal=x>",
         {"1:16 unknown-attribute: alr - Unknown attribute for IMG (did you mean alt?)",
          "1:37 unknown-attribute: tal - Unknown attribute for IMG"}},
        {"three edits away is another attribute", "html5", "<img src=a.png title=x abcde=y>",
         {"1:1 missing-attribute: alt - Missing attribute of IMG",
          "1:24 unknown-attribute: abcde - Unknown attribute for IMG"}},
        {"an image button needs its text and source", "html5", "<input type=IMAGE name=go>",
         {"1:1 missing-attribute: alt - Missing attribute of INPUT",
          "1:1 missing-attribute: src - Missing attribute of INPUT"}},
        {"a text field needs neither", "html5", "<input type=text name=q>", {}},
        {"a group of options needs its label", "both", "<select><optgroup><option>x</optgroup></select>",
         {"1:9 missing-attribute: label - Missing attribute of OPTGROUP"}},
        {"a direction override needs its direction", "both", "<bdo>x</bdo><bdo dir=rtl>y</bdo>",
         {"1:1 missing-attribute: dir - Missing attribute of BDO"}},
        {"a map area with a link needs its text", "html5", "<area href=x><area>",
         {"1:1 missing-attribute: alt - Missing attribute of AREA"}},
        {"a named meta needs its content", "html5", "<meta name=author><meta charset=utf-8>",
         {"1:1 missing-attribute: content - Missing attribute of META"}},
        {"the DTD's required attributes", "html4",
         "<form><textarea rows=2></textarea></form><script></script><style></style>",
         {"1:1 missing-attribute: action - Missing attribute of FORM",
          "1:7 missing-attribute: cols - Missing attribute of TEXTAREA",
          "1:42 missing-attribute: type - Missing attribute of SCRIPT",
          "1:59 missing-attribute: type - Missing attribute of STYLE"}},
        {"a close tag requires nothing", "html5", "<bdo dir=ltr></bdo>", {}},
        // Values from word lists, letter case ignored.
        {"an unknown input type", "both", "<input type=txt name=a>", {"1:8 bad-attribute-value: type - Bad value \"txt\" for INPUT"}},
        {"an input type in capitals", "both", "<input TYPE=Checkbox name=a>", {}},
        {"a form's method", "html4", "<form action=x method=put></form><form action=x method=POST></form>",
         {"1:16 bad-attribute-value: method - Bad value \"put\" for FORM"}},
        {"current HTML's dialog method", "html5", "<form method=dialog></form>", {}},
        {"a direction every element takes", "both", "<p dir=sideways>x</p>", {"1:4 bad-attribute-value: dir - Bad value \"sideways\" for P"}},
        {"auto is current HTML's direction only", "html4", "<p dir=auto>x</p>", {"1:4 bad-attribute-value: dir - Bad value \"auto\" for P"}},
        {"an empty value where the list has one", "html5", "<p spellcheck=\"\" translate contenteditable>x</p>", {}},
        {"an empty value where the list has none", "html5", "<p draggable>x</p><button type=\"\">y</button>",
         {"1:4 bad-attribute-value: draggable - Bad value \"\" for P",
          "1:27 bad-attribute-value: type - Bad value \"\" for BUTTON"}},
        {"a value is not trimmed", "html5", "<input type=\" text\">", {"1:8 bad-attribute-value: type - Bad value \" text\" for INPUT"}},
        {"a long value is cut short", "html5", "<p dir=\"" + std::string(50, 'x') + "\">",
         {"1:4 bad-attribute-value: dir - Bad value \"" + std::string(40, 'x') + "...\" for P"}},
        {"a bare word of HTML 4.01 names its own value", "html4", "<table><tr><td nowrap>x</table>", {}},
        {"a bare attribute whose list lacks its name", "html4", "<p align>x</p>",
         {"1:4 bad-attribute-value: align - Bad value \"\" for P"}},
        {"valign in HTML 4.01", "html4", "<table><tr><td valign=centre>x</table>",
         {"1:16 bad-attribute-value: valign - Bad value \"centre\" for TD"}},
        // Booleans.
        {"booleans empty, bare or their own name", "html5",
         "<input type=checkbox checked name=a><input type=checkbox checked=\"\" name=b>"
         "<input type=checkbox checked=CHECKED name=c>",
         {}},
        {"a boolean given another value", "html5", "<input type=checkbox checked=yes name=a>",
         {"1:22 bad-attribute-value: checked - Bad value \"yes\" for INPUT"}},
        {"a boolean of the DTD", "html4",
         "<input type=checkbox checked=checked name=a><input type=checkbox checked=true name=b>",
         {"1:66 bad-attribute-value: checked - Bad value \"true\" for INPUT"}},
        // Word lists.
        {"roles, a fallback role among them", "html5", "<div role=\"switch checkbox\">x</div><nav role=navigation></nav>", {}},
        {"a misspelt role", "html5", "<div role=\"buton link\">x</div>", {"1:6 bad-attribute-value: role - Bad value \"buton\" for DIV"}},
        {"an abstract role", "html5", "<div role=widget>x</div>", {"1:6 bad-attribute-value: role - Bad value \"widget\" for DIV"}},
        {"autofill words and sections", "html5",
         "<input name=a autocomplete=\"section-x shipping street-address\"><input name=b autocomplete=off>",
         {}},
        {"a misspelt autofill word", "html5", "<input name=a autocomplete=\"shiping postal-code\">",
         {"1:15 bad-attribute-value: autocomplete - Bad value \"shiping\" for INPUT"}},
        {"a form's autocomplete is on or off", "html5", "<form autocomplete=email></form>",
         {"1:7 bad-attribute-value: autocomplete - Bad value \"email\" for FORM"}},
        // Names given twice.
        {"an attribute given twice, letter case ignored", "both", "<div class=a\n id=b CLASS=c>x</div>",
         {"2:7 duplicate-attribute: CLASS - Attribute given twice on DIV"}},
        {"a repeated value is checked once", "html5", "<p dir=ltr dir=bad>x</p>",
         {"1:12 duplicate-attribute: dir - Attribute given twice on P"}},
        {"an unknown attribute twice is unknown twice", "html5", "<p colour=a colour=b>x</p>",
         {"1:4 unknown-attribute: colour - Unknown attribute for P",
          "1:13 unknown-attribute: colour - Unknown attribute for P"}},
        // Obsolete attributes: current HTML only.
        {"presentational attributes", "html5", "<div align=center>x</div><table border=1><tr><td bgcolor=red>y</table>",
         {"1:6 obsolete-attribute: align - Obsolete attribute of DIV",
          "1:33 obsolete-attribute: border - Obsolete attribute of TABLE",
          "1:50 obsolete-attribute: bgcolor - Obsolete attribute of TD"}},
        {"the same attributes are HTML 4.01's", "html4",
         "<div align=center>x</div><table border=1><tr><td bgcolor=red>y</table>", {}},
        {"a's name and script's language", "html5", "<a name=top></a><script language=javascript></script>",
         {"1:4 obsolete-attribute: name - Obsolete attribute of A",
          "1:25 obsolete-attribute: language - Obsolete attribute of SCRIPT"}},
        // Attributes taken only with another attribute, or a value of it.
        {"checked on a text field", "html5", "<input name=a checked><input type=TEXT name=b checked>",
         {"1:15 misplaced-attribute: checked - Attribute not allowed on INPUT with no type",
          "1:47 misplaced-attribute: checked - Attribute not allowed on INPUT with type=\"TEXT\""}},
        {"checked on a radio button, min on a number", "html5",
         "<input type=radio name=a checked><input type=number name=b min=1>", {}},
        // A text field's attributes: taken with no type, or a type none of its words (the
        // field is then a text field), not on a checkbox.
        {"maxlength by type", "html5",
         "<input maxlength=3><input type=TXT maxlength=3><input type=checkbox maxlength=3 required>",
         {"1:27 bad-attribute-value: type - Bad value \"TXT\" for INPUT",
          "1:69 misplaced-attribute: maxlength - Attribute not allowed on INPUT with type=\"checkbox\""}},
        {"a link's target without the link", "html5", "<a name=x target=_top>x</a><a href=y target=_top>y</a>",
         {"1:4 obsolete-attribute: name - Obsolete attribute of A",
          "1:11 misplaced-attribute: target - Attribute not allowed on A with no href"}},
        // Conditional names are told apart by name, not by a bit they share with others
        // (accesskey's with type's on a), and each is weighed on its own.
        {"a name sharing a conditional name's bit", "html5", "<a accesskey=k>x</a><a accesskey=k type=text/html>y</a>",
         {"1:36 misplaced-attribute: type - Attribute not allowed on A with no href"}},
        {"several conditional names on one tag", "html5",
         "<a download=f ping=/p type=text/html>x</a><a href=y download=f ping=/p type=text/html>y</a>",
         {"1:4 misplaced-attribute: download - Attribute not allowed on A with no href",
          "1:15 misplaced-attribute: ping - Attribute not allowed on A with no href",
          "1:23 misplaced-attribute: type - Attribute not allowed on A with no href"}},
        {"a deferred script without its source", "html5", "<script defer>x()</script><script type=module async></script>",
         {"1:9 misplaced-attribute: defer - Attribute not allowed on SCRIPT with no src"}},
        {"a meta's content is required once and placed", "html5", "<meta name=a itemprop=b><meta content=x>",
         {"1:1 missing-attribute: content - Missing attribute of META",
          "1:31 misplaced-attribute: content - Attribute not allowed on META with no name"}},
        {"HTML 4.01 has no such conditions", "html4", "<input name=a checked=checked>", {}},
        // embed takes any attribute without a namespace.
        {"embed's own attributes", "html5", "<embed src=a.swf srcset=x quality=high>", {}},
        {"embed and a namespace", "html5", "<embed src=a.swf x:y=z>", {"1:18 unknown-attribute: x:y - Unknown attribute for EMBED"}},
        {"any attributes are embed's alone", "html5", "<img src=a alt=b quality=high>",
         {"1:18 unknown-attribute: quality - Unknown attribute for IMG"}},
        // A tag whose quoting is broken has only its names checked.
        {"broken quotes leave values and presence unchecked", "html5", "<img title=\"a>b\"c dir=bad>",
         {"1:1 unbalanced-quotes: <IMG - Unbalanced quotes"}},
        // Custom elements take anything.
        {"a custom element", "html5", "<my-card dir=bad dir=x></my-card>", {}},
        // A name met again on another tag, or in other letters, is that tag's to judge.
        {"one name on several tags, in several cases", "html5",
         "<div nowrap></div><table><tr><td nowrap><td NOWRAP></table><div NOWRAP></div><div nowrap></div>"
         "<table><tr><td NoWrap></table><p Nowrap>",
         {"1:6 unknown-attribute: nowrap - Unknown attribute for DIV",
          "1:34 obsolete-attribute: nowrap - Obsolete attribute of TD",
          "1:45 obsolete-attribute: NOWRAP - Obsolete attribute of TD",
          "1:65 unknown-attribute: NOWRAP - Unknown attribute for DIV",
          "1:83 unknown-attribute: nowrap - Unknown attribute for DIV",
          "1:111 obsolete-attribute: NoWrap - Obsolete attribute of TD",
          "1:129 unknown-attribute: Nowrap - Unknown attribute for P"}},
    };
    for (const AttributePage& c : cases) {
        const std::string which = c.profile;
        if (which != "html4") {
            EXPECT_EQ(problemsOf(c.page, *html5), c.problems) << c.what << " (html5)";
        }
        if (which != "html5") {
            EXPECT_EQ(problemsOf(c.page, *html4), c.problems) << c.what << " (html4)";
        }
    }
}

TEST(AttributeCheck, HtmlThirtyTwoKnowsNoneOfIt) {
    // The 1990s check reports names alone, whatever the values or the attributes left out.
    Lines lines;
    LoadedDocument d("<IMG SRC=a><INPUT TYPE=txt><DIV CLASS=a CLASS=b ALIGN=bad></DIV>");
    ASSERT_TRUE(d.loaded);
    MemoryResultList list;
    checkLines(d.document, list, TagProfile::html32());
    EXPECT_EQ(list.lines, (Lines{"0001  CLASS - Unknown attribute for DIV", "0001  CLASS - Unknown attribute for DIV"}));
}

TEST(AttributeCheck, QuotesValuesShortAndOnOneLine) {
    struct Case {
        std::string value;
        std::string quoted;
    };
    const std::string forty(40, 'a');
    const Case cases[] = {
        {"txt", "txt"},
        {"", ""},
        {"a\nb\tc", "a b c"},
        {forty, forty},
        {forty + "b", forty + "..."},
        // A two-byte letter across the cut is left out whole.
        {std::string(39, 'a') + "\xC3\xA9z", std::string(39, 'a') + "..."},
    };
    for (const Case& c : cases) EXPECT_EQ(quotedValue(c.value.data(), c.value.size()), c.quoted) << c.value;
}

TEST(AttributeCheck, ReadsTheAttributeFeaturesOfABuiltInTable) {
    struct Case {
        const char* line;
        const char* fault;  // "" when the line is well formed
    };
    const Case cases[] = {
        {"x | counted | X | a b | | required=a,b[c=d] boolean=b values:a=one,\"\",Two tokens:c=p-*,q any-attributes", ""},
        {"x | counted | X | | | values:a", "feature 'values:a' needs a value"},
        {"x | counted | X | | | values:a=one,,two", "has an empty value"},
        {"x | counted | X | | | sizes:a=one", "unknown feature 'sizes:a'"},
        {"x | counted | X | | | tokens:a=\"\"", "a token can't be empty"},
        {"x | counted | X | | | values:a=o*ne", "is not a value"},
        {"x | counted | X | | | required=a[", "is not an attribute"},
        {"* | | | a | | required=a", "belong on an element's line"},
        {"* | | | a | | obsolete-attributes=a", "belong on an element's line"},
        {"* | | | a | | only=a[b]", "belong on an element's line"},
        {"x | counted | X | a | | only=a", "is not an attribute with a [condition]"},
        {"* | | | a | | boolean=a values:b=x", ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> errors;
        readKnownTags(c.line, strlen(c.line), "t.known", errors, KnownTagForm::BuiltIn);
        if (c.fault[0] == '\0') {
            EXPECT_TRUE(errors.empty()) << c.line << ": " << (errors.empty() ? "" : errors[0]);
        } else {
            ASSERT_EQ(errors.size(), 1u) << c.line;
            EXPECT_NE(errors[0].find(c.fault), std::string::npos) << errors[0];
        }
    }

    const char* text = "x | counted | X | a b c | | required=a,b[c=d] boolean=b values:a=one,\"\",Two tokens:c=p-*,q";
    std::vector<std::string> errors;
    const std::vector<KnownTagDefinition> read = readKnownTags(text, strlen(text), "t.known", errors, KnownTagForm::BuiltIn);
    ASSERT_EQ(read.size(), 1u);
    const AttributeRules& rules = read[0].attributeRules;
    ASSERT_EQ(rules.required.size(), 2u);
    EXPECT_EQ(rules.required[1].name, "b");
    EXPECT_EQ(rules.required[1].condition, "c");
    EXPECT_EQ(rules.required[1].value, "d");
    ASSERT_EQ(rules.rules.size(), 3u);
    EXPECT_EQ(rules.rules[0].name, "b");
    EXPECT_TRUE(rules.rules[0].boolean);
    EXPECT_EQ(rules.rules[1].values, (std::vector<std::string>{"one", "", "two"}));
    EXPECT_TRUE(rules.rules[2].tokens);
    EXPECT_EQ(rules.rules[2].prefixes, std::vector<std::string>{"p-"});
    EXPECT_EQ(rules.rules[2].values, std::vector<std::string>{"q"});

    // The uses of one name are kept together, in the order of each name's first.
    const char* only = "x | counted | X | a b | | only=a[c],b[d=e],a[f]";
    const std::vector<KnownTagDefinition> placed = readKnownTags(only, strlen(only), "t.known", errors, KnownTagForm::BuiltIn);
    ASSERT_EQ(placed.size(), 1u);
    std::vector<std::string> order;
    for (const AttributeUse& use : placed[0].attributeRules.only) order.push_back(use.name + "[" + use.condition + "]");
    EXPECT_EQ(order, (std::vector<std::string>{"a[c]", "a[f]", "b[d]"}));
}

TEST(AttributeCheck, LooksRulesUpByRowAndName) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const int input = html5->find("INPUT");
    const int div = html5->find("DIV");
    ASSERT_GE(input, 0);
    ASSERT_GE(div, 0);
    // The tag's own rule, then the one every tag has, then none.
    const AttributeRule* type = html5->attributeRule(input, "type", 4);
    ASSERT_NE(type, nullptr);
    EXPECT_NE(std::find(type->values.begin(), type->values.end(), "checkbox"), type->values.end());
    const AttributeRule* dir = html5->attributeRule(input, "dir", 3);
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir, html5->attributeRule(div, "dir", 3));
    EXPECT_EQ(html5->attributeRule(div, "type", 4), nullptr);
    EXPECT_EQ(html5->attributeRule(div, "class", 5), nullptr);
    const AttributeRule* align = html5->attributeRule(div, "align", 5);
    ASSERT_NE(align, nullptr);
    EXPECT_TRUE(align->obsolete);
    // A user's known tags keep the built-in rules.
    std::vector<std::string> errors;
    const char* mine = "input | | | colour\nwidget | counted | Mine | size";
    ASSERT_TRUE(html5->addKnownTags(mine, strlen(mine), "mine.known", errors)) << errors[0];
    EXPECT_NE(html5->attributeRule(html5->find("INPUT"), "type", 4), nullptr);
    EXPECT_EQ(html5->attributeRule(html5->find("WIDGET"), "type", 4), nullptr);
    EXPECT_TRUE(html5->hasAttribute("colour", html5->find("INPUT")));
}

}  // namespace
