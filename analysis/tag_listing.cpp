#include "tag_listing.h"

#include "tag_scanner.h"
#include "text.h"

int listTags(Document& document, const char* filter, ListedTagSink& sink, const TagProfile& profile) {
    int longest = 0;
    TagScanner scanner(document, profile, ListingReading);
    while (scanner.next()) {
        const ScannedTag& tag = scanner.tag();
        if (filter[0] == '\0' || equalNoCase(tag.name + (tag.closing ? 1 : 0), filter)) {
            sink.tag({tag.line, tag.text});
        }
        if (tag.length > longest) longest = tag.length;
    }
    return longest;
}

std::string tagFilterOf(const std::string& name) {
    std::string filter = name.substr(0, name.find('\t'));
    if (!filter.empty() && filter[0] == '/') filter.erase(0, 1);
    return filter;
}
