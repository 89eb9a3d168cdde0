#include "cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "jobs.h"
#include "printer.h"
#include "run_cli.h"
#include "scratch_folder.h"
#include "test_documents.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

const char Page[] =
    "<HTML>\r\n<BODY>\r\n<A href=\"next.htm\">next</a>\r\n<td>\r\n</BODY></HTML>\r\n";

TEST(Cli, CountPrintsTheCensusAndItsSummary) {
    TempFile page(Page);
    CliRun r = runCli({"count", page.path()});
    EXPECT_EQ(r.status, CliOk);
    EXPECT_EQ(r.out,
              "A\t1\tAnchor (link)\n/A\t1\tAnchor end\nBODY\t1\tBody of the document\n/BODY\t1\tBody end\n"
              "HTML\t1\tBeginning of file\n/HTML\t1\tEnd of file\nTD\t1\tTable cell\n");
    EXPECT_EQ(r.err, "7 different tags\n");
}

TEST(Cli, CheckExitsWithOneWhenItFindsProblems) {
    TempFile page(Page);
    CliRun r = runCli({"check", page.path()});
    EXPECT_EQ(r.status, CliProblemsFound);
    EXPECT_EQ(r.out, "0004  TD - This tag should be in a table\n");
    EXPECT_EQ(r.err, "");

    TempFile clean("<P>fine</P>");
    r = runCli({"check", clean.path()});
    EXPECT_EQ(r.status, CliOk);
    EXPECT_EQ(r.out, "No errors found\n");
}

// Warnings fail a check only when asked to; errors always do, and html32's unrated
// problems count as errors.
TEST(Cli, FailOnChoosesWhatMakesTheStatusOne) {
    TempFile warning(std::string("\xFF\xFE<\0p\0>\0", 8));  // a UTF-16 page: a warning alone
    TempFile error("<!DOCTYPE html>\n<div>\n");
    TempFile unrated("<td>\n");
    TempFile fine("<P>fine</P>");
    const struct {
        const TempFile& page;
        const char* profile;
        int byDefault, onWarning;
    } cases[] = {{warning, "html5", CliOk, CliProblemsFound}, {error, "auto", CliProblemsFound, CliProblemsFound},
                 {unrated, "auto", CliProblemsFound, CliProblemsFound}, {fine, "auto", CliOk, CliOk}};
    for (const auto& c : cases) {
        const std::string profile = std::string("--profile=") + c.profile;
        CliRun byDefault = runCli({"check", profile, c.page.path()});
        EXPECT_EQ(byDefault.status, c.byDefault) << byDefault.out;
        EXPECT_EQ(runCli({"check", profile, "--fail-on", "error", c.page.path()}).status, c.byDefault);
        EXPECT_EQ(runCli({"check", profile, "--fail-on=warning", c.page.path()}).status, c.onWarning);
    }
    EXPECT_EQ(runCli({"check", "--profile=html5", "--format=gnu", warning.path()}).out,
              std::string(warning.path()) + ":1:1: warning: UTF-16 - Page encoded as UTF-16, not checked further\n");
    for (const std::vector<std::string>& misuse :
         {std::vector<std::string>{"check", "--fail-on", "info", error.path()}, {"check", "--fail-on"},
          {"tags", "--fail-on=warning", error.path()}}) {
        EXPECT_EQ(runCli(misuse).status, CliFailed);
    }
}

TEST(Cli, TagsAndTagListWithLineLabels) {
    TempFile page(Page);
    CliRun all = runCli({"tags", page.path()});
    EXPECT_EQ(all.status, CliOk);
    EXPECT_EQ(all.out,
              "0001  <HTML>\n0002  <BODY>\n0003  <A href=\"next.htm\">\n0003  </a>\n0004  <td>\n"
              "0005  </BODY>\n0005  </HTML>\n");
    EXPECT_EQ(all.err, "Longest: 18\n");

    // The name is taken as a census line's first field would be: one leading "/" dropped.
    for (const char* name : {"a", "/A", "A\t1\tAnchor (link)"}) {
        CliRun one = runCli({"tag", name, page.path()});
        EXPECT_EQ(one.status, CliOk) << name;
        EXPECT_EQ(one.out, "0003  <A href=\"next.htm\">\n0003  </a>\n") << name;
        EXPECT_EQ(one.err, "Longest: 18\n") << name;
    }
    EXPECT_EQ(runCli({"tag", "", page.path()}).out, all.out);
}

