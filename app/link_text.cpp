#include "link_text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == ':' || c == '\\'; }

// The last separator of `path`, or null.
const char* lastSeparator(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p; ++p) {
        if (isSeparator(*p)) last = p;
    }
    return last;
}

// Lines this long or longer are not followed.
constexpr size_t LongestFollowedLine = 258;

}  // namespace

char* findText(char* text, const char* pattern) { return *pattern ? strstr(text, pattern) : nullptr; }

const char* fileNamePart(const char* path, char* out, size_t n) {
    const char* last = lastSeparator(path);
    const char* from = (last == nullptr || last == path) ? path : last + 1;
    size_t i = 0;
    for (; i + 1 < n && from[i]; ++i) out[i] = from[i];
    if (n > 0) out[i] = '\0';
    return from + i;
}

void cutToDirectory(char* path) {
    const char* last = lastSeparator(path);
    if (last == nullptr || last == path) {
        path[0] = '\0';
    } else {
        path[last - path + 1] = '\0';
    }
}

const char* findExtension(const char* path) {
    size_t length = strlen(path);
    if (length == 0) return nullptr;
    for (size_t i = length; i-- > 0;) {
        char c = path[i];
        if (c == '.') return path + i;
        if (c == '\\' || c == ':') return i == length - 1 ? nullptr : path + length;
    }
    return path + length;
}

namespace {

// Joins the file name of the link value at `value`, in the lower-cased `text`, to the
// folder of `documentPath`: spaces, quotes and "=" before the value are skipped, as in a
// tag, and only a .htm or .html file is followed.
LinkTarget joinLinkedFile(char* text, char* value, const char* documentPath, char* joined) {
    while (*value == ' ' || *value == '"' || *value == '=') ++value;
    // The value ends at a quote, at a fragment, at the tag's end, or at the end of the text
    // when the tag was cut off by the end of the document.
    value[strcspn(value, "\"#>")] = '\0';

    const char* extension = findExtension(text);
    if (!extension || (compareNoCase(extension, ".htm") != 0 && compareNoCase(extension, ".html") != 0))
        return LinkTarget::None;

    char name[LinkNameSize];
    fileNamePart(value, name, sizeof name);

    std::string folder(documentPath);
    cutToDirectory(&folder[0]);
    folder.resize(strlen(folder.c_str()));
    std::string path = folder + name;
    size_t kept = std::min(path.size(), LinkLineSize - 1);
    memcpy(joined, path.data(), kept);
    joined[kept] = '\0';
    return kept == path.size() ? LinkTarget::Joined : LinkTarget::TooLong;
}

}  // namespace

LinkTarget linkedFilePath(const char* tagText, const char* documentPath, char* joined) {
    if (strlen(tagText) > LongestFollowedLine) return LinkTarget::None;
    char text[LinkLineSize];
    strcpy(text, tagText);
    lowerCaseAscii(text);
    char* value = findText(text, "href");
    return value ? joinLinkedFile(text, value + 4, documentPath, joined) : LinkTarget::None;
}

LinkTarget targetFilePath(const char* target, const char* documentPath, char* joined) {
    if (strlen(target) > LongestFollowedLine) return LinkTarget::None;
    char text[LinkLineSize];
    strcpy(text, target);
    lowerCaseAscii(text);
    return joinLinkedFile(text, text, documentPath, joined);
}
