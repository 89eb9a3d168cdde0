// The document check: one result line per problem found in the tags, in document order,
// or the single line "No errors found".
#pragma once

#include <cstdint>

#include "document.h"
#include "known_tags.h"
#include "result_sinks.h"

// The state of one run of the check over one document. Each run owns its own, so runs
// over different documents may go on in different threads at once.
struct CheckRun {
    CheckRun(Document& runDocument, ResultList& runList) : document(runDocument), list(runList) {}

    Document& document;
    ResultList& list;
    int32_t balance[KnownTagCount] = {};  // the balance of each open row's tags
    int32_t tableDepth = 0;               // TABLE nesting
};

// Checks every tag of the loaded document against the known-tag table and appends the
// problem lines to `list`, which the caller has emptied.
void checkDocument(Document& document, ResultList& list);

// The four checks of one known tag (row 1 or more) just collected into the TagBuffer.
void checkPairing(CheckRun& run, int row, const char* nameAsRead);
void checkAttributes(CheckRun& run, int row);
void checkQuotes(CheckRun& run, int row);
void checkTableContext(CheckRun& run, int row);
