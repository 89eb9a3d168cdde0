#include "result_lines.h"

#include <cstdio>
#include <cstring>

#include "character_check.h"
#include "url_check.h"

namespace {

struct KindWords {
    const char* ending;  // what follows the name in the message
    const char* summary;
};

// Indexed by ProblemKind.
const KindWords KindTexts[ProblemKindCount] = {
    {" - Unknown keyword", "A tag whose name is not one of the known tags."},
    {" - Unknown attribute for ", "An attribute the tag does not accept."},
    {" - Unbalanced quotes", "A tag with an odd number of double quotes."},
    {" - Open tag before previous tag was closed", "A tag opened again before its previous opening was closed."},
    {" - Close tag without matching open tag", "A closing tag with no opening tag before it."},
    {" - More close tags than open tags", "A closing tag beyond the number of its opening tags."},
    {" - This tag should be in a table", "A table row, cell or header outside any table."},
    {"\tUnbalanced tags (", "Tags still open at the end of the document."},
    {" - Obsolete element, not part of current HTML",
     "An element of earlier HTML that the current standard calls obsolete."},
    {" - Tag without its closing >", "A tag cut short before its closing >, by the next tag or by the end of the page."},
    {" - Not closed ",
     "An element whose end tag is required, still open when an element around it closes or the page ends."},
    {" - Close tag crosses ",
     "A close tag that closes an outer element while an inner one, closed later, is still open."},
    {" - Close tag of a void element", "A close tag of an element that never has one."},
    {" - Unknown character reference", "A named character reference, ended by ;, that names no character."},
    {" - Character reference without its ;",
     "A named character reference left without its ; where that is a fault: in text, or before other letters."},
    {" - Numeric character reference ",
     "A numeric character reference without digits or its ;, or to a character a page may not hold."},
    {" - ", "A control character (other than a space or a line break) or a noncharacter in the text."},
    {" - Byte not valid in UTF-8", "A byte that is not part of valid UTF-8 in a page encoded as UTF-8."},
    {" - Page encoded as UTF-16, not checked further", "A page encoded as UTF-16, which the check cannot read."},
    {" - Duplicate id, first on line ", "An id that an element earlier in the page already has."},
    {" - No element with this id (",
     "An attribute that names an id (or a map) the page lacks: label for, headers, list, form, aria-labelledby, usemap..."},
    {" - No anchor ", "A link to a fragment of the page itself that names no id and no anchor name there."},
    {" - Bad URL: ", "A URL attribute whose value is not a valid URL: a space, a backslash, a bad % escape, host or port."},
    {" - Not allowed ",
     "An element where its parent doesn't take it, or inside an ancestor that forbids it, on the tree a browser builds."},
    {" - Missing ", "An element without a child it needs: title in head, li in a list, dd after dt, ..."},
    {" - Missing attribute of ", "An attribute the element requires, left out."},
    {" - Bad value ", "A value the attribute does not take: not one of its words, or a boolean given a value."},
    {" - Attribute given twice on ", "The same attribute twice on one tag, letter case ignored; browsers keep the first."},
    {" - Obsolete attribute of ", "An attribute the current standard calls obsolete on the element."},
    {" - Attribute not allowed on ",
     "An attribute the element takes only with another attribute, or another value of it, than it has."},
    {" - Unknown kind in a tagvetter directive",
     "A word in a tagvetter directive comment that names no kind of problem of the profile."},
};

struct LinkKindText {
    const char* id;  // stable, for tools to filter on
    const char* summary;
};

// Indexed by LinkKind.
const LinkKindText LinkKindTexts[LinkKindCount] = {
    {"missing-target", "The link names a file or folder that does not exist."},
    {"letter-case", "The link's target exists only under another letter case, so it breaks on most web servers."},
    {"missing-anchor", "The link's fragment names no id and no anchor name in the target page."},
    {"outside-root", "The link leads to a place above the site's root folder."},
};

const KindWords& wordsOf(ProblemKind kind) { return KindTexts[static_cast<int>(kind)]; }

// What is wrong with a numeric character reference, by its NumericReferenceFault.
const char* numericFaultWords(int32_t fault) {
    switch (fault) {
        case NumericWithoutDigits:
            return "without digits";
        case NumericWithoutSemicolon:
            return "without its ;";
        case NumericNull:
            return "to the null character";
        case NumericSurrogate:
            return "to a surrogate, not a character";
        case NumericBeyondUnicode:
            return "beyond U+10FFFF, the last character";
        case NumericNoncharacter:
            return "to a noncharacter";
        case NumericControl:
            return "to a control character";
        default:
            return "";
    }
}
// What is wrong with a URL, indexed by UrlFault.
const char* const UrlFaultWords[UrlFaultCount] = {
    "", "space", "tab or line break", "control character", "backslash", "% not followed by two hex digits",
    "character not allowed", "second #", "no // after the scheme", "user name or password before the host",
    "empty host", "character not allowed in a host", "empty or too long label in the host",
    "malformed IPv4 address", "malformed IPv6 address", "port not a number up to 65535",
};

char* append(char* out, const char* text) {
    size_t length = strlen(text);
    memcpy(out, text, length);
    return out + length;
}

// The known name an unknown one most likely misspells, when the check found one.
char* appendSuggestion(char* out, const char* nearest) {
    if (nearest[0] == '\0') return out;
    out = append(out, " (did you mean ");
    out = append(out, nearest);
    return append(out, "?)");
}

}  // namespace

