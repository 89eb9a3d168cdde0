// What a run writes, whatever goes wrong: one report object per format, fed the results
// of each file in input order and every failure of the run from one list, so that its
// output is always whole (a SARIF log that parses, JSON in whole lines) and says what
// failed.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "document_check.h"
#include "line_output.h"

// One rule of a SARIF log: a kind's identifier and its sentence.
struct SarifRule {
    std::string id;
    std::string summary;
};

// One input the run could not examine.
struct InputError {
    std::string path;     // the file, the folder or the LIST
    std::string message;  // "Can't open file: PATH"
};

// What a run found, for its report's end.
struct RunSummary {
    long long examined = 0;
    long long filesWithProblems = 0;
    long long problems = 0;
    // Every failure, in the order the run met them.
    std::vector<InputError> errors;
    // Standard output could not be written to the end.
    bool outputFailed = false;
};

class Report {
public:
    virtual ~Report() = default;
    // Before the first file.
    virtual void start() {}
    // One file's results, as its ProblemWriter or result lines made them.
    virtual void fileResults(const std::string& text) { out_.add(text); }
    // One input that failed; the run's message about it is on standard error already.
    virtual void fileFailure(const InputError&) {}
    // After the last file.
    virtual void end(const RunSummary&) { out_.flush(); }

protected:
    explicit Report(LineOutput& out) : out_(out) {}
    LineOutput& out_;
};

// The report of `format`; a SARIF log's rules are `rules`, which must outlive it.
std::unique_ptr<Report> makeReport(OutputFormat format, LineOutput& out, const std::vector<SarifRule>& rules);
