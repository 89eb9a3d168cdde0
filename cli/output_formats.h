// The output formats of the command line: each problem of check as a text line, a GNU
// line, a JSON line or a SARIF result; the lines of the other commands with their path.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "document_check.h"
#include "link_check.h"
#include "output_text.h"
#include "report.h"
#include "result_sinks.h"

// Writes each problem of one file in the run's format. In the text format a file without
// problems gives "No errors found" (see finish).
class ProblemWriter : public ProblemSink {
public:
    // `withPath`: put the file's path before each text line, as with several files.
    // `rules`: the kinds of the SARIF log's rules, which results refer to by index.
    ProblemWriter(OutputFormat format, const std::string& path, bool withPath, OutputText& out,
                  const std::vector<ProblemKind>& rules)
        : format_(format), path_(path), withPath_(withPath), out_(out), rules_(rules) {}
    void report(const Problem& problem) override;
    // Ends the file's output once its check has found `problems` problems.
    void finish(int problems);

private:
    OutputFormat format_;
    const std::string& path_;
    bool withPath_;
    OutputText& out_;
    const std::vector<ProblemKind>& rules_;
    bool firstResult_ = true;
};

// Appends each result line, with "PATH:" in front when asked, to an OutputText.
class OutputLines : public ResultList {
public:
    OutputLines(const std::string& path, bool withPath, OutputText& out)
        : prefix_(withPath ? path + ":" : std::string()), out_(out) {}
    void empty() override {}
    void append(const char* line) override;
    int count() const override { return count_; }
    int selectedLine() const override { return -1; }
    // The lines are written out, not kept.
    std::string lineText(int) const override { return std::string(); }

private:
    std::string prefix_;
    OutputText& out_;
    int count_ = 0;
};

// A SARIF log is one JSON document: its start before the first file's results, the
// separator between results (ProblemWriter puts it between the results of one file, the
// report between those of two files), and its end after the last file. Its rules are
// `rules`: the kinds the checks of the run's profiles report.
std::string sarifLogStart(const std::vector<SarifRule>& rules);
// The rules of the kinds of check.
std::vector<SarifRule> sarifRulesOf(const std::vector<ProblemKind>& kinds);
// The rules of the kinds of links.
std::vector<SarifRule> linkSarifRules();

// Writes one broken link of a page in `format` (a SARIF result after the separator when it
// isn't the page's first); `withPath`: the text line starts with the page's path.
void writeLinkProblem(OutputFormat format, const LinkProblem& problem, bool withPath, bool first, OutputText& out);
// The text format's line for a page without broken links ("No broken links").
void writeNoBrokenLinks(OutputFormat format, const std::string& page, bool withPath, OutputText& out);
extern const char SarifResultSeparator[];
// `errors`: every failure of the run, each a notification; with any, the run did not
// succeed.
std::string sarifLogEnd(const std::vector<InputError>& errors);
// The kinds of every profile in `profiles`, each once: the first profile's in order,
// then those the others add.
std::vector<ProblemKind> ruleKindsOf(const std::vector<const TagProfile*>& profiles);

// The path as a URI reference for SARIF: relative paths stay relative, absolute ones
// become file: URIs; every byte outside the unreserved set is percent-encoded.
std::string sarifUri(const std::string& path);
