// The vocabulary: what the program knows of each element, in the words every table and
// every analysis share. The knowledge itself is data, one table a profile (html32.known,
// html4.known, html5.known, in the format of known_tag_file.h) and one for each HTML 4.01
// DTD a doctype may name (html4-strict.known, ...), compiled in; tag_profile.h makes the
// rows the analyses read from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How the open and close forms of a tag pair up, and what lies between them.
enum PairKind : int32_t {
    PairNone = 0,      // none given: a known-tag line that leaves the field empty keeps the tag's
    PairStrict = 1,    // open and close must alternate
    PairCounted = 2,   // nesting allowed; opens and closes are counted
    PairVoid = 3,      // no close tag at all
    PairOptional = 4,  // the close tag may be left out: never reported as unpaired
    PairRaw = 5,       // strict, and the contents are text up to the close tag (a script)
    PairForeign = 6,   // counted, and the contents are another vocabulary up to the matching close tag
};

// True for the kinds whose open and close tags must alternate.
constexpr bool alternates(int32_t kind) { return kind == PairStrict || kind == PairRaw; }
// True for the kinds whose opens and closes are counted.
constexpr bool isCounted(int32_t kind) { return kind == PairCounted || kind == PairForeign; }

// One row of a profile: an open tag, or the close tag that follows it. Rows never change
// once made, so any number of threads may read them.
struct TagEntry {
    const char* name;                // in capitals; a close tag is "/" + its open tag's name
    const char* description;         // may be empty
    const char* const* attributes;   // accepted names in lower case, ended by ""
    int32_t kind;                    // a PairKind, never PairNone; a close row has its open row's
};

// The rows of the html32 table, fixed: its listings have always had these.
constexpr int KnownTagCount = 136;

// A profile's built-in table: the text of analysis/NAME.known, put in the program by the
// build (known_table.cpp.in), so that it needs no file of its own at run time.
struct KnownTagTable {
    const char* text;
    size_t size;
};
extern const KnownTagTable Html32KnownTags;
extern const KnownTagTable Html4KnownTags;
extern const KnownTagTable Html5KnownTags;
// The html4 profile's table for a page whose doctype names one DTD; html4.known is the
// Transitional and Frameset DTDs together.
extern const KnownTagTable Html4StrictKnownTags;
extern const KnownTagTable Html4TransitionalKnownTags;
extern const KnownTagTable Html4FramesetKnownTags;

// The elements that the start tags of others close when their end tag is left out, in
// the groups HTML's tree building closes them by.
enum class ElementGroup : uint8_t {
    Other,
    Paragraph,       // p
    ListItem,        // li
    DefinitionItem,  // dt, dd
    Option,          // option
    OptionGroup,     // optgroup
    Table,           // table
    TableSection,    // thead, tbody, tfoot
    TableRow,        // tr
    TableCell,       // td, th
    Caption,         // caption
    ColumnGroup,     // colgroup
    Ruby,            // ruby
    RubyText,        // rb, rt, rp
    RubyTextGroup,   // rtc
    Heading,         // h1 to h6
    Head,            // head
    Body,            // body
    Html,            // html
    Column,          // col
    Template,        // template
};

// What the tree building of html4 and html5 knows of an element; the element stack
// (element_stack.h) acts on it.
struct ElementTraits {
    ElementGroup group = ElementGroup::Other;
    bool closesParagraph = false;  // its start tag closes an open p (a block)
    bool special = false;          // stops the search of an li, dt or dd for one to close
    bool scopeBoundary = false;    // stops the search for an open p, or for an element that can't nest
    bool inHead = false;           // may stand in head without closing it
    // Its contents are text up to its end tag, but text whose character references count
    // (a title, a textarea), unlike a script's.
    bool escapableText = false;
};

// The kinds of content an element belongs to, one bit each, for the content check
// (content_model.h): what a parent holds and what an ancestor forbids are sets of them.
enum ContentCategory : uint16_t {
    CategoryFlow = 1 << 0,
    CategoryPhrasing = 1 << 1,
    CategoryInteractive = 1 << 2,
    CategoryHeading = 1 << 3,
    CategorySectioning = 1 << 4,
    CategoryMetadata = 1 << 5,
    CategoryEmbedded = 1 << 6,
    CategoryScriptSupporting = 1 << 7,
};

