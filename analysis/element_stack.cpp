#include "element_stack.h"

#include "text.h"

namespace {

bool isTablePart(ElementGroup g) {
    return g == ElementGroup::TableCell || g == ElementGroup::TableRow || g == ElementGroup::TableSection ||
           g == ElementGroup::Caption || g == ElementGroup::ColumnGroup;
}

// The elements that a close tag of an element outside them doesn't reach across, as HTML
// has it: what stands in a table cell stays there.
bool crossesNoCloseTag(ElementGroup g) {
    return g == ElementGroup::Table || g == ElementGroup::TableCell || g == ElementGroup::Caption ||
           g == ElementGroup::Template;
}

// The indentation of the line of `tag` in columns (a tab to the next multiple of 8), or
// -1 when something stands before the tag on its line.
int32_t indentOf(const StackTag& tag) {
    int32_t column = 0;
    const char* p = tag.lineStart;
    for (; p < tag.at && isBlank(*p); ++p) column = *p == '\t' ? (column / 8 + 1) * 8 : column + 1;
    return p == tag.at ? column : -1;
}

}  // namespace

namespace {

// Hears nothing: what a trial of the stack finds is not the page's.
class QuietSink : public StructureSink {
public:
    void notClosed(const StackTag&, const StackTag*, bool) override {}
    void crossing(const StackTag&, const StackTag&) override {}
    void closeWithoutOpen(const StackTag&) override {}
    void shiftedBetween(const StackTag&, const StackTag&) override {}
    void withdrawCloseWithoutOpen(const StackTag&) override {}
};

}  // namespace

ElementStack::ElementStack(const TagProfile& profile, StructureSink& sink)
    : profile_(profile), sink_(sink), rows_(static_cast<size_t>(profile.rowCount()) + 1),
      openOfRow_(static_cast<size_t>(profile.rowCount()), 0) {
    rows_[0] = {ElementTraits(), PairCounted};
    for (int r = 0; r < profile.rowCount(); ++r)
        rows_[static_cast<size_t>(r) + 1] = {profile.traits(r), static_cast<PairKind>(profile.row(r).kind)};
}

ElementStack::ElementStack(const ElementStack& other, StructureSink& sink)
    : profile_(other.profile_), sink_(sink), open_(other.open_), waiting_(other.waiting_), shifted_(other.shifted_),
      reopened_(other.reopened_), blocked_(other.blocked_), lastClosed_(other.lastClosed_),
      lastClosedDepth_(other.lastClosedDepth_), rows_(other.rows_), openOfGroup_(other.openOfGroup_),
      openOfRow_(other.openOfRow_) {}

std::vector<StackTag> ElementStack::openAfterStart(const StackTag& tag, bool opens, int topRow) const {
    QuietSink quiet;
    ElementStack trial(*this, quiet);
    if (topRow != -2 && !trial.open_.empty()) {
        // The counts of open elements by group and by row follow the top's row.
        auto count = [&](int sign) {
            trial.openOfGroup_[static_cast<size_t>(trial.groupAt(trial.open_.size() - 1))] += sign;
            if (trial.open_.back().row >= 0) trial.openOfRow_[static_cast<size_t>(trial.open_.back().row)] += sign;
        };
        count(-1);
        trial.open_.back().row = topRow;
        count(1);
    }
    trial.start(tag, opens);
    return std::move(trial.open_);
}

const StackTag* ElementStack::closedElement(const StackTag& tag) const {
    const ptrdiff_t i = closedBy(tag);
    return i < 0 ? nullptr : &open_[static_cast<size_t>(i)];
}

void ElementStack::reportNotClosed(const StackTag& element, const StackTag* closedBy, bool closedThere) {
    if (!blocked_.empty() && resolveHeldOf(element)) return;
    // A misspelled element was reported at its open tag.
    if (misspelled(element)) return;
    const StackTag* const passedBy = closedBy;
    const StackTag& placed = nests(element) ? leftOpenWithin(element, closedBy) : element;
    // Placed by the indentation, it is a guess.
    sink_.notClosed(placed, closedBy, closedThere && placed.at == element.at && closedBy == passedBy);
}

