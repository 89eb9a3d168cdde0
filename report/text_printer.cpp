// text: the result lines, as the window lists them, with "PATH:" in front when several
// files are examined; a file without problems says so.
#include "printer.h"

namespace {

void writePath(const std::string& path, bool withPath, ByteSink& out) {
    if (!withPath) return;
    out.add(path);
    out.add(':');
}

class TextPrinter : public Printer {
public:
    void problem(const PrintedFile& file, const Problem& problem, int, ByteSink& out) const override {
        char line[ProblemTextSize];
        writePath(file.path, file.withPath, out);
        out.write(line, formatProblemLine(problem, line));
        out.add('\n');
    }
    void checked(const PrintedFile& file, int problems, ByteSink& out) const override {
        if (problems != 0) return;
        writePath(file.path, file.withPath, out);
        out.add(NoErrorsFound);
        out.add('\n');
    }
    void brokenLink(const LinkProblem& problem, bool withPath, int, ByteSink& out) const override {
        writePath(problem.page, withPath, out);
        out.add(linkProblemLine(problem) + "\n");
    }
    void linksChecked(const PrintedFile& file, int broken, ByteSink& out) const override {
        if (broken != 0) return;
        writePath(file.path, file.withPath, out);
        out.add(NoBrokenLinks);
        out.add('\n');
    }
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter() { return std::unique_ptr<Printer>(new TextPrinter); }