const char NoErrorsFound[] = "No errors found";
const char NoBrokenLinks[] = "No broken links";

size_t labelOfLine(int32_t line, char* out) {
    // Every listed tag has one, so not printf: the digits written backwards, at least four.
    char digits[12], *d = digits + sizeof digits;
    for (uint32_t n = line > 0 ? static_cast<uint32_t>(line) : 0; n > 0 || digits + sizeof digits - d < 4; n /= 10)
        *--d = static_cast<char>('0' + n % 10);
    const size_t length = static_cast<size_t>(digits + sizeof digits - d);
    memcpy(out, d, length);
    out[length] = '\0';
    return length;
}

std::string censusSummary(int64_t count) { return std::to_string(count) + " different tags"; }

void listCensus(TagCensus& census, ResultList& list, const TagProfile& profile) {
    sortCensus(census);
    for (int32_t e = 0; e < census.count; ++e) {
        const CensusEntry& entry = census.entries[e];
        // A name of at most 79 characters, a 64-bit count, a description of at most 60.
        char line[192];
        snprintf(line, sizeof line, "%s\t%lld\t%s", entry.name, static_cast<long long>(entry.count),
                 profile.describe(entry.name));
        list.append(line);
    }
}

void countTags(Document& document, TagCensus& census, ResultList& list, const TagProfile& profile) {
    recordDocumentTags(document, census, profile);
    listCensus(census, list, profile);
}

void ListingLines::tag(const ListedTag& tag) {
    // Made in place (a listing may have millions of lines): the label, two spaces, the text.
    char label[12];
    const size_t labelLength = labelOfLine(tag.line, label), textLength = strlen(tag.text);
    line_.resize(labelLength + 2 + textLength);
    memcpy(&line_[0], label, labelLength);
    memcpy(&line_[labelLength], "  ", 2);
    memcpy(&line_[labelLength + 2], tag.text, textLength);
    list_.appendLine(line_.c_str(), line_.size());
}

std::string longestSummary(int longest) { return "Longest: " + std::to_string(longest); }

