#include "link_check.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "site_config.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

using PathKey = fs::path::string_type;

bool isSlash(char c) { return c == '/' || c == '\\'; }

// The value as a browser takes it (page_links.h).
std::string cleaned(const std::string& target) { return cleanedReference(target); }

// "C:\..." or "C:/...": a path on a Windows drive, not a URL of scheme "c".
bool isDrivePath(std::string_view text) {
    return text.size() >= 2 && isAsciiLetter(text[0]) && text[1] == ':' && (text.size() == 2 || isSlash(text[2]));
}

bool hasScheme(std::string_view text) {
    if (text.empty() || !isAsciiLetter(text[0]) || isDrivePath(text)) return false;
    for (char c : text.substr(1)) {
        if (c == ':') return true;
        if (!isAsciiLetter(c) && !isDigit(c) && c != '+' && c != '.' && c != '-') return false;
    }
    return false;
}

// Whether a cleaned reference leads off the site: a scheme, "//host", or anything but a
// fragment on a page whose base is external.
bool isExternal(std::string_view text, bool externalBase) {
    if (hasScheme(text) || (text.size() >= 2 && isSlash(text[0]) && isSlash(text[1]))) return true;
    return externalBase && !text.empty() && text[0] != '#';
}

// The '/'-separated parts of a path ('\' counts as '/', as browsers take it), as
// [begin, end) offsets into it, empty ones included.
std::vector<std::pair<size_t, size_t>> segmentsOf(std::string_view path) {
    std::vector<std::pair<size_t, size_t>> segments;
    size_t begin = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || isSlash(path[i])) {
            segments.emplace_back(begin, i);
            begin = i + 1;
        }
    }
    return segments;
}

// A written segment with the letter case of `disk`, the name it decodes to in another
// case: escapes that still give the right byte stay as written.
std::string recased(std::string_view written, const std::string& disk) {
    std::string out;
    size_t d = 0;
    for (size_t i = 0; i < written.size() && d < disk.size(); ++d) {
        const int byte = percentEscapeAt(written, i);
        if (byte >= 0) {
            out += static_cast<char>(byte) == disk[d] ? std::string(written.substr(i, 3)) : std::string(1, disk[d]);
            i += 3;
        } else {
            out += disk[d];
            ++i;
        }
    }
    return out;
}

fs::path withoutTrailingSeparator(fs::path path) {
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    return path;
}

fs::path absoluteNormal(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error) absolute = fs::path(path);
    return withoutTrailingSeparator(absolute.lexically_normal());
}

// Paths as the file system compares them: on Windows regardless of ASCII letter case.
PathKey pathKey(const fs::path& path) {
    PathKey key = path.native();
#ifdef _WIN32
    for (auto& c : key) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
    }
#endif
    return key;
}

// Both absolute and normal, neither with a separator at its end but a root.
bool isWithin(const fs::path& path, const fs::path& folder) {
    const PathKey inPath = pathKey(path), inFolder = pathKey(folder);
    if (inPath.compare(0, inFolder.size(), inFolder) != 0) return false;
    return inPath.size() == inFolder.size() || inFolder.back() == fs::path::preferred_separator ||
           inPath[inFolder.size()] == fs::path::preferred_separator;
}

bool isPageName(const fs::path& file) {
    const std::string extension = file.extension().u8string();
    return equalBytesNoCase(extension, ".htm") || equalBytesNoCase(extension, ".html");
}

// Where a reference leads: a folder taken as it is (the page's, the root's), then the
// names the page wrote, each of which is looked up on disk.
struct Place {
    struct Part {
        std::string name;  // decoded
        int written;       // its segment in the reference; -1 when it came from the <base href>
    };
    fs::path start;
    std::vector<Part> parts;
    bool folder = false;  // written with a trailing "/", "." or ".."
};

// Follows `path` from `place` as a browser does: "." stays, ".." takes back the last part
// (or leaves the start folder for its parent), the rest is added decoded.
void follow(Place& place, std::string_view path, bool fromReference) {
    const auto segments = segmentsOf(path);
    for (size_t i = 0; i < segments.size(); ++i) {
        const std::string name = percentDecoded(path.substr(segments[i].first, segments[i].second - segments[i].first));
        const bool last = i + 1 == segments.size();
        place.folder = last && (name.empty() || name == "." || name == "..");
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!place.parts.empty()) {
                place.parts.pop_back();
            } else {
                place.start = place.start.parent_path();
            }
            continue;
        }
        place.parts.push_back({name, fromReference ? static_cast<int>(i) : -1});
    }
}

// A reference taken apart: its path, and its fragment when it has one.
struct Split {
    std::string_view path;
    std::optional<std::string> fragment;  // decoded
};

