#include "unified_diff.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t Context = 3;

// The lines of `text`, each with its line feed when it has one.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t feed = text.find('\n', at);
        const size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

// One line of each text side by side, or a line of one of them alone.
struct Step {
    char mark;       // ' ', '-' or '+'
    size_t before;   // the line's index in before (for ' ' and '-')
    size_t after;    // in after (for ' ' and '+')
};

// The steps from `a` to `b`. Mends keep the number of lines, so the lines pair one to one
// and only those that differ change; otherwise what lies between the common beginning and
// the common end is replaced whole, which is a true diff, if not the shortest.
std::vector<Step> stepsOf(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    std::vector<Step> steps;
    if (a.size() == b.size()) {
        for (size_t i = 0; i < a.size();) {
            if (a[i] == b[i]) {
                steps.push_back({' ', i, i});
                ++i;
                continue;
            }
            // A run of changed lines: all of its old lines, then all of its new ones.
            size_t end = i;
            while (end < a.size() && a[end] != b[end]) ++end;
            for (size_t j = i; j < end; ++j) steps.push_back({'-', j, j});
            for (size_t j = i; j < end; ++j) steps.push_back({'+', j, j});
            i = end;
        }
        return steps;
    }
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    for (size_t i = 0; i < head; ++i) steps.push_back({' ', i, i});
    for (size_t i = head; i < a.size() - tail; ++i) steps.push_back({'-', i, 0});
    for (size_t j = head; j < b.size() - tail; ++j) steps.push_back({'+', 0, j});
    for (size_t k = tail; k-- > 0;) steps.push_back({' ', a.size() - 1 - k, b.size() - 1 - k});
    return steps;
}

// "@@ -START,COUNT" as diff writes it: ",1" left out, and for no lines the line before.
std::string range(size_t first, size_t count) {
    std::string text = std::to_string(count == 0 ? first : first + 1);
    if (count != 1) text += "," + std::to_string(count);
    return text;
}

}  // namespace

std::string gitQuotedPath(const std::string& path) {
    const bool plain = std::none_of(path.begin(), path.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u >= 0x7f || c == '"' || c == '\\';
    });
    if (plain) return path;
    std::string quoted = "\"";
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        const char* named = nullptr;
        switch (c) {
            case '\a': named = "\\a"; break;
            case '\b': named = "\\b"; break;
            case '\t': named = "\\t"; break;
            case '\n': named = "\\n"; break;
            case '\v': named = "\\v"; break;
            case '\f': named = "\\f"; break;
            case '\r': named = "\\r"; break;
            case '"': named = "\\\""; break;
            case '\\': named = "\\\\"; break;
            default: break;
        }
        if (named) {
            quoted += named;
        } else if (u < 0x20 || u >= 0x7f) {
            quoted += '\\';
            quoted += static_cast<char>('0' + (u >> 6));
            quoted += static_cast<char>('0' + ((u >> 3) & 7));
            quoted += static_cast<char>('0' + (u & 7));
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string unifiedDiff(const std::string& path, std::string_view before, std::string_view after) {
    if (before == after) return std::string();
    const std::vector<std::string_view> a = linesOf(before), b = linesOf(after);
    const std::vector<Step> steps = stepsOf(a, b);
    std::string out = "--- " + gitQuotedPath("a/" + path) + "\n+++ " + gitQuotedPath("b/" + path) + "\n";
    auto line = [&](char mark, std::string_view text) {
        out += mark;
        out.append(text.data(), text.size());
        if (text.empty() || text.back() != '\n') out += "\n\\ No newline at end of file\n";
    };
    size_t i = 0;
    while (i < steps.size()) {
        if (steps[i].mark == ' ') {
            ++i;
            continue;
        }
        // A hunk: the context before this change, the changes that follow with no more
        // than twice the context between them, the context after the last.
        const size_t start = i >= Context ? i - Context : 0;
        size_t lastChange = i;
        for (size_t k = i + 1; k < steps.size(); ++k) {
            if (steps[k].mark == ' ') continue;
            if (k - lastChange - 1 > 2 * Context) break;
            lastChange = k;
        }
        const size_t end = std::min(steps.size(), lastChange + 1 + Context);
        // Each side's first line is the count of its lines before the hunk.
        size_t oldFirst = 0, newFirst = 0, oldCount = 0, newCount = 0;
        for (size_t k = 0; k < end; ++k) {
            const bool old = steps[k].mark != '+', now = steps[k].mark != '-';
            (k < start ? oldFirst : oldCount) += old ? 1 : 0;
            (k < start ? newFirst : newCount) += now ? 1 : 0;
        }
        out += "@@ -" + range(oldFirst, oldCount) + " +" + range(newFirst, newCount) + " @@\n";
        for (size_t k = start; k < end; ++k) {
            const Step& s = steps[k];
            line(s.mark, s.mark == '+' ? b[s.after] : a[s.before]);
        }
        i = end;
    }
    return out;
}