bool ElementStack::passedOthers(const char* closing, const char* element) const {
    for (const Waiting& w : waiting_) {
        if (w.closedBy.at == closing && w.element.at != element) return true;
    }
    return false;
}

const StackTag& ElementStack::leftOpenWithin(const StackTag& element, const StackTag*& closedBy) const {
    const StackTag* open = &element;
    for (;;) {
        const int32_t indent = indentOf(*open);
        if (indent < 0) return *open;
        // The close tag that stands as far in as this element, taken by one inside it.
        const ShiftedPair* found = nullptr;
        for (const ShiftedPair& p : shifted_) {
            if (p.closeIndent != indent || p.open.at <= open->at || !sameElement(p.open, *open)) continue;
            if (closedBy && p.close.at >= closedBy->at) continue;
            if (!found || p.depth < found->depth) found = &p;
        }
        if (!found) return *open;
        open = &found->open;
        closedBy = &found->close;
    }
}

const StackTag& ElementStack::extraCloseBefore(const StackTag& closing) const {
    const int32_t indent = indentOf(closing);
    if (indent < 0) return closing;
    // The last pair whose open tag stands as far in as this close tag: its close tag was
    // this one's, and the pairs inside it are shifted too, back to the extra one.
    const ShiftedPair* current = nullptr;
    for (const ShiftedPair& p : shifted_) {
        if (p.openIndent == indent && sameElement(p.open, closing)) current = &p;
    }
    if (!current) return closing;
    for (;;) {
        // The last shifted pair inside it, closed before it, whose open tag stands where
        // its close tag does.
        const ShiftedPair* inner = nullptr;
        for (const ShiftedPair& p : shifted_) {
            if (&p == current) break;
            if (p.depth > current->depth && p.open.at > current->open.at && p.openIndent == current->closeIndent &&
                sameElement(p.open, closing))
                inner = &p;
        }
        if (!inner) return current->close;
        current = inner;
    }
}

bool ElementStack::sameCustomName(const StackTag& a, const StackTag& b) {
    return a.nameLength == b.nameLength && foldedEqual(a.name, b.name, a.nameLength);
}

void ElementStack::afterPop(int row, const char* at) {
    if (!waiting_.empty()) reportWaitingBelow(open_.size());
    // Once the element around it closes, a close tag of a reopened element is extra.
    for (size_t r = reopened_.size(); r-- > 0;) {
        if (reopened_[r].depth > open_.size()) reopened_.erase(reopened_.begin() + static_cast<std::ptrdiff_t>(r));
    }
    // An element whose end tag may be left out is never reported: a close tag held for it
    // stays stray. Any other is closed by its own close tag (closeAt) or reported.
    if (!blocked_.empty() && facts(row).kind == PairOptional) dropHeld(at);
}

void ElementStack::dropHeld(const char* element, const StackTag* closing) {
    for (size_t b = blocked_.size(); b-- > 0;) {
        if (blocked_[b].element != element) continue;
        if (closing) reportIfStray(blocked_[b], *closing);
        blocked_.erase(blocked_.begin() + static_cast<std::ptrdiff_t>(b));
    }
}

void ElementStack::reportIfStray(const Blocked& held, const StackTag& closing) {
    // Its element's own close tag standing as far in as the open tag: the held one, which
    // the indentation found, was one too many.
    if (!held.byIndent || held.reported.at != held.closing.at || held.depth >= open_.size() ||
        open_[held.depth].at != held.element)
        return;
    const int32_t indent = indentOf(closing);
    if (indent >= 0 && indent == indentOf(open_[held.depth])) sink_.heldWasStray(held.closing);
}

bool ElementStack::isOpen(const char* at, size_t above) const {
    for (size_t j = above; j < open_.size(); ++j) {
        if (open_[j].at == at) return true;
    }
    return false;
}

