// json: one object a line, for a CI job to filter on its kind.
#include "json_text.h"
#include "printer.h"

namespace {

class JsonPrinter : public Printer {
public:
    void problem(const PrintedFile& file, const Problem& problem, int, ByteSink& out) const override {
        char words[ProblemTextSize];
        JsonValue object = {{"path", file.path},
                       {"line", problem.line == NoLine ? JsonValue(nullptr) : JsonValue(problem.line)}};
        if (problem.column != NoColumn) object["column"] = problem.column;
        object["kind"] = problemKindId(problem.kind);
        if (problem.severity != Severity::Unrated) object["severity"] = severityWord(problem.severity);
        object["name"] = problem.name;
        if (problem.kind == ProblemKind::UnknownAttribute) object["tag"] = problem.tag;
        if (problem.kind == ProblemKind::UnbalancedTags) object["count"] = problem.count;
        object["message"] = std::string(words, formatProblemMessage(problem, words));
        out.add(jsonText(object) + "\n");
    }
    void brokenLink(const LinkProblem& problem, bool, int, ByteSink& out) const override {
        JsonValue object = {{"path", problem.page},
                       {"line", problem.line},
                       {"column", problem.column},
                       {"kind", linkKindId(problem.kind)},
                       {"target", problem.target}};
        if (problem.kind == LinkKind::LetterCase) object["existing"] = problem.existing;
        object["message"] = linkProblemMessage(problem);
        out.add(jsonText(object) + "\n");
    }
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter() { return std::unique_ptr<Printer>(new JsonPrinter); }
