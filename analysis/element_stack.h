// The stack of open elements of an html4 or html5 page, built as the HTML standard builds
// it: void elements never open; the end tags a page may leave out are closed where the
// standard closes them (a p by the start of a block, an li by the next li, a cell by the
// next cell or row, ...); an element whose end tag is required and that is still open
// when an element around it closes, or at the end of the page, is not closed.
//
// An element that a close tag of an outer one passes over may still be closed later:
// that is two elements crossing (<b>x<i>y</b>z</i>), one fault, reported at the close tag
// that crosses. Until its own close tag comes, such an element waits; it is reported as
// not closed when the element around the one that passed it closes, when a tag of its
// name opens again and it can't hold itself, or at the end.
//
// Elements that nest (div in div) pair by their order alone, so a left-out or an extra
// close tag shows only where the count finally fails, often far away. Hand-written and
// generated pages are mostly indented, though: a tag that begins its line stands as far
// in as the tag that pairs with it. Where a pair of such tags stands differently, the
// stack remembers it, and places the fault by the indentation: a close tag that pairs
// with nothing is put back where the run of shifted pairs before it begins, and an
// element left open is the innermost one whose close tag went to an outer element.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "tag_profile.h"

// After a fault the stack goes on from the tree the author most likely meant, so that one
// fault is reported once: a close tag that can't reach its element across a table cell or
// the like (as in HTML) is stray and changes nothing; an element that can't hold itself,
// closed when it opens again, takes the close tag that was written for it; a misspelled
// element stands for the one its name is nearest to (the check chooses it) and pairs with
// its close tag, spelled either way; a close tag that would cross an element whose end
// tag is required, right after one of its name and not standing where its element's open
// tag does, is held as extra until its element closes: by a close tag of its own (it was
// extra), or otherwise (it was that element's, and crossed). A link opened in a link only
// takes the first one off, as HTML does, leaving what it held open.
//
// An open or close tag as the stack takes it.
struct StackTag {
    int row;                // the open row of its element, or -1 for a custom element
    const char* name;       // as read, without "/", in the document's text
    uint32_t nameLength;
    const char* at;         // its "<"
    const char* lineStart;  // the line of its "<"
    int32_t line;
    const char* end;        // one past its ">", or where it stopped
};

// What the stack finds wrong.
class StructureSink {
public:
    virtual ~StructureSink() = default;
    // `element` was not closed before `closedBy` (null: the end of the page). `closedThere`:
    // its end is where `closedBy` put it (the close tag of an element around it, or an
    // element of its own name starting in it while nothing else is open in it), with no
    // guess of the stack's (indentation, a held close tag), so that its own close tag right
    // before `closedBy` leaves the tree as it is.
    virtual void notClosed(const StackTag& element, const StackTag* closedBy, bool closedThere) = 0;
    // `closing` closed an outer element across the open `crossed`, which closed later.
    virtual void crossing(const StackTag& closing, const StackTag& crossed) = 0;
    // `closing` closes no open element.
    virtual void closeWithoutOpen(const StackTag& closing) = 0;
    // The extra close tag `extra`, found by the indentation when `last` had nothing left to
    // close: each close tag of its element between them closed the element meant for the
    // next, so what they crossed follows from the extra one.
    virtual void shiftedBetween(const StackTag& extra, const StackTag& last) = 0;
    // `closing`, held and reported by the indentation as closing no open element, was
    // one too many for sure: its element closed later by a close tag of its own that
    // stands as far in as its open tag.
    virtual void heldWasStray(const StackTag& /*closing*/) {}
    // `closing`, reported as closing no open element, closed one after all.
    virtual void withdrawCloseWithoutOpen(const StackTag& closing) = 0;
    // `element` leaves the stack, by its close tag or another's, or at the end.
    virtual void closed(const StackTag& /*element*/) {}
    // `element`, at `index` in the stack, leaves it while what it holds stays open: the
    // elements above it are one place lower from now on.
    virtual void removed(const StackTag& element, size_t /*index*/) { closed(element); }
};

class ElementStack {
public:
    ElementStack(const TagProfile& profile, StructureSink& sink);
    // A copy of `other` that tells `sink` what it finds: a trial that leaves `other` as it is.
    ElementStack(const ElementStack& other, StructureSink& sink);

