#include "site_profiles.h"

#include "text.h"

bool pathOfFileUri(const std::string& uri, std::string& path) {
    if (!startsWithNoCase(uri, "file:")) return false;
    std::string rest = uri.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        const size_t slash = rest.find('/', 2);
        const std::string host = rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        if (!host.empty() && host != "localhost") return false;
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    path = percentDecoded(rest);
    if (path.find('\0') != std::string::npos) return false;
#ifdef _WIN32
    // "/C:/site/page.htm" names the drive's file.
    if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
#endif
    return !path.empty();
}

bool isHtmlDocument(const std::string& languageId, const std::string& uri) {
    const std::string name = uri.substr(0, uri.find_first_of("?#"));
    return languageId == "html" || endsWithNoCase(name, ".htm") || endsWithNoCase(name, ".html");
}

CheckSetup SiteProfiles::setupFor(const std::string& path, const std::string& text, std::vector<std::string>& errors) {
    CheckSetup setup;
    const std::string found = path.empty() ? std::string() : findSiteConfig(path);
    PageSettings settings;
    if (!found.empty()) {
        std::vector<std::string> faults;
        const SiteConfig* configuration = site_.configuration(found, faults);
        for (const std::string& fault : faults) {
            errors.push_back(fault + " (until it is mended, each page is read as its doctype says)");
        }
        if (configuration) settings = configuration->settingsFor(path);
    }
    setup.excluded = settings.excluded;
    for (ProblemKind kind : settings.ignore) setup.options.ignored.set(static_cast<size_t>(kind));
    const std::string name = settings.profile.empty() ? std::string(AutoProfile) : settings.profile;
    ProfileChoice choice = site_.profiles(name, settings.knownFiles, errors);
    // Known tags that can't be had leave the page with the built-in choice.
    if (!choice.has()) choice = site_.profiles(AutoProfile, {}, errors);
    // Without the memory for the tables, the 1990s one that is always there.
    setup.profile = choice.has() ? &choice.profileOf(text.data(), text.size()) : &TagProfile::html32();
    return setup;
}

void SiteProfiles::forgetConfiguration(const std::string& file) { site_.forget(file); }
