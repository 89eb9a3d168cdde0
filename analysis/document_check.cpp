#include "document_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "no_case.h"

namespace {

// Appends LineLabel, two spaces and the given pieces.
void report(CheckRun& run, std::initializer_list<const char*> pieces) {
    // A label, two spaces and at most an attribute, a tag name and the words between.
    char line[256];
    formatLineLabel(run.document.line, line);
    size_t used = strlen(line);
    memcpy(line + used, "  ", 2);
    used += 2;
    for (const char* piece : pieces) {
        size_t length = std::min(strlen(piece), sizeof line - 1 - used);
        memcpy(line + used, piece, length);
        used += length;
    }
    line[used] = '\0';
    run.list.append(line);
}

void reportUnbalanced(ResultList& list, const char* name, int32_t balance) {
    char line[128];
    snprintf(line, sizeof line, "%s\tUnbalanced tags (%d)", name, balance);
    list.append(line);
}

// Counted pairing over one balance.
void countPair(CheckRun& run, int32_t& balance, bool close, const char* nameAsRead) {
    balance += close ? -1 : 1;
    if (balance < 0) {
        report(run, {nameAsRead, " - More close tags than open tags"});
        balance = 0;
    }
}

std::string capitals(const char* name) {
    std::string out = name;
    for (char& c : out) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
    return out;
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

void checkDocument(Document& document, ResultList& list, const TagProfile& profile) {
    CheckRun run(document, list, profile);
    document.resetScan();
    const int before = list.count();
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
                checkQuotes(run, capitals(name).c_str());
            } else {
                report(run, {name, " - Unknown keyword"});
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
        if (profile.row(row).kind == PairCounted && run.balance[static_cast<size_t>(row)] != 0)
            reportUnbalanced(list, profile.row(row).name, run.balance[static_cast<size_t>(row)]);
    }
    for (const auto& custom : run.customBalance) {
        if (custom.second != 0) reportUnbalanced(list, custom.first.c_str(), custom.second);
    }
    if (list.count() == before) list.append("No errors found");
}

void checkPairing(CheckRun& run, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    int32_t& balance = run.balance[static_cast<size_t>(close ? row - 1 : row)];
    switch (run.profile.row(row).kind) {
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
            countPair(run, balance, close, nameAsRead);
            break;
        default:
            break;
    }
}

void checkCustomPairing(CheckRun& run, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    std::string key = capitals(close ? nameAsRead + 1 : nameAsRead);
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
            report(run, {attribute, " - Unknown attribute for ", rowName});
        p = skipToNextAttribute(stop);
    }
}

void checkQuotes(CheckRun& run, const char* tagName) {
    int quotes = 0;
    for (const char* p = run.document.tagBuffer + 1; (p = strpbrk(p, "\">")) != nullptr && *p == '"'; ++p) ++quotes;
    if (quotes % 2 != 0) report(run, {"<", tagName, " - Unbalanced quotes"});
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
            if (run.tableDepth == 0) report(run, {run.profile.row(row).name, " - This tag should be in a table"});
            break;
        case TableRole::None:
            break;
    }
}