bool ElementStack::resolveHeldOf(const StackTag& element) {
    for (size_t b = blocked_.size(); b-- > 0;) {
        if (blocked_[b].element != element.at) continue;
        const Blocked held = blocked_[b];
        blocked_.erase(blocked_.begin() + static_cast<std::ptrdiff_t>(b));
        sink_.withdrawCloseWithoutOpen(held.reported);
        // What it would have crossed and closed since was crossed; what is still open was
        // left open, and is reported as such.
        if (!isOpen(held.crossed.at, 0)) sink_.crossing(held.closing, held.crossed);
        return true;
    }
    return false;
}

bool ElementStack::resolveHeldBefore(size_t i, const StackTag& tag) {
    for (size_t b = blocked_.size(); b-- > 0;) {
        if (!blocked_[b].byIndent || blocked_[b].element != open_[i].at) continue;
        const Blocked held = blocked_[b];
        blocked_.erase(blocked_.begin() + static_cast<std::ptrdiff_t>(b));
        // Another close tag for it while what the held one would have crossed is still
        // open: the held one was its, and that was left open.
        if (!isOpen(held.crossed.at, i + 1)) {
            reportIfStray(held, tag);
            return false;
        }
        sink_.withdrawCloseWithoutOpen(held.reported);
        closeAt(i, held.closing, &tag);
        return true;
    }
    return false;
}

void ElementStack::closeSwapped(const char* closed, const StackTag& tag) {
    Blocked& held = blocked_.back();
    if (held.crossed.at != closed || held.depth + 1 != open_.size() || open_[held.depth].at != held.element) return;
    for (const char* p = held.closing.end; p < tag.at; ++p) {
        if (!isBlank(*p) && *p != '\n' && *p != '\r') return;
    }
    // Two close tags written the wrong way round: the held one closes its element now.
    const Blocked swapped = held;
    blocked_.pop_back();
    sink_.withdrawCloseWithoutOpen(swapped.reported);
    sink_.crossing(swapped.closing, swapped.crossed);
    closeAt(swapped.depth, swapped.closing);
}

bool ElementStack::heldByIndent(size_t i, const StackTag& tag) {
    // Only right after a close tag of the same name that closed an element inside it:
    // the likeliest place of one written twice.
    if (lastClosedDepth_ <= i || !sameElement(lastClosed_, tag)) return false;
    const StackTag& element = open_[i];
    if (!nests(element) || element.line == tag.line) return false;
    const int32_t indent = indentOf(element);
    if (indent < 0 || indentOf(tag) == indent) return false;
    for (size_t j = i + 1; j < open_.size(); ++j) {
        if (endOptional(open_[j])) continue;
        // The close tags before it may have been shifted by an extra one.
        const StackTag& extra = extraCloseBefore(tag);
        sink_.closeWithoutOpen(extra);
        if (extra.at != tag.at) sink_.shiftedBetween(extra, tag);
        blocked_.push_back({tag, element.at, i, open_[j], true, extra});
        return true;
    }
    return false;
}

void ElementStack::removeAt(size_t i) {
    const StackTag element = open_[i];
    --openOfGroup_[static_cast<size_t>(groupAt(i))];
    open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(i));
    if (element.row >= 0) --openOfRow_[static_cast<size_t>(element.row)];
    sink_.removed(element, i);
    for (Waiting& w : waiting_) w.depth -= w.depth > i;
    for (ShiftedPair& p : shifted_) p.depth -= p.depth > i;
    for (Reopened& r : reopened_) r.depth -= r.depth > i;
    for (Blocked& b : blocked_) b.depth -= b.depth > i;
}

void ElementStack::closeDownTo(size_t k, const StackTag& cause) {
    while (open_.size() > k + 1) {
        if (!endOptional(open_.back())) reportNotClosed(open_.back(), &cause);
        pop();
    }
    pop();
}

