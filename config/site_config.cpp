#include "site_config.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include <toml++/toml.h>

#include "file_reader.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

// toml++ 3.3 asks of characters beyond ASCII whether they are white space with a test
// that runs into undefined behaviour for many of them (U+01BF, U+3001, ...), both outside
// strings and, as it looks for the end of a value, inside them. So the text it is given
// has each character from U+0080 to U+FFFF moved to plane 15 (U+F0080 to U+FFFFF), where
// that test is sound and every character is one TOML takes in strings and comments as it
// takes the original; what comes back is moved home again. A character counts one column
// either way, so every place toml++ gives stays true.
constexpr char32_t Moved = 0xF0000;

// Gives `text` with each character `from` a range moved by `by` (`to` when moved home).
template <typename Move>
std::string moveCharacters(const std::string& text, Move move) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data() + i);
        const size_t length = utf8CharacterLength(p, text.size() - i);
        if (length > 1) {
            appendUtf8(move(utf8CodePoint(p, length)), out);
            i += length;
        } else {
            out += text[i++];  // ASCII, or a byte toml++ refuses as not UTF-8
        }
    }
    return out;
}

// The text as toml++ is given it; false when it holds a character of plane 15 already,
// which would come back as another.
bool movedForToml(const std::string& text, std::string& moved, toml::source_position& stray) {
    stray = {1, 0};
    for (size_t i = 0; i < text.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data() + i);
        const size_t length = std::max<size_t>(utf8CharacterLength(p, text.size() - i), 1);
        if (!isUtf8Continuation(*p)) ++stray.column;
        if (*p == '\n') stray = {static_cast<toml::source_index>(stray.line + 1), 0};
        const char32_t c = utf8CodePoint(p, length);
        if (c >= Moved && c < Moved + 0x10000) return false;
        i += length;
    }
    // A byte order mark at the start is toml++'s to skip, and stays as it is.
    const bool mark = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    moved = (mark ? text.substr(0, 3) : std::string()) +
            moveCharacters(mark ? text.substr(3) : text, [](char32_t c) { return c >= 0x80 && c < 0x10000 ? c + Moved : c; });
    return true;
}

// A text toml++ gave back (a value, a key, a message), with its characters moved home.
std::string movedHome(std::string_view text) {
    return moveCharacters(std::string(text), [](char32_t c) { return c >= Moved + 0x80 && c < Moved + 0x10000 ? c - Moved : c; });
}


// SiteConfig::PathPattern, which is private: a pattern's parts.
using PathPattern = std::vector<std::string>;
using PathParts = std::vector<std::string_view>;

constexpr const char* ProfileNames[] = {"html32", "html4", "html5", AutoProfile};

// The first fault found in the file, handed back by the readers below to load.
struct Fault {
    toml::source_position place;
    std::string what;
};
// What a reader gives: nothing when what it read is right, else its fault.
using Faulty = std::optional<Fault>;

Faulty fault(const toml::source_region& place, std::string what) { return Fault{place.begin, std::move(what)}; }

std::string inQuotes(std::string_view text) { return "'" + std::string(text) + "'"; }

// A table keeps its keys sorted by name; its entries are read in the file's order, so that
// the fault reported is the first one in the file.
std::vector<std::pair<const toml::key*, const toml::node*>> inFileOrder(const toml::table& table) {
    std::vector<std::pair<const toml::key*, const toml::node*>> entries;
    for (auto&& [key, value] : table) entries.emplace_back(&key, &value);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first->source().begin < b.first->source().begin; });
    return entries;
}

Faulty readString(const toml::key& key, const toml::node& value, std::string& read) {
    const toml::value<std::string>* text = value.as_string();
    if (!text) return fault(value.source(), inQuotes(key.str()) + " must be a string");
    read = movedHome(text->get());
    return {};
}

// The strings of an array, each with its node for a fault to point at.
using Strings = std::vector<std::pair<std::string, const toml::node*>>;

