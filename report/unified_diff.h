// The output of fix: a unified diff of a page and its mended text, as `git apply` and
// `patch -p1` read it.
#pragma once

#include <string>
#include <string_view>

// A path as git writes it in a diff header: as it is, or, when it holds a space, a quote,
// a backslash, a control byte or a byte of 0x80 and above, in double quotes with C's
// escapes (octal for bytes without a letter of their own).
std::string gitQuotedPath(const std::string& path);

// The diff of the file at `path` (relative, with "/" between folders) from `before` to
// `after`: "--- a/PATH" and "+++ b/PATH", then hunks with three lines of context. Lines
// end at line feeds and keep every byte they have (carriage returns too); a last line
// without one is marked "\ No newline at end of file". "" when the texts are equal.
std::string unifiedDiff(const std::string& path, std::string_view before, std::string_view after);