    // A start tag; `opens` is false for a void element or a self-closing tag, which
    // close what their start closes but hold nothing.
    void start(const StackTag& tag, bool opens);
    // A close tag.
    void close(const StackTag& tag) {
        // Most close tags close the element on top, with no close tag held back: nothing
        // stands between them to weigh.
        if (blocked_.empty() && !open_.empty() && sameElement(open_.back(), tag)) return closeTop(tag);
        closeWeighed(tag);
    }
    // A close tag whose name is unknown: the "<" of the open element it closed, whose start
    // tag was spelled as it is (a misspelled element, opened under its nearest name); null
    // when it closed none.
    const char* closeMisspelled(const StackTag& tag);
    // A close tag that only closes: true when its element was open and is now closed;
    // false, with nothing reported or changed, when it wasn't.
    bool closeIfOpen(const StackTag& tag);
    // The end of the page: whatever is still open and must be closed is reported.
    void finish();
    // The open elements as they would stand after the start tag `tag` (as start takes it),
    // nothing reported or changed.
    // `topRow`: the open element on top taken for one of that row (-2: as it is).
    std::vector<StackTag> openAfterStart(const StackTag& tag, bool opens, int topRow = -2) const;
    // The open element the close tag `tag` would close, or null.
    const StackTag* closedElement(const StackTag& tag) const;
    // The open elements, the outermost first.
    const std::vector<StackTag>& openElements() const { return open_; }
    // True while a table is open.
    bool inTable() const { return openOfGroup_[static_cast<size_t>(ElementGroup::Table)] > 0; }
    // Whether the close tag at `closing` passed over an element with a required end tag
    // besides `element`, one still waiting for its own.
    bool passedOthers(const char* closing, const char* element) const;

private:
    struct Waiting {
        StackTag element;
        StackTag closedBy;
        size_t depth;  // the stack's size once the close tag that passed it had closed
        bool closedThere;  // passed by a close tag read as HTML reads it (no held one)
    };
    // An element that nests, over several lines, whose open tag begins its line and whose
    // close tag stands at another indentation (-1: it doesn't begin its line).
    struct ShiftedPair {
        StackTag open;
        StackTag close;
        size_t depth;  // the open element's index in the stack
        int32_t openIndent;
        int32_t closeIndent;
    };

    // An element that can't hold itself, closed because it opened again: the close tag
    // that comes for it later is the author's, not an extra one.
    struct Reopened {
        StackTag element;
        size_t depth;  // its index in the stack when it was closed
    };

    // A close tag taken for stray because a table or a cell stood between it and its
    // element, or because it stands elsewhere than its element's open tag and would cross
    // an element whose close tag is required (an extra close tag, most likely). If that
    // element is then closed by anything but a close tag of its own, the close tag was its
    // after all: what stood between was crossed, or left open.
    struct Blocked {
        StackTag closing;
        const char* element;  // the open tag of the element it didn't reach
        size_t depth;         // that element's index in the stack
        StackTag crossed;     // the outermost element between that would have been crossed
        bool byIndent;        // held by the indentation, not by a table
        StackTag reported;    // where it was reported: itself, or the extra close tag the
                              // indentation finds before it
    };

