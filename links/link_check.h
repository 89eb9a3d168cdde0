// The local links of a site, checked after every page has been read once: each reference
// resolved as a browser resolves it against its page (or the page's <base href>), then
// looked up on disk. Keeps each page's anchors, never its text, so memory follows the
// number of anchors, not the site's bytes; the order pages are added in doesn't change
// what is found.
//
// Each folder is listed once and each resolved target looked up once by each job, so a
// site's many links to the same files cost map lookups, not file-system calls. Letter case
// is compared with the listed names, so a link that works only on a file system that
// ignores case is found on every system. Pages are resolved a folder at a time, on as many
// threads as asked for; what is found is the same for any number of them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "page_links.h"

// What is wrong with a link. The order is the order of the SARIF rules.
enum class LinkKind : uint8_t {
    MissingTarget,  // "missing-target": no file or folder of that name
    LetterCase,     // "letter-case": it exists only under another letter case
    MissingAnchor,  // "missing-anchor": the #fragment names no id and no a name there
    OutsideRoot,    // "outside-root": the link leads above the root
};
constexpr int LinkKindCount = 4;

struct LinkProblem {
    LinkKind kind;
    std::string page;  // the page's path, as it was added
    int32_t line = 0;
    int32_t column = 0;
    std::string target;    // the reference as written in the page
    std::string existing;  // for LetterCase: the reference as it would have to be written, its
                           // query and fragment kept; when the wrong case is in the page's
                           // <base href>, the target's path as on disk, from the folder the
                           // resolution started in
    std::string anchor;    // for MissingAnchor: the fragment, decoded
};

// Reads the links of the page at `path` from disk: what LinkCheck::check asks of a linked
// page that was not added. False when it can't be read.
bool readPageLinksOfFile(const std::string& path, PageLinks& links);

struct LinkOptions {
    // For "/..." targets, and no target may lie above it. "" sets no limit, and "/..."
    // then starts from the top of the page's file system, as a browser reading files does.
    std::string root;
    std::vector<std::string> indexNames = {"index.html", "index.htm"};  // a folder's page
    // Patterns of targets that are fine though missing ("*", "?", "**", as in the site
    // configuration's paths), matched with the target as written (without its query and
    // fragment) and with its path from the root.
    std::vector<std::string> accept;
};

// An external reference (http:, mailto:, "//host/...", or any relative one of a page whose
// <base href> is external), never fetched.
struct ExternalLink {
    std::string page;
    int32_t line = 0;
    std::string target;
};

// Reads the links of a page that was not added, for its anchors.
using ReadAnchors = std::function<bool(const std::string&, PageLinks&)>;

class LinkCheck {
public:
    explicit LinkCheck(LinkOptions options);
    // Takes one page's links (its anchors kept, its references to resolve later).
    void addPage(const std::string& path, PageLinks links);
    void addPage(const std::string& path, PageLinkBlock links);
    // Resolves every reference, the pages of a folder on one of `jobs` threads; then
    // brokenCount and broken tell each page's problems. Anchors of target pages that were
    // not added are read from disk with `readAnchors`, once each (false: the page can't be
    // read, and its fragments are taken as they are); with more than one job it may be
    // called on several threads at once. Only .htm and .html targets have their fragments
    // checked; "#top" and "#" are fine anywhere.
    void resolve(const ReadAnchors& readAnchors, int jobs);
    // The pages added, in order, with the path each was added with.
    size_t pageCount() const;
    const std::string& pagePath(size_t page) const;
    // A resolved page's problems, in document order.
    size_t brokenCount(size_t page) const;
    LinkProblem broken(size_t page, size_t index) const;
    // Resolves every reference on this thread: the problems of each page in the order its
    // pages were added, each page's in document order.
    std::vector<LinkProblem> check(const ReadAnchors& readAnchors);
    // The external references, in the order of the pages and their references.
    std::vector<ExternalLink> externals() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};