template <typename Closes, typename Stops>
void ElementStack::closeImplied(const StackTag& cause, Closes closes, Stops stops) {
    for (size_t i = open_.size(); i-- > 0;) {
        const ElementTraits& traits = facts(open_[i].row).traits;
        if (closes(traits.group)) return closeDownTo(i, cause);
        if (stops(traits)) return;
    }
}

void ElementStack::reportWaitingBelow(size_t depth) {
    for (size_t w = 0; w < waiting_.size();) {
        if (waiting_[w].depth > depth) {
            reportNotClosed(waiting_[w].element, &waiting_[w].closedBy, waiting_[w].closedThere);
            waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(w));
        } else {
            ++w;
        }
    }
}

void ElementStack::reportWaitingNamed(const StackTag& tag) {
    for (size_t w = 0; w < waiting_.size();) {
        if (sameElement(waiting_[w].element, tag)) {
            reportNotClosed(waiting_[w].element, &waiting_[w].closedBy, waiting_[w].closedThere);
            waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(w));
        } else {
            ++w;
        }
    }
}

void ElementStack::closeForGroup(const StackTag& tag, ElementGroup group) {
    using G = ElementGroup;
    auto topGroup = [&] { return open_.empty() ? G::Other : groupAt(open_.size() - 1); };
    switch (group) {
        case G::ListItem:
            closeImplied(tag, [](G g) { return g == G::ListItem; }, [](const ElementTraits& t) { return t.special; });
            break;
        case G::DefinitionItem:
            closeImplied(tag, [](G g) { return g == G::DefinitionItem; }, [](const ElementTraits& t) { return t.special; });
            break;
        case G::Option:
            if (topGroup() == G::Option) pop();
            break;
        case G::OptionGroup:
            if (topGroup() == G::Option) pop();
            if (topGroup() == G::OptionGroup) pop();
            break;
        case G::TableRow:
            closeImplied(tag, [](G g) { return g == G::TableCell || g == G::TableRow; },
                         [](const ElementTraits& t) { return t.group == G::TableSection || t.group == G::Table; });
            // A closed cell leaves its row, which the new row closes too.
            if (topGroup() == G::TableRow) pop();
            break;
        case G::TableCell:
            closeImplied(tag, [](G g) { return g == G::TableCell; }, [](const ElementTraits& t) {
                return t.group == G::TableRow || t.group == G::TableSection || t.group == G::Table;
            });
            break;
        case G::TableSection:
        case G::Caption:
        case G::ColumnGroup:
            // Every open part of the table: a cell, its row and their section.
            do {
                closeImplied(tag, isTablePart, [](const ElementTraits& t) { return t.group == G::Table; });
            } while (isTablePart(topGroup()));
            break;
        case G::RubyText:
            closeImplied(tag, [](G g) { return g == G::RubyText; },
                         [](const ElementTraits& t) { return t.group == G::RubyTextGroup || t.group == G::Ruby; });
            break;
        case G::RubyTextGroup:
            closeImplied(tag, [](G g) { return g == G::RubyText || g == G::RubyTextGroup; },
                         [](const ElementTraits& t) { return t.group == G::Ruby; });
            break;
        case G::Heading:
            // A heading can't stand in a heading: the one that is open was left unclosed.
            if (topGroup() == G::Heading) closeReopened(open_.size() - 1, tag);
            break;
        default:
            break;
    }
}

