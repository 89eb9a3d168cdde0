// The document check: every problem found in the tags, in document order, handed to a
// sink as a record; for the window, one result line per problem or the single line
// "No errors found".
#pragma once

#include <cstddef>
#include <cstdint>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document.h"
#include "result_sinks.h"
#include "tag_profile.h"

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
};
constexpr int ProblemKindCount = 8;

// The kind's stable identifier, for tools to filter on: "unknown-tag", "unknown-attribute",
// "unbalanced-quotes", "open-before-close", "close-without-open", "more-closes-than-opens",
// "cell-outside-table", "unbalanced-tags".
const char* problemKindId(ProblemKind kind);
// One sentence on the kind, for the rules of machine-readable output.
const char* problemKindSummary(ProblemKind kind);

// One problem as the check reports it. The texts live only as long as the call that
// hands the record over.
struct Problem {
    ProblemKind kind;
    int32_t line;      // 1-based line of the tag's ">"; NoLine for the count at the end
    const char* name;  // the tag as read (unknown tag, pairing), the attribute, or the table's name of the tag
    const char* tag;   // for an unknown attribute the table's name of its tag; "" otherwise
    int32_t count;     // for unbalanced tags the number left open; 0 otherwise
};
constexpr int32_t NoLine = 0;

// Room for any problem's line or message, its NUL included: a LineLabel, an attribute
// and a tag name as long as the html5 profile reads them, and the words between.
constexpr size_t ProblemTextSize = 256;

// The problem's words: "TD - This tag should be in a table", "TABLE<tab>Unbalanced tags (1)".
// Writes them into `out` and gives their length.
size_t formatProblemMessage(const Problem& problem, char* out);
// The problem's result line: LineLabel, two spaces and the message, or the message alone
// for a problem without a line. Writes it into `out` and gives its length.
size_t formatProblemLine(const Problem& problem, char* out);

// Receives the problems of a check, one at a time, in document order.
class ProblemSink {
public:
    virtual ~ProblemSink() = default;
    virtual void report(const Problem& problem) = 0;
};

// Appends each problem's result line to a ResultList.
class ProblemLines : public ProblemSink {
public:
    explicit ProblemLines(ResultList& list) : list_(list) {}
    void report(const Problem& problem) override;

private:
    ResultList& list_;
};

// The state of one run of the check over one document. Each run owns its own, so runs
// over different documents may go on in different threads at once.
struct CheckRun {
    CheckRun(Document& runDocument, ProblemSink& runSink, const TagProfile& runProfile)
        : document(runDocument), sink(runSink), profile(runProfile),
          balance(static_cast<size_t>(runProfile.rowCount())) {}

    Document& document;
    ProblemSink& sink;
    const TagProfile& profile;
    std::vector<int32_t> balance;  // the balance of each open row's tags
    int32_t tableDepth = 0;        // TABLE nesting
    int32_t problems = 0;          // reported so far
    // The custom elements met, by their names in capitals, in the order first met.
    std::vector<std::pair<std::string, int32_t>> customBalance;
    std::unordered_map<std::string, size_t> customIndex;
};

// Checks every tag of the loaded document against `profile`, hands each problem to
// `sink`, and gives the number of problems.
int32_t checkDocument(Document& document, ProblemSink& sink, const TagProfile& profile);

// The same, appending the problem lines to `list` (which the caller has emptied), or
// "No errors found" when there is none.
void checkDocument(Document& document, ResultList& list, const TagProfile& profile);

// The four checks of one known tag (row 1 or more) just collected into the TagBuffer.
void checkPairing(CheckRun& run, int row, const char* nameAsRead);
void checkAttributes(CheckRun& run, int row);
void checkQuotes(CheckRun& run, const char* tagName);
void checkTableContext(CheckRun& run, int row);
// Counts an open or close tag of a custom element, read as `nameAsRead`.
void checkCustomPairing(CheckRun& run, const char* nameAsRead);
