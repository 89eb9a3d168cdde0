// The result lines: the texts the window lists and the command line's text output writes,
// made from the analyses' records. Every line label, message, census, listing and
// reference line, "No errors found" and the summaries are made here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document_check.h"
#include "known_tag_reference.h"
#include "link_check.h"
#include "tag_census.h"
#include "tag_listing.h"
#include "tag_profile.h"

// Where result lines go: the window's list box, the command line's output, a test's memory.
class ResultList {
public:
    virtual ~ResultList() = default;
    // Appends one NUL-terminated line; it may hold tabs.
    virtual void append(const char* line) = 0;
    // The same for a line whose `length` is known: a listing of millions of lines spares
    // measuring each one again.
    virtual void appendLine(const char* line, size_t length) {
        (void)length;
        append(line);
    }
};

// The LineLabel of the 1-based `line`: its number in decimal, with "0" put in front until
// it has four characters. `out` holds at least 12 bytes. Gives its length.
size_t labelOfLine(int32_t line, char* out);

// The census: "N different tags", and one line per entry, sorted first: name, tab, count,
// tab, its description in `profile`.
std::string censusSummary(int64_t count);
void listCensus(TagCensus& census, ResultList& list, const TagProfile& profile);
// Counts the tags of `document` and lists its census.
void countTags(Document& document, TagCensus& census, ResultList& list, const TagProfile& profile);

// The listings: "LineLabel, two spaces, tag text" for each tag; "Longest: N" after them.
class ListingLines : public ListedTagSink {
public:
    explicit ListingLines(ResultList& list) : list_(list) {}
    void tag(const ListedTag& tag) override;

private:
    ResultList& list_;
    std::string line_;
};
std::string longestSummary(int longest);

// Room for any problem's line or message, its NUL included: a LineLabel, two names as long
// as the html4 and html5 profiles read them, a line number and the words between.
constexpr size_t ProblemTextSize = 320;

// The words of a problem ("TD - This tag should be in a table", "TABLE<tab>Unbalanced tags
// (1)") and its result line (LineLabel, two spaces, the words; the words alone for a problem
// without a line). Each writes into `out` of ProblemTextSize bytes and gives the length.
size_t formatProblemMessage(const Problem& problem, char* out);
size_t formatProblemLine(const Problem& problem, char* out);
// One sentence on the kind, for the rules of machine-readable output.
const char* problemKindSummary(ProblemKind kind);
// "error" or "warning"; "" for an unrated problem.
const char* severityWord(Severity severity);
// The line of a check that found nothing.
extern const char NoErrorsFound[];

// Appends each problem's result line.
class ProblemLines : public ProblemSink {
public:
    explicit ProblemLines(ResultList& list) : list_(list) {}
    void report(const Problem& problem) override;

private:
    ResultList& list_;
};
// Checks the document and appends its problem lines, or "No errors found".
void checkLines(Document& document, ResultList& list, const TagProfile& profile, const CheckOptions& options = {});

// The reference: "name, tab, description, tab, attributes" for each row, in order.
void referenceLines(const std::vector<ReferenceRow>& rows, ResultList& list);

// The kind's stable identifier ("missing-target", "letter-case", "missing-anchor",
// "outside-root") and one sentence on it, for SARIF rules.
const char* linkKindId(LinkKind kind);
const char* linkKindSummary(LinkKind kind);
// A broken link's words: "img/Photo.jpg - No such file", "photo.jpg - Exists only as
// Photo.JPG", "about.html#team - No anchor team there", "../../x.html - Leads outside the root".
std::string linkProblemMessage(const LinkProblem& problem);
// A broken link's result line: LineLabel, two spaces, the target and what is wrong; and the
// line of a page whose links all lead somewhere.
std::string linkProblemLine(const LinkProblem& problem);
extern const char NoBrokenLinks[];