void ElementStack::start(const StackTag& tag, bool opens) {
    const RowFacts& row = facts(tag.row);
    const ElementTraits& traits = row.traits;
    using G = ElementGroup;
    auto open = [&](G g) { return openOfGroup_[static_cast<size_t>(g)] > 0; };
    if (traits.group != G::Other) closeForGroup(tag, traits.group);
    if (traits.closesParagraph && open(G::Paragraph))
        closeImplied(tag, [](G g) { return g == G::Paragraph; }, [](const ElementTraits& t) { return t.scopeBoundary; });
    // What can't stand in head starts the body.
    if (open(G::Head) && !traits.inHead && traits.group != G::Head && traits.group != G::Html)
        closeImplied(tag, [](G g) { return g == G::Head; }, [](const ElementTraits& t) { return t.group == G::Html; });
    // A column group holds columns only.
    if (open(G::ColumnGroup) && groupAt(open_.size() - 1) == G::ColumnGroup && traits.group != G::Column &&
        traits.group != G::Template)
        pop();
    // An element that can't hold itself: the one that is open was left unclosed.
    // (A custom element's facts are never PairStrict.)
    if (row.kind == PairStrict && openOfRow_[static_cast<size_t>(tag.row)] > 0) {
        for (size_t i = open_.size(); i-- > 0;) {
            if (sameElement(open_[i], tag)) {
                closeReopened(i, tag);
                break;
            }
            if (facts(open_[i].row).traits.scopeBoundary) break;
        }
    }
    // A waiting element that can't hold itself can't still be open when it opens again;
    // one that nests may be.
    if (!waiting_.empty() && row.kind == PairStrict) reportWaitingNamed(tag);
    if (!opens) return;
    ++openOfGroup_[static_cast<size_t>(traits.group)];
    if (tag.row >= 0) ++openOfRow_[static_cast<size_t>(tag.row)];
    open_.push_back(tag);
}

void ElementStack::closeReopened(size_t i, const StackTag& tag) {
    // With nothing open in it, its end is right where the new one starts.
    if (!misspelled(open_[i])) sink_.notClosed(open_[i], &tag, i + 1 == open_.size());
    const Reopened reopened{open_[i], i};
    // An element of the text (a link): HTML takes it off and leaves what it holds open,
    // a block as it stands, a phrase (em) opened again around what follows.
    if (!facts(open_[i].row).traits.special && i + 1 < open_.size()) {
        removeAt(i);
        reopened_.push_back(reopened);
        return;
    }
    closeDownTo(i, tag);
    reopened_.push_back(reopened);
}

ptrdiff_t ElementStack::closedBy(const StackTag& tag, ptrdiff_t* blocked) const {
    const ElementGroup group = facts(tag.row).traits.group;
    const bool crossesScope = group == ElementGroup::Table || isTablePart(group);
    bool reaches = true;
    for (size_t i = open_.size(); i-- > 0;) {
        if (sameElement(open_[i], tag)) {
            if (reaches) return static_cast<ptrdiff_t>(i);
            if (blocked) *blocked = static_cast<ptrdiff_t>(i);
            return -1;
        }
        if (!crossesScope && crossesNoCloseTag(groupAt(i))) reaches = false;
    }
    return -1;
}

bool ElementStack::misspelled(const StackTag& element) const {
    return element.row >= 0 && (element.nameLength != profile_.rowNameLength(element.row) ||
                                !foldedEqual(element.name, profile_.row(element.row).name, element.nameLength));
}

void ElementStack::closeAt(size_t i, const StackTag& tag, const StackTag* now, bool plain) {
    // What it passes over: an end tag the page may leave out closes here; any other
    // element waits for its own close tag, which would cross this one. A close tag held
    // back and taken now passes over what opened after it, too: that was left open
    // before the close tag read now.
    for (size_t j = open_.size() - 1; j > i; --j) {
        if (!endOptional(open_[j]))
            waiting_.push_back({open_[j], now && open_[j].at > tag.at ? *now : tag, i, plain && !now});
    }
    // Closed by its own close tag: a close tag held for it was stray.
    if (sameElement(open_[i], tag)) {
        if (!blocked_.empty()) dropHeld(open_[i].at, &tag);
        lastClosed_ = open_[i];
        lastClosedDepth_ = i;
    }
    noteShifted(i, tag);
    while (open_.size() > i) pop();
}

void ElementStack::closeTop(const StackTag& tag) {
    const size_t i = open_.size() - 1;
    lastClosed_ = open_[i];
    lastClosedDepth_ = i;
    noteShifted(i, tag);
    pop();
}

