#include "content_model.h"

#include <algorithm>

#include "text.h"

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// True when the space-separated words of `value` (`length` bytes) hold `word`, letter case ignored.
bool holdsWord(const char* value, size_t length, const std::string& word) {
    size_t i = 0;
    while (i < length) {
        while (i < length && isSpace(value[i])) ++i;
        size_t start = i;
        while (i < length && !isSpace(value[i])) ++i;
        if (i - start == word.size() && foldedEqual(word.c_str(), value + start, word.size())) return true;
    }
    return false;
}

}  // namespace

ContentCheck::ContentCheck(const TagProfile& profile, const ElementStack& stack, ContentSink& sink)
    : profile_(profile), stack_(stack), sink_(sink) {
    for (int r = 0; r < profile.rowCount(); ++r) {
        if (profile.opensText(r) || profile.row(r).name[0] == '/') continue;
        int* slot = nullptr;
        switch (profile.traits(r).group) {
            case ElementGroup::Html: slot = &htmlRow_; break;
            case ElementGroup::Head: slot = &headRow_; break;
            case ElementGroup::Body: slot = &bodyRow_; break;
            case ElementGroup::TableSection: slot = &sectionRow_; break;
            case ElementGroup::ColumnGroup: slot = &columnGroupRow_; break;
            default: break;
        }
        if (slot && *slot < 0 && profile.content(r).known) *slot = r;
    }
    rows_.reserve(static_cast<size_t>(profile.rowCount()) + 1);
    // A custom element is flow and phrasing content, placed as any other, and holds anything.
    rows_.push_back({nullptr, CategoryFlow | CategoryPhrasing, false, true, false, false, false, true, false, false, false, 0});
    for (int r = 0; r < profile.rowCount(); ++r) {
        const TagProfile::ContentRules& rules = profile.content(r);
        const ElementGroup group = profile.traits(r).group;
        const bool html = group == ElementGroup::Html;
        const bool free = html || group == ElementGroup::Head || group == ElementGroup::Body || rules.anywhere;
        const bool barrier = group == ElementGroup::Template;
        rows_.push_back({&rules, rules.categories, !rules.conditional.empty(), rules.known && !free,
                         !rules.needs.empty() || rules.follows >= 0,
                         barrier || rules.forbidsCategories != 0 || !rules.forbidsRows.empty(), barrier,
                         !html && (!rules.known || (!rules.checksChildren && !rules.transparent)), html,
                         group == ElementGroup::Table, rules.transparent, rules.holdsCategories});
    }
}

std::string ContentCheck::nameOfRow(int row) const { return lowerCased(profile_.row(row).name); }

uint16_t ContentCheck::categoriesOf(int row, const std::vector<ScannedAttribute>& attributes) const {
    const RowFacts& f = facts(row);
    uint16_t categories = f.categories;
    if (!f.conditional) return categories;
    const TagProfile::ContentRules& rules = *f.rules;
    for (const ConditionalCategory& c : rules.conditional) {
        bool holds = false;
        for (const ScannedAttribute& a : attributes) {
            if (a.length != c.attribute.size() || !foldedEqual(c.attribute.c_str(), a.name, a.length)) continue;
            holds = c.value.empty() || (a.value && holdsWord(a.value, a.valueLength, c.value));
            break;
        }
        if (holds != c.negated) categories |= c.category;
    }
    return categories;
}

bool ContentCheck::takes(const TagProfile::ContentRules& holder, int row, uint16_t categories) const {
    return (categories & holder.holdsCategories) != 0 || (row >= 0 && TagProfile::hasRow(holder.holdsRows, row));
}

bool ContentCheck::takenAtTop(int row, uint16_t categories) const {
    // With no parent an element stands in html, in head when it may, or in body.
    if (row >= 0 && profile_.traits(row).inHead) return true;
    for (int r : {htmlRow_, headRow_, bodyRow_}) {
        if (r < 0 || takes(profile_.content(r), row, categories)) return true;
    }
    return false;
}

