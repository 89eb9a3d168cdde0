// The document check: one result line per problem found in the tags, in document order,
// or the single line "No errors found".
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "document.h"
#include "result_sinks.h"
#include "tag_profile.h"

// The state of one run of the check over one document. Each run owns its own, so runs
// over different documents may go on in different threads at once.
struct CheckRun {
    CheckRun(Document& runDocument, ResultList& runList, const TagProfile& runProfile)
        : document(runDocument), list(runList), profile(runProfile),
          balance(static_cast<size_t>(runProfile.rowCount())) {}

    Document& document;
    ResultList& list;
    const TagProfile& profile;
    std::vector<int32_t> balance;  // the balance of each open row's tags
    int32_t tableDepth = 0;        // TABLE nesting
    // The custom elements met, by their names in capitals, in the order first met.
    std::vector<std::pair<std::string, int32_t>> customBalance;
    std::unordered_map<std::string, size_t> customIndex;
};

// Checks every tag of the loaded document against `profile` and appends the problem
// lines to `list`, which the caller has emptied.
void checkDocument(Document& document, ResultList& list, const TagProfile& profile);

// The four checks of one known tag (row 1 or more) just collected into the TagBuffer.
void checkPairing(CheckRun& run, int row, const char* nameAsRead);
void checkAttributes(CheckRun& run, int row);
void checkQuotes(CheckRun& run, const char* tagName);
void checkTableContext(CheckRun& run, int row);
// Counts an open or close tag of a custom element, read as `nameAsRead`.
void checkCustomPairing(CheckRun& run, const char* nameAsRead);
