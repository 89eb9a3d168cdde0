// The one tag scanner: it walks a loaded document and yields each tag, with its name as
// read, its row in the profile, where its "<" and ">" stand, and its attributes. The check,
// the census and the listings all read tags through it, so they agree on where every tag
// begins and ends.
//
// Conventions of this file: positions are pointers into the document's text (or, for the
// html32 reading, into the TagBuffer where the tag was collected); lines are 1-based and
// only a line feed ends one; a column is 1-based and counts characters, a valid UTF-8
// sequence as one and any other byte as one.
//
// Two readings:
// - html32 (the 1990s reading): every "<" starts a tag and a tag ends at its first ">"
//   (a comment at the first "->"). Each analysis keeps the details it always had, asked
//   for as a TagReading: where the name is read from, how long it may be, which bodies
//   are skipped.
// - HTML (html4 and html5): as a browser reads a tag. A "<" that can't start a tag is text;
//   a quoted value may hold ">"; an unquoted value ends at a space or ">"; a tag into which
//   a new tag starts before its ">" (outside quotes) is unfinished and ends there. Quoting
//   that proves broken (no closing quote, or a quoted value holding ">" whose closing
//   quote is followed by more of a name) ends the tag at the first ">" after that quote,
//   as the 1990s reading would, so one lost quote doesn't swallow the page.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "document.h"
#include "line_index.h"
#include "name_cache.h"
#include "tag_profile.h"

// How many characters the 1990s reading keeps of a name.
enum class NameLimit : uint8_t {
    ProfileLength,           // the profile's name length, a close tag's "/" among them
    ProfileLengthAfterSlash, // the profile's name length after a close tag's "/"
    OneMore,                 // one more than the profile's name length, "/" among them
};

// Which bodies the 1990s reading skips (a script's, an svg's).
enum class BodySkip : uint8_t {
    ExactRow,       // those of the tag whose name is such a row's
    WordBeginning,  // those of every tag whose name begins with such a row's name
};

// How the tags are read for one analysis.
struct TagReading {
    // Each tag's text is collected (ScannedTag::text, length). The 1990s reading then reads
    // the name from it and counts lines; otherwise it reads the name from the document's
    // text (where a carriage return ends it and a tab doesn't) and passes the tag uncounted,
    // looking for the end of a text body from the tag's own "<".
    bool collectsText = false;
    NameLimit nameLimit = NameLimit::ProfileLength;  // the 1990s reading's
    BodySkip bodies = BodySkip::ExactRow;            // the 1990s reading's
    // A collected tag that collecting would leave as it is stays in the page's text (then
    // it ends at its ">", not at a NUL), sparing the copy.
    bool inPlace = false;
};

// The readings the analyses ask for.
constexpr TagReading TagsOnly{};  // the HTML check and the links: tags and attributes
constexpr TagReading Html32Check{true, NameLimit::OneMore, BodySkip::ExactRow, true};
constexpr TagReading CensusReading{false, NameLimit::ProfileLength, BodySkip::WordBeginning};
constexpr TagReading ListingReading{true, NameLimit::ProfileLengthAfterSlash, BodySkip::WordBeginning};

// A place in the document, as people count: 1-based line and column.
struct TextPosition {
    int32_t line;
    int32_t column;
};

// One attribute of the tag just scanned.
struct ScannedAttribute {
    const char* name;  // its first character (in the TagBuffer for the html32 reading)
    uint32_t length;   // characters of the name as read, at most the profile's name length
    // HTML reading: the name holds a quote, or follows a closing quote with no space
    // between, as the text after a lost quote does.
    bool suspect;
    // Its value inside the quotes, if any; null when the attribute has none. A quoted
    // value whose closing quote was lost runs to the tag's ">" (or where the tag stops).
    const char* value = nullptr;
    uint32_t valueLength = 0;
    bool quoted = false;
};

// The longest name the scanner keeps, its NUL included.
constexpr int ScannedNameSize = 96;

