// The words an editor shows for the page's sure mends: what an action's edits do to the
// text, and the action that makes them all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "page_fix.h"

// What `edits` (in the order of the text) do to `text`, each as "Remove </p>",
// "Replace blockqoute with blockquote" or "Insert </div>", joined by " and " with the
// later verbs in small letters; an edit doing what the one before it did is not said
// again. A text shown is cut at its first line break or after 40 bytes, with "…", and is
// "white space" when there is nothing else in it.
std::string fixTitle(std::string_view text, const std::vector<OwnedEdit>& edits);

// The action that makes every sure mend of a page at once: "Fix 1 problem", "Fix 3 problems".
std::string fixAllTitle(size_t fixes);
