#include "inline_exceptions.h"

#include <algorithm>
#include <cstring>

#include "byte_scan.h"
#include "text.h"

namespace {

constexpr char Prefix[] = "tagvetter-";
constexpr size_t PrefixLength = sizeof Prefix - 1;

enum class Directive : uint8_t { None, DisableNextLine, Disable, Enable };

bool isSeparator(char c) { return isTagSpace(c) || c == ','; }

bool equals(const char* word, size_t length, const char* text) {
    return strlen(text) == length && memcmp(word, text, length) == 0;
}

Directive directiveNamed(const char* word, size_t length) {
    if (length <= PrefixLength || memcmp(word, Prefix, PrefixLength) != 0) return Directive::None;
    const char* name = word + PrefixLength;
    const size_t nameLength = length - PrefixLength;
    if (equals(name, nameLength, "disable-next-line")) return Directive::DisableNextLine;
    if (equals(name, nameLength, "disable")) return Directive::Disable;
    if (equals(name, nameLength, "enable")) return Directive::Enable;
    return Directive::None;
}

}  // namespace

bool DirectiveSearch::foundBefore(const char* upTo) {
    upTo = std::min(upTo, end_);
    if (found_ || upTo <= searched_) return found_;
    // The word may stand across the end of the piece looked through before.
    const char* from = searched_ - std::min<size_t>(PrefixLength - 1, static_cast<size_t>(searched_ - text_));
    found_ = byte_scan::contains(from, upTo, Prefix, PrefixLength);
    searched_ = upTo;
    return found_;
}

void InlineExceptions::readComment(const char* from, const char* to, int32_t line, int32_t lastLine,
                                   std::vector<std::string>& unknownWords) {
    unknownWords.clear();
    // The dashes of the opener and the closer ("-->", "--!>") belong to no word.
    while (from < to && *from == '-') ++from;
    if (to - from >= 3 && to[-1] == '!' && to[-2] == '-' && to[-3] == '-') --to;
    while (to > from && to[-1] == '-') --to;
    // Most comments are no directive: their first character tells.
    const char* p = from;
    while (p < to && isSeparator(*p)) ++p;
    if (p == to || *p != Prefix[0]) return;
    auto nextWord = [&](size_t& length) {
        while (p < to && isSeparator(*p)) ++p;
        const char* word = p;
        while (p < to && !isSeparator(*p)) ++p;
        length = static_cast<size_t>(p - word);
        return word;
    };
    size_t length;
    const char* word = nextWord(length);
    const Directive directive = directiveNamed(word, length);
    if (directive == Directive::None) return;

    ProblemKinds named;
    bool any = false;
    for (word = nextWord(length); length > 0; word = nextWord(length)) {
        any = true;
        bool known = false;
        for (const ProblemKind kind : kinds_) {
            if (!equals(word, length, problemKindId(kind))) continue;
            known = true;
            // A directive's own problems stay: its kind is named to no effect.
            if (kind != ProblemKind::UnknownDirectiveKind) named.set(static_cast<size_t>(kind));
            break;
        }
        if (!known) unknownWords.emplace_back(word, std::min(length, UnknownWordLength));
    }
    if (!any) {
        for (const ProblemKind kind : kinds_) {
            if (kind != ProblemKind::UnknownDirectiveKind) named.set(static_cast<size_t>(kind));
        }
    }
    if (directive == Directive::DisableNextLine) {
        nextLines_.push_back({lastLine + 1, named});
    } else {
        ranges_.push_back({line, directive == Directive::Disable, named});
    }
    askedLine_ = -1;  // the line last asked about may be this one
}

void InlineExceptions::passLinesBefore(int32_t line) {
    for (; rangesPassed_ < ranges_.size() && ranges_[rangesPassed_].line < line; ++rangesPassed_) {
        const Change& change = ranges_[rangesPassed_];
        if (change.disables) {
            disabled_ |= change.kinds;
        } else {
            disabled_ &= ~change.kinds;
        }
    }
    while (nextLinesPassed_ < nextLines_.size() && nextLines_[nextLinesPassed_].line < line) ++nextLinesPassed_;
}

bool InlineExceptions::leavesOut(ProblemKind kind, int32_t line) {
    if (ranges_.empty() && nextLines_.empty()) return false;
    if (line == NoLine) {
        passLinesBefore(INT32_MAX);
        return disabled_.test(static_cast<size_t>(kind));
    }
    if (line != askedLine_) {
        passLinesBefore(line);
        // A line is left out for the kinds disabled before it, those its own disables name
        // (its enables end theirs after it) and those of a disable-next-line before it.
        leftOut_ = disabled_;
        for (size_t k = rangesPassed_; k < ranges_.size() && ranges_[k].line == line; ++k) {
            if (ranges_[k].disables) leftOut_ |= ranges_[k].kinds;
        }
        for (size_t k = nextLinesPassed_; k < nextLines_.size() && nextLines_[k].line == line; ++k)
            leftOut_ |= nextLines_[k].kinds;
        askedLine_ = line;
    }
    return leftOut_.test(static_cast<size_t>(kind));
}
