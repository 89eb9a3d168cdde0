// The text format of known tags: every profile's own table is written in it, and the
// user's `--known FILE` adds to or overrides a profile's tags with it.
//
// One tag a line, five fields split by "|", spaces around a field ignored:
//     NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS
// NAME is the open tag's name ("*" stands for every tag: its line gives attributes only);
// PAIRING one of void, optional, strict, counted, raw, foreign (empty: keep the tag's);
// DESCRIPTION free text without "|" (empty: keep the tag's); ATTRIBUTES names split by
// spaces, added to the tag's own, where a name ending in "*" stands for every longer name
// it begins with ("data-*" for "data-x") and "*" alone for any; STATUS "obsolete" for a
// tag the standard has dropped, or empty for a current one. Trailing fields may be left
// out. Blank lines and lines whose first non-blank character is "#" are skipped.
//
// The built-in tables (html32.known, html4.known, html5.known) are written in a wider form
// that users' files don't get, for what only the program's own tables say:
// - A line "/NAME | | DESCRIPTION" right after NAME's line gives NAME's close tag its own
//   description (html32's "Table end"); otherwise a close tag is "End of" its tag's.
// - A sixth field, FEATURES: words split by spaces, each KEY or KEY=VALUE,VALUE,... A value
//   that is an attribute may end in a condition on the tag's other attributes: "[NAME]"
//   (the tag has NAME) or "[NAME=WORD]" (NAME's value is WORD, letter case ignored), as in
//   links=src[type=image]. The keys:
//     group=WORD     the element's group in tree building (FeatureGroups in the .cpp)
//     closes-p       its start tag closes an open p
//     special        the search of an li, dt or dd for one to close stops at it
//     scope          the searches for an open p, or for an element that can't nest, stop at it
//     in-head        it may stand in head
//     escapable      its text, read up to its end tag, has its character references read
//     table=table|cell  its part in the check's table context (its close tag's follows)
//     links=ATTR,... the attributes that hold a reference to another page or file
//     anchors=ATTR,...  the attributes that name an anchor, besides id
//     base=ATTR      the attribute that gives the page's base
//     idrefs=ATTR,...  idref-lists=ATTR,...  the attributes that hold one id of the page,
//                    or ids split by spaces (also on the "*" line)
//     maprefs=ATTR,...  map-names=ATTR,...  the attributes that name a map ("#name"), and
//                    those that give a map its name
//     urls=ATTR,...  url-lists=ATTR,...  the attributes that hold a URL, or URLs split by
//                    spaces (also on the "*" line)
//     categories=CAT,...  its kinds of content: flow, phrasing, interactive, heading,
//                    sectioning, metadata, embedded, script-supporting, or none; each may
//                    end in [ATTR], [ATTR=WORD] or [ATTR!=WORD], a condition on its attributes
//     holds=ITEM,...  the children it takes: @CAT for a category's elements, or names
//     transparent    its children are what its parent would take
//     anywhere       it may stand in any element
//     forbids=ITEM,...  descendants it may not have, as holds gives them
//     needs=NAME,... it needs a child of one of these names (the key may come again)
//     follow=NAME:NAME  a child of the first name needs one of the second after it
//     required=ATTR,...  attributes the tag must have; one with a condition only when it holds
//     only=ATTR[COND],...  attributes the tag takes only when one of their conditions holds
//                    (for required and only, COND may be [!ATTR]: ATTR absent, or a value
//                    none of its words)
//     boolean=ATTR,...   attributes whose value is empty or their own name
//     obsolete-attributes=ATTR,...  attributes the standard calls obsolete on the element
//     values:ATTR=WORD,...  the words ATTR's value may be, letter case ignored; "" is the
//                    empty value
//     tokens:ATTR=WORD,...  ATTR's value is words split by spaces, each one of these; a WORD
//                    ending in "*" stands for every longer word it begins with
//     any-attributes any attribute without a namespace (a ":") is known on the element
//   (boolean, values and tokens may stand on the "*" line for the attributes every tag takes)
//   and on the "*" line only:
//     custom-elements  a name with a "-" is a custom element's (html5)
//     reserved=NAME,...  names that are none the less not custom elements' (svg's and MathML's)
// A further column (categories, permitted contents, required attributes, value types) is
// one more key: a row of FeatureKeys in the .cpp and a field of KnownTagDefinition, its
// values and their conditions read as these are (categories=flow,interactive[href]).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "known_tags.h"

// One well-formed line.
struct KnownTagDefinition {
    std::string name;                     // as written; "*" for every tag, "/NAME" for a close tag's line
    PairKind pairing = PairNone;
    std::string description;              // "" keeps the tag's own
    std::vector<std::string> attributes;  // as written
    bool obsolete = false;                // the STATUS field said "obsolete"
    int line = 0;                         // 1-based
    // Built-in tables only: the FEATURES field.
    ElementTraits traits;
    TableRole tableRole = TableRole::None;
    LinkAttributes links;
    std::vector<ValueAttribute> values;  // idrefs, maprefs, urls and their kin
    AttributeRules attributeRules;
    bool customElements = false;
    std::vector<std::string> reserved;  // lower case
    ContentText content;
};

// Which form a text is read in: a user's file, or a table of the program's own.
enum class KnownTagForm { User, BuiltIn };

// The longest description a line may give; longer ones would crowd the listings.
constexpr size_t LongestKnownDescription = 60;

// Reads the `size` bytes of `text`. Gives the definitions of the well-formed lines, in
// order, and adds one "FILE:LINE: what is wrong" to `errors` per malformed line, with
// `fileName` as FILE.
std::vector<KnownTagDefinition> readKnownTags(const char* text, size_t size, const std::string& fileName,
                                              std::vector<std::string>& errors,
                                              KnownTagForm form = KnownTagForm::User);
