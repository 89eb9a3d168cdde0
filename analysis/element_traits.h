// What the HTML standard's tree building knows of an element by its name: which start
// tags close it when its end tag is left out, and where the searches for an open element
// stop. The html4 and html5 profiles give every row these traits; the element stack
// (element_stack.h) acts on them.
#pragma once

#include <cstdint>
#include <string>

// The elements that the start tags of others close, grouped as the standard closes them.
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

struct ElementTraits {
    ElementGroup group = ElementGroup::Other;
    bool closesParagraph = false;  // its start tag closes an open p (a block)
    bool special = false;          // stops the search of an li, dt or dd for one to close
    bool scopeBoundary = false;    // stops the search for an open p, or for an element that can't nest
    bool inHead = false;           // may stand in head without closing it
};

// The traits of the element named `capitalName` (in capitals, without "/").
ElementTraits elementTraitsOf(const std::string& capitalName);