Faulty readStrings(const toml::key& key, const toml::node& value, Strings& strings) {
    const std::string mustBe = inQuotes(key.str()) + " must be an array of strings";
    const toml::array* array = value.as_array();
    if (!array) return fault(value.source(), mustBe);
    for (const toml::node& element : *array) {
        const toml::value<std::string>* text = element.as_string();
        if (!text) return fault(element.source(), mustBe);
        strings.emplace_back(movedHome(text->get()), &element);
    }
    return {};
}

Faulty readProfile(const toml::key& key, const toml::node& value, std::string& name) {
    if (Faulty found = readString(key, value, name)) return found;
    if (std::find(std::begin(ProfileNames), std::end(ProfileNames), name) == std::end(ProfileNames)) {
        return fault(value.source(), "unknown profile " + inQuotes(name) + ": html32, html4, html5 or auto");
    }
    return {};
}

// Any profile's kinds: an override may switch to a profile that reports more of them.
Faulty readIgnore(const toml::key& key, const toml::node& value, std::vector<ProblemKind>& kinds) {
    Strings ids;
    if (Faulty found = readStrings(key, value, ids)) return found;
    kinds.clear();
    for (const auto& [id, element] : ids) {
        int k = 0;
        while (k < ProblemKindCount && id != problemKindId(static_cast<ProblemKind>(k))) ++k;
        if (k == ProblemKindCount) return fault(element->source(), "unknown kind " + inQuotes(id));
        const ProblemKind kind = static_cast<ProblemKind>(k);
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
    }
    return {};
}

Faulty readKnown(const toml::key& key, const toml::node& value, const fs::path& folder,
                 std::vector<std::string>& files) {
    Strings names;
    if (Faulty found = readStrings(key, value, names)) return found;
    files.clear();
    for (const auto& [file, element] : names) {
        if (file.empty()) return fault(element->source(), "'known' holds an empty path");
        const fs::path path(file);
        files.push_back(path.is_absolute() ? file : (folder / path).lexically_normal().string());
    }
    return {};
}

// Splits a '/'-separated path into its parts, leaving out empty ones and ".".
template <typename Parts>
Parts splitPath(std::string_view path) {
    Parts parts;
    while (!path.empty()) {
        const size_t slash = std::min(path.find('/'), path.size());
        const std::string_view part = path.substr(0, slash);
        if (!part.empty() && part != ".") parts.emplace_back(part);
        path.remove_prefix(std::min(slash + 1, path.size()));
    }
    return parts;
}

// A pattern holding no "/" but at its end matches at any depth, as if it began with "**/";
// a leading "./" or "/" anchors it at the configuration's folder.
PathPattern splitPattern(std::string_view pattern) {
    const bool anchored = pattern.substr(0, 1) == "/" || pattern.substr(0, 2) == "./";
    PathPattern parts = splitPath<PathPattern>(pattern);
    if (!anchored && parts.size() == 1) parts.insert(parts.begin(), "**");
    return parts;
}

Faulty readPatterns(const toml::key& key, const toml::node& value, std::vector<PathPattern>& patterns) {
    Strings texts;
    if (Faulty found = readStrings(key, value, texts)) return found;
    patterns.clear();
    for (const auto& [pattern, element] : texts) {
        patterns.push_back(splitPattern(pattern));
        if (patterns.back().empty()) return fault(element->source(), inQuotes(key.str()) + " holds an empty pattern");
    }
    return {};
}

// The length of the UTF-8 character at `at`: its lead byte and the continuation bytes after it.
size_t characterLength(std::string_view text, size_t at) {
    size_t end = at + 1;
    while (end < text.size() && isUtf8Continuation(static_cast<unsigned char>(text[end]))) ++end;
    return end - at;
}

// Whether one part of a path matches one part of a pattern: "*" any run, "?" one character.
bool matchesName(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t afterStar = std::string_view::npos, starTakesTo = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            afterStar = ++p;
            starTakesTo = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += characterLength(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (afterStar != std::string_view::npos) {
            // The last "*" takes one more character and the rest is tried again.
            starTakesTo += characterLength(name, starTakesTo);
            p = afterStar;
            n = starTakesTo;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// Whether the pattern's parts from `p` on match the path's parts from `n` on, or the
// parts of a folder that holds the rest.
bool matchesParts(const PathPattern& pattern, size_t p, const PathParts& path, size_t n) {
    for (; p < pattern.size(); ++p, ++n) {
        if (pattern[p] == "**") {
            for (size_t rest = n; rest <= path.size(); ++rest) {
                if (matchesParts(pattern, p + 1, path, rest)) return true;
            }
            return false;
        }
        if (n == path.size() || !matchesName(pattern[p], path[n])) return false;
    }
    return true;
}

bool matchesAny(const std::vector<PathPattern>& patterns, const PathParts& path) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const PathPattern& pattern) { return matchesParts(pattern, 0, path, 0); });
}

