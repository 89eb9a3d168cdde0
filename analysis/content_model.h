// The content check of html4 and html5: each element against what its parent may hold
// and what its ancestors forbid, and each element that needs a child against its
// children, all on the tree of open elements the element stack builds (element_stack.h).
//
// What the check knows is the profile's (TagProfile::ContentRules): an element's
// categories, perhaps on conditions on its attributes; the children an element holds, by
// category or by row; transparent elements, whose children are checked against the
// nearest ancestor that isn't; forbidden descendants; the children an element needs.
// The html, head, body and tbody a page may leave out are taken as there: an element with
// no parent stands in head or body, a row in a table stands in its body.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "element_stack.h"
#include "tag_profile.h"
#include "tag_scanner.h"

// What the content check finds wrong.
class ContentSink {
public:
    virtual ~ContentSink() = default;
    // `element` may not stand where it is: `holder` (null: the implied body, named
    // `holderName`) doesn't take it as a child or, with `inside`, forbids it as a descendant.
    virtual void misplaced(const StackTag& element, const StackTag* holder, const std::string& holderName,
                           bool inside) = 0;
    // `element` closed without a child it needs (`what`: "title", "dt or dd"); `relatedLine`
    // is the line of the child that needed it, or 0.
    virtual void missingChild(const StackTag& element, const std::string& what, int32_t relatedLine) = 0;
};

class ContentCheck {
public:
    ContentCheck(const TagProfile& profile, const ElementStack& stack, ContentSink& sink);

    // The start tag `tag`, once the stack has taken it (`opened`: it is the stack's top),
    // with its attributes as read.
    void started(const StackTag& tag, bool opened, const std::vector<ScannedAttribute>& attributes);
    // The start tag of an unknown element that stands for the known one it misspells
    // (`tag`'s row), once the stack has taken it: it is the child its parent needs, and
    // its own place, the misspelling's consequence, is not checked.
    void stoodIn(const StackTag& tag, bool opened);
    // Whether an element of `row` with `attributes`, at index `top` of the open elements
    // `open` (a trial of the stack's), stands where its parent takes it.
    bool wouldStand(int row, const std::vector<ScannedAttribute>& attributes, const std::vector<StackTag>& open,
                    size_t top) const;
    // Whether an element of `holder`'s row takes an element of `row` with `attributes` as
    // a child, as far as its rules say (true when they don't).
    bool wouldHold(int holder, int row, const std::vector<ScannedAttribute>& attributes) const;
    // `element` left the stack.
    void closed(const StackTag& element) {
        if (!reported_.empty() && reported_.back().first == element.at) reported_.pop_back();
        if (!forbidding_.empty() && forbidding_.back().at == element.at) forbidding_.pop_back();
        if (!watched_.empty() && watched_.back().element.at == element.at) closedWatched();
    }
    // `element`, at `index` in the stack, left it while what it held stays open.
    void removed(const StackTag& element, size_t index);

private:
    // The watched element on top left the stack: the children it lacks are reported.
    void closedWatched();
    // Counts `tag` among the needed children of its parent, the stack's element below `top`.
    void meetNeeds(const StackTag& tag, size_t top);
    // An open element the check follows for its needed children.
    struct Watched {
        StackTag element;
        uint32_t met;             // a bit per group of needs
        int32_t pendingFollow;    // the line of a child still waiting for its follower, or 0
    };
    // An open element that forbids descendants, or a template, whose contents stand apart.
    struct Forbidding {
        const char* at;
        size_t depth;  // its index in the stack
        bool barrier;
    };

    // What the check asks of a row at every tag, side by side.
    struct RowFacts {
        const TagProfile::ContentRules* rules;  // null for a custom element
        uint16_t categories;        // those that hold whatever its attributes
        bool conditional;           // more categories on conditions on its attributes
        bool placed;                // its place is checked: known, not html, head or body, not anywhere
        bool watched;               // it needs children, or one child to follow another
        bool forbidding;            // it forbids descendants, or is a template
        bool barrier;               // a template
        // As a parent:
        bool holdsAnything;         // any child: a custom element, one without rules, one that checks none
        bool html;
        bool table;
        bool transparent;
        uint16_t holdsCategories;
    };
    // The facts of `row`; a custom element's for -1.
    const RowFacts& facts(int row) const { return rows_[static_cast<size_t>(row + 1)]; }
    uint16_t categoriesOf(int row, const std::vector<ScannedAttribute>& attributes) const;
    bool takes(const TagProfile::ContentRules& holder, int row, uint16_t categories) const;
    bool takenAtTop(int row, uint16_t categories) const;
    // The index in `open` of the holder that doesn't take an element of `row` at `top`,
    // `top` itself when the body it would stand in doesn't, or Fits.
    static constexpr size_t Fits = SIZE_MAX;
    size_t refusedBy(int row, uint16_t categories, const std::vector<StackTag>& open, size_t top) const;
    // Checks `tag` against its parent's model; false when it was reported.
    bool checkPlace(const StackTag& tag, size_t top, uint16_t categories);
    // Reports `tag` at index `top` as refused by the holder at `by` (refusedBy's answer).
    void reportRefused(const StackTag& tag, size_t by, size_t top);
    void checkForbidden(const StackTag& tag, size_t top, uint16_t categories);
    std::string nameOfRow(int row) const;

    const TagProfile& profile_;
    const ElementStack& stack_;
    ContentSink& sink_;
    std::vector<RowFacts> rows_;  // a custom element's first
    // Rows of the groups the check takes as implied when left out; -1 when none.
    int htmlRow_ = -1, headRow_ = -1, bodyRow_ = -1, sectionRow_ = -1, columnGroupRow_ = -1;
    std::vector<Watched> watched_;
    std::vector<Forbidding> forbidding_;
    // The open elements already reported as misplaced: what they hold isn't reported again
    // for an ancestor outside them.
    std::vector<std::pair<const char*, size_t>> reported_;  // its "<" and index in the stack
};