Split splitReference(std::string_view text) {
    Split split;
    const size_t hash = text.find('#');
    if (hash != std::string_view::npos) split.fragment = percentDecoded(text.substr(hash + 1));
    split.path = text.substr(0, std::min(text.find('?'), hash));
    return split;
}

}  // namespace

struct LinkCheck::Impl {
    struct Page {
        std::string path;  // as it was added
        fs::path file;     // absolute and normal
        std::string base;
        std::vector<PageReference> references;
    };
    struct Entry {
        fs::path name;
        bool folder;
    };
    // A folder's names as the file system spells them (UTF-8), sorted; empty when it can't be read.
    using Listing = std::map<std::string, Entry>;
    // A target looked up: the file it leads to (an index page for a folder), and the names
    // its parts have on disk when one of them differs in letter case.
    struct Found {
        enum class State : uint8_t { Exact, OtherCase, Missing } state = State::Missing;
        fs::path file;
        std::vector<std::string> diskNames;
        bool isPage = false;  // a .htm or .html file, whose anchors fragments name
        bool anchorsRead = false;
        const std::vector<std::string>* anchors = nullptr;  // null when the page can't be read
    };
    // The place a page's relative references start from, and what an empty one leads to.
    struct PageBase {
        bool external = false;
        Place folder;
        std::optional<Place> document;  // only with a <base href>
    };

    LinkOptions options;
    fs::path root;  // absolute and normal; empty when there is no limit
    std::vector<Page> pages;
    std::unordered_map<PathKey, std::vector<std::string>> anchorsOfPages;  // sorted
    std::vector<ExternalLink> externalLinks;
    std::unordered_map<PathKey, Listing> folders;
    std::unordered_map<std::string, Found> targets;
    std::unordered_map<PathKey, std::optional<std::vector<std::string>>> readPages;

    const Listing& listingOf(const fs::path& folder);
    Found& find(const Place& place);
    const std::vector<std::string>* anchorsOf(Found& found,
                                              const std::function<bool(const std::string&, PageLinks&)>& readAnchors);
    PageBase baseOf(const Page& page) const;
    Place startOf(const Page& page, const PageBase& base, std::string_view path) const;
    bool accepted(std::string_view written, const Place& place) const;
    std::string existing(const std::string& text, std::string_view path, const Place& place, const Found& found) const;
    void checkReference(const Page& page, const PageBase& base, const std::vector<std::string>& ownAnchors,
                        const PageReference& reference,
                        const std::function<bool(const std::string&, PageLinks&)>& readAnchors,
                        std::vector<LinkProblem>& problems);
};

const LinkCheck::Impl::Listing& LinkCheck::Impl::listingOf(const fs::path& folder) {
    auto [listing, added] = folders.try_emplace(folder.native());
    if (!added) return listing->second;
    std::error_code error;
    for (fs::directory_iterator entries(folder, error), end; !error && entries != end; entries.increment(error)) {
        std::error_code typeError;
        // A link to nothing (a symbolic link whose target is gone) is no file a link reaches.
        if (!entries->exists(typeError)) continue;
        const bool isFolder = entries->is_directory(typeError);
        fs::path name = entries->path().filename();
        try {
            std::string spelled = name.u8string();
            listing->second.emplace(std::move(spelled), Entry{std::move(name), isFolder});
        } catch (const std::system_error&) {
            // A Windows name that is no valid UTF-16 has no UTF-8 form a link could spell.
        }
    }
    return listing->second;
}

LinkCheck::Impl::Found& LinkCheck::Impl::find(const Place& place) {
    std::string key = place.start.u8string();
    for (const Place::Part& part : place.parts) (key += '/') += part.name;
    key += place.folder ? "/" : "";
    auto [cached, added] = targets.try_emplace(std::move(key));
    Found& found = cached->second;
    if (!added) return found;

    fs::path at = place.start;
    bool atFolder = true;
    bool otherCase = false;
    for (const Place::Part& part : place.parts) {
        if (!atFolder) return found;
        const Listing& listing = listingOf(at);
        auto entry = listing.find(part.name);
        if (entry == listing.end()) {
            entry = std::find_if(listing.begin(), listing.end(), [&](const auto& named) {
                return named.first.size() == part.name.size() &&
                       foldedEqual(named.first.data(), part.name.data(), part.name.size());
            });
            if (entry == listing.end()) return found;
            otherCase = true;
        }
        found.diskNames.push_back(entry->first);
        at /= entry->second.name;
        atFolder = entry->second.folder;
    }
    if (atFolder) {
        const Listing& listing = listingOf(at);
        const auto index =
            std::find_if(options.indexNames.begin(), options.indexNames.end(), [&](const std::string& name) {
                const auto entry = listing.find(name);
                return entry != listing.end() && !entry->second.folder;
            });
        if (index == options.indexNames.end()) return found;
        at /= listing.find(*index)->second.name;
    } else if (place.folder) {
        return found;
    }
    found.isPage = isPageName(at);
    found.file = std::move(at);
    found.state = otherCase ? Found::State::OtherCase : Found::State::Exact;
    return found;
}

