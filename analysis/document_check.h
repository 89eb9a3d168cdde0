// The document check: every problem found in the tags, in document order, handed to a
// sink as a record.
//
// With html32 it is the 1990s check: tags against the table, strict tags alternating,
// counted tags counted, each problem on the line of its tag's ">". With html4 and html5 the
// page is read as HTML reads it and built into a tree of elements (element_stack.h); each
// problem is placed where its fault begins, line and column, and the problems are handed
// over in that order.
//
// With every profile, the problems that the page's tagvetter directives (comments such as
// <!-- tagvetter-disable-next-line unknown-tag -->, inline_exceptions.h) or the options
// leave out are not handed over.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include <string>
#include <vector>

#include "document.h"
#include "name_cache.h"
#include "tag_profile.h"
#include "tag_scanner.h"

// What is wrong. The order is the order of the kinds' rules in machine-readable output.
enum class ProblemKind : uint8_t {
    UnknownTag,
    UnknownAttribute,
    UnbalancedQuotes,
    OpenBeforeClose,
    CloseWithoutOpen,
    MoreClosesThanOpens,
    CellOutsideTable,
    UnbalancedTags,
    // Only read as HTML (html4, html5).
    ObsoleteTag,
    UnfinishedTag,
    NotClosed,
    CrossingClose,
    VoidClose,
    // The page's characters (html4, html5).
    UnknownReference,
    ReferenceWithoutSemicolon,
    BadNumericReference,
    ControlCharacter,
    InvalidBytes,
    Utf16Page,
    // Ids, references within the page and URLs (html4, html5).
    DuplicateId,
    MissingId,
    MissingAnchor,
    BadUrl,
    // Content models (html4, html5): an element where its parent or an ancestor doesn't
    // take it, and an element without a child it needs.
    MisplacedElement,
    MissingChild,
    // Attributes (html4, html5).
    MissingAttribute,    // a required attribute left out
    BadAttributeValue,   // a value the attribute doesn't take
    DuplicateAttribute,  // the same attribute again on one tag
    ObsoleteAttribute,   // an attribute the standard calls obsolete on the element
    MisplacedAttribute,  // an attribute the tag takes only with other attributes it lacks
    // A tagvetter directive in a comment of the page (inline_exceptions.h) names a kind the
    // profile doesn't have; every profile.
    UnknownDirectiveKind,
};
constexpr int ProblemKindCount = 31;

// How grave a problem is, where the page is read as HTML: an error is a fault by the
// standard, a warning what it only discourages. html32's problems are unrated: its
// outputs stay as they always were, and every problem counts as an error.
enum class Severity : uint8_t { Unrated, Error, Warning };

// A set of kinds, indexed by ProblemKind.
using ProblemKinds = std::bitset<ProblemKindCount>;

// The kind's stable identifier, for tools to filter on: "unknown-tag", "unknown-attribute",
// "unbalanced-quotes", "open-before-close", "close-without-open", "more-closes-than-opens",
// "cell-outside-table", "unbalanced-tags", "obsolete-tag", "unfinished-tag", "not-closed",
// "crossing-close", "void-close", "unknown-reference", "reference-without-semicolon",
// "bad-numeric-reference", "control-character", "invalid-bytes", "utf16-page",
// "duplicate-id", "missing-id", "missing-anchor" (the id `tagvetter links` gives the same
// fault), "bad-url", "misplaced-element", "missing-child", "missing-attribute",
// "bad-attribute-value", "duplicate-attribute", "obsolete-attribute", "misplaced-attribute",
// "unknown-directive-kind".
const char* problemKindId(ProblemKind kind);
// The severity of a kind where the page is read as HTML.
Severity severityOf(ProblemKind kind);
// The kinds a check with `profile` can report, in the order of their rules: html32's
// nine, or the twenty-eight of the HTML reading.
const std::vector<ProblemKind>& problemKindsOf(const TagProfile& profile);

// One change to a page's text: the bytes [from, to) give way to `text`.
struct TextEdit {
    uint32_t from;
    uint32_t to;
    const char* text;
};

// The mend of a problem when it is sure: at most two edits, in the order of the text,
// that take the problem away and bring no other. A problem whose mend would be a guess
// has none (count 0).
struct Fix {
    TextEdit edits[2];
    uint8_t count = 0;
};

