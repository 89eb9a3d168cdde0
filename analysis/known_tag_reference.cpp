#include "known_tag_reference.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "text.h"

namespace {

// Copies the name field of a row (before its first tab), one leading "/" set aside.
std::string nameField(const char* row) {
    if (*row == '/') ++row;
    return std::string(row, strcspn(row, "\t"));
}

// Appends `text` and then `end` at `out`, and gives the position after them.
char* put(char* out, const char* text, size_t length, char end) {
    memcpy(out, text, length);
    out[length] = end;
    return out + length + 1;
}

}  // namespace

bool listKnownTags(ResultList& list, const TagProfile& profile) {
    list.empty();
    const std::string globals = profile.globalAttributeText();
    const char* const everyTag[] = {"*", "Attributes of every tag", globals.c_str()};
    const int lineCount = profile.rowCount() + (globals.empty() ? 0 : 1);

    // All the lines in one block: each row's name, description and attributes, two tabs
    // and a NUL.
    size_t bytes = strlen(everyTag[0]) + strlen(everyTag[1]) + globals.size() + 3;
    for (int r = 0; r < profile.rowCount(); ++r) {
        const TagEntry& entry = profile.row(r);
        bytes += strlen(entry.name) + strlen(entry.description) + 3;
        for (const char* const* a = entry.attributes; **a; ++a) bytes += strlen(*a) + 1;
    }
    char* block = static_cast<char*>(malloc(bytes));
    std::vector<const char*> order;
    if (!block) return false;
    order.reserve(static_cast<size_t>(lineCount));

    char* w = block;
    for (int r = 0; r < profile.rowCount(); ++r) {
        const TagEntry& entry = profile.row(r);
        order.push_back(w);
        w = put(w, entry.name, strlen(entry.name), '\t');
        w = put(w, entry.description, strlen(entry.description), '\t');
        for (const char* const* a = entry.attributes; **a; ++a) w = put(w, *a, strlen(*a), ' ');
        *w++ = '\0';
    }
    if (!globals.empty()) {
        order.push_back(w);
        w = put(w, everyTag[0], strlen(everyTag[0]), '\t');
        w = put(w, everyTag[1], strlen(everyTag[1]), '\t');
        w = put(w, globals.c_str(), globals.size(), '\0');
    }
    std::sort(order.begin(), order.end(), [](const char* a, const char* b) { return compareReferenceRows(a, b) < 0; });
    for (const char* line : order) list.append(line);
    free(block);
    return true;
}

int compareReferenceRows(const char* a, const char* b) {
    int r = compareNoCase(nameField(a).c_str(), nameField(b).c_str());
    if (r != 0) return r;
    return compareNoCase(a, b) < 0 ? 1 : -1;
}