// The page's path relative to `folder`, '/'-separated; "" for a page outside it.
std::string relativePath(const std::string& pagePath, const fs::path& folder) {
    std::error_code error;
    const fs::path page = fs::absolute(fs::path(pagePath), error).lexically_normal();
    if (error) return "";
    const fs::path relative = page.lexically_relative(folder);
    if (relative.empty() || relative == "." || *relative.begin() == "..") return "";
    std::string text = relative.string();
#ifdef _WIN32
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return text;
}

}  // namespace

// Fills a SiteConfig's private parts from the parsed file; a friend of it.
class SiteConfigReader {
public:
    static Faulty read(const toml::table& root, const fs::path& folder, SiteConfig& config) {
        for (const auto& [key, value] : inFileOrder(root)) {
            const std::string_view name = key->str();
            Faulty found;
            if (name == "profile") {
                found = readProfile(*key, *value, config.top_.profile);
            } else if (name == "known") {
                found = readKnown(*key, *value, folder, config.top_.knownFiles);
            } else if (name == "ignore") {
                found = readIgnore(*key, *value, config.top_.ignore);
            } else if (name == "exclude") {
                found = readPatterns(*key, *value, config.exclude_);
            } else if (name == "overrides") {
                found = readOverrides(*value, folder, config.overrides_);
            } else if (name == "links") {
                found = readLinks(*value, folder, config.links_);
            } else {
                found = fault(key->source(), "unknown key " + inQuotes(name));
            }
            if (found) return found;
        }
        return {};
    }

private:
    static Faulty readLinks(const toml::node& value, const fs::path& folder, LinkSettings& links) {
        const toml::table* table = value.as_table();
        if (!table) return fault(value.source(), "'links' must be a table");
        for (const auto& [key, entry] : inFileOrder(*table)) {
            const std::string_view name = key->str();
            if (name == "root") {
                std::string root;
                if (Faulty found = readString(*key, *entry, root)) return found;
                if (root.empty()) return fault(entry->source(), "'root' holds an empty path");
                const fs::path path(root);
                links.root = path.is_absolute() ? root : (folder / path).lexically_normal().string();
            } else if (name == "index") {
                Strings pages;
                if (Faulty found = readStrings(*key, *entry, pages)) return found;
                links.index.clear();
                for (const auto& [page, element] : pages) {
                    if (page.empty() || page.find_first_of("/\\") != std::string::npos)
                        return fault(element->source(), "'index' holds a name that is no file name");
                    links.index.push_back(page);
                }
            } else if (name == "accept") {
                Strings patterns;
                if (Faulty found = readStrings(*key, *entry, patterns)) return found;
                links.accept.clear();
                for (const auto& [pattern, element] : patterns) {
                    if (pattern.empty()) return fault(element->source(), "'accept' holds an empty pattern");
                    links.accept.push_back(pattern);
                }
            } else {
                return fault(key->source(), "unknown key " + inQuotes(name) + " in [links]");
            }
        }
        return {};
    }

    static Faulty readOverrides(const toml::node& value, const fs::path& folder,
                                std::vector<SiteConfig::Override>& overrides) {
        const char* mustBe = "'overrides' must be an array of tables";
        const toml::array* tables = value.as_array();
        if (!tables) return fault(value.source(), mustBe);
        for (const toml::node& element : *tables) {
            const toml::table* table = element.as_table();
            if (!table) return fault(element.source(), mustBe);
            overrides.emplace_back();
            if (Faulty found = readOverride(*table, folder, overrides.back())) return found;
        }
        return {};
    }