const std::vector<std::string>* LinkCheck::Impl::anchorsOf(
    Found& found, const std::function<bool(const std::string&, PageLinks&)>& readAnchors) {
    if (found.anchorsRead) return found.anchors;
    found.anchorsRead = true;
    const PathKey key = pathKey(found.file);
    const auto added = anchorsOfPages.find(key);
    if (added != anchorsOfPages.end()) return found.anchors = &added->second;
    // Another target may lead to the same page (a folder and its index page).
    auto [read, first] = readPages.try_emplace(key);
    if (first) {
        PageLinks links;
        std::string path;
        try {
            path = found.file.string();
        } catch (const std::system_error&) {
            // On Windows a name the ANSI code page can't spell, which no reader could open.
            return found.anchors = nullptr;
        }
        if (readAnchors(path, links)) {
            std::sort(links.anchors.begin(), links.anchors.end());
            read->second = std::move(links.anchors);
        }
    }
    return found.anchors = read->second ? &*read->second : nullptr;
}

LinkCheck::Impl::PageBase LinkCheck::Impl::baseOf(const Page& page) const {
    PageBase base;
    base.folder.start = page.file.parent_path();
    const std::string href = cleaned(page.base);
    if (href.empty()) return base;
    if (isExternal(href, false)) {
        base.external = true;
        return base;
    }
    const std::string_view path = splitReference(href).path;
    if (path.empty()) return base;
    Place document = startOf(page, base, path);
    follow(document, path.substr(isDrivePath(path) ? 2 : 0), false);
    base.folder = document;
    if (!base.folder.folder && !base.folder.parts.empty()) base.folder.parts.pop_back();
    base.document = std::move(document);
    return base;
}

Place LinkCheck::Impl::startOf(const Page& page, const PageBase& base, std::string_view path) const {
    Place place;
    if (isDrivePath(path)) {
        place.start = fs::path(std::string(path.substr(0, 2)) + "/").lexically_normal();
    } else if (isSlash(path[0])) {
        place.start = root.empty() ? page.file.root_path() : root;
    } else {
        place = base.folder;
    }
    return place;
}

bool LinkCheck::Impl::accepted(std::string_view written, const Place& place) const {
    std::string fromRoot;
    if (!root.empty()) {
        fromRoot = place.start.lexically_relative(root).generic_u8string();
        if (fromRoot == ".") fromRoot.clear();
        for (const Place::Part& part : place.parts) (fromRoot += fromRoot.empty() ? "" : "/") += part.name;
    }
    return std::any_of(options.accept.begin(), options.accept.end(), [&](const std::string& pattern) {
        return matchesPathPattern(pattern, std::string(written)) ||
               (!root.empty() && matchesPathPattern(pattern, fromRoot));
    });
}

std::string LinkCheck::Impl::existing(const std::string& text, std::string_view path, const Place& place,
                                      const Found& found) const {
    const auto segments = segmentsOf(path);
    std::string written = text;
    bool inBase = false;
    // From the last part back, so the offsets of those before stay true. The lookup may
    // have been made for another spelling of the same path that started deeper (from
    // another page's folder): its names on disk are those of the last parts only, and the
    // parts before them lie in that start, which is spelled as on disk.
    const size_t onDiskCount = found.diskNames.size();
    for (size_t i = place.parts.size(); i-- > 0;) {
        const size_t fromEnd = place.parts.size() - 1 - i;
        if (fromEnd >= onDiskCount) break;
        const Place::Part& part = place.parts[i];
        const std::string& diskName = found.diskNames[onDiskCount - 1 - fromEnd];
        if (diskName == part.name) continue;
        if (part.written < 0) {
            inBase = true;
            break;
        }
        const auto [begin, end] = segments[static_cast<size_t>(part.written)];
        written.replace(begin, end - begin, recased(path.substr(begin, end - begin), diskName));
    }
    if (!inBase) return written;
    std::string onDisk;
    for (const std::string& name : found.diskNames) (onDisk += onDisk.empty() ? "" : "/") += name;
    return onDisk;
}