size_t formatProblemMessage(const Problem& problem, char* out) {
    char* w = out;
    const ProblemKind kind = problem.kind;
    if (kind == ProblemKind::UnbalancedQuotes || kind == ProblemKind::UnfinishedTag) *w++ = '<';
    w = append(w, problem.name);
    // A page read as HTML (its problems are rated) has elements; html32 keeps its words.
    const bool element = kind == ProblemKind::UnknownTag && problem.severity != Severity::Unrated;
    w = append(w, element ? " - Unknown element" : wordsOf(kind).ending);
    switch (kind) {
        case ProblemKind::UnknownTag:
            w = appendSuggestion(w, problem.detail);
            break;
        case ProblemKind::UnknownAttribute:
            w = append(w, problem.tag);
            w = appendSuggestion(w, problem.detail);
            break;
        case ProblemKind::MissingAttribute:
        case ProblemKind::DuplicateAttribute:
        case ProblemKind::ObsoleteAttribute:
            w = append(w, problem.tag);
            break;
        case ProblemKind::MisplacedAttribute:
            w = append(w, problem.tag);
            w = append(w, " with ");
            w = append(w, problem.detail);
            break;
        case ProblemKind::BadAttributeValue:
            *w++ = '"';
            w = append(w, problem.detail);
            w = append(w, "\" for ");
            w = append(w, problem.tag);
            break;
        case ProblemKind::UnbalancedTags:
            w += sprintf(w, "%d)", static_cast<int>(problem.count));
            break;
        case ProblemKind::NotClosed:
            if (problem.tag[0] == '\0') {
                w = append(w, "at the end of the document");
            } else {
                w = append(w, "before ");
                w = append(w, problem.tag);
                w += sprintf(w, " on line %d", static_cast<int>(problem.relatedLine));
            }
            break;
        case ProblemKind::DuplicateId:
            w += sprintf(w, "%d", static_cast<int>(problem.relatedLine));
            break;
        case ProblemKind::MissingId:
            if (problem.count == 1) {
                w -= strlen(wordsOf(kind).ending);
                w = append(w, " - No map of this name (");
            }
            w = append(w, problem.detail);
            w = append(w, " of ");
            w = append(w, problem.tag);
            *w++ = ')';
            break;
        case ProblemKind::MissingAnchor:
            w = append(w, problem.detail);
            w = append(w, " on this page");
            break;
        case ProblemKind::BadUrl:
            if (problem.count > 0 && problem.count < UrlFaultCount) w = append(w, UrlFaultWords[problem.count]);
            w += sprintf(w, " at character %d in \"", static_cast<int>(problem.relatedLine));
            w = append(w, problem.detail);
            *w++ = '"';
            break;
        case ProblemKind::CrossingClose:
            w = append(w, problem.tag);
            w += sprintf(w, ", opened on line %d", static_cast<int>(problem.relatedLine));
            break;
        case ProblemKind::BadNumericReference:
            w = append(w, numericFaultWords(problem.count));
            break;
        case ProblemKind::ControlCharacter: {
            const auto c = static_cast<uint32_t>(problem.count);
            w = append(w, (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE ? "Noncharacter in the text"
                                                                                 : "Control character in the text");
            break;
        }
        case ProblemKind::InvalidBytes:
            if (problem.count > 1) w += sprintf(w, " (%d on the page)", static_cast<int>(problem.count));
            break;
        case ProblemKind::MisplacedElement:
            // "div - Not allowed in ul (line 12)", "a - Not allowed inside button (line 3)".
            w = append(w, problem.detail);
            *w++ = ' ';
            w = append(w, problem.tag);
            if (problem.relatedLine > 0) w += sprintf(w, " (line %d)", static_cast<int>(problem.relatedLine));
            break;
        case ProblemKind::MissingChild:
            // "head - Missing title", "dl - Missing dd after dt (line 7)".
            w = append(w, problem.detail);
            if (problem.relatedLine > 0) w += sprintf(w, " (line %d)", static_cast<int>(problem.relatedLine));
            break;
        default:
            break;
    }
    *w = '\0';
    return static_cast<size_t>(w - out);
}

size_t formatProblemLine(const Problem& problem, char* out) {
    if (problem.line == NoLine) return formatProblemMessage(problem, out);
    labelOfLine(problem.line, out);
    char* w = append(out + strlen(out), "  ");
    return static_cast<size_t>(w - out) + formatProblemMessage(problem, w);
}

const char* problemKindSummary(ProblemKind kind) { return wordsOf(kind).summary; }

const char* severityWord(Severity severity) {
    switch (severity) {
        case Severity::Error: return "error";
        case Severity::Warning: return "warning";
        case Severity::Unrated: break;
    }
    return "";
}

void ProblemLines::report(const Problem& problem) {
    char line[ProblemTextSize];
    formatProblemLine(problem, line);
    list_.append(line);
}

void checkLines(Document& document, ResultList& list, const TagProfile& profile, const CheckOptions& options) {
    ProblemLines lines(list);
    if (checkDocument(document, lines, profile, options) == 0) list.append(NoErrorsFound);
}

void referenceLines(const std::vector<ReferenceRow>& rows, ResultList& list) {
    std::string line;
    for (const ReferenceRow& row : rows) {
        line.assign(row.name).append("\t").append(row.description).append("\t").append(row.attributes);
        list.append(line.c_str());
    }
}

const char* linkKindId(LinkKind kind) { return LinkKindTexts[static_cast<int>(kind)].id; }

const char* linkKindSummary(LinkKind kind) { return LinkKindTexts[static_cast<int>(kind)].summary; }

std::string linkProblemMessage(const LinkProblem& problem) {
    switch (problem.kind) {
        case LinkKind::MissingTarget:
            return problem.target + " - No such file";
        case LinkKind::LetterCase:
            return problem.target + " - Exists only as " + problem.existing;
        case LinkKind::MissingAnchor:
            return problem.target + " - No anchor " + problem.anchor + " there";
        case LinkKind::OutsideRoot:
            return problem.target + " - Leads outside the root";
    }
    return problem.target;
}

std::string linkProblemLine(const LinkProblem& problem) {
    char label[12];
    labelOfLine(problem.line, label);
    return std::string(label) + "  " + linkProblemMessage(problem);
}