// A category an element has only on a condition on its attributes: "interactive[href]",
// "interactive[type!=hidden]". The value is compared with each space-separated word of
// the attribute's, letter case ignored.
struct ConditionalCategory {
    uint16_t category = 0;
    std::string attribute;  // lower case
    std::string value;      // "" for any value
    bool negated = false;   // the category holds unless the condition does
};

// What a table line says of an element's place and contents, by names; the profile
// resolves the names to rows (TagProfile::ContentRules).
struct ContentText {
    bool given = false;        // a line gave any of these: without, the element goes anywhere unchecked
    uint16_t categories = 0;   // ContentCategory bits
    std::vector<ConditionalCategory> conditional;
    bool transparent = false;  // its children are checked against its parent's model
    bool anywhere = false;     // may stand in any element
    bool holdsGiven = false;   // its children are checked
    uint16_t holdsCategories = 0;
    std::vector<std::string> holds;  // lower case
    uint16_t forbidsCategories = 0;  // no descendant of these
    std::vector<std::string> forbids;
    std::vector<std::vector<std::string>> needs;  // each: at least one child of these names
    std::string follows, followedBy;              // a child `follows` needs a later `followedBy`
};

// The part a row plays in the check's table context.
enum class TableRole : uint8_t { None, Table, TableEnd, Cell };

// An attribute a row names for a purpose, perhaps only on a condition on another of the
// tag's attributes: "src[type=image]" is the src of a tag whose type is "image".
struct AttributeUse {
    std::string name;       // lower case
    std::string condition;  // the attribute the condition is on, lower case; "" when none
    std::string value;      // the value the condition asks of it (letter case ignored); "" for any
    // "[!ATTR]": the condition holds when ATTR is in its default state: absent, or a value
    // that is none of its words (an input's type); attribute checks only.
    bool defaulted = false;
};

// What a row's attributes say of other pages and files.
struct LinkAttributes {
    std::vector<AttributeUse> references;  // hold a reference to another page or file
    std::vector<AttributeUse> anchors;     // name an anchor others may point at (besides id)
    std::vector<AttributeUse> base;        // give the page's base
};

// What a value names, for the check of ids, references and URLs.
enum class ValueRole : uint8_t {
    None,
    IdRef,      // one id of the page (label's for)
    IdRefList,  // ids split by white space (headers)
    MapRef,     // "#" and the name of a map (usemap)
    MapName,    // the name a map is known by
    Url,        // one URL, white space around it allowed
    UrlList,    // URLs split by white space (ping)
};

// An attribute of a row, or of every row, whose value plays a ValueRole.
struct ValueAttribute {
    std::string name;  // lower case
    ValueRole role;
};

// What a table says of one attribute's value.
struct AttributeRule {
    std::string name;  // lower case
    // The words its value may be, lower case, "" standing for the empty value; letter case
    // is ignored. Empty when the table gives none.
    std::vector<std::string> values;
    // The value is words split by spaces, each one of `values` or beginning with one of
    // `prefixes` and going on after it.
    bool tokens = false;
    std::vector<std::string> prefixes;
    bool boolean = false;   // present or absent: its value is empty or its own name
    bool obsolete = false;  // the standard calls it obsolete on this element
};

// A bit that a lower-case attribute name of `length` bytes beginning with `first` sets
// in AttributeRules::onlyNames.
constexpr uint64_t onlyNameBit(char first, size_t length) {
    return uint64_t{1} << ((static_cast<unsigned char>(first) * 7u + length) & 63u);
}

// What a row's table says of its attributes beyond their names.
struct AttributeRules {
    std::vector<AttributeUse> required;  // must be present (when their condition holds)
    // Attributes taken only on a condition: each name's uses follow one another, and the
    // attribute is misplaced when none of its conditions holds.
    std::vector<AttributeUse> only;
    uint64_t onlyNames = 0;  // onlyNameBit of each name of `only`: most tags have none of them
    std::vector<AttributeRule> rules;
    bool anyAttributes = false;  // any attribute without a namespace (no ":") is known
};
