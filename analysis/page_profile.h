// The automatic choice of profile: what a page's own start says it is.
#pragma once

#include <cstddef>

// The profile the doctype at the start of `text` asks for, past a byte order mark, white
// space, comments and an XML declaration: "html5" for <!DOCTYPE html> (any case, any
// spacing; also with SYSTEM "about:legacy-compat"), "html4" for an HTML 4.01 or XHTML 1.x
// doctype, "html32" for any other start.
const char* profileOfPage(const char* text, size_t size);
