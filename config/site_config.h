// A site's tagvetter.toml: the profile its pages are read with, its own known-tag files,
// the kinds it leaves out and the paths it doesn't examine, with [[overrides]] for parts of
// the site. Read by the command line and the language server alike.
#pragma once

#include <string>
#include <vector>

#include "document_check.h"

// The name the file is looked for under.
constexpr const char SiteConfigName[] = "tagvetter.toml";

// The profile name that lets each page's doctype choose its profile (page_profile.h).
constexpr const char AutoProfile[] = "auto";

// What the configuration says of one page. Empty fields: the file doesn't say.
struct PageSettings {
    bool excluded = false;                // matched by `exclude`: not examined
    std::string profile;                  // "html32", "html4", "html5", AutoProfile; "" when not set
    std::vector<std::string> knownFiles;  // usable from the current folder, in the order given
    std::vector<ProblemKind> ignore;      // kinds to leave out, each once
};

// The [links] table: how `tagvetter links` resolves and forgives the site's links.
struct LinkSettings {
    std::string root;                     // for "/..." links, usable from the current folder; "" when not set
    std::vector<std::string> index;       // a folder's page names, in order; empty when not set
    std::vector<std::string> accept;      // glob patterns of targets that are fine though missing
};

class SiteConfig {
public:
    // Reads and checks `file`. False when it can't be read or is wrong, with `error` set
    // to "FILE:LINE:COLUMN: what is wrong" for the first fault in the file (or "FILE: what
    // is wrong" when no place applies); the configuration is then left as it was.
    bool load(const std::string& file, std::string& error);
    // The same for `text`, read from `file` already.
    bool loadText(const std::string& file, const std::string& text, std::string& error);

    // The file as given to load.
    const std::string& file() const { return file_; }

    // The settings of the page at `pagePath` (as given on the command line, relative to the
    // current folder, or absolute): the top-level keys, then each [[overrides]] table whose
    // `paths` match, in order, each key it sets replacing the one before. Standard input
    // ("-") and a page outside the configuration's folder match no pattern.
    PageSettings settingsFor(const std::string& pagePath) const;
    const LinkSettings& links() const { return links_; }

private:
    // A pattern of `exclude` or `paths`, split at load into its '/'-separated parts, with
    // "**/" put before a pattern that matches at any depth.
    using PathPattern = std::vector<std::string>;
    struct Override {
        std::vector<PathPattern> paths;
        bool hasProfile = false, hasKnown = false, hasIgnore = false;
        PageSettings settings;
    };
    friend class SiteConfigReader;  // the reading of the file, in site_config.cpp

    std::string file_;
    std::string folder_;  // the file's folder, absolute and normal
    std::vector<PathPattern> exclude_;
    PageSettings top_;
    std::vector<Override> overrides_;
    LinkSettings links_;
};

// The tagvetter.toml nearest the page at `pagePath`: in its folder, or the nearest folder
// above it; "" when there is none. For standard input ("-") the search starts in the
// current folder.
std::string findSiteConfig(const std::string& pagePath);

// Whether the path `relative` ('/'-separated, relative to the configuration's folder)
// matches `pattern`: "*" is any run of characters but "/", "?" one such character, "**" any
// run of whole folders, none included; a pattern without "/" matches the file's name in any
// folder, one with a leading "./" or "/" only from the configuration's folder, and a
// pattern that matches a folder matches everything below it.
bool matchesPathPattern(const std::string& pattern, const std::string& relative);