size_t ContentCheck::refusedBy(int row, uint16_t categories, const std::vector<StackTag>& open, size_t top) const {
    for (size_t i = top; i-- > 0;) {
        const RowFacts& f = facts(open[i].row);
        if (f.holdsAnything) return Fits;
        // In html an element stands where it would with no parent: in head or body.
        if (f.html) break;
        if ((categories & f.holdsCategories) != 0 || (row >= 0 && TagProfile::hasRow(f.rules->holdsRows, row)))
            return Fits;
        if (f.transparent) continue;
        // A table holds its rows and columns in the body and column group it may leave out.
        if (f.table) {
            for (int implied : {sectionRow_, columnGroupRow_}) {
                if (implied >= 0 && takes(profile_.content(implied), row, categories)) return Fits;
            }
        }
        return i;
    }
    return takenAtTop(row, categories) ? Fits : top;
}

bool ContentCheck::checkPlace(const StackTag& tag, size_t top, uint16_t categories) {
    const size_t by = refusedBy(tag.row, categories, stack_.openElements(), top);
    if (by == Fits) return true;
    reportRefused(tag, by, top);
    return false;
}

void ContentCheck::reportRefused(const StackTag& tag, size_t by, size_t top) {
    const std::vector<StackTag>& open = stack_.openElements();
    if (by < top) {
        sink_.misplaced(tag, &open[by], std::string(), false);
    } else {
        sink_.misplaced(tag, nullptr, bodyRow_ >= 0 ? nameOfRow(bodyRow_) : std::string("body"), false);
    }
}

bool ContentCheck::wouldHold(int holder, int row, const std::vector<ScannedAttribute>& attributes) const {
    if (holder < 0 || row < 0 || profile_.content(holder).transparent || profile_.content(row).anywhere) return true;
    const TagProfile::ContentRules& rules = profile_.content(row);
    const uint16_t categories = rules.known ? categoriesOf(row, attributes) : CategoryFlow | CategoryPhrasing;
    const std::vector<StackTag> open = {StackTag{holder, nullptr, 0, nullptr, nullptr, 0, nullptr}};
    return refusedBy(row, categories, open, 1) == Fits;
}

bool ContentCheck::wouldStand(int row, const std::vector<ScannedAttribute>& attributes,
                              const std::vector<StackTag>& open, size_t top) const {
    const TagProfile::ContentRules& rules = profile_.content(row);
    const ElementGroup group = profile_.traits(row).group;
    // Ruby's parts, whose rules an older table may lack, stand in a ruby or nowhere.
    if (group == ElementGroup::RubyText || group == ElementGroup::RubyTextGroup) {
        return std::any_of(open.begin(), open.begin() + static_cast<std::ptrdiff_t>(top), [&](const StackTag& t) {
            return t.row >= 0 && profile_.traits(t.row).group == ElementGroup::Ruby;
        });
    }
    if (rules.anywhere || group == ElementGroup::Html || group == ElementGroup::Head || group == ElementGroup::Body)
        return true;
    // An element the table gives no rules (an obsolete one) is taken for text, as most
    // are: it stands where text may.
    const uint16_t categories = rules.known ? categoriesOf(row, attributes) : CategoryFlow | CategoryPhrasing;
    return refusedBy(row, categories, open, top) == Fits;
}

void ContentCheck::checkForbidden(const StackTag& tag, size_t top, uint16_t categories) {
    const std::vector<StackTag>& open = stack_.openElements();
    // What a reported element holds is not reported again for an ancestor outside it.
    const size_t floor = reported_.empty() ? 0 : reported_.back().second + 1;
    for (size_t f = forbidding_.size(); f-- > 0;) {
        const Forbidding& by = forbidding_[f];
        if (by.barrier || by.depth < floor || by.depth >= top) break;
        const TagProfile::ContentRules& rules = profile_.content(open[by.depth].row);
        if ((categories & rules.forbidsCategories) != 0 ||
            (tag.row >= 0 && TagProfile::hasRow(rules.forbidsRows, tag.row))) {
            sink_.misplaced(tag, &open[by.depth], std::string(), true);
            return;
        }
    }
}