TEST(Cli, KnownListsTheReferenceWithoutAFile) {
    CliRun r = runCli({"known"});
    EXPECT_EQ(r.status, CliOk);
    EXPECT_EQ(r.out.substr(0, 29), "!-\tComment\t\n!DOCTYPE\tHTML 3.2");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 136);
}

TEST(Cli, RefusesAFileItCannotOpen) {
    CliRun r = runCli({"count", "/nonexistent/page.htm"});
    EXPECT_EQ(r.status, CliFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tagvetter: Can't open file: /nonexistent/page.htm\n");
}

TEST(Cli, ReportsUsageErrors) {
    const std::vector<std::vector<std::string>> misuse = {
        {}, {"count"}, {"tag", "A"}, {"known", "x"}, {"frobnicate", "x"}, {"tags"},
        {"count", "--format=json", "a"}, {"check", "--format=xml", "a"}, {"check", "--format"},
        {"check", "-j", "0", "a"}, {"check", "-jx", "a"}, {"check", "--jobs"}, {"check", "--bogus", "a"},
        {"count", "-", "--files-from=-"}, {"count", "--files-from", "a", "--files-from=b"},
        {"tags", "--files-from"}, {"tag", "--", "-j"},
        {"check", "--profile", "html6", "a"}, {"check", "--profile"}, {"count", "a", "--known"},
        {"known", "--format=json"}, {"known", "--profile=html5", "a"}, {"check", "--profile=Auto", "a"},
    };
    for (const auto& args : misuse) {
        CliRun r = runCli(args);
        EXPECT_EQ(r.status, CliFailed) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Try 'tagvetter --help'."), std::string::npos) << r.err;
    }
    EXPECT_EQ(runCli({"known", "--profile", "auto"}).err,
              "tagvetter: known needs a profile: html32, html4 or html5\nTry 'tagvetter --help'.\n");
    CliRun help = runCli({"--help"});
    EXPECT_EQ(help.status, CliOk);
    EXPECT_NE(help.out.find("tag NAME FILE"), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).out, "tagvetter " TAGVETTER_VERSION "\n");
}

TEST(CliProfiles, TheProfileAndTheKnownTagsReachEveryCommand) {
    TempFile page("<nav class=x hx-get=y>\n<my-el any=1></my-el><br/>\n</nav>");
    TempFile known("# our site\nnav | strict | Site menu\n* | | | hx-*\n");

    CliRun old = runCli({"check", page.path()});
    EXPECT_EQ(old.status, CliProblemsFound);
    EXPECT_EQ(old.out.substr(0, 27), "0001  nav - Unknown keyword");
    EXPECT_EQ(runCli({"check", "--profile=html32", page.path()}).out, old.out);

    CliRun modern = runCli({"check", "--profile", "html5", page.path()});
    EXPECT_EQ(modern.out, "0001  hx-get - Unknown attribute for NAV\n");
    EXPECT_EQ(modern.status, CliProblemsFound);
    CliRun own = runCli({"check", "--known", known.path(), page.path(), "--profile", "html5"});
    EXPECT_EQ(own.out, "No errors found\n");
    EXPECT_EQ(own.status, CliOk);

    CliRun count = runCli({"count", "--profile", "html5", "--known", known.path(), page.path()});
    EXPECT_EQ(count.out,
              "BR\t1\tLine break\nMY-EL\t1\tCustom element\n/MY-EL\t1\tCustom element end\n"
              "NAV\t1\tSite menu\n/NAV\t1\tEnd of site menu\n");
    CliRun tags = runCli({"tag", "br", "--profile", "html5", page.path()});
    EXPECT_EQ(tags.out, "0002  <br/>\n");

    CliRun reference = runCli({"known", "--profile", "html5", "--known", known.path()});
    EXPECT_EQ(reference.status, CliOk);
    EXPECT_NE(reference.out.find("\nNAV\tSite menu\t"), std::string::npos);
    EXPECT_NE(reference.out.find("\n*\tAttributes of every tag\taccesskey "), std::string::npos);
    EXPECT_NE(reference.out.find(" hx-* \n"), std::string::npos);
    // Obsolete elements are known, to be reported as such.
    EXPECT_NE(reference.out.find("\nFONT\t"), std::string::npos);

    CliRun older = runCli({"check", "--profile", "html4", "--format", "gnu", page.path()});
    const std::string at = page.path();
    // An unknown element's close tag says nothing its open tag didn't.
    EXPECT_EQ(older.out, at + ":1:1: error: nav - Unknown element\n" + at + ":2:1: error: my-el - Unknown element\n");
}

