#include "link_check.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "site_config.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

using PathKey = fs::path::string_type;

bool isSlash(char c) { return c == '/' || c == '\\'; }

// The value as a browser takes it (page_links.h).
std::string cleaned(std::string_view target) { return cleanedReference(target); }

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
PathKey pathKey(PathKey key) {
#ifdef _WIN32
    for (auto& c : key) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
    }
#endif
    return key;
}
PathKey pathKey(const fs::path& path) { return pathKey(path.native()); }

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
        uint32_t folder;   // in folders
        PageLinkBlock links;
    };
    // A reference found broken: its index in its page, and what is wrong; `detail` is the
    // spelling that exists (LetterCase) or the decoded fragment (MissingAnchor).
    struct Broken {
        uint32_t reference;
        LinkKind kind;
        std::string detail;
    };
    struct Entry {
        fs::path name;
        bool folder;
    };
    using Named = std::pair<const std::string, Entry>;
    // A folder's names as the file system spells them (UTF-8), sorted, and by their letters
    // capitalised as foldedEqual compares them (the first in byte order of names alike):
    // a link in the wrong letter case costs one lookup, not a pass over the folder.
    // Empty when the folder can't be read.
    struct Listing {
        std::map<std::string, Entry> names;
        std::unordered_map<std::string, const Named*> folded;
    };
    // Read by whichever job asks first; the others wait for it and share it.
    struct ListingSlot {
        std::once_flag read;
        Listing listing;
    };
    struct ReadSlot {
        std::once_flag read;
        bool readable = false;
        PageLinkBlock links;  // its anchors
    };
    // A target looked up: the file it leads to (an index page for a folder), and the names
    // its parts have on disk when one of them differs in letter case.
    struct Found {
        enum class State : uint8_t { Exact, OtherCase, Missing } state = State::Missing;
        PathKey file;  // as the system spells it: a path kept whole costs a list of its parts
        std::vector<std::string> diskNames;  // only for OtherCase
        bool isPage = false;  // a .htm or .html file, whose anchors fragments name
        bool anchorsRead = false;
        const PageLinkBlock* anchors = nullptr;  // null when the page can't be read
    };
    // The place a page's relative references start from, and what an empty one leads to.
    struct PageBase {
        bool external = false;
        Place folder;
        std::optional<Place> document;  // only with a <base href>
    };
    // What one job keeps while it resolves: the targets it looked up. A lookup depends on
    // nothing but the place, so two jobs that look up one target find the same.
    struct Job {
        std::unordered_map<std::string, Found> targets;
        std::string key;
        std::string folded;
    };

    LinkOptions options;
    fs::path root;  // absolute and normal; empty when there is no limit
    std::vector<Page> pages;
    std::vector<fs::path> folders;  // each page's folder once, absolute and normal
    std::unordered_map<fs::path::string_type, uint32_t> folderIds;
    std::unordered_map<PathKey, uint32_t> pageOfFile;  // the last page added of each file
    std::vector<std::vector<Broken>> broken;           // by page, once resolved

    std::mutex slotsMutex;  // over the two maps of slots, not over what their slots hold
    std::unordered_map<fs::path::string_type, ListingSlot> listings;
    std::unordered_map<PathKey, ReadSlot> readPages;

    const Listing& listingOf(const fs::path& folder);
    const PageLinkBlock* readPage(const fs::path& file, const ReadAnchors& readAnchors);
    Found& find(Job& job, const Place& place);
    const PageLinkBlock* anchorsOf(Found& found, const ReadAnchors& readAnchors);
    PageBase baseOf(const Page& page) const;
    Place startOf(const Page& page, const PageBase& base, std::string_view path) const;
    bool accepted(std::string_view written, const Place& place) const;
    std::string existing(const std::string& text, std::string_view path, const Place& place, const Found& found) const;
    void checkReference(Job& job, const Page& page, const PageBase& base, uint32_t reference,
                        const ReadAnchors& readAnchors, std::vector<Broken>& out);
    void resolveFolder(Job& job, const std::vector<uint32_t>& folderPages, const ReadAnchors& readAnchors);
};

