#include "known_tag_reference.h"

#include <algorithm>

#include "text.h"

namespace {

std::string lineOf(const ReferenceRow& row) {
    return std::string(row.name) + '\t' + row.description + '\t' + row.attributes;
}

int compareRows(const ReferenceRow& a, const ReferenceRow& b) {
    int r = compareNoCase(a.name + (a.name[0] == '/'), b.name + (b.name[0] == '/'));
    if (r != 0) return r;
    return compareNoCase(lineOf(a).c_str(), lineOf(b).c_str()) < 0 ? 1 : -1;
}

}  // namespace

std::vector<ReferenceRow> knownTagRows(const TagProfile& profile) {
    std::vector<ReferenceRow> rows;
    rows.reserve(static_cast<size_t>(profile.rowCount()) + 1);
    for (int r = 0; r < profile.rowCount(); ++r) {
        const TagEntry& entry = profile.row(r);
        ReferenceRow row{entry.name, entry.description, std::string()};
        for (const char* const* a = entry.attributes; **a; ++a) row.attributes.append(*a).push_back(' ');
        rows.push_back(std::move(row));
    }
    std::string globals = profile.globalAttributeText();
    if (!globals.empty()) rows.push_back({"*", "Attributes of every tag", std::move(globals)});
    std::sort(rows.begin(), rows.end(), [](const ReferenceRow& a, const ReferenceRow& b) { return compareRows(a, b) < 0; });
    return rows;
}
