// Mending a page: the sure mends its check offers (Problem::fix), made together, then
// checked again so that the page comes out with none of the mended problems and no new one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document.h"
#include "document_check.h"
#include "tag_profile.h"

// An edit whose text is its own (TextEdit's lives only as long as its problem's call).
struct OwnedEdit {
    uint32_t from;
    uint32_t to;
    std::string text;
};

// `text` with `edits` made: they are in the order of the text and don't overlap.
std::string withEdits(std::string_view text, const std::vector<OwnedEdit>& edits);

// One page's problems as checkDocument reports them, kept with their mends, so that the
// mends can be tried on the page one at a time or together: a mend passes when the page
// it gives checks with exactly the other problems.
class PageMender {
public:
    // Checks the loaded `document`; the mender keeps a copy of its text, the document may
    // then go.
    PageMender(Document& document, const TagProfile& profile, const CheckOptions& options);

    const std::string& text() const { return original_; }
    // The problems in the order the check handed them over; their texts live as long as
    // the mender, their `fix` is empty (edits gives it).
    size_t problemCount() const { return problems_.size(); }
    Problem problem(size_t index) const;
    // The edits of a problem's sure mend, in the order of the text; none when it has none.
    const std::vector<OwnedEdit>& edits(size_t index) const { return problems_[index].edits; }

    // True when the problem has a mend and, made alone, it takes the problem away and
    // brings no other: safe to offer by itself.
    bool mendsAlone(size_t index);
    // The problems of `kinds` whose mends are made together, in their order: each one's
    // mend as long as it overlaps none taken before it; when those fail together, the ones
    // that pass alone; when those fail together too, of those each in turn that still
    // passes with the ones taken before it.
    std::vector<size_t> mendsTogether(const ProblemKinds& kinds);
    // The edits of the mends of `problems`, in the order of the text.
    std::vector<OwnedEdit> editsOf(const std::vector<size_t>& problems) const;

private:
    struct Kept {
        Problem problem;
        std::string name;
        std::string tag;
        std::string detail;
        std::vector<OwnedEdit> edits;

        // What must come out the same when the page is checked again. Mends never add or
        // take away a line break, so lines stay; columns move.
        auto key() const;
    };
    class Keeping;

    bool fitsInText(const Kept& kept) const;
    // True when the page with the mends of `set` made checks with exactly the other problems.
    bool passes(const std::vector<size_t>& set);

    const TagProfile& profile_;
    CheckOptions options_;
    std::string original_;
    std::vector<Kept> problems_;
    Document again_;  // the page with mends made, checked again
};

// What mending one page gave.
struct PageMend {
    std::string text;     // the page as mended; the page's own text when nothing was
    int32_t fixes = 0;    // the problems mended
    int32_t left = 0;     // the problems handed on, not mended
};

// Checks the loaded `document` as checkDocument does with `profile` and `options`, and
// mends the problems of `kinds` whose mend is sure, as PageMender::mendsTogether chooses
// them. The others go to `left`, in the order and at the places of the page as it was.
PageMend mendPage(Document& document, const TagProfile& profile, const CheckOptions& options,
                  const ProblemKinds& kinds, ProblemSink& left);