const LinkCheck::Impl::Listing& LinkCheck::Impl::listingOf(const fs::path& folder) {
    ListingSlot* slot;
    {
        const std::lock_guard<std::mutex> lock(slotsMutex);
        slot = &listings[folder.native()];
    }
    std::call_once(slot->read, [&] {
        Listing& listing = slot->listing;
        std::error_code error;
        for (fs::directory_iterator entries(folder, error), end; !error && entries != end; entries.increment(error)) {
            std::error_code typeError;
            // A link to nothing (a symbolic link whose target is gone) is no file a link reaches.
            if (!entries->exists(typeError)) continue;
            const bool isFolder = entries->is_directory(typeError);
            fs::path name = entries->path().filename();
            try {
                std::string spelled = name.u8string();
                listing.names.emplace(std::move(spelled), Entry{std::move(name), isFolder});
            } catch (const std::system_error&) {
                // A Windows name that is no valid UTF-16 has no UTF-8 form a link could spell.
            }
        }
        for (const Named& named : listing.names) {
            std::string folded = named.first;
            for (char& c : folded) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
            listing.folded.try_emplace(std::move(folded), &named);
        }
    });
    return slot->listing;
}

const PageLinkBlock* LinkCheck::Impl::readPage(const fs::path& file, const ReadAnchors& readAnchors) {
    ReadSlot* slot;
    {
        const std::lock_guard<std::mutex> lock(slotsMutex);
        slot = &readPages[pathKey(file)];
    }
    std::call_once(slot->read, [&] {
        std::string path;
        try {
            path = file.string();
        } catch (const std::system_error&) {
            // On Windows a name the ANSI code page can't spell, which no reader could open.
            return;
        }
        PageLinks links;
        if (!readAnchors(path, links)) return;
        links.references.clear();
        slot->links = PageLinkPacker::pack(links);
        slot->readable = true;
    });
    return slot->readable ? &slot->links : nullptr;
}

LinkCheck::Impl::Found& LinkCheck::Impl::find(Job& job, const Place& place) {
    // The start, then each name after its length: no two places share a key, whatever
    // bytes their names decode to.
    std::string& key = job.key;
    key = place.start.u8string();
    for (const Place::Part& part : place.parts) {
        ((key += '\0') += std::to_string(part.name.size())) += ':';
        key += part.name;
    }
    key += place.folder ? '/' : '.';
    auto [cached, added] = job.targets.try_emplace(key);
    Found& found = cached->second;
    if (!added) return found;

    fs::path at = place.start;
    bool atFolder = true;
    bool otherCase = false;
    std::vector<std::string> diskNames;
    for (const Place::Part& part : place.parts) {
        if (!atFolder) return found;
        const Listing& listing = listingOf(at);
        const Named* named = nullptr;
        const auto entry = listing.names.find(part.name);
        if (entry != listing.names.end()) {
            named = &*entry;
        } else {
            job.folded = part.name;
            for (char& c : job.folded) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
            const auto alike = listing.folded.find(job.folded);
            if (alike == listing.folded.end()) return found;
            named = alike->second;
            otherCase = true;
        }
        diskNames.push_back(named->first);
        at /= named->second.name;
        atFolder = named->second.folder;
    }
    if (atFolder) {
        const Listing& listing = listingOf(at);
        const auto index =
            std::find_if(options.indexNames.begin(), options.indexNames.end(), [&](const std::string& name) {
                const auto entry = listing.names.find(name);
                return entry != listing.names.end() && !entry->second.folder;
            });
        if (index == options.indexNames.end()) return found;
        at /= listing.names.find(*index)->second.name;
    } else if (place.folder) {
        return found;
    }
    found.isPage = isPageName(at);
    found.file = at.native();
    found.state = otherCase ? Found::State::OtherCase : Found::State::Exact;
    if (otherCase) found.diskNames = std::move(diskNames);
    return found;
}

const PageLinkBlock* LinkCheck::Impl::anchorsOf(Found& found, const ReadAnchors& readAnchors) {
    if (found.anchorsRead) return found.anchors;
    found.anchorsRead = true;
    const auto added = pageOfFile.find(pathKey(found.file));
    if (added != pageOfFile.end()) return found.anchors = &pages[added->second].links;
    // Another target may lead to the same page (a folder and its index page): read once.
    return found.anchors = readPage(fs::path(found.file), readAnchors);
}

