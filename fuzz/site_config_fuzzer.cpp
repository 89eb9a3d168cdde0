// The configuration reader over arbitrary text: it never crashes, a text it refuses gives
// one fault that names the file and its place, and one it takes gives settings made only
// of real profiles and kinds, whatever page is asked about.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "site_config.h"

namespace {

void require(bool holds) {
    if (!holds) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = "/site/tagvetter.toml";
    SiteConfig config;
    std::string error;
    if (!config.loadText(file, std::string(reinterpret_cast<const char*>(data), size), error)) {
        require(error.compare(0, file.size() + 1, file + ":") == 0);
        require(error.size() > file.size() + 2);
        return 0;
    }
    require(error.empty());
    for (const char* page : {"/site/index.html", "/site/old/a/b.htm", "/site/vendor/x.tmp.html", "/elsewhere/p.html",
                             "-"}) {
        const PageSettings settings = config.settingsFor(page);
        require(settings.profile.empty() || settings.profile == "html32" || settings.profile == "html4" ||
                settings.profile == "html5");
        for (const ProblemKind kind : settings.ignore) require(static_cast<int>(kind) < ProblemKindCount);
        for (const std::string& known : settings.knownFiles) require(!known.empty());
    }
    return 0;
}