    // What the stack asks of a row, side by side: its traits and kind are read together.
    struct RowFacts {
        ElementTraits traits;
        PairKind kind;
    };
    // The facts of `row`; those of a custom element for -1, which nests like a div.
    const RowFacts& facts(int row) const { return rows_[static_cast<size_t>(row + 1)]; }
    ElementGroup groupAt(size_t i) const { return facts(open_[i].row).traits.group; }
    bool misspelled(const StackTag& element) const;
    // The index of the open element that `tag` closes, or -1: the nearest one of its name,
    // unless a table, a cell, a caption or a template stands between, which only the close
    // tags of tables and their parts cross.
    ptrdiff_t closedBy(const StackTag& tag, ptrdiff_t* blocked = nullptr) const;
    // `plain`: `tag` is the close tag just read, closing the element as HTML would.
    void closeAt(size_t i, const StackTag& tag, const StackTag* now = nullptr, bool plain = false);
    // Whether `tag`, which reaches the open element at `i`, is held as stray by the
    // indentation; reports and holds it if so.
    bool heldByIndent(size_t i, const StackTag& tag);
    // The held close tag of the open element at `i`, if any, is resolved as a close tag
    // of that element meets it: true when it was the element's after all (and closed it).
    bool resolveHeldBefore(size_t i, const StackTag& tag);
    bool isOpen(const char* at, size_t above) const;
    // `closing`: the element's own close tag that closed it, if that is why.
    void dropHeld(const char* element, const StackTag* closing = nullptr);
    // Tells the sink when the close tag `held` is sure to have been one too many, now
    // that `closing` closes its element.
    void reportIfStray(const Blocked& held, const StackTag& closing);
    // After `tag` closed the element whose open tag is at `closed`: if that was what the
    // last held close tag, just before it, would have crossed, the two were swapped.
    void closeSwapped(const char* closed, const StackTag& tag);
    // The held close tag of `element`, closed otherwise: true when it was its after all
    // (its report is made and the element's own is not).
    bool resolveHeldOf(const StackTag& element);
    // Takes the open element at `i` off the stack, leaving what it holds open.
    void removeAt(size_t i);
    // Closes the open element at `i` that can't hold itself, as `tag` opens again.
    void closeReopened(size_t i, const StackTag& tag);
    bool endOptional(const StackTag& element) const { return facts(element.row).kind == PairOptional; }
    bool sameElement(const StackTag& a, const StackTag& b) const {
        return a.row >= 0 || b.row >= 0 ? a.row == b.row : sameCustomName(a, b);
    }
    // Custom elements, by their names.
    static bool sameCustomName(const StackTag& a, const StackTag& b);
    // Closes the open elements from the top down to index `k`, `k` included; those above
    // it whose end tag is required are not closed before `cause`.
    void closeDownTo(size_t k, const StackTag& cause);
    // Closes the nearest open element of a group in `closes`, looking down from the top
    // no further than an element for which `stops` is true.
    template <typename Closes, typename Stops>
    void closeImplied(const StackTag& cause, Closes closes, Stops stops);
    // Closes the element on top by its own close tag `tag`, no close tag being held.
    void closeTop(const StackTag& tag);
    // A close tag that doesn't close the element on top, or with a close tag held back.
    void closeWeighed(const StackTag& tag);
    // Keeps the pair of the open element at `i` and its close tag `tag` when the element
    // nests, spans lines, and the two stand at different indentations.
    void noteShifted(size_t i, const StackTag& tag) {
        if (nests(open_[i]) && open_[i].line != tag.line) keepIfShifted(i, tag);
    }
    void keepIfShifted(size_t i, const StackTag& tag);
    // What the start tag `tag` of an element of `group` closes, by its group alone.
    void closeForGroup(const StackTag& tag, ElementGroup group);
    // Takes the element on top off the stack; what waits on its closing is seen to out of line.
    void pop() {
        const StackTag& top = open_.back();
        const int row = top.row;
        const char* at = top.at;
        sink_.closed(top);
        --openOfGroup_[static_cast<size_t>(facts(row).traits.group)];
        if (row >= 0) --openOfRow_[static_cast<size_t>(row)];
        open_.pop_back();
        if (!waiting_.empty() || !reopened_.empty() || !blocked_.empty()) afterPop(row, at);
    }
    // After the element of `row` whose "<" is at `at` left the top.
    void afterPop(int row, const char* at);
    void reportWaitingBelow(size_t depth);
    void reportWaitingNamed(const StackTag& tag);
    void reportNotClosed(const StackTag& element, const StackTag* closedBy, bool closedThere = false);
    bool nests(const StackTag& element) const { return facts(element.row).kind == PairCounted; }
    // Where the fault lies by the indentation: the element left open inside `element`
    // (and the close tag that should have come after it), and the extra close tag that
    // shifted the pairs up to `closing`.
    const StackTag& leftOpenWithin(const StackTag& element, const StackTag*& closedBy) const;
    const StackTag& extraCloseBefore(const StackTag& closing) const;

    const TagProfile& profile_;
    StructureSink& sink_;
    std::vector<StackTag> open_;
    std::vector<Waiting> waiting_;
    std::deque<ShiftedPair> shifted_;  // a page may have thousands: grown without copies
    std::vector<Reopened> reopened_;
    std::vector<Blocked> blocked_;
    // The last element closed by a close tag of its own, and its index in the stack.
    StackTag lastClosed_{};
    size_t lastClosedDepth_ = 0;
    // The rows' facts, a custom element's first.
    std::vector<RowFacts> rows_;
    // Open elements of each group (template is the last): tables, paragraphs, heads and
    // column groups are looked for only when one is open.
    std::array<int32_t, static_cast<size_t>(ElementGroup::Template) + 1> openOfGroup_{};
    // Open elements of each row, so that an element that can't hold itself seldom looks
    // through the stack for an open one.
    std::vector<int32_t> openOfRow_;
};