LinkCheck::Impl::PageBase LinkCheck::Impl::baseOf(const Page& page) const {
    PageBase base;
    base.folder.start = folders[page.folder];
    const std::string href = cleaned(page.links.base());
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
        place.start = root.empty() ? folders[page.folder].root_path() : root;
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
    // From the last part back, so the offsets of those before stay true. Each part has its
    // name on disk (a lookup is made for one start and its parts); the count is kept apart
    // all the same, so that an index never runs past the names.
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

void LinkCheck::Impl::checkReference(Job& job, const Page& page, const PageBase& base, uint32_t reference,
                                     const ReadAnchors& readAnchors, std::vector<Broken>& out) {
    const std::string text = cleaned(page.links.target(reference));
    if (isExternal(text, base.external)) return;
    const Split split = splitReference(text);
    auto report = [&](LinkKind kind, std::string detail = std::string()) {
        out.push_back({reference, kind, std::move(detail)});
    };
    const bool needsAnchor = split.fragment && fragmentNeedsAnchor(*split.fragment);
    const PageLinkBlock* anchors = &page.links;
    // A bare fragment stays on the page whatever its base says; any other reference
    // without a path leads to the base itself.
    const bool elsewhere = !split.path.empty() || (!text.empty() && text[0] != '#' && base.document);
    if (elsewhere) {
        Place place = split.path.empty() ? *base.document : startOf(page, base, split.path);
        if (!split.path.empty()) follow(place, split.path.substr(isDrivePath(split.path) ? 2 : 0), true);
        if (!root.empty() && !isWithin(place.start, root)) return report(LinkKind::OutsideRoot);
        Found& found = find(job, place);
        if (found.state == Found::State::Missing) {
            if (!accepted(split.path, place)) report(LinkKind::MissingTarget);
            return;
        }
        if (found.state == Found::State::OtherCase)
            return report(LinkKind::LetterCase, existing(text, split.path, place, found));
        if (!needsAnchor || !found.isPage) return;
        anchors = anchorsOf(found, readAnchors);
    }
    if (needsAnchor && anchors && !anchors->hasAnchor(*split.fragment))
        report(LinkKind::MissingAnchor, *split.fragment);
}

void LinkCheck::Impl::resolveFolder(Job& job, const std::vector<uint32_t>& folderPages,
                                    const ReadAnchors& readAnchors) {
    // What a reference comes to depends only on where it is resolved from (the page's
    // folder and base) and on its text, unless it is a fragment of the page itself: a
    // site's menus repeat the same links on every page of a folder, so each is resolved
    // once. The pages here share their folder; most share their base too.
    struct Outcome {
        bool broken = false;
        LinkKind kind = LinkKind::MissingTarget;
        std::string detail;
    };
    std::vector<std::pair<std::string_view, std::unordered_map<std::string_view, Outcome>>> byBase;
    for (const uint32_t index : folderPages) {
        const Page& page = pages[index];
        const PageBase base = baseOf(page);
        auto from = std::find_if(byBase.begin(), byBase.end(), [&](const auto& b) { return b.first == page.links.base(); });
        if (from == byBase.end()) from = byBase.insert(byBase.end(), {page.links.base(), {}});
        auto& outcomes = from->second;
        std::vector<Broken>& out = broken[index];
        const uint32_t count = static_cast<uint32_t>(page.links.referenceCount());
        for (uint32_t reference = 0; reference < count; ++reference) {
            const std::string_view target = page.links.target(reference);
            const size_t first = target.find_first_not_of(" \t\n\r\f");
            if (first == std::string_view::npos || target[first] == '#') {
                checkReference(job, page, base, reference, readAnchors, out);
                continue;
            }
            auto [known, added] = outcomes.try_emplace(target);
            if (added) {
                const size_t before = out.size();
                checkReference(job, page, base, reference, readAnchors, out);
                if (out.size() > before) known->second = {true, out.back().kind, out.back().detail};
            } else if (known->second.broken) {
                out.push_back({reference, known->second.kind, known->second.detail});
            }
        }
    }
}

LinkCheck::LinkCheck(LinkOptions options) : impl_(std::make_shared<Impl>()) {
    if (!options.root.empty()) impl_->root = absoluteNormal(options.root);
    impl_->options = std::move(options);
}

void LinkCheck::addPage(const std::string& path, PageLinks links) { addPage(path, PageLinkPacker::pack(links)); }

void LinkCheck::addPage(const std::string& path, PageLinkBlock links) {
    Impl& site = *impl_;
    const fs::path file = absoluteNormal(path);
    fs::path folder = file.parent_path();
    const auto [id, added] = site.folderIds.try_emplace(folder.native(), static_cast<uint32_t>(site.folders.size()));
    if (added) site.folders.push_back(std::move(folder));
    site.pageOfFile[pathKey(file)] = static_cast<uint32_t>(site.pages.size());
    site.pages.push_back({path, id->second, std::move(links)});
}

void LinkCheck::resolve(const ReadAnchors& readAnchors, int jobs) {
    Impl& site = *impl_;
    site.broken.assign(site.pages.size(), {});
    std::vector<std::vector<uint32_t>> folderPages(site.folders.size());
    std::vector<size_t> references(site.folders.size());
    for (uint32_t index = 0; index < site.pages.size(); ++index) {
        const Impl::Page& page = site.pages[index];
        folderPages[page.folder].push_back(index);
        references[page.folder] += page.links.referenceCount();
    }
    // The largest folders first, so that the jobs end at about the same time.
    std::vector<uint32_t> order(site.folders.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return references[a] > references[b]; });

    std::atomic<size_t> next{0};
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto work = [&] {
        try {
            Impl::Job job;
            for (size_t at; (at = next++) < order.size();) site.resolveFolder(job, folderPages[order[at]], readAnchors);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure) failure = std::current_exception();
            next = order.size();
        }
    };
    std::vector<std::thread> helpers;
    const size_t threads = std::min<size_t>(static_cast<size_t>(std::max(jobs, 1)), order.size());
    try {
        for (size_t i = 1; i < threads; ++i) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: those started and this one do the work.
    }
    work();
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
}

