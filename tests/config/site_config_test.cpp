#include "site_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// Makes `folder` the current one until the end of the scope.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : before_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

struct FaultCase {
    const char* text;
    const char* error;  // after the file's name
};

TEST(SiteConfigLoad, ReportsTheFirstFaultWithItsPlace) {
    const FaultCase cases[] = {
        {"x = = 1\n", ":1:5: Error while parsing value: could not determine value type"},
        // Characters beyond ASCII: every one a column, toml++'s words about them as written.
        {"# caf\xc3\xa9 \xc6\xbf\nprofile = \"\xc6\xbf\" # \xe3\x80\x81\nknown = ['\xc6\xbf', \"\"\"\xc6\xbf\n\\\"\"\"\xc6\xbf\"\"\"]\n"
         "exclude = ['x']\xc6\xbf\n",
         ":5:16: Error while parsing key-value pair: expected a comment or whitespace, saw '\xc6\xbf'"},
        {"ignore = [\"\xc3\xa9\\\"\", \xe3\x80\x81]\n", ":1:18: Error while parsing value: could not determine value type"},
        {"a = \"\"\"x\"\"\"\"\xc4\xac\"\n", ":1:13: Error while parsing key-value pair: expected a comment or whitespace, saw '\xc4\xac'"},
        {"known = [\"a\", \"\"]\nprofile = 0x1\"\xc4\xac\"\n", ":2:14: Error while parsing hexadecimal integer: expected digit, saw '\"'"},
        {"ignore = ['\xc6\xbf']\n", ":1:11: unknown kind '\xc6\xbf'"},
        {"# \xf3\xb0\x82\xa9\n", ":1:3: a private-use character of plane 15"},
        // Bytes that are not UTF-8 reach toml++ as they are, which refuses them.
        {"profile = \"\xbf\xbf\"\n", ":1:11: Encountered invalid utf-8 sequence"},
        {"# \xe2\x82\n", ":1:2: Encountered invalid utf-8 sequence"},
        {"known = ['\xf9\x80\x80\x80']\n", ":1:10: Encountered invalid utf-8 sequence"},
        {"[links]\nroot = 3\n", ":2:8: 'root' must be a string"},
        {"[links]\nindex = ['index.html', 'a/b.html']\n", ":2:24: 'index' holds a name that is no file name"},
        {"[links]\naccept = ['']\n", ":2:11: 'accept' holds an empty pattern"},
        {"[links]\nroots = '.'\n", ":2:1: unknown key 'roots' in [links]"},
        {"links = 1\n", ":1:9: 'links' must be a table"},
        {"profile = 'html5'\nprofile = 'html4'\n",
         ":2:11: Error while parsing key-value pair: cannot redefine existing string 'profile'"},
        {"\n\nprofiles = 'html5'\n", ":3:1: unknown key 'profiles'"},
        // Keys are checked in the file's order, not the table's sorted one.
        {"unknown = 1\nprofile = 'html6'\n", ":1:1: unknown key 'unknown'"},
        {"[extra]\nprofile = 'html5'\n", ":1:2: unknown key 'extra'"},
        {"profile = \"html6\"\n", ":1:11: unknown profile 'html6': html32, html4, html5 or auto"},
        {"profile = 5\n", ":1:11: 'profile' must be a string"},
        {"known = 'site.known'\n", ":1:9: 'known' must be an array of strings"},
        {"known = ['a.known', 3]\n", ":1:21: 'known' must be an array of strings"},
        {"known = ['']\n", ":1:10: 'known' holds an empty path"},
        {"ignore = ['unknown-tag', 'unknown-tags']\n", ":1:26: unknown kind 'unknown-tags'"},
        {"ignore = 'unknown-tag'\n", ":1:10: 'ignore' must be an array of strings"},
        {"exclude = [true]\n", ":1:12: 'exclude' must be an array of strings"},
        {"exclude = ['vendor/**', './']\n", ":1:25: 'exclude' holds an empty pattern"},
        {"overrides = 3\n", ":1:13: 'overrides' must be an array of tables"},
        {"overrides = [{paths = ['a']}, 3]\n", ":1:31: 'overrides' must be an array of tables"},
        {"[overrides]\npaths = ['a']\n", ":1:1: 'overrides' must be an array of tables"},
        {"[[overrides]]\npaths = ['a']\n\n[[overrides]]\nprofile = 'html4'\n", ":4:1: override without 'paths'"},
        {"[[overrides]]\npaths = []\n", ":2:9: 'paths' must not be empty"},
        {"[[overrides]]\npaths = 'old/**'\n", ":2:9: 'paths' must be an array of strings"},
        {"[[overrides]]\npaths = ['a']\nexclude = ['b']\n", ":3:1: 'exclude' is read at the top level only"},
        {"[[overrides]]\npaths = ['a']\nprofle = 'html4'\n", ":3:1: unknown key 'profle' in an override"},
        {"[[overrides]]\npaths = ['a']\nprofile = 'xhtml'\n",
         ":3:11: unknown profile 'xhtml': html32, html4, html5 or auto"},
        {"[[overrides]]\npaths = ['a']\nprofile = 'Auto'\n",
         ":3:11: unknown profile 'Auto': html32, html4, html5 or auto"},
        {"[[overrides]]\npaths = ['a']\nignore = ['not-closed', 'x']\n", ":3:25: unknown kind 'x'"},
        {"[[overrides]]\npaths = ['a']\nknown = [1]\n", ":3:10: 'known' must be an array of strings"},
    };
    const ScratchFolder folder;
    const std::string file = folder.path(SiteConfigName);
    for (const FaultCase& c : cases) {
        folder.write(SiteConfigName, c.text);
        SiteConfig config;
        std::string error;
        EXPECT_FALSE(config.load(file, error)) << c.text;
        EXPECT_EQ(error, file + c.error) << c.text;
    }

    for (const fs::path& unreadable : {folder.root() / "missing.toml", folder.root()}) {
        SiteConfig config;
        std::string error;
        EXPECT_FALSE(config.load(unreadable.string(), error));
        EXPECT_EQ(error, unreadable.string() + ": can't be read");
    }
}