// A page naming HTML 4.01 Strict is checked against that DTD, by default (auto) and with
// html4, the known tags on top; without a doctype html4 takes Transitional's center too.
TEST(CliProfiles, Html4ChecksAgainstTheDtdTheDoctypeNames) {
    const std::string body = "<html><head><title>t</title></head>\n<body>\n<center>c</center>\n"
                             "<marquee>m</marquee>\n</body></html>\n";
    TempFile strict("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n" + body);
    TempFile none(body);
    TempFile known("marquee | counted | Scrolling text\n");
    const struct {
        std::vector<std::string> arguments;
        const TempFile& page;
        const char* out;
    } cases[] = {
        {{"check"}, strict, "0004  center - Unknown element\n0005  marquee - Unknown element\n"},
        {{"check", "--profile", "html4", "--known", known.path()}, strict, "0004  center - Unknown element\n"},
        {{"check", "--profile", "html4"}, none, "0004  marquee - Unknown element\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.push_back(c.page.path());
        const CliRun r = runCli(arguments);
        EXPECT_EQ(r.out, c.out) << arguments[1];
        EXPECT_EQ(r.status, CliProblemsFound);
    }
}

TEST(CliProfiles, ReportsEveryMalformedKnownLineBeforeAnyPage) {
    TempFile known("x-a | strict\nx-b | twice\n\nx-c | counted | d | a=b\nx-d\n");
    CliRun r = runCli({"check", "--known", known.path(), "/nonexistent/page.htm"});
    EXPECT_EQ(r.status, CliFailed);
    EXPECT_EQ(r.out, "");
    const std::string file = known.path();
    EXPECT_EQ(r.err, file + ":2: unknown pairing 'twice': use void, optional, strict, counted, raw or foreign\n" +
                         file + ":4: 'a=b' is not an attribute name: it holds one of < > / = \" ' | or a \"*\" before its end\n" +
                         file + ":5: 'x-d' is not a tag of the html32 profile, so it needs a pairing\n" +
                         file + ":5: 'x-d' is not a tag of the html4 profile, so it needs a pairing\n" +
                         file + ":5: 'x-d' is not a tag of the html5 profile, so it needs a pairing\n");

    CliRun missing = runCli({"known", "--known", "/nonexistent/tags.known"});
    EXPECT_EQ(missing.status, CliFailed);
    EXPECT_EQ(missing.err, "tagvetter: Can't open file: /nonexistent/tags.known\n");
}

namespace fs = std::filesystem;

// A site whose file names sort differently by bytes than by letters, a folder named like
// a page, and a file that is not a page.
TEST(CliSite, ExaminesFoldersAndListsInByteOrderWithTheSameBytesForAnyJobs) {
    ScratchFolder site;
    const std::string z = site.write("Z.htm", "<table>");
    const std::string d = site.write(fs::path("a.htm") / "d.htm", "<i>");
    const std::string c = site.write(fs::path("a") / "c.HTML", "<P>x</P>");
    site.write(fs::path("a") / "notes.txt", "<bogus>");
    const std::string b = site.write("b.htm", "<td>\n<B></B>");
    const std::string list = site.write("list.txt", b + "\n\n" + site.path("a") + "\n");
    const std::string missing = site.path("missing.htm");
    const std::string dir = site.path();
#ifndef _WIN32
    // Links to folders are not followed: this one would lead round for ever.
    fs::create_directory_symlink(dir, site.path("loop.htm"));
#endif

    const struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } cases[] = {
        {{"check", dir}, 1,
         z + ":TABLE\tUnbalanced tags (1)\n" + d + ":No errors found\n" + c + ":No errors found\n" + b +
             ":0001  TD - This tag should be in a table\n",
         "4 files examined, 2 with problems, 2 problems\n"},
        {{"check", "--format=gnu", dir}, 1,
         z + ": TABLE\tUnbalanced tags (1)\n" + b + ":1: TD - This tag should be in a table\n",
         "4 files examined, 2 with problems, 2 problems\n"},
        {{"check", "--format", "gnu", b}, 1, b + ":1: TD - This tag should be in a table\n", ""},
        {{"count", dir}, 0,
         "B\t1\tBold\n/B\t1\tBold end\nI\t1\tItalic\nP\t1\tParagraph begin\n/P\t1\tParagraph end\n"
         "TABLE\t1\tTable\nTD\t1\tTable cell\n",
         "7 different tags in 4 files\n"},
        {{"tags", dir}, 0,
         z + ":0001  <table>\n" + d + ":0001  <i>\n" + c + ":0001  <P>\n" + c + ":0001  </P>\n" + b +
             ":0001  <td>\n" + b + ":0002  <B>\n" + b + ":0002  </B>\n",
         "Longest: 6 in 4 files\n"},
        {{"tag", "/b", dir}, 0, b + ":0002  <B>\n" + b + ":0002  </B>\n", "Longest: 6 in 4 files\n"},
        {{"check", b, missing, site.path("a")}, 2,
         b + ":0001  TD - This tag should be in a table\n" + c + ":No errors found\n",
         "tagvetter: Can't open file: " + missing + "\n2 files examined, 1 with problems, 1 problem\n"},
        {{"check", "--files-from", list}, 1,
         b + ":0001  TD - This tag should be in a table\n" + c + ":No errors found\n",
         "2 files examined, 1 with problems, 1 problem\n"},
        // One file read by several jobs at once (Windows would refuse a second open without sharing).
        {{"count", b, b, b, b, b, b, b, b}, 0, "B\t8\tBold\n/B\t8\tBold end\nTD\t8\tTable cell\n",
         "3 different tags in 8 files\n"},
        {{"count", "--files-from=" + missing}, 2, "", "tagvetter: Can't open file: " + missing + "\n0 different tags in 0 files\n"},
    };
    for (const Case& test : cases) {
        std::string what;
        for (const std::string& a : test.args) what += a + " ";
        for (const char* jobs : {"-j1", "-j3"}) {
            std::vector<std::string> args = test.args;
            args.push_back(jobs);
            CliRun r = runCli(args);
            EXPECT_EQ(r.status, test.status) << what << jobs;
            EXPECT_EQ(r.out, test.out) << what << jobs;
            EXPECT_EQ(r.err, test.err) << what << jobs;
        }
    }
}