void ContentCheck::meetNeeds(const StackTag& tag, size_t top) {
    // The children a watched parent needs.
    const std::vector<StackTag>& open = stack_.openElements();
    if (!watched_.empty() && top > 0 && watched_.back().element.at == open[top - 1].at && tag.row >= 0) {
        Watched& w = watched_.back();
        const TagProfile::ContentRules& parent = profile_.content(w.element.row);
        for (size_t g = 0; g < parent.needs.size() && g < 32; ++g) {
            for (int r : parent.needs[g]) {
                if (r == tag.row) w.met |= uint32_t(1) << g;
            }
        }
        if (tag.row == parent.follows) w.pendingFollow = tag.line;
        if (tag.row == parent.followedBy) w.pendingFollow = 0;
    }
}

void ContentCheck::stoodIn(const StackTag& tag, bool opened) {
    meetNeeds(tag, stack_.openElements().size() - (opened ? 1 : 0));
}

void ContentCheck::started(const StackTag& tag, bool opened, const std::vector<ScannedAttribute>& attributes) {
    const size_t top = stack_.openElements().size() - (opened ? 1 : 0);
    const RowFacts& f = facts(tag.row);
    if (!watched_.empty()) meetNeeds(tag, top);

    // html, head and body are where the page's own tags put them; an element that goes
    // anywhere is never misplaced.
    bool misplaced = false;
    if (f.placed) {
        const uint16_t categories = f.conditional ? categoriesOf(tag.row, attributes) : f.categories;
        misplaced = !checkPlace(tag, top, categories);
        if (!misplaced && !forbidding_.empty()) checkForbidden(tag, top, categories);
    }
    if (!opened) return;
    if (misplaced) reported_.push_back({tag.at, top});
    if (f.watched) watched_.push_back({tag, 0, 0});
    if (f.forbidding) {
        // Filled where it stays: a copy read whole from fields just written would wait on them.
        Forbidding& by = forbidding_.emplace_back();
        by.at = tag.at;
        by.depth = top;
        by.barrier = f.barrier;
    }
}

void ContentCheck::removed(const StackTag& element, size_t index) {
    // What it held is one place lower in the stack.
    for (size_t r = reported_.size(); r-- > 0;) {
        if (reported_[r].first == element.at) {
            reported_.erase(reported_.begin() + static_cast<std::ptrdiff_t>(r));
        } else if (reported_[r].second > index) {
            --reported_[r].second;
        }
    }
    for (size_t f = forbidding_.size(); f-- > 0;) {
        if (forbidding_[f].at == element.at) {
            forbidding_.erase(forbidding_.begin() + static_cast<std::ptrdiff_t>(f));
        } else if (forbidding_[f].depth > index) {
            --forbidding_[f].depth;
        }
    }
    for (size_t w = watched_.size(); w-- > 0;) {
        if (watched_[w].element.at != element.at) continue;
        // Its children are counted no more: what follows isn't its.
        if (w + 1 == watched_.size()) return closedWatched();
        watched_.erase(watched_.begin() + static_cast<std::ptrdiff_t>(w));
    }
}

void ContentCheck::closedWatched() {
    const Watched w = watched_.back();
    watched_.pop_back();
    const TagProfile::ContentRules& rules = profile_.content(w.element.row);
    for (size_t g = 0; g < rules.needs.size() && g < 32; ++g) {
        if (w.met >> g & 1) continue;
        std::string what;
        for (int r : rules.needs[g]) what += (what.empty() ? "" : " or ") + nameOfRow(r);
        sink_.missingChild(w.element, what, 0);
    }
    if (w.pendingFollow != 0 && rules.followedBy >= 0)
        sink_.missingChild(w.element, nameOfRow(rules.followedBy) + " after " + nameOfRow(rules.follows),
                           w.pendingFollow);
}
