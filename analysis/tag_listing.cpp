#include "tag_listing.h"

#include <cstdio>
#include <cstring>

#include "known_tags.h"
#include "no_case.h"

namespace {

// Reads the name of collected tag text at `afterLessThan` as the filter is matched: one
// leading "/" skipped, at most 18 characters, every comment opener read as "!-".
void readListedName(const char* afterLessThan, char* name) {
    const char* p = afterLessThan;
    if (*p == '/') ++p;
    int n = 0;
    while (n < 18) {
        char c = *p;
        if (c == '\0' || c == '>' || c == ' ' || c == '\n' || c == '\r') break;
        name[n++] = c;
        ++p;
        if (c == '-' && p[-2] == '!') break;
    }
    name[n] = '\0';
}

}  // namespace

int listTags(Document& document, const char* filter, ResultList& list, StatusPanes& panes) {
    document.resetScan();
    int longest = 0;
    while (document.advanceToTag()) {
        formatLineLabel(document.line, document.tagBuffer);
        size_t offset = strlen(document.tagBuffer);
        memcpy(document.tagBuffer + offset, "  ", 2);
        offset += 2;
        int n = document.collectTag(static_cast<int>(offset));
        // collectTag may have moved the buffer while growing it.
        const char* tag = document.tagBuffer + offset;

        bool listed = filter[0] == '\0';
        if (!listed) {
            char name[19];
            readListedName(tag + 1, name);
            listed = equalNoCase(name, filter);
        }
        if (listed) list.append(document.tagBuffer);
        if (n > longest) longest = n;

        if (startsWithTagName(tag + 1, RowScript)) document.skipToClosingTag(RowScriptEnd);
        if (startsWithTagName(tag + 1, RowPre)) document.skipToClosingTag(RowPreEnd);
    }
    char summary[32];
    snprintf(summary, sizeof summary, "Longest: %d", longest);
    panes.setText(1, summary);
    return longest;
}

std::string tagFilterOfLine(const std::string& line) {
    std::string filter = line.substr(0, line.find('\t'));
    if (!filter.empty() && filter[0] == '/') filter.erase(0, 1);
    return filter;
}