// Results come out in input order, one at a time, while no more than the window of
// results waits, however unevenly long the files take.
TEST(CliJobs, DeliversInOrderOneAtATimeWithABoundedWindow) {
    for (int jobs : {1, 2, 5}) {
        std::atomic<int> waiting{0}, mostWaiting{0}, delivering{0};
        std::vector<size_t> delivered;
        examineInOrder<size_t>(
            60, jobs,
            [&](int worker, size_t index, size_t& result) {
                EXPECT_LT(worker, jobs);
                std::this_thread::sleep_for(std::chrono::microseconds((index * 7919) % 3000));
                result = index;
                int now = ++waiting;
                for (int most = mostWaiting; now > most && !mostWaiting.compare_exchange_weak(most, now);) {
                }
            },
            [&](size_t index, size_t& result) {
                EXPECT_EQ(++delivering, 1) << "two deliveries at once";
                EXPECT_EQ(result, index);
                delivered.push_back(index);
                std::this_thread::sleep_for(std::chrono::microseconds(index % 3 == 0 ? 2000 : 0));
                --delivering;
                --waiting;
            },
            [] {});
        ASSERT_EQ(delivered.size(), 60u) << jobs;
        for (size_t i = 0; i < delivered.size(); ++i) EXPECT_EQ(delivered[i], i) << jobs;
        EXPECT_LE(mostWaiting.load(), static_cast<int>(ResultsPerJob) * jobs) << jobs;
    }
}

TEST(CliFormats, SarifUrisArePercentEncodedReferences) {
    const std::pair<std::string, std::string> cases[] = {
        {"site/a b.htm", "site/a%20b.htm"},
        {"caf\xe9:1#x.htm", "caf%E9%3A1%23x.htm"},
        {"/usr/share/doc/x.html", "file:///usr/share/doc/x.html"},
    };
    for (const auto& c : cases) EXPECT_EQ(sarifUri(c.first), c.second) << c.first;
}

