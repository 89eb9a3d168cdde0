// How each page of a run is examined: the profile and the kinds left out, from the
// command line's options and the configuration file that applies to the page.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "arguments.h"
#include "document_check.h"
#include "error.h"
#include "link_check.h"
#include "site_config.h"
#include "tag_profile.h"

struct PageSetup {
    const TagProfile* profile = nullptr;  // null with auto: one of `byDoctype`
    std::array<const TagProfile*, 3> byDoctype{};  // with auto: html32, html4, html5, made with one known-tag list
    CheckOptions options;

    // The profile for the page whose text is `text`: with auto, the one its start asks for.
    const TagProfile& profileOf(const char* text, size_t size) const;
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
    std::vector<const TagProfile*> profiles() const;
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
    // Fills in the profiles of `setup` for the profile `name` (or auto); false when one
    // can't be made, its faults added to `errors`.
    bool profilesFor(const std::string& name, const std::vector<std::string>& knownFiles, PageSetup& setup,
                     Errors& errors);

    const Arguments* arguments_ = nullptr;
    std::map<std::string, std::unique_ptr<SiteConfig>> configs_;  // by file, null when none applies
    std::map<std::string, std::string> configOfFolder_;           // a page's folder: its file, or ""
    std::map<std::string, std::unique_ptr<TagProfile>> profileMade_;  // by name and known files
    std::map<std::string, DoctypeProfiles> doctypeProfilesMade_;      // auto's, by its known files
    std::vector<const TagProfile*> profileOrder_;
    std::vector<PageSetup> setups_;     // each distinct setup once
    std::vector<uint32_t> pageSetups_;  // per page: its setup in setups_
    std::string excludedBy_;
    LinkOptions linkOptions_;
    std::set<std::string> profileErrors_;  // the known-tag faults given so far
};

// Makes the profile `name` with the user's known tags. Null, with every fault of the known
// tags added to `errors` as FILE:LINE: what is wrong, when it can't be had; with `written`,
// a fault added before (kept there) is not added again.
std::unique_ptr<TagProfile> makeProfile(const std::string& name, const std::vector<std::string>& knownFiles,
                                        Errors& errors, std::set<std::string>* written = nullptr);