// One problem as the check reports it. The texts live only as long as the call that
// hands the record over.
struct Problem {
    ProblemKind kind;
    // 1-based: html32, the line of the tag's ">" (NoLine for the count at the end); read as
    // HTML, the line where the fault begins: the "<" of its tag, or its attribute's name.
    int32_t line;
    int32_t column;    // 1-based, in characters, where read as HTML; NoColumn for html32
    const char* name;  // the tag as read (unknown tag, pairing), the attribute, or the table's name of the tag
    // For a problem of an attribute the table's name of its tag; for an element not closed the
    // tag before which it should have been ("" at the end of the page); for a crossing
    // close tag the element it crosses; for a misplaced element the parent or ancestor
    // that doesn't take it; "" otherwise.
    const char* tag;
    // For unbalanced tags the number left open; for the character kinds what
    // character_check.h's CharacterFinding::count says; for a missing id 1 when a map's
    // name was asked for (usemap); for a bad URL its UrlFault (url_check.h); 0 otherwise.
    int32_t count;
    // The line of `tag`, for an element not closed, a crossing and a misplaced element (0
    // for the body a page leaves out); of the first, for a duplicate id; for a missing
    // child the line of the child that needed it, or 0; for a bad URL the character of the
    // value (1-based) the fault is at; 0 otherwise.
    int32_t relatedLine;
    // Byte offsets into the document's text of what is at fault, for an editor to mark:
    // from where line and column point (html32: the tag's "<") to one past the tag's ">",
    // or where the tag stopped, or one past an attribute's name as read. NoOffset for the
    // count at the end.
    uint32_t offset;
    uint32_t endOffset;
    // More of what is wrong, for the kinds whose message needs it (a value, what is wrong
    // where in it): for a missing id the attribute that names it (`tag` is then the
    // table's name of its element); for a missing anchor the anchor's name, decoded; for a
    // bad URL the value, shortened; for a bad attribute value the value (or the word of it)
    // at fault; for a misplaced attribute the condition it lacks (type="text", or no href);
    // for an unknown attribute the known one nearest it, or ""; "" otherwise. For these
    // kinds `name` is the id as written, the reference as written, or the attribute.
    const char* detail = "";
    Severity severity = Severity::Unrated;
    // Its edits' texts live as the other texts do.
    Fix fix = Fix();
};
constexpr int32_t NoLine = 0;
constexpr int32_t NoColumn = 0;
constexpr uint32_t NoOffset = UINT32_MAX;

// Receives the problems of a check, one at a time, in document order.
class ProblemSink {
public:
    virtual ~ProblemSink() = default;
    virtual void report(const Problem& problem) = 0;
};

// The state of one run of the 1990s check over one document. Each run owns its own, so
// runs over different documents may go on in different threads at once.
struct CheckRun {
    CheckRun(Document& runDocument, ProblemSink& runSink, const TagProfile& runProfile)
        : document(runDocument), sink(runSink), profile(runProfile),
          balance(static_cast<size_t>(runProfile.rowCount())) {}

    Document& document;
    ProblemSink& sink;
    const TagProfile& profile;
    std::vector<int32_t> balance;  // the balance of each open row's tags
    int32_t tableDepth = 0;        // TABLE nesting
    // The tag being checked, as Problem's offsets give it.
    uint32_t tagOffset = NoOffset;
    uint32_t tagEndOffset = NoOffset;
    NameCache<bool> knownAttributes;  // whether a row takes a name, for the names a page repeats
};

// What a check leaves out besides the page's own directives: the kinds a configuration
// ignores.
struct CheckOptions {
    ProblemKinds ignored;
};

// Checks every tag of the loaded document against `profile`, hands each problem to
// `sink`, and gives the number of problems handed over. The problems that the page's
// tagvetter directives (inline_exceptions.h) or `options` leave out are neither handed
// over nor counted.
int32_t checkDocument(Document& document, ProblemSink& sink, const TagProfile& profile,
                      const CheckOptions& options = {});

// The four checks of the 1990s check on one known tag (row 1 or more) just collected into
// the TagBuffer, with its attributes as the scanner read them.
void checkPairing(CheckRun& run, int row, const char* nameAsRead);
void checkAttributes(CheckRun& run, int row, const std::vector<ScannedAttribute>& attributes);
// `text`: the tag as collected, `length` characters of it before its last ">" held.
void checkQuotes(CheckRun& run, const char* tagName, const char* text, int32_t length);
void checkTableContext(CheckRun& run, int row);
