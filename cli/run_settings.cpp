#include "run_settings.h"

#include <algorithm>
#include <filesystem>

#include "inputs.h"
#include "page_profile.h"

const TagProfile& PageSetup::profileOf(const char* text, size_t size) const {
    if (profile) return *profile;
    const char* const name = profileOfPage(text, size);
    for (const TagProfile* candidate : byDoctype) {
        if (candidate->name() == name) return *candidate;
    }
    return *byDoctype.front();
}

namespace {

// Adds each fault of the known tags, once when `written` keeps those added before: a
// known-tag file that several profiles read is wrong in each the same way.
void addFaults(const std::vector<std::string>& faults, Errors& errors, std::set<std::string>* written) {
    for (const std::string& line : faults) {
        if (!written || written->insert(line).second) errors.push_back({std::string(), line});
    }
}

std::string keyOf(const std::string& name, const std::vector<std::string>& knownFiles) {
    std::string key = name;
    for (const std::string& file : knownFiles) key += '\n' + file;
    return key;
}

}  // namespace

std::unique_ptr<TagProfile> makeProfile(const std::string& name, const std::vector<std::string>& knownFiles,
                                        Errors& errors, std::set<std::string>* written) {
    std::vector<std::string> faults;
    std::unique_ptr<TagProfile> profile = makeProfileWithKnownTags(name, knownFiles, faults);
    addFaults(faults, errors, written);
    return profile;
}

bool RunSettings::configFor(const std::string& path, const SiteConfig*& config, Errors& errors) {
    config = nullptr;
    std::string file = arguments_->configFile;
    if (file.empty()) {
        const std::string folder =
            path == StandardInputPath ? std::string() : std::filesystem::path(path).parent_path().string();
        auto found = configOfFolder_.find(folder);
        if (found == configOfFolder_.end()) found = configOfFolder_.emplace(folder, findSiteConfig(path)).first;
        file = found->second;
        if (file.empty()) return true;
    }
    auto loaded = configs_.find(file);
    if (loaded == configs_.end()) {
        std::unique_ptr<SiteConfig> read(new SiteConfig);
        std::string error;
        if (!read->load(file, error)) {
            errors.push_back({file, error});
            read.reset();
        }
        // A file that is wrong stays so: its fault is written once.
        loaded = configs_.emplace(file, std::move(read)).first;
    }
    config = loaded->second.get();
    return config != nullptr;
}

bool RunSettings::profilesFor(const std::string& name, const std::vector<std::string>& knownFiles,
                              PageSetup& setup, Errors& errors) {
    const std::string key = keyOf(name, knownFiles);
    if (name != AutoProfile) {
        auto made = profileMade_.find(key);
        if (made == profileMade_.end()) {
            made = profileMade_.emplace(key, makeProfile(name, knownFiles, errors, &profileErrors_)).first;
            if (made->second) profileOrder_.push_back(made->second.get());
        }
        return (setup.profile = made->second.get()) != nullptr;
    }
    auto made = doctypeProfilesMade_.find(key);
    if (made == doctypeProfilesMade_.end()) {
        made = doctypeProfilesMade_.emplace(key, DoctypeProfiles()).first;
        std::vector<std::string> faults;
        if (makeDoctypeProfiles(knownFiles, made->second, faults)) {
            for (const auto& profile : made->second) profileOrder_.push_back(profile.get());
        } else {
            made->second = DoctypeProfiles();
        }
        addFaults(faults, errors, &profileErrors_);
    }
    for (size_t i = 0; i < setup.byDoctype.size(); ++i) setup.byDoctype[i] = made->second[i].get();
    return setup.byDoctype.front() != nullptr;
}

Errors RunSettings::prepare(const Arguments& arguments, std::vector<std::string>& paths) {
    arguments_ = &arguments;
    std::vector<std::string> kept;
    Errors errors;
    bool good = true;
    const LinkSettings* firstLinks = nullptr;
    for (const std::string& path : paths) {
        PageSettings settings;
        if (!arguments.noConfig) {
            const SiteConfig* config = nullptr;
            if (!configFor(path, config, errors)) {
                good = false;
                continue;
            }
            if (config) {
                if (!firstLinks) firstLinks = &config->links();
                settings = config->settingsFor(path);
                if (settings.excluded) {
                    if (paths.size() == 1) excludedBy_ = config->file();
                    continue;
                }
            }
        }
        const std::string& name =
            arguments.profileGiven || settings.profile.empty() ? arguments.profile : settings.profile;
        const std::vector<std::string>& known =
            !arguments.knownFiles.empty() || settings.knownFiles.empty() ? arguments.knownFiles : settings.knownFiles;
        PageSetup setup;
        if (!profilesFor(name, known, setup, errors)) {
            good = false;
            continue;
        }
        for (const ProblemKind kind : settings.ignore) setup.options.ignored.set(static_cast<size_t>(kind));
        auto same = std::find_if(setups_.begin(), setups_.end(), [&](const PageSetup& s) {
            return s.profile == setup.profile && s.byDoctype == setup.byDoctype &&
                   s.options.ignored == setup.options.ignored;
        });
        if (same == setups_.end()) same = setups_.insert(setups_.end(), setup);
        pageSetups_.push_back(static_cast<uint32_t>(same - setups_.begin()));
        kept.push_back(path);
    }
    if (!good) return errors;
    linkOptions_.root = arguments.root;
    if (linkOptions_.root.empty() && firstLinks) linkOptions_.root = firstLinks->root;
    if (linkOptions_.root.empty() && !arguments.operands.empty()) {
        const std::string& first = arguments.operands.front();
        std::error_code ec;
        if (std::filesystem::is_directory(first, ec)) {
            linkOptions_.root = first;
        } else if (arguments.operands.size() == 1 && !arguments.hasFilesFrom && first != StandardInputPath) {
            linkOptions_.root = std::filesystem::path(first).parent_path().string();
        }
    }
    if (linkOptions_.root.empty()) linkOptions_.root = ".";
    if (!arguments.indexNames.empty()) {
        linkOptions_.indexNames = arguments.indexNames;
    } else if (firstLinks && !firstLinks->index.empty()) {
        linkOptions_.indexNames = firstLinks->index;
    }
    if (firstLinks) linkOptions_.accept = firstLinks->accept;
    // A run with no page still has the profiles the options name, for its SARIF rules.
    PageSetup unused;
    if (profileOrder_.empty() && !profilesFor(arguments.profile, arguments.knownFiles, unused, errors)) return errors;
    paths.swap(kept);
    return {};
}

std::vector<const TagProfile*> RunSettings::profiles() const { return profileOrder_; }
