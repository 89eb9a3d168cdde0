#include "document_check.h"

#include <cstdio>
#include <cstring>

namespace {

// The check's one door to the known-tag table: every row it reads comes through here.
const TagEntry& knownRow(int row) { return KnownTagTable[row]; }

struct KindText {
    const char* id;
    const char* ending;  // what follows the name in the message
    const char* summary;
};

// Indexed by ProblemKind.
const KindText KindTexts[ProblemKindCount] = {
    {"unknown-tag", " - Unknown keyword", "A tag whose name is not one of the known tags."},
    {"unknown-attribute", " - Unknown attribute for ", "An attribute the tag does not accept."},
    {"unbalanced-quotes", " - Unbalanced quotes", "A tag with an odd number of double quotes."},
    {"open-before-close", " - Open tag before previous tag was closed",
     "A tag opened again before its previous opening was closed."},
    {"close-without-open", " - Close tag without matching open tag", "A closing tag with no opening tag before it."},
    {"more-closes-than-opens", " - More close tags than open tags",
     "A closing tag beyond the number of its opening tags."},
    {"cell-outside-table", " - This tag should be in a table", "A table row, cell or header outside any table."},
    {"unbalanced-tags", "\tUnbalanced tags (", "Tags still open at the end of the document."},
};

const KindText& textOf(ProblemKind kind) { return KindTexts[static_cast<int>(kind)]; }

char* append(char* out, const char* text) {
    size_t length = strlen(text);
    memcpy(out, text, length);
    return out + length;
}

void report(CheckRun& run, ProblemKind kind, const char* name, const char* tag = "", int32_t count = 0) {
    ++run.problems;
    const int32_t line = kind == ProblemKind::UnbalancedTags ? NoLine : run.document.line + 1;
    run.sink.report(Problem{kind, line, name, tag, count});
}

}  // namespace

const char* problemKindId(ProblemKind kind) { return textOf(kind).id; }

const char* problemKindSummary(ProblemKind kind) { return textOf(kind).summary; }

size_t formatProblemMessage(const Problem& problem, char* out) {
    char* w = out;
    if (problem.kind == ProblemKind::UnbalancedQuotes) *w++ = '<';
    w = append(w, problem.name);
    w = append(w, textOf(problem.kind).ending);
    if (problem.kind == ProblemKind::UnknownAttribute) w = append(w, problem.tag);
    if (problem.kind == ProblemKind::UnbalancedTags) w += sprintf(w, "%d)", static_cast<int>(problem.count));
    *w = '\0';
    return static_cast<size_t>(w - out);
}

size_t formatProblemLine(const Problem& problem, char* out) {
    if (problem.line == NoLine) return formatProblemMessage(problem, out);
    formatLineLabel(problem.line - 1, out);
    char* w = out + strlen(out);
    w = append(w, "  ");
    return static_cast<size_t>(w - out) + formatProblemMessage(problem, w);
}

void ProblemLines::report(const Problem& problem) {
    char line[ProblemTextSize];
    formatProblemLine(problem, line);
    list_.append(line);
}

int32_t checkDocument(Document& document, ProblemSink& sink) {
    CheckRun run(document, sink);
    document.resetScan();

    while (document.advanceToTag()) {
        document.collectTag(0);
        char name[20];
        int row = findTag(document.tagBuffer, name, sizeof name);
        if (row < 0) {
            report(run, ProblemKind::UnknownTag, name);
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
        if (knownRow(row).kind == PairCounted && run.balance[row] != 0)
            report(run, ProblemKind::UnbalancedTags, knownRow(row).name, "", run.balance[row]);
    }
    return run.problems;
}

void checkDocument(Document& document, ResultList& list) {
    ProblemLines lines(list);
    if (checkDocument(document, lines) == 0) list.append("No errors found");
}

void checkPairing(CheckRun& run, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    int32_t& balance = run.balance[close ? row - 1 : row];
    switch (knownRow(row).kind) {
        case PairStrict:
            balance += close ? -1 : 1;
            if (balance == 2) {
                report(run, ProblemKind::OpenBeforeClose, nameAsRead);
            } else if (balance < 0) {
                report(run, ProblemKind::CloseWithoutOpen, nameAsRead);
            } else {
                break;
            }
            // The tag just met is the current state from here on.
            balance = close ? 0 : 1;
            break;
        case PairCounted:
            balance += close ? -1 : 1;
            if (balance < 0) {
                report(run, ProblemKind::MoreClosesThanOpens, nameAsRead);
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
            report(run, ProblemKind::UnknownAttribute, attribute, entry.name);
        p = skipToNextAttribute(stop);
    }
}

void checkQuotes(CheckRun& run, int row) {
    int quotes = 0;
    for (const char* p = run.document.tagBuffer + 1; (p = strpbrk(p, "\">")) != nullptr && *p == '"'; ++p) ++quotes;
    if (quotes % 2 != 0) report(run, ProblemKind::UnbalancedQuotes, knownRow(row).name);
}

void checkTableContext(CheckRun& run, int row) {
    if (row == RowTable) {
        ++run.tableDepth;
    } else if (row == RowTableEnd) {
        // Extra closing tables do not count ahead: the next cells outside a table are reported.
        if (run.tableDepth > 0) --run.tableDepth;
    } else if (run.tableDepth == 0 && row >= RowFirstCell && row <= RowLastCell) {
        report(run, ProblemKind::CellOutsideTable, knownRow(row).name);
    }
}