#ifndef _WIN32
// The real program, as users and scripts start it.
CliRun runProcess(const std::string& arguments, const std::string& input = "") {
    const ScratchFolder streams;
    const std::string errPath = streams.path("err");
    const std::string command =
        std::string(TAGVETTER_EXE) + " " + arguments + " <" + streams.write("in", input) + " 2>" + errPath;
    FILE* p = popen(command.c_str(), "r");
    std::string out;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, p)) > 0) out.append(chunk, n);
    int status = pclose(p);
    std::ifstream err(errPath, std::ios::binary);
    return {WEXITSTATUS(status), out, std::string(std::istreambuf_iterator<char>(err), {})};
}

TEST(CliProcess, ReadsStandardInputForADash) {
    CliRun r = runProcess("check -", "<P>\n<td>\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0002  TD - This tag should be in a table\n");
    CliRun count = runProcess("count -", "");
    EXPECT_EQ(count.status, 0);
    EXPECT_EQ(count.out, "");
    EXPECT_EQ(count.err, "0 different tags\n");
}

TEST(CliProcess, PassesTheDocumentsBytesThroughUnchanged) {
    const std::string page = "<A href=\"caf\xe9.htm\"\r\ntitle=x>\t<B\x01>";
    TempFile file(page);
    CliRun r = runProcess(std::string("tags ") + file.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0001  <A href=\"caf\xe9.htm\" title=x>\n0002  <B\x01>\n");
    EXPECT_EQ(runProcess("count /nonexistent").status, 2);
}
#endif

}  // namespace

// A site with a configuration at its top, another in one folder, an override for old pages
// and pages left out: every command follows the configuration that applies to each page,
// options win over it, and a wrong configuration stops the run before any page is read.
TEST(CliConfig, EachPageFollowsTheNearestConfiguration) {
    ScratchFolder site;
    site.write("tagvetter.toml",
               "profile = \"html5\"\nknown = [\"site.known\"]\nignore = [\"obsolete-tag\"]\n"
               "exclude = [\"vendor/**\", \"*.tmp.html\"]\n"
               "[[overrides]]\npaths = [\"old/**\"]\nprofile = \"html32\"\nignore = [\"unbalanced-quotes\"]\n");
    site.write("site.known", "sidebar | strict | Side bar\n");
    const std::string index = site.write("index.html", "<!DOCTYPE html>\n<sidebar><font>x</font></sidebar>\n<b>\n");
    site.write(fs::path("vendor") / "lib.html", "<blink>\n");
    const std::string draft = site.write("draft.tmp.html", "<blink>\n");
    const std::string old = site.write(fs::path("old") / "page.htm", "<A href=\"x>\n<TD>\n");
    site.write(fs::path("sub") / "tagvetter.toml", "profile = \"html4\"\n");
    const std::string sub = site.write(fs::path("sub") / "page.html", "<sidebar>\n<font>\n");
    const std::string dir = site.path();

    const struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } cases[] = {
        {{"check", "--format=gnu", dir}, 1,
         index + ":3:1: error: b - Not closed at the end of the document\n" + old +
             ":2: TD - This tag should be in a table\n" + sub + ":1:1: error: sidebar - Unknown element\n" + sub +
             ":2:1: error: font - Not closed at the end of the document\n",
         "3 files examined, 3 with problems, 4 problems\n"},
        // The option wins over every configuration, the override's too; their ignore stays.
        {{"check", "--format=gnu", "--profile=html5", old, sub}, 1,
         old + ":1:1: error: A - Not closed at the end of the document\n" + old +
             ":2:1: error: TD - This tag should be in a table\n" + sub + ":1:1: error: sidebar - Unknown element\n" + sub +
             ":2:1: error: font - Obsolete element, not part of current HTML\n" + sub +
             ":2:1: error: font - Not closed at the end of the document\n",
         "2 files examined, 2 with problems, 5 problems\n"},
        // Without one, the page is read as its doctype says.
        {{"check", "--no-config", "--format=gnu", index}, 1,
         index + ":2:1: error: sidebar - Unknown element\n" + index +
             ":2:10: error: font - Obsolete element, not part of current HTML\n" + index +
             ":3:1: error: b - Not closed at the end of the document\n",
         ""},
        {{"check", "--config", site.path(fs::path("sub") / "tagvetter.toml"), index}, 1,
         "0002  sidebar - Unknown element\n"
         "0003  b - Not closed at the end of the document\n",
         ""},
        {{"count", old}, 0, "A\t1\tAnchor (link)\nTD\t1\tTable cell\n", "2 different tags\n"},
        {{"tags", index}, 0,
         "0001  <!DOCTYPE html>\n0002  <sidebar>\n0002  <font>\n0002  </font>\n0002  </sidebar>\n0003  <b>\n",
         "Longest: 14\n"},
        // A page named alone and left out: said so, and nothing else.
        {{"check", draft}, 0, "", "tagvetter: " + draft + " is excluded by " + site.path("tagvetter.toml") + "\n"},
    };
    for (const Case& test : cases) {
        std::string what;
        for (const std::string& a : test.args) what += a + " ";
        CliRun r = runCli(test.args);
        EXPECT_EQ(r.status, test.status) << what;
        EXPECT_EQ(r.out, test.out) << what;
        EXPECT_EQ(r.err, test.err) << what;
    }

    // Faults of the file: the place and what is wrong, exit 2, no page read.
    site.write(fs::path("sub") / "tagvetter.toml", "profile = \"html4\"\n\nignore = [\"no-such-kind\"]\n");
    CliRun wrong = runCli({"check", dir});
    EXPECT_EQ(wrong.status, CliFailed);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, site.path(fs::path("sub") / "tagvetter.toml") + ":3:11: unknown kind 'no-such-kind'\n");
    EXPECT_EQ(runCli({"check", "--no-config", "--format=gnu", sub}).status, CliProblemsFound);

    // A known-tag file that the top level and the override both read, wrong: said once.
    site.write(fs::path("sub") / "tagvetter.toml", "profile = \"html4\"\n");
    site.write("site.known", "sidebar | twice | Side bar\n");
    CliRun badKnown = runCli({"check", index, old});
    EXPECT_EQ(badKnown.status, CliFailed);
    EXPECT_EQ(badKnown.out, "");
    EXPECT_EQ(badKnown.err, site.path("site.known") +
                                ":1: unknown pairing 'twice': use void, optional, strict, counted, raw or foreign\n");
}

