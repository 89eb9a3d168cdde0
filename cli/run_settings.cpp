#include "run_settings.h"

#include <algorithm>
#include <filesystem>

#include "inputs.h"

namespace {

void addFaults(const std::vector<std::string>& faults, Errors& errors) {
    for (const std::string& line : faults) errors.push_back({std::string(), line});
}

}  // namespace

std::unique_ptr<TagProfile> makeProfile(const std::string& name, const std::vector<std::string>& knownFiles,
                                        Errors& errors) {
    std::vector<std::string> faults;
    std::unique_ptr<TagProfile> profile = makeProfileWithKnownTags(name, knownFiles, faults);
    addFaults(faults, errors);
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
    std::vector<std::string> faults;
    config = site_.configuration(file, faults);
    for (const std::string& fault : faults) errors.push_back({file, fault});
    return config != nullptr;
}

ProfileChoice RunSettings::profilesFor(const std::string& name, const std::vector<std::string>& knownFiles,
                                       Errors& errors) {
    std::vector<std::string> faults;
    const ProfileChoice choice = site_.profiles(name, knownFiles, faults);
    addFaults(faults, errors);
    return choice;
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
        setup.profiles = profilesFor(name, known, errors);
        if (!setup.profiles.has()) {
            good = false;
            continue;
        }
        for (const ProblemKind kind : settings.ignore) setup.options.ignored.set(static_cast<size_t>(kind));
        auto same = std::find_if(setups_.begin(), setups_.end(), [&](const PageSetup& s) {
            return s.profiles == setup.profiles && s.options.ignored == setup.options.ignored;
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
    if (profiles().empty() && !profilesFor(arguments.profile, arguments.knownFiles, errors).has()) return errors;
    paths.swap(kept);
    return {};
}