struct PatternCase {
    const char* pattern;
    const char* path;
    bool matches;
};

TEST(MatchesPathPattern, FollowsFoldersStarsAndAnchors) {
    const PatternCase cases[] = {
        {"vendor/**", "vendor/a.html", true},
        {"vendor/**", "vendor/x/y/a.html", true},
        {"vendor/**", "site/vendor/a.html", false},
        {"vendor/**", "vendors/a.html", false},
        {"a/**/b.html", "a/b.html", true},
        {"a/**/b.html", "a/x/y/b.html", true},
        {"a/**/b.html", "a/x/c.html", false},
        {"a/**", "ab/c.html", false},
        {"**/b.html", "b.html", true},
        {"**", "x/y.html", true},
        {"*.tmp.html", "x/y/page.tmp.html", true},
        {"*.tmp.html", "page.html", false},
        {"index.html", "sub/index.html", true},
        {"/index.html", "index.html", true},
        {"/index.html", "sub/index.html", false},
        {"./index.html", "sub/index.html", false},
        {"./old/*.html", "old/a.html", true},
        {"vendor", "vendor/a.html", true},
        {"vendor", "x/vendor/a.html", true},
        {"vendor", "vendors/a.html", false},
        {"vendor/", "x/vendor/a.html", true},
        {"old/*", "old/x/y.html", true},
        {"old/*", "old.html", false},
        {"a/*/c.html", "a/b/c.html", true},
        {"a/*/c.html", "a/b/d/c.html", false},
        {"?.html", "a.html", true},
        {"?.html", "ab.html", false},
        {"?.html", "\xC3\xA9.html", true},  // one character of two bytes
        {"*a*b", "xaybzb", true},
        {"a*b", "ab", true},
        {"a*b", "abc", false},
        {"A.html", "a.html", false},
        {"", "a.html", false},
        {"./", "a.html", false},
    };
    for (const PatternCase& c : cases) {
        EXPECT_EQ(matchesPathPattern(c.pattern, c.path), c.matches) << c.pattern << " on " << c.path;
    }
}

