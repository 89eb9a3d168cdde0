#include "printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "diagnostics_printer.h"

namespace {

// A cell outside a table (html32: a line, no column), an unknown attribute read as HTML
// (line and column), and the count of tags left open at the end (no line).
const Problem Cell{ProblemKind::CellOutsideTable, 2, NoColumn, "TD", "", 0, 0, 10, 14};
const Problem Attribute{ProblemKind::UnknownAttribute, 3, 7, "colour", "FONT", 0, 0, 30, 36};
const Problem Unbalanced{ProblemKind::UnbalancedTags, NoLine, NoColumn, "TABLE", "", 1, 0, NoOffset, NoOffset};
const std::vector<Problem> Problems = {Cell, Attribute, Unbalanced};

LinkProblem missing() {
    LinkProblem problem;
    problem.kind = LinkKind::MissingTarget;
    problem.page = "site/a b.htm";
    problem.line = 4;
    problem.column = 9;
    problem.target = "img/Photo.jpg";
    return problem;
}

LinkProblem otherCase() {
    LinkProblem problem = missing();
    problem.kind = LinkKind::LetterCase;
    problem.target = "photo.jpg";
    problem.existing = "Photo.JPG";
    return problem;
}

// Every record of one file through `printer`, as the run prints them.
std::string checkedFile(const Printer& printer, const std::string& path, bool withPath,
                        const std::vector<Problem>& problems) {
    StringByteSink out;
    const PrintedFile file{path, withPath};
    ProblemPrinting printing(printer, file, out);
    for (const Problem& problem : problems) printing.report(problem);
    printer.checked(file, static_cast<int>(problems.size()), out);
    return out.bytes;
}

std::string linkedPage(const Printer& printer, const std::string& page, bool withPath,
                       const std::vector<LinkProblem>& problems) {
    StringByteSink out;
    int index = 0;
    for (const LinkProblem& problem : problems) printer.brokenLink(problem, withPath, index++, out);
    printer.linksChecked({page, withPath}, index, out);
    return out.bytes;
}

std::vector<SarifRule> rulesOf(const std::vector<ProblemKind>& kinds, bool rated) {
    std::vector<SarifRule> rules;
    for (const ProblemKind kind : kinds)
        rules.push_back({problemKindId(kind), problemKindSummary(kind), rated ? severityOf(kind) : Severity::Unrated});
    return rules;
}

const std::vector<SarifRule> CheckRules = rulesOf(
    {ProblemKind::UnknownTag, ProblemKind::UnknownAttribute, ProblemKind::CellOutsideTable, ProblemKind::UnbalancedTags},
    false);

struct PrinterCase {
    OutputFormat format;
    bool withPath;
    std::string problems;  // the three problems of site/index.htm
    std::string none;      // a file without problems
    std::string links;     // the two broken links of site/a b.htm
    std::string noLinks;   // a page without broken links
};

TEST(Printers, EachFormatPrintsTheRecordsOfAFile) {
    const std::string cellSarif =
        R"j({"ruleId":"cell-outside-table","ruleIndex":2,"level":"warning","message":{"text":"TD - This tag should be in a table"},)j"
        R"j("locations":[{"physicalLocation":{"artifactLocation":{"uri":"site/index.htm"},"region":{"startLine":2}}}]})j";
    const std::vector<PrinterCase> cases = {
        {OutputFormat::Text, false,
         "0002  TD - This tag should be in a table\n0003  colour - Unknown attribute for FONT\nTABLE\tUnbalanced tags (1)\n",
         "No errors found\n",
         "0004  img/Photo.jpg - No such file\n0004  photo.jpg - Exists only as Photo.JPG\n", "No broken links\n"},
        {OutputFormat::Text, true,
         "site/index.htm:0002  TD - This tag should be in a table\nsite/index.htm:0003  colour - Unknown attribute "
         "for FONT\nsite/index.htm:TABLE\tUnbalanced tags (1)\n",
         "site/index.htm:No errors found\n",
         "site/a b.htm:0004  img/Photo.jpg - No such file\nsite/a b.htm:0004  photo.jpg - Exists only as Photo.JPG\n",
         "site/a b.htm:No broken links\n"},
        {OutputFormat::Gnu, false,
         "site/index.htm:2: TD - This tag should be in a table\nsite/index.htm:3:7: colour - Unknown attribute for "
         "FONT\nsite/index.htm: TABLE\tUnbalanced tags (1)\n",
         "",
         "site/a b.htm:4:9: img/Photo.jpg - No such file\nsite/a b.htm:4:9: photo.jpg - Exists only as Photo.JPG\n", ""},
        {OutputFormat::Json, true,
         R"j({"path":"site/index.htm","line":2,"kind":"cell-outside-table","name":"TD","message":"TD - This tag should be in a table"})j"
         "\n"
         R"j({"path":"site/index.htm","line":3,"column":7,"kind":"unknown-attribute","name":"colour","tag":"FONT","message":"colour - Unknown attribute for FONT"})j"
         "\n"
         R"j({"path":"site/index.htm","line":null,"kind":"unbalanced-tags","name":"TABLE","count":1,"message":"TABLE\tUnbalanced tags (1)"})j"
         "\n",
         "",
         R"j({"path":"site/a b.htm","line":4,"column":9,"kind":"missing-target","target":"img/Photo.jpg","message":"img/Photo.jpg - No such file"})j"
         "\n"
         R"j({"path":"site/a b.htm","line":4,"column":9,"kind":"letter-case","target":"photo.jpg","existing":"Photo.JPG","message":"photo.jpg - Exists only as Photo.JPG"})j"
         "\n",
         ""},
        {OutputFormat::Sarif, false,
         cellSarif + ",\n" +
             R"j({"ruleId":"unknown-attribute","ruleIndex":1,"level":"warning","message":{"text":"colour - Unknown attribute for FONT"},)j"
             R"j("locations":[{"physicalLocation":{"artifactLocation":{"uri":"site/index.htm"},"region":{"startLine":3,"startColumn":7}}}]},)j"
             "\n"
             R"j({"ruleId":"unbalanced-tags","ruleIndex":3,"level":"warning","message":{"text":"TABLE\tUnbalanced tags (1)"},)j"
             R"j("locations":[{"physicalLocation":{"artifactLocation":{"uri":"site/index.htm"}}}]})j",
         "",
         R"j({"ruleId":"missing-target","ruleIndex":0,"level":"warning","message":{"text":"img/Photo.jpg - No such file"},)j"
         R"j("locations":[{"physicalLocation":{"artifactLocation":{"uri":"site/a%20b.htm"},"region":{"startLine":4,"startColumn":9}}}]},)j"
         "\n"
         R"j({"ruleId":"letter-case","ruleIndex":1,"level":"warning","message":{"text":"photo.jpg - Exists only as Photo.JPG"},)j"
         R"j("locations":[{"physicalLocation":{"artifactLocation":{"uri":"site/a%20b.htm"},"region":{"startLine":4,"startColumn":9}}}]})j",
         ""},
    };
    for (const PrinterCase& c : cases) {
        const auto what = static_cast<int>(c.format);
        const std::unique_ptr<Printer> check = makePrinter(c.format, CheckRules);
        EXPECT_EQ(checkedFile(*check, "site/index.htm", c.withPath, Problems), c.problems) << what;
        EXPECT_EQ(checkedFile(*check, "site/index.htm", c.withPath, {}), c.none) << what;
        const std::unique_ptr<Printer> links = makePrinter(c.format, linkSarifRules());
        EXPECT_EQ(linkedPage(*links, "site/a b.htm", c.withPath, {missing(), otherCase()}), c.links) << what;
        EXPECT_EQ(linkedPage(*links, "site/a b.htm", c.withPath, {}), c.noLinks) << what;
    }
}

// A page read as HTML: each problem has its severity, except in the text lines, which the
// window shows too.
TEST(Printers, ProblemsReadAsHtmlCarryTheirSeverity) {
    Problem error = Attribute, warning = Attribute;
    error.severity = Severity::Error;
    warning.severity = Severity::Warning;
    const struct {
        OutputFormat format;
        std::string printed;
    } cases[] = {
        {OutputFormat::Text, "0003  colour - Unknown attribute for FONT\n0003  colour - Unknown attribute for FONT\n"},
        {OutputFormat::Gnu,
         "p.htm:3:7: error: colour - Unknown attribute for FONT\np.htm:3:7: warning: colour - Unknown attribute for FONT\n"},
        {OutputFormat::Json,
         R"j({"path":"p.htm","line":3,"column":7,"kind":"unknown-attribute","severity":"error","name":"colour","tag":"FONT","message":"colour - Unknown attribute for FONT"})j"
         "\n"
         R"j({"path":"p.htm","line":3,"column":7,"kind":"unknown-attribute","severity":"warning","name":"colour","tag":"FONT","message":"colour - Unknown attribute for FONT"})j"
         "\n"},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<Printer> printer = makePrinter(c.format, CheckRules);
        EXPECT_EQ(checkedFile(*printer, "p.htm", false, {error, warning}), c.printed) << static_cast<int>(c.format);
    }

    const std::vector<SarifRule> rated = rulesOf({ProblemKind::UnknownAttribute}, true);
    const std::unique_ptr<Printer> sarif = makePrinter(OutputFormat::Sarif, rated);
    StringByteSink out;
    sarif->start(out);
    sarif->file(checkedFile(*sarif, "p.htm", false, {error, warning}), out);
    sarif->end({}, out);
    const nlohmann::json run = nlohmann::json::parse(out.bytes)["runs"][0];
    EXPECT_EQ(run["tool"]["driver"]["rules"][0]["defaultConfiguration"]["level"], "error");
    EXPECT_EQ(run["results"][0]["level"], "error");
    EXPECT_EQ(run["results"][1]["level"], "warning");

    std::string body;
    DiagnosticsPrinter diagnostics(body, "untitled:1", false, 0);
    diagnostics.problem(error.kind, error.severity, "e", {});
    diagnostics.problem(warning.kind, warning.severity, "w", {});
    diagnostics.finish();
    const nlohmann::json published = nlohmann::json::parse(body)["params"]["diagnostics"];
    EXPECT_EQ(published[0]["severity"], 1);
    EXPECT_EQ(published[1]["severity"], 2);
}

TEST(Printers, OnlySarifFramesTheOutput) {
    for (const OutputFormat format : {OutputFormat::Text, OutputFormat::Gnu, OutputFormat::Json}) {
        const std::unique_ptr<Printer> printer = makePrinter(format, CheckRules);
        StringByteSink out;
        printer->start(out);
        printer->file("one\n", out);
        printer->file("", out);
        printer->file("two\n", out);
        printer->end({{"gone.htm", "Can't open file: gone.htm"}}, out);
        EXPECT_EQ(out.bytes, "one\ntwo\n") << static_cast<int>(format);
    }
}

// The log is one JSON document whatever comes: the files' results joined, files without
// results left out, every failure a notification.
TEST(Printers, SarifLogIsWholeOverFilesAndFailures) {
    const std::unique_ptr<Printer> printer = makePrinter(OutputFormat::Sarif, CheckRules);
    StringByteSink out;
    printer->start(out);
    printer->file(checkedFile(*printer, "a.htm", true, {Cell, Attribute}), out);
    printer->file(checkedFile(*printer, "b.htm", true, {}), out);
    printer->file(checkedFile(*printer, "/site/c d.htm", true, {Unbalanced}), out);
    printer->end({{"gone.htm", "Can't open file: gone.htm"}}, out);

    const nlohmann::json log = nlohmann::json::parse(out.bytes);
    const nlohmann::json& run = log["runs"][0];
    ASSERT_EQ(run["tool"]["driver"]["rules"].size(), CheckRules.size());
    EXPECT_EQ(run["tool"]["driver"]["rules"][3]["id"], "unbalanced-tags");
    const nlohmann::json& results = run["results"];
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[1]["ruleId"], "unknown-attribute");
    EXPECT_EQ(results[2]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "file:///site/c%20d.htm");
    const nlohmann::json& invocation = run["invocations"][0];
    EXPECT_EQ(invocation["executionSuccessful"], false);
    EXPECT_EQ(invocation["toolExecutionNotifications"][0]["message"]["text"], "Can't open file: gone.htm");

