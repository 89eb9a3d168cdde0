// The configurations and profiles pages are examined with, kept for the command line and
// the language server alike: each tagvetter.toml read once, each profile made once with
// its known-tag files, each fault of them given once.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "site_config.h"
#include "tag_profile.h"

class SiteSettings {
public:
    // The configuration in `file`, read the first time it is asked for. Null when it is
    // wrong or can't be read: its fault goes to `errors` that first time only, and it stays
    // wrong until forgotten.
    const SiteConfig* configuration(const std::string& file, std::vector<std::string>& errors);

    // The profile `name` ("html32", "html4", "html5" or AutoProfile) with the known-tag
    // files added, made the first time it is asked for. Empty when it can't be made: each
    // fault goes to `errors` once, whichever profiles read the file.
    ProfileChoice profiles(const std::string& name, const std::vector<std::string>& knownFiles,
                           std::vector<std::string>& errors);

    // Every profile made, in the order they were first made.
    const std::vector<const TagProfile*>& profilesMade() const { return made_; }

    // Drops the configuration kept for `file`, and every profile, whose known-tag files may
    // have changed with it: they are read again when next asked for.
    void forget(const std::string& file);

private:
    // Keeps only the faults not given before.
    void report(const std::vector<std::string>& faults, std::vector<std::string>& errors);

    std::map<std::string, std::unique_ptr<SiteConfig>> configurations_;  // by normal path; null: wrong
    std::map<std::string, std::unique_ptr<TagProfile>> profiles_;         // by name and files; null: failed
    std::map<std::string, DoctypeProfiles> doctypeProfiles_;             // auto's, by files; empty: failed
    std::vector<const TagProfile*> made_;
    std::set<std::string> reported_;
};
