#include "link_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "document.h"
#include "document_check.h"
#include "result_lines.h"
#include "scratch_folder.h"
#include "tag_profile.h"

namespace fs = std::filesystem;

namespace {

// A generated site in a scratch folder: every file its pages name.
class SiteFolder : public ScratchFolder {
public:
    SiteFolder() {
        for (const char* file : {"index.html", "about.html", "docs/index.htm", "docs/guide.html", "docs/sub/page.html",
                                 "docs/locked.html", "img/Photo.JPG", "img/a b.png", "files/report.pdf", "Upper/x.html",
                                 "base/page.html", "base/external.html", "base/miscased.html"}) {
            write(file, "<p>");
        }
        makeFolder("empty");
    }
};

// One reference of a page and what is found of it: "" when it is fine.
struct Link {
    const char* target;
    const char* message;
    const char* attribute = "href";
};

struct SitePage {
    const char* path;  // from the site's folder
    const char* base;
    std::vector<std::string> anchors;
    std::vector<Link> links;
};

const std::vector<SitePage>& sitePages() {
    static const std::vector<SitePage> pages = {
        {"index.html",
         "",
         {"intro", "Mixed"},
         {
             {"about.html", ""},
             {"about.html#team", ""},
             {"about.html#staff", ""},
             {"about.html#nobody", "about.html#nobody - No anchor nobody there"},
             {"about.html?x=1&y=2", ""},
             {"about.html/", "about.html/ - No such file"},
             {"#intro", ""},
             {"#gone", "#gone - No anchor gone there"},
             {"#", ""},
             {"#top", ""},
             {"  about.html\n", ""},
             {"docs/", ""},
             {"docs", ""},
             {"./docs/../docs/./", ""},
             {"docs/guide.html#install", ""},
             {"docs/guide.html#missing%20part", "docs/guide.html#missing%20part - No anchor missing part there"},
             {"docs/locked.html#anything", ""},
             {"img/a%20b.png", ""},
             {"img/photo.jpg", "img/photo.jpg - Exists only as img/Photo.JPG"},
             {"upper/X.html?v=2#top", "upper/X.html?v=2#top - Exists only as Upper/x.html?v=2#top"},
             {"img/a%20B.png", "img/a%20B.png - Exists only as img/a%20b.png"},
             {"img\\Photo.JPG", ""},
             {"nothing.html", "nothing.html - No such file"},
             {"empty/", "empty/ - No such file"},
             {"files/report.pdf#page=2", ""},
             {"img/Photo.JPG", "", "srcset"},
             {"img/nope.png", "img/nope.png - No such file", "srcset"},
             {"/about.html#team", ""},
             {"/../about.html", "/../about.html - Leads outside the root"},
             {"../outside.html", "../outside.html - Leads outside the root"},
             {"C:\\site\\x.html", "C:\\site\\x.html - Leads outside the root"},
             {"generated/report.html", ""},
             {"generate/report.html", "generate/report.html - No such file"},
             {"missing.pdf", ""},
             {"http://example.com/", ""},
             {"HTTPS://example.com/a.html", ""},
             {"//cdn.example.com/x.js", ""},
             {"mailto:someone@example.com", ""},
             {"tel:+123", ""},
             {"javascript:void(0)", ""},
             {"data:image/png;base64,AAAA", ""},
         }},
        {"about.html",
         "",
         {"team", "staff"},  // an id and the name of an a
         {
             {"index.html#intro", ""},
             {"Index.html#intro", "Index.html#intro - Exists only as index.html#intro"},
         }},
        {"docs/sub/page.html",
         "",
         {},
         {
             {"../../about.html#team", ""},
             {"../guide.html", ""},
             {"../", ""},
             {"/img/Photo.JPG", ""},
             {"./", "./ - No such file"},
             {"../../index.html#Mixed", ""},
             {"../../index.html#mixed", "../../index.html#mixed - No anchor mixed there"},
             {"../../../x.html", "../../../x.html - Leads outside the root"},
             {"/Docs/guide.html", "/Docs/guide.html - Exists only as /docs/guide.html"},
             {"../../generated/deep/x.html", ""},
         }},
        {"base/page.html",
         "../docs/",
         {"local"},
         {
             {"guide.html#install", ""},
             {"index.htm", ""},
             {"?page=2", ""},
             {"page.html", "page.html - No such file"},
             {"#local", ""},
             {"#none", "#none - No anchor none there"},
         }},
        {"base/external.html",
         "https://example.org/",
         {"here"},
         {
             {"a.html", ""},
             {"/b.html", ""},
             {"#here", ""},
             {"#elsewhere", "#elsewhere - No anchor elsewhere there"},
         }},
        {"base/miscased.html",
         "../DOCS/",
         {},
         {
             {"guide.html", "guide.html - Exists only as docs/guide.html"},
         }},
    };
    return pages;
}

struct SiteRun {
    std::vector<LinkProblem> problems;
    std::vector<ExternalLink> externals;
    std::map<std::string, int> reads;  // the pages readAnchors was asked for, and how often
};

// With `jobs` 0, through check(); else resolved on that many threads.
SiteRun checkSite(const SiteFolder& site, const std::vector<size_t>& order, int jobs = 0) {
    LinkCheck check(LinkOptions{site.root().string(), {"index.html", "index.htm"}, {"generated/**", "*.pdf"}});
    for (size_t index : order) {
        const SitePage& page = sitePages()[index];
        PageLinks links;
        links.base = page.base;
        links.anchors = page.anchors;
        int32_t line = 1;
        for (const Link& link : page.links) links.references.push_back({link.target, line++, 7, "a", link.attribute});
        check.addPage(site.path(page.path), std::move(links));
    }
    SiteRun run;
    std::mutex readsMutex;
    const ReadAnchors readAnchors = [&](const std::string& path, PageLinks& links) {
        const std::string relative = fs::relative(path, site.root()).generic_string();
        {
            const std::lock_guard<std::mutex> lock(readsMutex);
            ++run.reads[relative];
        }
        if (relative == "docs/locked.html") return false;
        if (relative == "docs/guide.html") links.anchors = {"install"};
        return true;
    };
    if (jobs == 0) {
        run.problems = check.check(readAnchors);
    } else {
        check.resolve(readAnchors, jobs);
        EXPECT_EQ(check.pageCount(), order.size());
        for (size_t page = 0; page < check.pageCount(); ++page) {
            EXPECT_EQ(check.pagePath(page), site.path(sitePages()[order[page]].path));
            for (size_t i = 0; i < check.brokenCount(page); ++i) run.problems.push_back(check.broken(page, i));
        }
    }
    run.externals = check.externals();
    return run;
}

// The messages expected of a page, each with its line.
std::vector<std::pair<int32_t, std::string>> expectedProblems(const SitePage& page) {
    std::vector<std::pair<int32_t, std::string>> expected;
    for (size_t i = 0; i < page.links.size(); ++i) {
        if (*page.links[i].message) expected.emplace_back(static_cast<int32_t>(i + 1), page.links[i].message);
    }
    return expected;
}

std::vector<std::pair<int32_t, std::string>> problemsOf(const SiteRun& run, const std::string& page) {
    std::vector<std::pair<int32_t, std::string>> found;
    for (const LinkProblem& problem : run.problems) {
        if (problem.page == page) found.emplace_back(problem.line, linkProblemMessage(problem));
    }
    return found;
}

TEST(LinkCheck, FindsEveryKindOfBrokenLinkWhateverTheOrderOfPagesAndTheJobs) {
    SiteFolder site;
    const std::vector<std::vector<size_t>> orders = {{0, 1, 2, 3, 4, 5}, {5, 3, 0, 4, 2, 1}};
    for (const std::vector<size_t>& order : orders) for (int jobs : {0, 1, 2, 3, 8}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        const SiteRun run = checkSite(site, order, jobs);
        for (const SitePage& page : sitePages()) {
            EXPECT_EQ(problemsOf(run, site.path(page.path)), expectedProblems(page)) << page.path;
        }
        // Grouped by page in the order they were added, and nothing else.
        std::vector<std::string> pageOfEach;
        for (size_t index : order) {
            for (size_t n = expectedProblems(sitePages()[index]).size(); n > 0; --n)
                pageOfEach.push_back(site.path(sitePages()[index].path));
        }
        ASSERT_EQ(run.problems.size(), pageOfEach.size());
        for (size_t i = 0; i < pageOfEach.size(); ++i) {
            EXPECT_EQ(run.problems[i].page, pageOfEach[i]);
            EXPECT_EQ(run.problems[i].column, 7);
        }
        // Pages that were added are never read again; the others once each.
        EXPECT_EQ(run.reads, (std::map<std::string, int>{{"docs/guide.html", 1}, {"docs/locked.html", 1}}));
    }
}

// Every field of every problem the same for any number of jobs as for check().
TEST(LinkCheck, AnyNumberOfJobsFindsExactlyWhatOneFinds) {
    SiteFolder site;
    auto fields = [](const SiteRun& run) {
        std::vector<std::string> lines;
        for (const LinkProblem& p : run.problems) {
            lines.push_back(p.page + "|" + std::to_string(p.line) + ":" + std::to_string(p.column) + "|" +
                            linkKindId(p.kind) + "|" + p.target + "|" + p.existing + "|" + p.anchor);
        }
        return lines;
    };
    const std::vector<std::string> one = fields(checkSite(site, {3, 1, 5, 0, 2, 4}));
    ASSERT_FALSE(one.empty());
    for (int jobs : {1, 2, 4, 16}) EXPECT_EQ(fields(checkSite(site, {3, 1, 5, 0, 2, 4}, jobs)), one) << jobs;
}

// A name in the wrong letter case is found by its folder's folded names: the first of
// those alike in byte order. A name that decodes to a "/" is one name, never a folder and
// a file, whichever is looked up first.
TEST(LinkCheck, LooksUpEachNameInItsFolderInAnyLetterCase) {
    ScratchFolder site;
    for (const char* file : {"case/Mixed.html", "case/AB.html", "case/ab.html", "docs/guide.html", "top/page.html"})
        site.write(file, "<p>");
    size_t names = 0;
    for (const auto& entry : fs::directory_iterator(site.root() / "case")) names += entry.is_regular_file() ? 1 : 0;
    const bool caseSensitive = names == 3;  // else AB.html and ab.html are one file
    const struct {
        const char* page;
        const char* target;
        const char* message;  // "" when fine
        bool onlyCaseSensitive;
    } cases[] = {
        {"index.html", "case/Mixed.html", "", false},
        {"index.html", "case/mixed.html", "case/mixed.html - Exists only as case/Mixed.html", false},
        {"index.html", "CASE/MIXED.HTML#x", "CASE/MIXED.HTML#x - Exists only as case/Mixed.html#x", false},
        {"index.html", "case/ab.html", "", true},  // else it is AB.html, written first
        {"index.html", "case/Ab.html", "case/Ab.html - Exists only as case/AB.html", true},
        {"index.html", "Case/aB.html", "Case/aB.html - Exists only as case/AB.html", true},
        {"index.html", "case/nothing.html", "case/nothing.html - No such file", false},
        {"index.html", "docs%2Fguide.html", "docs%2Fguide.html - No such file", false},
        {"index.html", "docs/guide.html", "", false},
        {"top/page.html", "../docs/guide.html", "", false},
        {"top/page.html", "../docs%2Fguide.html", "../docs%2Fguide.html - No such file", false},
        {"top/page.html", "../Docs/Guide.html", "../Docs/Guide.html - Exists only as ../docs/guide.html", false},
    };
    for (int jobs : {1, 2}) {
        for (bool reversed : {false, true}) {
            LinkOptions options;
            options.root = site.root().string();
            LinkCheck check(options);
            std::map<std::string, PageLinks> pages;
            std::vector<std::string> expected;
            const size_t count = sizeof cases / sizeof cases[0];
            for (size_t n = 0; n < count; ++n) {
                const auto& c = cases[reversed ? count - 1 - n : n];
                if (c.onlyCaseSensitive && !caseSensitive) continue;
                PageLinks& links = pages[c.page];
                links.references.push_back({c.target, static_cast<int32_t>(links.references.size() + 1), 1, "a", "href"});
            }
            for (auto& [page, links] : pages) {
                for (const PageReference& r : links.references) {
                    for (const auto& c : cases) {
                        if (c.page == page && r.target == c.target && *c.message) expected.push_back(c.message);
                    }
                }
                check.addPage(site.path(page), std::move(links));
            }
            std::vector<std::string> found;
            check.resolve([](const std::string&, PageLinks&) { return false; }, jobs);
            for (size_t page = 0; page < check.pageCount(); ++page) {
                for (size_t i = 0; i < check.brokenCount(page); ++i) found.push_back(linkProblemMessage(check.broken(page, i)));
            }
            EXPECT_EQ(found, expected) << "jobs " << jobs << (reversed ? ", reversed" : "");
        }
    }
}

TEST(LinkCheck, KindsAndWhatExists) {
    SiteFolder site;
    const SiteRun run = checkSite(site, {0, 1, 2, 3, 4, 5});
    std::map<std::string, std::pair<LinkKind, std::string>> found;
    for (const LinkProblem& problem : run.problems) found[problem.target] = {problem.kind, problem.existing};
    using Found = std::pair<LinkKind, std::string>;
    EXPECT_EQ(found["nothing.html"], Found(LinkKind::MissingTarget, ""));
    EXPECT_EQ(found["img/photo.jpg"], Found(LinkKind::LetterCase, "img/Photo.JPG"));
    EXPECT_EQ(found["#gone"], Found(LinkKind::MissingAnchor, ""));
    EXPECT_EQ(found["../outside.html"], Found(LinkKind::OutsideRoot, ""));
    EXPECT_STREQ(linkKindId(LinkKind::LetterCase), "letter-case");
    EXPECT_STREQ(linkKindId(LinkKind::OutsideRoot), "outside-root");
}

TEST(LinkCheck, KeepsExternalReferencesInPageOrder) {
    SiteFolder site;
    const SiteRun run = checkSite(site, {4, 0});
    std::vector<std::string> externals;
    for (const ExternalLink& link : run.externals) {
        externals.push_back(fs::path(link.page).filename().string() + ":" + std::to_string(link.line) + " " +
                            link.target);
    }
    EXPECT_EQ(externals, (std::vector<std::string>{
                             "external.html:1 a.html", "external.html:2 /b.html", "index.html:35 http://example.com/",
                             "index.html:36 HTTPS://example.com/a.html", "index.html:37 //cdn.example.com/x.js",
                             "index.html:38 mailto:someone@example.com", "index.html:39 tel:+123",
                             "index.html:40 javascript:void(0)", "index.html:41 data:image/png;base64,AAAA"}));
}

TEST(LinkCheck, OnlyARootLimitsWhereLinksLead) {
    SiteFolder site;
    // Up above the site's folder and back into it.
    const std::string roundabout = "../../../" + site.root().filename().string() + "/about.html";
    for (const std::string& root : {site.root().string(), std::string()}) {
        LinkOptions options;
        options.root = root;
        LinkCheck check(options);
        PageLinks links;
        links.references = {{roundabout, 1, 1, "a", "href"}, {"../about.html", 2, 1, "a", "href"}};
        check.addPage(site.path("docs/sub/page.html"), std::move(links));
        std::vector<std::string> messages;
        for (const LinkProblem& problem : check.check([](const std::string&, PageLinks&) { return false; }))
            messages.push_back(linkProblemMessage(problem));
        std::vector<std::string> expected = {"../about.html - No such file"};
        if (!root.empty()) expected.insert(expected.begin(), roundabout + " - Leads outside the root");
        EXPECT_EQ(messages, expected) << root;
    }
}

}  // namespace

