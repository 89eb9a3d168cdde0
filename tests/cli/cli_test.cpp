#include "cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_documents.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string readAll(FILE* f) {
    std::string text;
    rewind(f);
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    fclose(f);
    return text;
}

CliRun run(std::vector<std::string> args) {
    args.insert(args.begin(), "tagvetter");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    int status = runTagvetter(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, readAll(out), readAll(err)};
}

const char Page[] =
    "<HTML>\r\n<BODY>\r\n<A href=\"next.htm\">next</a>\r\n<td>\r\n</BODY></HTML>\r\n";

TEST(Cli, CountPrintsTheCensusAndItsSummary) {
    TempFile page(Page);
    CliRun r = run({"count", page.path()});
    EXPECT_EQ(r.status, CliOk);
    EXPECT_EQ(r.out,
              "A\t1\tAnchor (link)\n/A\t1\tAnchor end\nBODY\t1\tBody of the document\n/BODY\t1\tBody end\n"
              "HTML\t1\tBeginning of file\n/HTML\t1\tEnd of file\nTD\t1\tTable cell\n");
    EXPECT_EQ(r.err, "7 different tags\n");
}

TEST(Cli, CheckExitsWithOneWhenItFindsProblems) {
    TempFile page(Page);
    CliRun r = run({"check", page.path()});
    EXPECT_EQ(r.status, CliProblemsFound);
    EXPECT_EQ(r.out, "0004  TD - This tag should be in a table\n");
    EXPECT_EQ(r.err, "");

    TempFile clean("<P>fine</P>");
    r = run({"check", clean.path()});
    EXPECT_EQ(r.status, CliOk);
    EXPECT_EQ(r.out, "No errors found\n");
}

TEST(Cli, TagsAndTagListWithLineLabels) {
    TempFile page(Page);
    CliRun all = run({"tags", page.path()});
    EXPECT_EQ(all.status, CliOk);
    EXPECT_EQ(all.out,
              "0001  <HTML>\n0002  <BODY>\n0003  <A href=\"next.htm\">\n0003  </a>\n0004  <td>\n"
              "0005  </BODY>\n0005  </HTML>\n");
    EXPECT_EQ(all.err, "Longest: 18\n");

    // The name is taken as a census line's first field would be: one leading "/" dropped.
    for (const char* name : {"a", "/A", "A\t1\tAnchor (link)"}) {
        CliRun one = run({"tag", name, page.path()});
        EXPECT_EQ(one.status, CliOk) << name;
        EXPECT_EQ(one.out, "0003  <A href=\"next.htm\">\n0003  </a>\n") << name;
        EXPECT_EQ(one.err, "Longest: 18\n") << name;
    }
    EXPECT_EQ(run({"tag", "", page.path()}).out, all.out);
}

TEST(Cli, KnownListsTheReferenceWithoutAFile) {
    CliRun r = run({"known"});
    EXPECT_EQ(r.status, CliOk);
    EXPECT_EQ(r.out.substr(0, 29), "!-\tComment\t\n!DOCTYPE\tHTML 3.2");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 136);
}

TEST(Cli, RefusesAFileItCannotOpen) {
    CliRun r = run({"count", "/nonexistent/page.htm"});
    EXPECT_EQ(r.status, CliFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tagvetter: Can't open file: /nonexistent/page.htm\n");
    EXPECT_EQ(run({"check", "/tmp"}).err, "tagvetter: Can't open file: /tmp\n");
}

TEST(Cli, ReportsUsageErrors) {
    const std::vector<std::vector<std::string>> misuse = {
        {}, {"count"}, {"count", "a", "b"}, {"tag", "A"}, {"known", "x"}, {"frobnicate", "x"}, {"tags"},
    };
    for (const auto& args : misuse) {
        CliRun r = run(args);
        EXPECT_EQ(r.status, CliFailed) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Try 'tagvetter --help'."), std::string::npos) << r.err;
    }
    CliRun help = run({"--help"});
    EXPECT_EQ(help.status, CliOk);
    EXPECT_NE(help.out.find("tag NAME FILE"), std::string::npos);
    EXPECT_EQ(run({"--version"}).out, "tagvetter " TAGVETTER_VERSION "\n");
}

#ifndef _WIN32
// The real program, as users and scripts start it.
CliRun runProcess(const std::string& arguments, const std::string& input = "") {
    TempFile stdinFile(input);
    TempFile errFile("");
    std::string command = std::string(TAGVETTER_EXE) + " " + arguments + " <" + stdinFile.path() + " 2>" +
                          errFile.path();
    FILE* p = popen(command.c_str(), "r");
    std::string out;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, p)) > 0) out.append(chunk, n);
    int status = pclose(p);
    FILE* e = fopen(errFile.path(), "rb");
    return {WEXITSTATUS(status), out, readAll(e)};
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
