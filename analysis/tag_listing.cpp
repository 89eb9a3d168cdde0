#include "tag_listing.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "no_case.h"
#include "tag_scanner.h"

int listTags(Document& document, const char* filter, ResultList& list, StatusPanes& panes,
             const TagProfile& profile) {
    int longest = 0;
    TagScanner scanner(document, profile, ListingReading);
    while (scanner.next()) {
        const ScannedTag& tag = scanner.tag();
        if (filter[0] == '\0' || equalNoCase(tag.name + (tag.closing ? 1 : 0), filter)) {
            // The tag's text is listed up to its first NUL, as a C string ends.
            char label[12];
            formatLineLabel(tag.line - 1, label);
            list.append((std::string(label) + "  " + tag.text).c_str());
        }
        if (tag.length > longest) longest = tag.length;
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