// Pages of three doctypes, with auto from the option and from the configuration: each
// page's lines are those of the page examined with the profile its doctype names.
TEST(CliConfig, AutoGivesEachPageTheProfileOfItsDoctype) {
    ScratchFolder site;
    const std::string body = "<center>x</center>\n<p><b>x<i>y</b>z</i></p>\n<sidebar>\n<td>\n";
    const struct {
        std::string path;
        const char* profile;
    } pages[] = {
        {site.write("a.html", "<!DOCTYPE html>\n" + body), "html5"},
        {site.write("b.html", "<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\"\n"
                              " \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n" + body),
         "html4"},
        {site.write("c.htm", "<HTML>\n" + body), "html32"},
    };
    const std::vector<std::vector<std::string>> commands = {{"check", "--format=gnu"}, {"tags"}, {"tag", "b"}};
    for (const auto& command : commands) {
        std::string expected;
        for (const auto& page : pages) {
            std::vector<std::string> alone = command;
            alone.insert(alone.end(), {"--no-config", "--profile", page.profile, page.path});
            const std::string out = runCli(alone).out;
            // Alone a page's lines have no path, but check's GNU lines always do.
            const std::string prefix = command[0] == "check" ? "" : page.path + ":";
            for (size_t from = 0; from < out.size(); from = out.find('\n', from) + 1) {
                expected += prefix + out.substr(from, out.find('\n', from) + 1 - from);
            }
        }
        std::vector<std::string> option = command, configured = command;
        option.insert(option.end(), {"--no-config", "--profile=auto", "-j3", site.path()});
        configured.push_back(site.path());
        site.write("tagvetter.toml", "profile = \"auto\"\n");
        EXPECT_EQ(runCli(option).out, expected) << command[0];
        EXPECT_EQ(runCli(configured).out, expected) << command[0];
        fs::remove(site.path("tagvetter.toml"));
    }
    CliRun census = runCli({"count", "--profile", "auto", site.path()});
    EXPECT_EQ(census.status, CliOk);
    EXPECT_NE(census.err.find(" different tags in 3 files\n"), std::string::npos) << census.err;
}
