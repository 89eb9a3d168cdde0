#include "document_check.h"

#include <cstdio>
#include <cstring>

#include "no_case.h"

namespace {

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

// Counted pairing over one balance.
void countPair(CheckRun& run, int32_t& balance, bool close, const char* nameAsRead) {
    balance += close ? -1 : 1;
    if (balance < 0) {
        report(run, ProblemKind::MoreClosesThanOpens, nameAsRead);
        balance = 0;
    }
}

// Skips what lies between the open tag of row `row`, just collected, and its close tag
// when it isn't markup to check.
void skipBody(CheckRun& run, int row) {
    const TagProfile& profile = run.profile;
    switch (profile.contents(row)) {
        case TagContents::Text:
            run.document.skipToClosingTag(profile.row(row + 1).name);
            break;
        case TagContents::Foreign:
            if (!tagSelfCloses(run.document.tagBuffer))
                run.document.skipToMatchingClosingTag(profile.row(row).name, profile.row(row + 1).name);
            break;
        case TagContents::Markup:
            break;
    }
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

int32_t checkDocument(Document& document, ProblemSink& sink, const TagProfile& profile) {
    CheckRun run(document, sink, profile);
    document.resetScan();
    // The name buffer takes one character more than a tag word has.
    char name[96];
    const int nameSize = profile.nameLength() + 2;

    while (document.advanceToTag()) {
        document.collectTag(0);
        int row = profile.findTag(document.tagBuffer, name, nameSize);
        if (row < 0) {
            const char* bare = name[0] == '/' ? name + 1 : name;
            if (profile.knowsCustomElements() && isCustomElementName(bare)) {
                checkCustomPairing(run, name);
                checkQuotes(run, capitalised(name).c_str());
            } else {
                report(run, ProblemKind::UnknownTag, name);
            }
            continue;
        }
        if (row == profile.commentRow()) continue;
        const bool open = profile.row(row).name[0] != '/';
        // An svg or math element written "<svg/>" is empty: nothing to pair or skip.
        const bool empty = open && profile.contents(row) == TagContents::Foreign && tagSelfCloses(document.tagBuffer);
        if (!empty) checkPairing(run, row, name);
        checkAttributes(run, row);
        checkQuotes(run, profile.row(row).name);
        checkTableContext(run, row);
        // Bodies that are not tags (a script's) are skipped; their close tag is checked next.
        if (open && !empty) skipBody(run, row);
    }

    for (int row = 0; row < profile.rowCount(); ++row) {
        const int32_t balance = run.balance[static_cast<size_t>(row)];
        if (profile.row(row).kind == PairCounted && balance != 0)
            report(run, ProblemKind::UnbalancedTags, profile.row(row).name, "", balance);
    }
    for (const auto& custom : run.customBalance) {
        if (custom.second != 0) report(run, ProblemKind::UnbalancedTags, custom.first.c_str(), "", custom.second);
    }
    return run.problems;
}

void checkDocument(Document& document, ResultList& list, const TagProfile& profile) {
    ProblemLines lines(list);
    if (checkDocument(document, lines, profile) == 0) list.append("No errors found");
}

void checkPairing(CheckRun& run, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    int32_t& balance = run.balance[static_cast<size_t>(close ? row - 1 : row)];
    switch (run.profile.row(row).kind) {
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
            countPair(run, balance, close, nameAsRead);
            break;
        default:
            break;
    }
}

void checkCustomPairing(CheckRun& run, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    std::string key = capitalised(close ? nameAsRead + 1 : nameAsRead);
    auto found = run.customIndex.find(key);
    if (found == run.customIndex.end()) {
        found = run.customIndex.emplace(key, run.customBalance.size()).first;
        run.customBalance.emplace_back(key, 0);
    }
    countPair(run, run.customBalance[found->second].second, close, nameAsRead);
}

void checkAttributes(CheckRun& run, int row) {
    const TagProfile& profile = run.profile;
    if (!profile.checksAttributes(row)) return;
    const char* rowName = profile.row(row).name;
    // Past the "<" and as many characters as the row's name has, never past the NUL.
    const char* p = run.document.tagBuffer + 1;
    for (size_t k = strlen(rowName); k > 0 && *p != '\0'; --k) ++p;
    // A tag cut off by the end of the text ends at its NUL instead of a ">".
    while (*p != '>' && *p != '\0') {
        char attribute[96];
        const char* stop = readAttributeName(p, attribute, profile.nameLength());
        const bool solidus = profile.ignoresSolidus() && strcmp(attribute, "/") == 0;
        if (attribute[0] != '\0' && !solidus && !profile.hasAttribute(attribute, row))
            report(run, ProblemKind::UnknownAttribute, attribute, rowName);
        p = skipToNextAttribute(stop);
    }
}

void checkQuotes(CheckRun& run, const char* tagName) {
    int quotes = 0;
    for (const char* p = run.document.tagBuffer + 1; (p = strpbrk(p, "\">")) != nullptr && *p == '"'; ++p) ++quotes;
    if (quotes % 2 != 0) report(run, ProblemKind::UnbalancedQuotes, tagName);
}

void checkTableContext(CheckRun& run, int row) {
    switch (run.profile.tableRole(row)) {
        case TableRole::Table:
            ++run.tableDepth;
            break;
        case TableRole::TableEnd:
            // Extra closing tables do not count ahead: the next cells outside a table are reported.
            if (run.tableDepth > 0) --run.tableDepth;
            break;
        case TableRole::Cell:
            if (run.tableDepth == 0) report(run, ProblemKind::CellOutsideTable, run.profile.row(row).name);
            break;
        case TableRole::None:
            break;
    }
}
