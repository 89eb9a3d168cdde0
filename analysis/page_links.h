// What a page says of other pages and files: every local or external reference in its tags,
// placed at its value, and the anchors it offers others (ids, and names of a). Read from the
// page as browsers read tags, whatever profile the page is checked with: a script's or a
// style's body and an svg drawing hold none. Of an attribute written twice in one tag the
// first counts, as in a browser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document.h"

// One reference, as written in the page.
struct PageReference {
    std::string target;     // the value, its character references decoded ("a.html?x=1&y=2#top")
    // Where the target begins in the text: past the quote and any white space before it.
    int32_t line = 0;       // 1-based
    int32_t column = 0;     // 1-based, in characters as columnOf counts them
    std::string tag;        // the element, lower case: "a", "img", "meta", ...
    std::string attribute;  // lower case: "href", "src", "srcset", "content", ...
};

struct PageLinks {
    // In document order: href of a, area, link; src of img, script, iframe, frame, embed,
    // source, audio, video, track, and of input type=image; each srcset candidate's URL
    // (of img and source); poster of video; data of object; background of body, table, td,
    // th, tr; action of form; the URL of <meta http-equiv="refresh" content="N; url=...">.
    // Values lose their character references and the white space at their ends; empty
    // ones are left out.
    std::vector<PageReference> references;
    // Every id (any element) and every name of an a, as written (character references
    // decoded, white space kept, as a fragment must match it), each once, sorted by bytes;
    // empty ones left out.
    std::vector<std::string> anchors;
    // The href of the first <base> that has one (decoded, ends trimmed), "" when none has.
    std::string base;
};

// Reads the links of the loaded document. False only when there is no memory for them.
bool readPageLinks(Document& document, PageLinks& links);

// The text of an attribute's value `[begin, end)` with its character references decoded
// (&amp; &lt; &gt; &quot; &apos; and numeric ones), into `out`.
void decodeCharacterReferences(const char* begin, const char* end, std::string& out);
// The position in the raw value `[begin, end)` whose decoding begins `offset` bytes into
// the decoded text.
const char* rawPositionOfDecoded(const char* begin, const char* end, size_t offset);

// A reference as a browser takes it (character references already decoded): no spaces or
// controls at either end, no tab or line break inside.
std::string cleanedReference(std::string_view target);
// Whether a #fragment (percent-decoded) needs an anchor on its page: all but the empty one
// and "top", which lead to the page's top.
bool fragmentNeedsAnchor(const std::string& fragment);
// Whether `target` (character references decoded) is a bare fragment of its own page that
// names an anchor there; `anchor` gets the fragment, percent-decoded. The page's anchors
// are its ids (any element) and the names of the attributes its rows call anchors (a name),
// each as written with its character references decoded. The check of a page and the
// links of a site both ask this, so they agree on every fragment of a page.
bool ownAnchorOf(std::string_view target, std::string& anchor);
