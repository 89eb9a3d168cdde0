#include "document_check.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "known_tags.h"

namespace {

// The check's one door to the known-tag table: every row it reads comes through here.
const TagEntry& knownRow(int row) { return KnownTagTable[row]; }

// Appends LineLabel, two spaces and the given pieces.
void report(CheckRun& run, std::initializer_list<const char*> pieces) {
    char line[128];
    formatLineLabel(run.document.line, line);
    size_t used = strlen(line);
    memcpy(line + used, "  ", 2);
    used += 2;
    for (const char* piece : pieces) {
        size_t length = strlen(piece);
        memcpy(line + used, piece, length);
        used += length;
    }
    line[used] = '\0';
    run.list.append(line);
}

}  // namespace

void checkDocument(Document& document, ResultList& list) {
    CheckRun run(document, list);
    document.resetScan();
    const int before = list.count();

    while (document.advanceToTag()) {
        document.collectTag(0);
        char name[20];
        int row = findTag(document.tagBuffer, name, sizeof name);
        if (row < 0) {
            report(run, {name, " - Unknown keyword"});
            continue;
        }
        if (row == RowComment) continue;
        checkPairing(run, row, name);
        checkAttributes(run, row);
        checkQuotes(run, row);
        checkTableContext(run, row);
        // Script and preformatted bodies are not tags; their closing tag is checked next.
        if (row == RowScript) document.skipToClosingTag(RowScriptEnd);
        if (row == RowPre) document.skipToClosingTag(RowPreEnd);
    }

    for (int row = 0; row < KnownTagCount; ++row) {
        if (knownRow(row).kind == PairCounted && run.balance[row] != 0) {
            char line[64];
            snprintf(line, sizeof line, "%s\tUnbalanced tags (%d)", knownRow(row).name, run.balance[row]);
            list.append(line);
        }
    }
    if (list.count() == before) list.append("No errors found");
}

void checkPairing(CheckRun& run, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    int32_t& balance = run.balance[close ? row - 1 : row];
    switch (knownRow(row).kind) {
        case PairStrict:
            balance += close ? -1 : 1;
            if (balance == 2) {
                report(run, {nameAsRead, " - Open tag before previous tag was closed"});
            } else if (balance < 0) {
                report(run, {nameAsRead, " - Close tag without matching open tag"});
            } else {
                break;
            }
            // The tag just met is the current state from here on.
            balance = close ? 0 : 1;
            break;
        case PairCounted:
            balance += close ? -1 : 1;
            if (balance < 0) {
                report(run, {nameAsRead, " - More close tags than open tags"});
                balance = 0;
            }
            break;
        default:
            break;
    }
}

void checkAttributes(CheckRun& run, int row) {
    const TagEntry& entry = knownRow(row);
    if (entry.attributes[0][0] == '\0') return;
    // Past the "<" and as many characters as the row's name has, never past the NUL.
    const char* p = run.document.tagBuffer + 1;
    for (size_t k = strlen(entry.name); k > 0 && *p != '\0'; --k) ++p;
    // A tag cut off by the end of the text ends at its NUL instead of a ">".
    while (*p != '>' && *p != '\0') {
        char attribute[19];
        const char* stop = readAttributeName(p, attribute);
        if (attribute[0] != '\0' && !hasAttribute(attribute, row))
            report(run, {attribute, " - Unknown attribute for ", entry.name});
        p = skipToNextAttribute(stop);
    }
}

void checkQuotes(CheckRun& run, int row) {
    int quotes = 0;
    for (const char* p = run.document.tagBuffer + 1; (p = strpbrk(p, "\">")) != nullptr && *p == '"'; ++p) ++quotes;
    if (quotes % 2 != 0) report(run, {"<", knownRow(row).name, " - Unbalanced quotes"});
}

void checkTableContext(CheckRun& run, int row) {
    if (row == RowTable) {
        ++run.tableDepth;
    } else if (row == RowTableEnd) {
        // Extra closing tables do not count ahead: the next cells outside a table are reported.
        if (run.tableDepth > 0) --run.tableDepth;
    } else if (run.tableDepth == 0 && row >= RowFirstCell && row <= RowLastCell) {
        report(run, {knownRow(row).name, " - This tag should be in a table"});
    }
}