    StringByteSink empty;
    printer->start(empty);
    printer->end({}, empty);
    EXPECT_EQ(nlohmann::json::parse(empty.bytes)["runs"][0]["invocations"][0]["executionSuccessful"], true);
}

TEST(DiagnosticsPrinter, WritesOnePublishDiagnosticsNotification) {
    std::string body;
    DiagnosticsPrinter printer(body, "file:///site/index.html", true, 3, 12);
    printer.problem(ProblemKind::CellOutsideTable, Severity::Unrated, "TD - This tag should be in a table", {1, 0, 1, 4});
    printer.problem(ProblemKind::UnknownAttribute, Severity::Unrated, "\"é\xff\" - Unknown attribute for P", {2, 3, 2, 7});
    printer.finish();
    EXPECT_EQ(body,
              R"j({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":"file:///site/index.html",)j"
              R"j("version":3,"diagnostics":[{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":4}},)j"
              R"j("severity":2,"source":"tagvetter","code":"cell-outside-table","message":"TD - This tag should be in a table",)j"
              R"j("data":{"check":12,"index":0}},)j"
              R"j({"range":{"start":{"line":2,"character":3},"end":{"line":2,"character":7}},"severity":2,)j"
              "\"source\":\"tagvetter\",\"code\":\"unknown-attribute\",\"message\":\"\\\"\xc3\xa9\xef\xbf\xbd\\\" - Unknown "
              "attribute for P\",\"data\":{\"check\":12,\"index\":1}}]}}");

    std::string closed;
    DiagnosticsPrinter none(closed, "untitled:1", false, 0);
    none.finish();
    EXPECT_EQ(closed,
              R"j({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":"untitled:1","diagnostics":[]}})j");
}

}  // namespace
