#include "document_check.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "known_tags.h"

namespace {

// Appends LineLabel, two spaces and the given pieces.
void report(Document& document, ResultList& list, std::initializer_list<const char*> pieces) {
    char line[128];
    formatLineLabel(document.line, line);
    size_t used = strlen(line);
    memcpy(line + used, "  ", 2);
    used += 2;
    for (const char* piece : pieces) {
        size_t length = strlen(piece);
        memcpy(line + used, piece, length);
        used += length;
    }
    line[used] = '\0';
    list.append(line);
}

}  // namespace

void checkDocument(Document& document, ResultList& list) {
    for (TagEntry& entry : KnownTagTable) entry.counter = 0;
    document.resetScan();
    document.tableDepth = 0;
    const int before = list.count();

    while (document.advanceToTag()) {
        document.collectTag(0);
        char name[20];
        int row = findTag(document.tagBuffer, name, sizeof name);
        if (row < 0) {
            report(document, list, {name, " - Unknown keyword"});
            continue;
        }
        if (row == RowComment) continue;
        checkPairing(document, list, row, name);
        checkAttributes(document, list, row);
        checkQuotes(document, list, row);
        checkTableContext(document, list, row);
        // Script and preformatted bodies are not tags; their closing tag is checked next.
        if (row == RowScript) document.skipToClosingTag(RowScriptEnd);
        if (row == RowPre) document.skipToClosingTag(RowPreEnd);
    }

    for (const TagEntry& entry : KnownTagTable) {
        if (entry.kind == PairCounted && entry.counter != 0) {
            char line[64];
            snprintf(line, sizeof line, "%s\tUnbalanced tags (%d)", entry.name, entry.counter);
            list.append(line);
        }
    }
    if (list.count() == before) list.append("No errors found");
}

void checkPairing(Document& document, ResultList& list, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    TagEntry& open = KnownTagTable[close ? row - 1 : row];
    switch (KnownTagTable[row].kind) {
        case PairStrict:
            open.counter += close ? -1 : 1;
            if (open.counter == 2) {
                report(document, list, {nameAsRead, " - Open tag before previous tag was closed"});
            } else if (open.counter < 0) {
                report(document, list, {nameAsRead, " - Close tag without matching open tag"});
            } else {
                break;
            }
            // The tag just met is the current state from here on.
            open.counter = close ? 0 : 1;
            break;
        case PairCounted:
            open.counter += close ? -1 : 1;
            if (open.counter < 0) {
                report(document, list, {nameAsRead, " - More close tags than open tags"});
                open.counter = 0;
            }
            break;
        default:
            break;
    }
}

void checkAttributes(Document& document, ResultList& list, int row) {
    const TagEntry& entry = KnownTagTable[row];
    if (entry.attributes[0][0] == '\0') return;
    // Past the "<" and as many characters as the row's name has, never past the NUL.
    const char* p = document.tagBuffer + 1;
    for (size_t k = strlen(entry.name); k > 0 && *p != '\0'; --k) ++p;
    // A tag cut off by the end of the text ends at its NUL instead of a ">".
    while (*p != '>' && *p != '\0') {
        char attribute[19];
        const char* stop = readAttributeName(p, attribute);
        if (attribute[0] != '\0' && !hasAttribute(attribute, row))
            report(document, list, {attribute, " - Unknown attribute for ", entry.name});
        p = skipToNextAttribute(stop);
    }
}

void checkQuotes(Document& document, ResultList& list, int row) {
    int quotes = 0;
    for (const char* p = document.tagBuffer + 1; (p = strpbrk(p, "\">")) != nullptr && *p == '"'; ++p) ++quotes;
    if (quotes % 2 != 0) report(document, list, {"<", KnownTagTable[row].name, " - Unbalanced quotes"});
}

void checkTableContext(Document& document, ResultList& list, int row) {
    if (row == RowTable) {
        ++document.tableDepth;
    } else if (row == RowTableEnd) {
        // Extra closing tables do not count ahead: the next cells outside a table are reported.
        if (document.tableDepth > 0) --document.tableDepth;
    } else if (document.tableDepth == 0 && row >= RowFirstCell && row <= RowLastCell) {
        report(document, list, {KnownTagTable[row].name, " - This tag should be in a table"});
    }
}
