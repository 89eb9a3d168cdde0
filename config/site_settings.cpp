#include "site_settings.h"

#include <filesystem>

namespace {

// One key for the spellings of a path: absolute and without "." or "..".
std::string normalPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(path), error);
    return error ? path : absolute.lexically_normal().u8string();
}

std::string keyOf(const std::string& name, const std::vector<std::string>& knownFiles) {
    std::string key = name;
    for (const std::string& file : knownFiles) key += '\n' + file;
    return key;
}

}  // namespace

const SiteConfig* SiteSettings::configuration(const std::string& file, std::vector<std::string>& errors) {
    const std::string key = normalPath(file);
    auto kept = configurations_.find(key);
    if (kept == configurations_.end()) {
        auto read = std::make_unique<SiteConfig>();
        std::string error;
        if (!read->load(file, error)) {
            errors.push_back(error);
            read.reset();
        }
        kept = configurations_.emplace(key, std::move(read)).first;
    }
    return kept->second.get();
}

ProfileChoice SiteSettings::profiles(const std::string& name, const std::vector<std::string>& knownFiles,
                                     std::vector<std::string>& errors) {
    const std::string key = keyOf(name, knownFiles);
    std::vector<std::string> faults;
    if (name == AutoProfile) {
        auto kept = doctypeProfiles_.find(key);
        if (kept == doctypeProfiles_.end()) {
            kept = doctypeProfiles_.emplace(key, DoctypeProfiles()).first;
            if (makeDoctypeProfiles(knownFiles, kept->second, faults)) {
                for (const auto& profile : kept->second) made_.push_back(profile.get());
            } else {
                kept->second = DoctypeProfiles();
            }
            report(faults, errors);
        }
        return ProfileChoice(kept->second);
    }
    auto kept = profiles_.find(key);
    if (kept == profiles_.end()) {
        kept = profiles_.emplace(key, makeProfileWithKnownTags(name, knownFiles, faults)).first;
        if (kept->second) made_.push_back(kept->second.get());
        report(faults, errors);
    }
    return kept->second ? ProfileChoice(kept->second.get()) : ProfileChoice();
}

void SiteSettings::forget(const std::string& file) {
    configurations_.erase(normalPath(file));
    profiles_.clear();
    doctypeProfiles_.clear();
    made_.clear();
    reported_.clear();
}

void SiteSettings::report(const std::vector<std::string>& faults, std::vector<std::string>& errors) {
    for (const std::string& fault : faults) {
        if (reported_.insert(fault).second) errors.push_back(fault);
    }
}
