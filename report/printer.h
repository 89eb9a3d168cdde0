// The outputs of check and links: one printer per format, chosen once for the run, that
// turns the analyses' records (problems, broken links) into bytes.
//
// The files of a run are examined by several jobs at once and written in input order, so
// a printer works in two steps: the records of one file are printed into that file's own
// sink, in its job (the const calls, which keep no state), and then the run hands each
// file's bytes back to the printer in order, between the start and the end of the whole
// output.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "byte_sink.h"
#include "result_lines.h"
#include "error.h"
#include "link_check.h"
#include "tag_profile.h"

// How check and links write their problems.
enum class OutputFormat {
    Text,   // the result lines, with "PATH:" in front when several files are examined
    Gnu,    // PATH:LINE: message
    Json,   // one JSON object a line
    Sarif,  // one SARIF 2.1.0 log
};

// One rule of a SARIF log: a kind's identifier, its sentence and its default level.
struct SarifRule {
    std::string id;
    std::string summary;
    Severity severity = Severity::Unrated;
};

// The file whose records are printed.
struct PrintedFile {
    const std::string& path;
    bool withPath;  // several files are examined: a text line begins with the path
};

class Printer {
public:
    virtual ~Printer() = default;

    // Before the first file.
    virtual void start(ByteSink&) {}
    // One problem of check; `index`: how many of the file's problems came before it.
    virtual void problem(const PrintedFile& file, const Problem& problem, int index, ByteSink& out) const = 0;
    // After the file's check, which found `problems`.
    virtual void checked(const PrintedFile&, int /*problems*/, ByteSink&) const {}
    // One broken link of the page `problem.page`; `index` as for problem.
    virtual void brokenLink(const LinkProblem& problem, bool withPath, int index, ByteSink& out) const = 0;
    // After the page's links, `broken` of them broken.
    virtual void linksChecked(const PrintedFile&, int /*broken*/, ByteSink&) const {}
    // One file's bytes, in input order, as the calls above made them.
    virtual void file(const std::string& bytes, ByteSink& out) { out.add(bytes); }
    // After the last file; `errors`: every failure of the run.
    virtual void end(const Errors&, ByteSink&) {}
};

// The printer of `format`. A SARIF log has the rules `rules`.
std::unique_ptr<Printer> makePrinter(OutputFormat format, std::vector<SarifRule> rules);

std::unique_ptr<Printer> makeTextPrinter();
std::unique_ptr<Printer> makeGnuPrinter();
std::unique_ptr<Printer> makeJsonPrinter();
std::unique_ptr<Printer> makeSarifPrinter(std::vector<SarifRule> rules);

// Hands each problem of a check to a printer, as one file's records.
class ProblemPrinting : public ProblemSink {
public:
    ProblemPrinting(const Printer& printer, const PrintedFile& file, ByteSink& out)
        : printer_(printer), file_(file), out_(out) {}
    void report(const Problem& problem) override {
        warnings_ += problem.severity == Severity::Warning ? 1 : 0;
        printer_.problem(file_, problem, printed_++, out_);
    }
    int warnings() const { return warnings_; }

private:
    const Printer& printer_;
    const PrintedFile& file_;
    ByteSink& out_;
    int printed_ = 0;
    int warnings_ = 0;
};

// The rules of check's kinds of every profile in `profiles`, each once: the first
// profile's in order, then those the others add. Rated by severity when a profile reads
// pages as HTML.
std::vector<SarifRule> sarifRulesOf(const std::vector<const TagProfile*>& profiles);
// The rules of the kinds of links, in the order of LinkKind.
std::vector<SarifRule> linkSarifRules();

// The path as a URI reference for SARIF: relative paths stay relative, absolute ones
// become file: URIs; every byte outside the unreserved set is percent-encoded.
std::string sarifUri(const std::string& path);