void LinkCheck::Impl::checkReference(const Page& page, const PageBase& base, const std::vector<std::string>& ownAnchors,
                                     const PageReference& reference,
                                     const std::function<bool(const std::string&, PageLinks&)>& readAnchors,
                                     std::vector<LinkProblem>& problems) {
    const std::string text = cleaned(reference.target);
    if (isExternal(text, base.external)) return;
    const Split split = splitReference(text);
    auto report = [&](LinkKind kind, std::string onDisk = std::string()) {
        problems.push_back({kind, page.path, reference.line, reference.column, reference.target, std::move(onDisk),
                            kind == LinkKind::MissingAnchor ? split.fragment.value_or("") : std::string()});
    };
    const bool needsAnchor = split.fragment && fragmentNeedsAnchor(*split.fragment);
    const std::vector<std::string>* anchors = &ownAnchors;
    // A bare fragment stays on the page whatever its base says; any other reference
    // without a path leads to the base itself.
    const bool elsewhere = !split.path.empty() || (!text.empty() && text[0] != '#' && base.document);
    if (elsewhere) {
        Place place = split.path.empty() ? *base.document : startOf(page, base, split.path);
        if (!split.path.empty()) follow(place, split.path.substr(isDrivePath(split.path) ? 2 : 0), true);
        if (!root.empty() && !isWithin(place.start, root)) return report(LinkKind::OutsideRoot);
        Found& found = find(place);
        if (found.state == Found::State::Missing) {
            if (!accepted(split.path, place)) report(LinkKind::MissingTarget);
            return;
        }
        if (found.state == Found::State::OtherCase)
            return report(LinkKind::LetterCase, existing(text, split.path, place, found));
        if (!needsAnchor || !found.isPage) return;
        anchors = anchorsOf(found, readAnchors);
    }
    if (needsAnchor && anchors && !std::binary_search(anchors->begin(), anchors->end(), *split.fragment))
        report(LinkKind::MissingAnchor);
}

LinkCheck::LinkCheck(LinkOptions options) : impl_(std::make_shared<Impl>()) {
    if (!options.root.empty()) impl_->root = absoluteNormal(options.root);
    impl_->options = std::move(options);
}

void LinkCheck::addPage(const std::string& path, PageLinks links) {
    Impl::Page page{path, absoluteNormal(path), std::move(links.base), std::move(links.references)};
    const bool externalBase = isExternal(cleaned(page.base), false);
    for (const PageReference& reference : page.references) {
        if (isExternal(cleaned(reference.target), externalBase))
            impl_->externalLinks.push_back({path, reference.line, reference.target});
    }
    std::sort(links.anchors.begin(), links.anchors.end());
    impl_->anchorsOfPages[pathKey(page.file)] = std::move(links.anchors);
    impl_->pages.push_back(std::move(page));
}

std::vector<LinkProblem> LinkCheck::check(const std::function<bool(const std::string&, PageLinks&)>& readAnchors) {
    std::vector<LinkProblem> problems;
    // What a reference comes to depends only on where it is resolved from (the page's
    // folder and base) and on its text, unless it is a fragment of the page itself: a
    // site's menus repeat the same links on every page of a folder, so each is resolved once.
    struct Outcome {
        bool broken = false;
        LinkProblem problem;  // its page and place are those of the first reference
    };
    std::unordered_map<std::string, Outcome> outcomes;
    for (const Impl::Page& page : impl_->pages) {
        const Impl::PageBase base = impl_->baseOf(page);
        const std::vector<std::string>& ownAnchors = impl_->anchorsOfPages[pathKey(page.file)];
        const std::string from = page.file.parent_path().u8string() + '\n' + page.base + '\n';
        for (const PageReference& reference : page.references) {
            const bool ownFragment = reference.target.find_first_not_of(" \t\n\r\f") == std::string::npos ||
                                     reference.target[reference.target.find_first_not_of(" \t\n\r\f")] == '#';
            if (ownFragment) {
                impl_->checkReference(page, base, ownAnchors, reference, readAnchors, problems);
                continue;
            }
            auto [known, added] = outcomes.try_emplace(from + reference.target);
            if (added) {
                const size_t before = problems.size();
                impl_->checkReference(page, base, ownAnchors, reference, readAnchors, problems);
                if (problems.size() > before) known->second = {true, problems.back()};
            } else if (known->second.broken) {
                LinkProblem again = known->second.problem;
                again.page = page.path;
                again.line = reference.line;
                again.column = reference.column;
                problems.push_back(std::move(again));
            }
        }
    }
    return problems;
}

std::vector<ExternalLink> LinkCheck::externals() const { return impl_->externalLinks; }

bool readPageLinksOfFile(const std::string& path, PageLinks& links) {
    Document page;
    return page.load(path.c_str()) && readPageLinks(page, links);
}