// root/tagvetter.toml with two overrides; root/blog/tagvetter.toml of its own; a folder
// that is named like the file but is no file.
TEST(SiteConfigSite, FindsTheNearestFileAndGivesEachPageItsSettings) {
    const ScratchFolder temporary;
    const fs::path root = temporary.root() / "site";
    const fs::path absoluteKnown = temporary.root() / "global.known";
    const std::string settings = "profile = 'html4'\n"
                                 "known = ['caf\xc3\xa9 \xc6\xbf.known', '../shared/./more.known', '" +
                                     absoluteKnown.string() +
                                     "']\n"
                                     "ignore = ['unknown-attribute']\n"
                                     "exclude = ['vendor/**', '*.tmp.html']\n"
                                     "[[overrides]]\n"
                                     "paths = ['old/**']\n"
                                     "profile = 'html32'\n"
                                     "ignore = ['unbalanced-quotes', 'void-close', 'unbalanced-quotes']\n"
                                     "[[overrides]]\n"
                                     "paths = ['nothing', 'old/keep/*.html']\n"
                                     "profile = 'auto'\n"
                                     "known = []\n";
    temporary.write(fs::path("site") / SiteConfigName, settings);
    temporary.write(fs::path("site") / "blog" / SiteConfigName, "profile = 'auto'\n");
    fs::create_directories(root / "drafts" / SiteConfigName);

    const std::string rootConfig = (root / SiteConfigName).string();
    EXPECT_EQ(findSiteConfig((root / "index.html").string()), rootConfig);
    EXPECT_EQ(findSiteConfig((root / "old" / "keep" / "page.html").string()), rootConfig);
    EXPECT_EQ(findSiteConfig((root / "drafts" / "page.html").string()), rootConfig);
    EXPECT_EQ(findSiteConfig((root / "blog" / "2024" / "post.html").string()),
              (root / "blog" / SiteConfigName).string());
    EXPECT_EQ(findSiteConfig((temporary.root() / "elsewhere" / "page.html").string()), "");

    SiteConfig config;
    std::string error;
    ASSERT_TRUE(config.load(rootConfig, error)) << error;
    EXPECT_EQ(config.file(), rootConfig);
    const std::vector<std::string> topKnown = {(root / "caf\xc3\xa9 \xc6\xbf.known").string(),
                                               (temporary.root() / "shared" / "more.known").string(),
                                               absoluteKnown.string()};

    const PageSettings index = config.settingsFor((root / "index.html").string());
    EXPECT_FALSE(index.excluded);
    EXPECT_EQ(index.profile, "html4");
    EXPECT_EQ(index.knownFiles, topKnown);
    EXPECT_EQ(index.ignore, std::vector<ProblemKind>{ProblemKind::UnknownAttribute});

    EXPECT_TRUE(config.settingsFor((root / "vendor" / "lib" / "a.html").string()).excluded);
    EXPECT_TRUE(config.settingsFor((root / "docs" / "draft.tmp.html").string()).excluded);
    // Outside the configuration's folder no pattern applies.
    EXPECT_FALSE(config.settingsFor((temporary.root() / "draft.tmp.html").string()).excluded);

    const std::vector<ProblemKind> oldIgnore = {ProblemKind::UnbalancedQuotes, ProblemKind::VoidClose};
    const PageSettings old = config.settingsFor((root / "old" / "page.html").string());
    EXPECT_FALSE(old.excluded);
    EXPECT_EQ(old.profile, "html32");
    EXPECT_EQ(old.knownFiles, topKnown);
    EXPECT_EQ(old.ignore, oldIgnore);

    const PageSettings kept = config.settingsFor((root / "old" / "keep" / "page.html").string());
    EXPECT_EQ(kept.profile, "auto");
    EXPECT_TRUE(kept.knownFiles.empty());
    EXPECT_EQ(kept.ignore, oldIgnore);

    {
        fs::create_directories(root / "old");
        const CurrentFolder inOld(root / "old");
        EXPECT_EQ(config.settingsFor("keep/page.html").profile, "auto");
        EXPECT_EQ(config.settingsFor("page.html").profile, "html32");
        EXPECT_TRUE(config.settingsFor("../vendor/a.html").excluded);
        EXPECT_EQ(findSiteConfig("-"), rootConfig);
    }
    const PageSettings standardInput = config.settingsFor("-");
    EXPECT_EQ(standardInput.profile, "html4");
    EXPECT_FALSE(standardInput.excluded);

    // A failed load leaves the configuration as it was.
    temporary.write(fs::path("site") / "broken.toml", "profile = 'html6'\n");
    EXPECT_FALSE(config.load((root / "broken.toml").string(), error));
    EXPECT_EQ(config.file(), rootConfig);
    EXPECT_EQ(config.settingsFor((root / "old" / "page.html").string()).profile, "html32");

    SiteConfig blog;
    ASSERT_TRUE(blog.load(findSiteConfig((root / "blog" / "2024" / "post.html").string()), error)) << error;
    const PageSettings post = blog.settingsFor((root / "blog" / "2024" / "post.html").string());
    EXPECT_EQ(post.profile, "auto");
    EXPECT_TRUE(post.knownFiles.empty());
    EXPECT_TRUE(post.ignore.empty());
    EXPECT_FALSE(post.excluded);
}

}  // namespace