size_t LinkCheck::pageCount() const { return impl_->pages.size(); }

const std::string& LinkCheck::pagePath(size_t page) const { return impl_->pages[page].path; }

size_t LinkCheck::brokenCount(size_t page) const {
    return page < impl_->broken.size() ? impl_->broken[page].size() : 0;
}

LinkProblem LinkCheck::broken(size_t page, size_t index) const {
    const Impl::Page& on = impl_->pages[page];
    const Impl::Broken& b = impl_->broken[page][index];
    return {b.kind,
            on.path,
            on.links.line(b.reference),
            on.links.column(b.reference),
            std::string(on.links.target(b.reference)),
            b.kind == LinkKind::LetterCase ? b.detail : std::string(),
            b.kind == LinkKind::MissingAnchor ? b.detail : std::string()};
}

std::vector<LinkProblem> LinkCheck::check(const ReadAnchors& readAnchors) {
    resolve(readAnchors, 1);
    std::vector<LinkProblem> problems;
    for (size_t page = 0; page < pageCount(); ++page) {
        for (size_t i = 0; i < brokenCount(page); ++i) problems.push_back(broken(page, i));
    }
    return problems;
}

std::vector<ExternalLink> LinkCheck::externals() const {
    std::vector<ExternalLink> links;
    for (const Impl::Page& page : impl_->pages) {
        const bool externalBase = isExternal(cleaned(page.links.base()), false);
        for (size_t reference = 0; reference < page.links.referenceCount(); ++reference) {
            const std::string_view target = page.links.target(reference);
            if (isExternal(cleaned(target), externalBase))
                links.push_back({page.path, page.links.line(reference), std::string(target)});
        }
    }
    return links;
}

bool readPageLinksOfFile(const std::string& path, PageLinks& links) {
    Document page;
    return page.load(path.c_str()) && readPageLinks(page, links);
}
