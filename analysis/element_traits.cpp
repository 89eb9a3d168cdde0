#include "element_traits.h"

#include <unordered_map>
#include <unordered_set>

namespace {

// Start tags of blocks: each closes an open p first.
const std::unordered_set<std::string> ParagraphClosers = {
    "ADDRESS", "ARTICLE", "ASIDE", "BLOCKQUOTE", "CENTER", "DETAILS", "DIALOG", "DIR", "DIV", "DL",
    "FIELDSET", "FIGCAPTION", "FIGURE", "FOOTER", "FORM", "H1", "H2", "H3", "H4", "H5", "H6", "HEADER",
    "HGROUP", "HR", "MAIN", "MENU", "NAV", "OL", "P", "PRE", "SEARCH", "SECTION", "SUMMARY", "TABLE",
    "UL", "LI", "DD", "DT", "LISTING", "XMP", "PLAINTEXT", "MULTICOL", "NOFRAMES", "ISINDEX"};

// The elements an li, dt or dd looks no further than for one to close: structure of
// its own, a list or a table. address, div and p are passed over.
const std::unordered_set<std::string> Special = {
    "APPLET", "AREA", "ARTICLE", "ASIDE", "BASE", "BASEFONT", "BGSOUND", "BLOCKQUOTE", "BODY", "BR",
    "BUTTON", "CAPTION", "CENTER", "COL", "COLGROUP", "DD", "DETAILS", "DIR", "DL", "DT", "EMBED",
    "FIELDSET", "FIGCAPTION", "FIGURE", "FOOTER", "FORM", "FRAME", "FRAMESET", "H1", "H2", "H3", "H4",
    "H5", "H6", "HEAD", "HEADER", "HGROUP", "HR", "HTML", "IFRAME", "IMG", "INPUT", "KEYGEN", "LI",
    "LINK", "LISTING", "MAIN", "MARQUEE", "MENU", "META", "NAV", "NOEMBED", "NOFRAMES", "NOSCRIPT",
    "OBJECT", "OL", "PARAM", "PLAINTEXT", "PRE", "SCRIPT", "SEARCH", "SECTION", "SELECT", "SOURCE",
    "STYLE", "SUMMARY", "TABLE", "TBODY", "TD", "TEMPLATE", "TEXTAREA", "TFOOT", "TH", "THEAD", "TITLE",
    "TR", "TRACK", "UL", "WBR", "XMP", "SVG", "MATH"};

// Where the search for an open p stops (the standard's button scope), and for an element
// that can't hold itself: a table, a cell, an embedded object, a button.
const std::unordered_set<std::string> ScopeBoundaries = {
    "APPLET", "CAPTION", "HTML", "TABLE", "TD", "TH", "MARQUEE", "OBJECT", "TEMPLATE", "BUTTON", "SVG", "MATH"};

// What head may hold.
const std::unordered_set<std::string> HeadContents = {
    "BASE", "BASEFONT", "BGSOUND", "LINK", "META", "TITLE", "NOSCRIPT", "NOFRAMES", "STYLE", "SCRIPT",
    "TEMPLATE", "ISINDEX", "OBJECT"};

const std::unordered_map<std::string, ElementGroup> Groups = {
    {"P", ElementGroup::Paragraph},          {"LI", ElementGroup::ListItem},
    {"DT", ElementGroup::DefinitionItem},    {"DD", ElementGroup::DefinitionItem},
    {"OPTION", ElementGroup::Option},        {"OPTGROUP", ElementGroup::OptionGroup},
    {"TABLE", ElementGroup::Table},          {"THEAD", ElementGroup::TableSection},
    {"TBODY", ElementGroup::TableSection},   {"TFOOT", ElementGroup::TableSection},
    {"TR", ElementGroup::TableRow},          {"TD", ElementGroup::TableCell},
    {"TH", ElementGroup::TableCell},         {"CAPTION", ElementGroup::Caption},
    {"COLGROUP", ElementGroup::ColumnGroup}, {"RUBY", ElementGroup::Ruby},
    {"RB", ElementGroup::RubyText},          {"RT", ElementGroup::RubyText},
    {"RP", ElementGroup::RubyText},          {"RTC", ElementGroup::RubyTextGroup},
    {"H1", ElementGroup::Heading},           {"H2", ElementGroup::Heading},
    {"H3", ElementGroup::Heading},           {"H4", ElementGroup::Heading},
    {"H5", ElementGroup::Heading},           {"H6", ElementGroup::Heading},
    {"HEAD", ElementGroup::Head},            {"BODY", ElementGroup::Body},
    {"HTML", ElementGroup::Html},            {"COL", ElementGroup::Column},
    {"TEMPLATE", ElementGroup::Template},
};

}  // namespace

ElementTraits elementTraitsOf(const std::string& capitalName) {
    ElementTraits traits;
    auto group = Groups.find(capitalName);
    if (group != Groups.end()) traits.group = group->second;
    traits.closesParagraph = ParagraphClosers.count(capitalName) != 0;
    traits.special = Special.count(capitalName) != 0;
    traits.scopeBoundary = ScopeBoundaries.count(capitalName) != 0;
    traits.inHead = HeadContents.count(capitalName) != 0;
    return traits;
}