struct ScannedTag {
    const char* start = nullptr;      // its "<" in the document's text
    // One past its ">", or where it stopped without one; the 1990s reading, not collecting,
    // leaves it on the "<" of a tag whose text body is looked through from there.
    const char* end = nullptr;
    const char* lineStart = nullptr;  // the first character of the line of its "<"
    int32_t line = 0;                 // line of its "<" (html32: when the text is collected)
    int32_t lastLine = 0;             // line of its ">" (or of where it stopped)
    int row = -1;                     // its row in the profile, or -1 (html32: by exact row only)
    bool closing = false;             // "</"
    bool comment = false;
    bool finished = true;             // ended by its ">" (HTML reading)
    bool selfClosing = false;         // ends in "/>" (html32: looked at for an svg only)
    bool brokenQuotes = false;        // HTML reading: a lost or stray quote
    // Its text when the reading collects it: the "<" up to the ">", line breaks and tabs
    // as spaces, carriage returns left out, then a NUL (or, read in place, the page's
    // own text, which none of that changes); null otherwise.
    const char* text = nullptr;
    int32_t length = 0;               // characters of `text` before its ">"
    // As read; a close tag's begins with "/". Zeros follow it up to the 16th byte.
    alignas(16) char name[ScannedNameSize] = {};
    uint32_t nameLength = 0;          // its characters
};

// The rows of the names read lately. A page uses a few dozen names over and over, and the
// profile's look-up hashes a name letter by letter; here the name's first 16 bytes are
// the key, compared as two words.
class RowCache {
public:
    RowCache();
    // The row profile.find(name) gives; `name` is `length` bytes, then zeros up to its
    // 16th byte (as the HTML reading leaves a tag's name) when they are fewer.
    int rowOf(const TagProfile& profile, const char* name, uint32_t length);

private:
    struct Slot {
        uint64_t words[2];
        uint32_t length;
        int32_t row;
    };
    Slot slots_[256];
};

class TagScanner {
public:
    TagScanner(Document& document, const TagProfile& profile, TagReading reading);

    // Moves to the next tag, first past the body of the tag before it where the profile
    // skips that body; false when the text ends.
    bool next();
    const ScannedTag& tag() const { return tag_; }
    // The attribute names of the tag just scanned, in order (read when first asked for;
    // the HTML reading has them already, and every check asks).
    const std::vector<ScannedAttribute>& attributes() {
        return attributesRead_ || html_ ? attributes_ : readAttributes32();
    }
    // The line and column of `p`, a position in the document's text (the lines are indexed
    // when first asked for).
    TextPosition positionOf(const char* p);
    // Where the text's first line begins, past a byte order mark.
    const char* textStart() const { return textStart_; }

private:
    bool nextHtml();
    bool next32();
    void skipBody32();
    void skipHtmlBody();
    // Reads the tag at `lessThan`; false when it is its name alone, which holds no line feed.
    bool readHtmlTag(const char* lessThan, ScannedTag& tag, std::vector<ScannedAttribute>* attributes) const;
    void readHtmlAttributes(const char* p, ScannedTag& tag, std::vector<ScannedAttribute>* attributes) const;
    void moveTo(const char* p);

    Document& document_;
    const TagProfile& profile_;
    const TagReading reading_;
    const std::vector<ScannedAttribute>& readAttributes32();
    const bool html_;
    ScannedTag tag_;
    std::vector<ScannedAttribute> attributes_;
    bool attributesRead_ = false;
    bool skipPending_ = false;        // the body of the last tag is to be skipped
    int skipRow_ = -1;                // the open row of that body
    const char* textStart_ = nullptr; // past a byte order mark
    const char* lineStart_ = nullptr; // of the line the scan is on
    int32_t lineStartLine_ = 0;       // that line, 0-based (the 1990s reading moves on without it)
    std::optional<LineIndex> lines_;  // of the whole text, for positionOf
    struct Asked {
        const char* at = nullptr;
        int32_t line = 0;
        int32_t column = 0;
    } asked_;                         // the last place positionOf gave
    RowCache rows_;
    NameCache<int> bodies_;           // the 1990s census's: a word's body row, or -1
};

// True when `p`, on a "<", starts a tag inside another one: a letter, "/" and a letter, or
// a comment opener follows.
bool startsNestedTag(const char* p);