namespace {

// Every in-page fragment of one page, as `check` (html5 and html4) and `links` each find it:
// the same faults at the same places, under the one kind id.
TEST(LinkCheck, AgreesWithTheCheckOnEveryFragmentOfAPage) {
    const std::string page =
        "<!DOCTYPE html>\n"
        "<h1 id=\"intro\">x</h1> <a name=\"old\"></a> <p id=\"a&amp;b\">y</p> <b id=\"caf\xC3\xA9\"></b>\n"
        "<a href=\"#intro\">1</a> <a href=\"#gone\">2</a> <a href=\"#\">3</a> <a href=\"#TOP\">4</a>\n"
        "<a href=\"#old\">5</a> <a href=\"#a&amp;b\">6</a> <a href=\"#a%26b\">7</a> <a href=\"#Intro\">8</a>\n"
        "<area href=\" #nowhere \"> <a href=\"#caf%C3%A9\">9</a> <a href=\"#caf%E9\">10</a>\n"
        "<link href=\"#sheet\"> <a href=\"#x&#32;y\">11</a>\n";
    ScratchFolder folder;
    const std::string path = folder.write("page.html", page);

    PageLinks links;
    Document document;
    ASSERT_TRUE(document.load(path.c_str()));
    ASSERT_TRUE(readPageLinks(document, links));
    LinkCheck linkCheck(LinkOptions{});
    linkCheck.addPage(path, links);
    std::vector<std::string> fromLinks;
    for (const LinkProblem& problem : linkCheck.check([](const std::string&, PageLinks&) { return false; })) {
        EXPECT_STREQ(linkKindId(problem.kind), "missing-anchor");
        fromLinks.push_back(std::to_string(problem.line) + ":" + std::to_string(problem.column) + " " + problem.anchor);
    }
    EXPECT_EQ(fromLinks, (std::vector<std::string>{"3:33 gone", "4:79 Intro", "5:14 nowhere", "5:62 caf\xE9",
                                                  "6:13 sheet", "6:31 x y"}));

    for (const char* name : {"html5", "html4"}) {
        const std::unique_ptr<TagProfile> profile = TagProfile::make(name);
        struct Anchors : ProblemSink {
            void report(const Problem& p) override {
                if (p.kind == ProblemKind::MissingAnchor)
                    found.push_back(std::to_string(p.line) + ":" + std::to_string(p.column) + " " + p.detail);
            }
            std::vector<std::string> found;
        } fromCheck;
        Document again;
        ASSERT_TRUE(again.load(path.c_str()));
        checkDocument(again, fromCheck, *profile);
        EXPECT_EQ(fromCheck.found, fromLinks) << name;
        EXPECT_STREQ(problemKindId(ProblemKind::MissingAnchor), linkKindId(LinkKind::MissingAnchor));
    }
}

}  // namespace
