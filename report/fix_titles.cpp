#include "fix_titles.h"

namespace {

constexpr size_t MostShown = 40;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// `text` as a title shows it: without the white space around it, cut short on a
// character's first byte.
std::string shown(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    if (begin == end) return "white space";
    std::string_view kept = text.substr(begin, end - begin);
    size_t cut = std::min(kept.find_first_of("\r\n"), kept.size());
    if (cut > MostShown) {
        cut = MostShown;
        while (cut > 0 && (static_cast<unsigned char>(kept[cut]) & 0xC0) == 0x80) --cut;
    }
    if (cut == kept.size()) return std::string(kept);
    return std::string(kept.substr(0, cut)) + "\xE2\x80\xA6";
}

std::string said(std::string_view text, const OwnedEdit& edit) {
    const std::string_view before = text.substr(edit.from, edit.to - edit.from);
    if (before.empty()) return "Insert " + shown(edit.text);
    if (edit.text.empty()) return "Remove " + shown(before);
    return "Replace " + shown(before) + " with " + shown(edit.text);
}

}  // namespace

std::string fixTitle(std::string_view text, const std::vector<OwnedEdit>& edits) {
    std::string title, last;
    for (const OwnedEdit& edit : edits) {
        if (edit.from > edit.to || edit.to > text.size()) continue;
        std::string words = said(text, edit);
        if (words == last) continue;
        last = words;
        if (!title.empty()) {
            words[0] = static_cast<char>(words[0] - 'A' + 'a');
            title += " and ";
        }
        title += words;
    }
    return title;
}

std::string fixAllTitle(size_t fixes) {
    return "Fix " + std::to_string(fixes) + (fixes == 1 ? " problem" : " problems");
}
