// The document check: one result line per problem found in the tags, in document order,
// or the single line "No errors found".
#pragma once

#include "document.h"
#include "result_sinks.h"

// Checks every tag of the loaded document against the known-tag table and appends the
// problem lines to `list`, which the caller has emptied.
void checkDocument(Document& document, ResultList& list);

// The four checks of one known tag (row 1 or more) just collected into the TagBuffer.
void checkPairing(Document& document, ResultList& list, int row, const char* nameAsRead);
void checkAttributes(Document& document, ResultList& list, int row);
void checkQuotes(Document& document, ResultList& list, int row);
void checkTableContext(Document& document, ResultList& list, int row);
