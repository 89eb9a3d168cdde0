// What a page says of other pages and files: every local or external reference in its tags,
// placed at its value, and the anchors it offers others (ids, and names of a). Read from the
// page as browsers read tags, whatever profile the page is checked with: a script's or a
// style's body and an svg drawing hold none. Of an attribute written twice in one tag the
// first counts, as in a browser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// What a site's check keeps of one page's links, in one allocation: each reference's
// target and place, the anchors (sorted by bytes, each once) and the base. A site holds
// thousands of pages at once, and a string and a record apiece would cost it several
// times the bytes of the texts themselves, and a call to the allocator each.
class PageLinkBlock {
public:
    PageLinkBlock() = default;
    size_t referenceCount() const { return header(ReferenceCount); }
    std::string_view target(size_t reference) const { return textAt(referenceRecord(reference)); }
    int32_t line(size_t reference) const { return static_cast<int32_t>(referenceRecord(reference)[2]); }
    int32_t column(size_t reference) const { return static_cast<int32_t>(referenceRecord(reference)[3]); }
    size_t anchorCount() const { return header(AnchorCount); }
    std::string_view anchor(size_t index) const { return textAt(anchorRecord(index)); }
    bool hasAnchor(std::string_view name) const;
    std::string_view base() const { return words_ ? textAt(&words_[BaseOffset]) : std::string_view(); }
    // The bytes the block holds.
    size_t bytes() const { return words_ ? header(Words) * sizeof(uint32_t) : 0; }

private:
    friend class PageLinkPacker;
    // The block: the header's words, four words a reference (text offset and length, line,
    // column), two an anchor, then the texts.
    enum Header { Words, ReferenceCount, AnchorCount, BaseOffset, BaseLength, HeaderWords };
    size_t header(Header at) const { return words_ ? words_[at] : 0; }
    const uint32_t* referenceRecord(size_t i) const { return &words_[HeaderWords + 4 * i]; }
    const uint32_t* anchorRecord(size_t i) const { return &words_[HeaderWords + 4 * header(ReferenceCount) + 2 * i]; }
    std::string_view textAt(const uint32_t* record) const {
        return {reinterpret_cast<const char*>(words_.get()) + record[0], record[1]};
    }

    std::unique_ptr<uint32_t[]> words_;
};

// Reads pages into PageLinkBlocks. Its room is kept from page to page, so that a job
// reading many pages makes one allocation a page.
class PageLinkPacker {
public:
    // Reads the links of the loaded document into `block`. False only when there is no
    // memory for them.
    bool read(Document& document, PageLinkBlock& block);
    // The block of links read otherwise (a page the Windows program shows, a test's).
    static PageLinkBlock pack(const PageLinks& links);

private:
    struct Sink;  // what the reader writes to
    struct Record {
        uint32_t offset, length;
        int32_t line, column;
    };
    PageLinkBlock packed() const;

    std::string text_;                  // every text of the page, one after another
    std::vector<Record> references_;    // into text_
    std::vector<Record> anchors_;       // into text_; line and column unused
    Record base_{0, 0, 0, 0};
    // An open hash table of the references by their targets (index + 1; 0 is free): a page
    // names many targets more than once (its menus, top and bottom), and keeps each once.
    std::vector<uint32_t> targetSlots_;
};

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
