// The text format of known tags: the html5 profile's own table is written in it, and the
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
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How a tag pairs, and what its contents are.
enum class KnownPairing {
    Keep,      // the field was empty
    Void,      // no end tag at all
    Optional,  // the end tag may be left out: never reported as unpaired
    Strict,    // open and close alternate
    Counted,   // nests: opens and closes are counted
    Raw,       // strict, and the contents are text up to the end tag (a script)
    Foreign,   // counted, and the contents are another vocabulary up to the matching end tag
};

// One well-formed line.
struct KnownTagDefinition {
    std::string name;                     // as written; "*" for every tag
    KnownPairing pairing = KnownPairing::Keep;
    std::string description;              // "" keeps the tag's own
    std::vector<std::string> attributes;  // as written
    bool obsolete = false;                // the STATUS field said "obsolete"
    int line = 0;                         // 1-based
};

// The longest description a line may give; longer ones would crowd the listings.
constexpr size_t LongestKnownDescription = 60;

// Reads the `size` bytes of `text`. Gives the definitions of the well-formed lines, in
// order, and adds one "FILE:LINE: what is wrong" to `errors` per malformed line, with
// `fileName` as FILE.
std::vector<KnownTagDefinition> readKnownTags(const char* text, size_t size, const std::string& fileName,
                                              std::vector<std::string>& errors);
