// How each page of a run is examined: the profile and the kinds left out, from the
// command line's options and the configuration file that applies to the page.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "arguments.h"
#include "document_check.h"
#include "error.h"
#include "link_check.h"
#include "site_config.h"
#include "site_settings.h"
#include "tag_profile.h"

struct PageSetup {
    ProfileChoice profiles;
    CheckOptions options;
};

class RunSettings {
public:
    // Finds and reads the configuration of each of `paths` (the --config FILE for all, or
    // none with --no-config), drops the paths it excludes, and makes every profile the
    // pages need, with their known-tag files. Gives every fault of a configuration or a
    // known-tag file that is wrong or can't be read, each once; with any, no page is read.
    Errors prepare(const Arguments& arguments, std::vector<std::string>& paths);

    // The setup of the page that is `index` in the paths left by prepare.
    const PageSetup& setupOf(size_t index) const { return setups_[pageSetups_[index]]; }
    // Every profile in use, in the order of the pages that first use them; at least one.
    const std::vector<const TagProfile*>& profiles() const { return site_.profilesMade(); }
    // How links are resolved: --root and --index, else the [links] table of the
    // configuration of the first page, else the folder given (the page's folder for one page)
    // and index.html,index.htm.
    const LinkOptions& linkOptions() const { return linkOptions_; }
    // The configuration that excluded `path`, for a page named alone; "" when none did.
    const std::string& excludedBy() const { return excludedBy_; }

private:
    // The configuration that applies to the page at `path`, null when none does; false when
    // it is wrong or can't be read (its fault is added to `errors` once).
    bool configFor(const std::string& path, const SiteConfig*& config, Errors& errors);
    // The profiles `name` (or auto) with those known tags; empty, with its faults added to
    // `errors`, when they can't be made.
    ProfileChoice profilesFor(const std::string& name, const std::vector<std::string>& knownFiles, Errors& errors);

    const Arguments* arguments_ = nullptr;
    SiteSettings site_;
    std::map<std::string, std::string> configOfFolder_;  // a page's folder: its file, or ""
    std::vector<PageSetup> setups_;     // each distinct setup once
    std::vector<uint32_t> pageSetups_;  // per page: its setup in setups_
    std::string excludedBy_;
    LinkOptions linkOptions_;
};

// Makes the profile `name` with the user's known tags. Null, with every fault of the known
// tags added to `errors` as FILE:LINE: what is wrong, when it can't be had.
std::unique_ptr<TagProfile> makeProfile(const std::string& name, const std::vector<std::string>& knownFiles,
                                        Errors& errors);
