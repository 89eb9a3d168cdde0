// gnu: PATH:LINE[:COLUMN]: message, the lines GNU tools write and editors and CI jobs
// read; the count at the end of a page, which has no line, as PATH: message. A page read
// as HTML has its problem's severity before the message: PATH:LINE:COLUMN: error: message.
#include "printer.h"

namespace {

class GnuPrinter : public Printer {
public:
    void problem(const PrintedFile& file, const Problem& problem, int, ByteSink& out) const override {
        char words[ProblemTextSize];
        out.add(file.path);
        if (problem.line != NoLine) out.add(":" + std::to_string(problem.line));
        if (problem.line != NoLine && problem.column != NoColumn) out.add(":" + std::to_string(problem.column));
        out.add(": ");
        if (problem.severity != Severity::Unrated) out.add(severityWord(problem.severity) + std::string(": "));
        out.write(words, formatProblemMessage(problem, words));
        out.add('\n');
    }
    void brokenLink(const LinkProblem& problem, bool, int, ByteSink& out) const override {
        out.add(problem.page + ":" + std::to_string(problem.line) + ":" + std::to_string(problem.column) + ": " +
                linkProblemMessage(problem) + "\n");
    }
};

}  // namespace

std::unique_ptr<Printer> makeGnuPrinter() { return std::unique_ptr<Printer>(new GnuPrinter); }
