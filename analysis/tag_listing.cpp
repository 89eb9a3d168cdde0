#include "tag_listing.h"

#include <cstdio>
#include <cstring>

#include "no_case.h"

namespace {

// Reads the name of collected tag text at `afterLessThan` as the filter is matched: one
// leading "/" skipped, at most `length` characters, every comment opener read as "!-".
void readListedName(const char* afterLessThan, char* name, int length) {
    const char* p = afterLessThan;
    if (*p == '/') ++p;
    int n = 0;
    while (n < length) {
        char c = *p;
        if (c == '\0' || c == '>' || c == ' ' || c == '\n' || c == '\r') break;
        name[n++] = c;
        ++p;
        if (c == '-' && p[-2] == '!') break;
    }
    name[n] = '\0';
}

}  // namespace

int listTags(Document& document, const char* filter, ResultList& list, StatusPanes& panes,
             const TagProfile& profile) {
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

        char name[96];
        readListedName(tag + 1, name, profile.nameLength());
        profile.trimWord(name);
        if (filter[0] == '\0' || equalNoCase(name, filter)) list.append(document.tagBuffer);
        if (n > longest) longest = n;

        // Bodies that are not tags (a script's) are not listed; their close tag is.
        const int bodyEnd = tag[1] == '/' ? -1 : profile.skippedBodyEnd(name);
        if (bodyEnd < 0) continue;
        if (profile.contents(bodyEnd - 1) == TagContents::Foreign) {
            if (!tagSelfCloses(tag)) document.skipToMatchingClosingTag(profile.row(bodyEnd - 1).name, profile.row(bodyEnd).name);
        } else {
            document.skipToClosingTag(profile.row(bodyEnd).name);
        }
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