    static Faulty readOverride(const toml::table& table, const fs::path& folder, SiteConfig::Override& rule) {
        for (const auto& [key, value] : inFileOrder(table)) {
            const std::string_view name = key->str();
            Faulty found;
            if (name == "paths") {
                found = readPatterns(*key, *value, rule.paths);
                if (!found && rule.paths.empty()) found = fault(value->source(), "'paths' must not be empty");
            } else if (name == "profile") {
                found = readProfile(*key, *value, rule.settings.profile);
                rule.hasProfile = true;
            } else if (name == "known") {
                found = readKnown(*key, *value, folder, rule.settings.knownFiles);
                rule.hasKnown = true;
            } else if (name == "ignore") {
                found = readIgnore(*key, *value, rule.settings.ignore);
                rule.hasIgnore = true;
            } else if (name == "exclude") {
                found = fault(key->source(), "'exclude' is read at the top level only");
            } else {
                found = fault(key->source(), "unknown key " + inQuotes(name) + " in an override");
            }
            if (found) return found;
        }
        if (!table.contains("paths")) return fault(table.source(), "override without 'paths'");
        return {};
    }
};

bool SiteConfig::load(const std::string& file, std::string& error) {
    FileBlock block;
    if (!readWholeFile(file.c_str(), block)) {
        error = file + ": can't be read";
        return false;
    }
    const std::string text(block.bytes, block.size);
    free(block.bytes);
    return loadText(file, text, error);
}

bool SiteConfig::loadText(const std::string& file, const std::string& text, std::string& error) {
    std::error_code pathError;
    const fs::path folder = fs::absolute(fs::path(file), pathError).lexically_normal().parent_path();
    if (pathError) {
        error = file + ": can't be read";
        return false;
    }
    std::string moved;
    toml::source_position stray;
    if (!movedForToml(text, moved, stray)) {
        error = file + ":" + std::to_string(stray.line) + ":" + std::to_string(stray.column) +
                ": a private-use character of plane 15";
        return false;
    }
    SiteConfig loaded;
    loaded.file_ = file;
    loaded.folder_ = folder.string();
    toml::table root;
    // toml++ throws on a file that is no TOML: caught here, its edge.
    try {
        root = toml::parse(moved, std::string(file));
    } catch (const toml::parse_error& parseError) {
        const toml::source_position place = parseError.source().begin;
        error = file + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) + ": " +
                movedHome(parseError.description());
        return false;
    }
    if (const Faulty found = SiteConfigReader::read(root, folder, loaded)) {
        error = file + ":" + std::to_string(found->place.line) + ":" + std::to_string(found->place.column) + ": " +
                movedHome(found->what);
        return false;
    }
    *this = std::move(loaded);
    return true;
}

PageSettings SiteConfig::settingsFor(const std::string& pagePath) const {
    PageSettings settings = top_;
    // Standard input has no path for the patterns to match.
    if (pagePath == "-") return settings;
    const std::string relative = relativePath(pagePath, fs::path(folder_));
    if (relative.empty()) return settings;
    const PathParts parts = splitPath<PathParts>(relative);
    settings.excluded = matchesAny(exclude_, parts);
    for (const Override& rule : overrides_) {
        if (!matchesAny(rule.paths, parts)) continue;
        if (rule.hasProfile) settings.profile = rule.settings.profile;
        if (rule.hasKnown) settings.knownFiles = rule.settings.knownFiles;
        if (rule.hasIgnore) settings.ignore = rule.settings.ignore;
    }
    return settings;
}

std::string findSiteConfig(const std::string& pagePath) {
    std::error_code error;
    fs::path folder = pagePath == "-" ? fs::current_path(error)
                                      : fs::absolute(fs::path(pagePath), error).lexically_normal().parent_path();
    if (error) return "";
    for (;;) {
        const fs::path candidate = folder / SiteConfigName;
        if (fs::is_regular_file(candidate, error)) return candidate.string();
        if (!folder.has_relative_path()) return "";
        folder = folder.parent_path();
    }
}

bool matchesPathPattern(const std::string& pattern, const std::string& relative) {
    const PathPattern parts = splitPattern(pattern);
    return !parts.empty() && matchesParts(parts, 0, splitPath<PathParts>(relative), 0);
}