void ElementStack::keepIfShifted(size_t i, const StackTag& tag) {
    // An element over several lines whose close tag doesn't stand as far in as its open
    // tag, or doesn't begin its line.
    const StackTag& element = open_[i];
    const int32_t openIndent = indentOf(element), closeIndent = indentOf(tag);
    if (openIndent >= 0 && openIndent != closeIndent) shifted_.push_back({element, tag, i, openIndent, closeIndent});
}

void ElementStack::closeWeighed(const StackTag& tag) {
    ptrdiff_t blocked = -1;
    const ptrdiff_t i = closedBy(tag, &blocked);
    if (i >= 0) {
        if (!blocked_.empty() && resolveHeldBefore(static_cast<size_t>(i), tag)) return close(tag);
        if (heldByIndent(static_cast<size_t>(i), tag)) return;
        const char* element = open_[static_cast<size_t>(i)].at;
        closeAt(static_cast<size_t>(i), tag, nullptr, true);
        if (!blocked_.empty()) closeSwapped(element, tag);
        return;
    }
    if (blocked >= 0) {
        sink_.closeWithoutOpen(tag);
        const size_t depth = static_cast<size_t>(blocked);
        size_t crossed = depth + 1;
        while (crossed + 1 < open_.size() && !crossesNoCloseTag(groupAt(crossed))) ++crossed;
        blocked_.push_back({tag, open_[depth].at, depth, open_[crossed], false, tag});
        return;
    }
    for (size_t w = waiting_.size(); w-- > 0;) {
        if (sameElement(waiting_[w].element, tag)) {
            sink_.crossing(waiting_[w].closedBy, waiting_[w].element);
            waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(w));
            return;
        }
    }
    for (size_t r = reopened_.size(); r-- > 0;) {
        if (sameElement(reopened_[r].element, tag)) {
            reopened_.erase(reopened_.begin() + static_cast<std::ptrdiff_t>(r));
            return;
        }
    }
    const StackTag& extra = nests(tag) ? extraCloseBefore(tag) : tag;
    sink_.closeWithoutOpen(extra);
    if (extra.at != tag.at) sink_.shiftedBetween(extra, tag);
}

const char* ElementStack::closeMisspelled(const StackTag& tag) {
    for (size_t i = open_.size(); i-- > 0;) {
        const StackTag& open = open_[i];
        if (open.nameLength != tag.nameLength || !foldedEqual(open.name, tag.name, tag.nameLength)) continue;
        const char* at = open.at;
        StackTag closing = tag;
        closing.row = open.row;
        closeAt(i, closing);
        return at;
    }
    return nullptr;
}

bool ElementStack::closeIfOpen(const StackTag& tag) {
    const ptrdiff_t i = closedBy(tag);
    if (i < 0) return false;
    closeAt(static_cast<size_t>(i), tag);
    return true;
}

void ElementStack::finish() {
    // A close tag taken for stray whose element is still open was that element's.
    std::vector<Blocked> blocked;
    blocked.swap(blocked_);
    for (const Blocked& b : blocked) {
        if (b.depth >= open_.size() || open_[b.depth].at != b.element) {
            blocked_.push_back(b);  // resolved when its element is reported
            continue;
        }
        sink_.withdrawCloseWithoutOpen(b.reported);
        // What it would have crossed closed since: a crossing; else that was left open.
        if (!isOpen(b.crossed.at, b.depth + 1) && !endOptional(open_[b.depth])) sink_.crossing(b.closing, b.crossed);
        // What opened after it was left open at the end, not before it.
        while (open_.size() > b.depth + 1 && open_.back().at > b.closing.at) {
            if (!endOptional(open_.back())) reportNotClosed(open_.back(), nullptr);
            pop();
        }
        closeAt(b.depth, b.closing);
    }
    while (!open_.empty()) {
        if (!endOptional(open_.back())) reportNotClosed(open_.back(), nullptr);
        pop();
    }
    for (const Waiting& w : waiting_) reportNotClosed(w.element, &w.closedBy, w.closedThere);
    waiting_.clear();
}
