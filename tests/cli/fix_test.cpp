#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "run_cli.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// Runs the test in `folder` and comes back when it ends: fix names files from the current folder.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : before_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool hasTool(const char* command) {
#ifdef _WIN32
    (void)command;
    return false;
#else
    return std::system((std::string(command) + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

const std::string Html5 = "<!DOCTYPE html>\r\n<title>t</title>\r\n";

// Each page, and what it is once the diff is applied.
const struct {
    const char* path;
    std::string page;
    std::string mended;
} Pages[] = {
    {"site/crlf.html", Html5 + "<p>one\r\n<b>two</b></b>\r\n<p>three\r\n", Html5 + "<p>one\r\n<b>two</b>\r\n<p>three\r\n"},
    {"site/no newline.html", "<!DOCTYPE html>\n<title>t</title>\n<p>a<br></br>", "<!DOCTYPE html>\n<title>t</title>\n<p>a<br>"},
    {"site/latin.html", "<HTML><BODY>caf\xe9</B>\n</BODY></HTML>\n", "<HTML><BODY>caf\xe9\n</BODY></HTML>\n"},
    {"site/sub/clean.html", "<!DOCTYPE html>\n<title>t</title>\n<p>x\n", "<!DOCTYPE html>\n<title>t</title>\n<p>x\n"},
    {"site/sub/left.html", "<!DOCTYPE html>\n<title>t</title>\n<bt>x</bt>\n",
     "<!DOCTYPE html>\n<title>t</title>\n<bt>x</bt>\n"},
    // Names as near (li, i, ul), settled by the list; a crossing split where it crosses.
    {"site/sub/crossed.html", Html5 + "<ul><il>a</il></ul>\r\n<p><b>x<i>y</b>z</i>\r\n",
     Html5 + "<ul><li>a</li></ul>\r\n<p><b>x<i>y</i></b><i>z</i>\r\n"},
};

TEST(CliFix, WritesADiffThatGitAndPatchApplyAndThatLeavesNothingToMend) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.root().empty());
    for (const auto& p : Pages) ASSERT_FALSE(folder.write(p.path, p.page).empty());
    InFolder here(folder.root());

    const CliRun one = runCli({"fix", "-j", "1", "site"});
    EXPECT_EQ(one.status, CliProblemsFound);
    const CliRun three = runCli({"fix", "-j3", "site"});
    EXPECT_EQ(three.out, one.out);
    EXPECT_EQ(three.err, one.err);
    // The pages in the order check gives them; the name with a space quoted.
    EXPECT_LT(one.out.find("--- a/site/crlf.html\n"), one.out.find("--- a/site/latin.html\n"));
    EXPECT_LT(one.out.find("--- a/site/latin.html\n"), one.out.find("--- \"a/site/no newline.html\"\n"));
    EXPECT_NE(one.out.find("\\ No newline at end of file\n"), std::string::npos);
    EXPECT_EQ(one.out.find("clean.html"), std::string::npos);
    // What is left, as check --format gnu gives it, then the count.
    // A folder's pages are named with the system's separator, as check names them.
    const CliRun left = runCli({"check", "--format", "gnu", fs::path("site/sub/left.html").make_preferred().string()});
    EXPECT_EQ(one.err, left.out + "6 files examined, 5 fixes, 1 problem left\n");

    std::ofstream(folder.root() / "fix.diff", std::ios::binary) << one.out;
    if (!hasTool("git --version") || !hasTool("patch --version"))
        GTEST_SKIP() << "git or patch is missing: the diff is not applied";
    EXPECT_EQ(std::system("git apply --check fix.diff"), 0);
    EXPECT_EQ(std::system("patch -p1 --dry-run --quiet < fix.diff"), 0);
    ASSERT_EQ(std::system("patch -p1 --quiet < fix.diff"), 0);
    for (const auto& p : Pages) EXPECT_EQ(bytesOf(p.path), p.mended) << p.path;

    const CliRun again = runCli({"fix", "site"});
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, left.out + "6 files examined, 0 fixes, 1 problem left\n");
    EXPECT_EQ(again.status, CliProblemsFound);
    const CliRun clean = runCli({"fix", "site/sub/clean.html"});
    EXPECT_EQ(clean.status, CliOk);
    EXPECT_EQ(clean.err, "1 file examined, 0 fixes, 0 problems left\n");
}

TEST(CliFix, RefusesWhatItCannotNameAndStillWritesTheRest) {
    ScratchFolder folder, elsewhere;
    ASSERT_FALSE(folder.write("a.html", "<HTML><BODY></B>x</BODY></HTML>\n").empty());
    const std::string outside = elsewhere.write("b.html", "<HTML></B></HTML>\n");
    InFolder here(folder.root());
    for (const std::vector<std::string>& misuse :
         {std::vector<std::string>{"fix", "-"}, {"fix", "--format", "gnu", "a.html"}, {"fix", "a.html", outside},
          {"fix", "--kinds", "void-close,bogus", "a.html"}, {"fix", "--kinds=", "a.html"}, {"fix", "../a.html"}}) {
        const CliRun r = runCli(misuse);
        EXPECT_EQ(r.status, CliFailed) << misuse.back();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Try 'tagvetter --help'."), std::string::npos) << r.err;
    }
    // A file that can't be read fails the run; the others' diff is written all the same.
    const CliRun r = runCli({"fix", "./a.html", "missing.html"});
    EXPECT_EQ(r.status, CliFailed);
    EXPECT_EQ(r.out, "--- a/a.html\n+++ b/a.html\n@@ -1 +1 @@\n-<HTML><BODY></B>x</BODY></HTML>\n"
                     "+<HTML><BODY>x</BODY></HTML>\n");
    EXPECT_NE(r.err.find("missing.html"), std::string::npos);
    // Kinds not asked for are left.
    const CliRun only = runCli({"fix", "--kinds", "void-close", "a.html"});
    EXPECT_EQ(only.out, "");
    EXPECT_EQ(only.err, "a.html:1: /B - Close tag without matching open tag\n1 file examined, 0 fixes, 1 problem left\n");
    EXPECT_NE(runCli({"--help"}).out.find("fix FILE..."), std::string::npos);
}

}  // namespace
