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

// What mending one page gave.
struct PageMend {
    std::string text;     // the page as mended; the page's own text when nothing was
    int32_t fixes = 0;    // the problems mended
    int32_t left = 0;     // the problems handed on, not mended
};

// Checks the loaded `document` as checkDocument does with `profile` and `options`, and
// mends the problems of `kinds` whose mend is sure, as long as the mended page checks
// with exactly the other problems. Those others go to `left`, in the order and at the
// places of the page as it was. A mend that would bring a problem of its own, or that
// overlaps one made already, is left undone, its problem handed on.
PageMend mendPage(Document& document, const TagProfile& profile, const CheckOptions& options,
                  const ProblemKinds& kinds, ProblemSink& left);
