// sarif: one SARIF 2.1.0 log, the format code-scanning services take. The log is one JSON
// document, so it is whole whatever happens: its start with the rules before the first
// file, the results separated within and between files, and its end with every failure
// of the run as a notification, whether or not a file could be read.
#include <algorithm>

#include "json_text.h"
#include "printer.h"

namespace {

const char ResultSeparator[] = ",\n";

// An unrated problem (html32's), like a broken link, is a warning, as it always was.
const char* sarifLevel(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

JsonValue sarifResult(const char* ruleId, int ruleIndex, const char* level, const std::string& message,
                      JsonValue location) {
    return {{"ruleId", ruleId},
            {"ruleIndex", ruleIndex},
            {"level", level},
            {"message", {{"text", message}}},
            {"locations", JsonValue::array({{{"physicalLocation", std::move(location)}}})}};
}

class SarifPrinter : public Printer {
public:
    explicit SarifPrinter(std::vector<SarifRule> rules) : rules_(std::move(rules)) {
        for (int k = 0; k < ProblemKindCount; ++k) problemRule_[k] = ruleIndex(problemKindId(static_cast<ProblemKind>(k)));
    }

    void start(ByteSink& out) override {
        JsonValue rules = JsonValue::array();
        for (const SarifRule& rule : rules_) {
            rules.push_back({{"id", rule.id},
                             {"shortDescription", {{"text", rule.summary}}},
                             {"defaultConfiguration", {{"level", sarifLevel(rule.severity)}}}});
        }
        JsonValue driver = {{"name", "tagvetter"}, {"version", TAGVETTER_VERSION}, {"rules", rules}};
        out.add("{\n\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n\"version\": \"2.1.0\",\n"
                "\"runs\": [{\n\"tool\": " +
                jsonText({{"driver", driver}}) + ",\n\"results\": [\n");
    }

    void problem(const PrintedFile& file, const Problem& problem, int index, ByteSink& out) const override {
        char words[ProblemTextSize];
        JsonValue location = {{"artifactLocation", {{"uri", sarifUri(file.path)}}}};
        if (problem.line != NoLine) location["region"] = {{"startLine", problem.line}};
        if (problem.line != NoLine && problem.column != NoColumn) location["region"]["startColumn"] = problem.column;
        if (index > 0) out.add(ResultSeparator);
        out.add(jsonText(sarifResult(problemKindId(problem.kind), problemRule_[static_cast<int>(problem.kind)],
                                     sarifLevel(problem.severity), std::string(words, formatProblemMessage(problem, words)), std::move(location))));
    }

    void brokenLink(const LinkProblem& problem, bool, int index, ByteSink& out) const override {
        JsonValue location = {{"artifactLocation", {{"uri", sarifUri(problem.page)}}},
                         {"region", {{"startLine", problem.line}, {"startColumn", problem.column}}}};
        if (index > 0) out.add(ResultSeparator);
        out.add(jsonText(sarifResult(linkKindId(problem.kind), ruleIndex(linkKindId(problem.kind)),
                                     sarifLevel(Severity::Unrated), linkProblemMessage(problem), std::move(location))));
    }

    void file(const std::string& bytes, ByteSink& out) override {
        if (bytes.empty()) return;
        if (resultWritten_) out.add(ResultSeparator);
        resultWritten_ = true;
        out.add(bytes);
    }

    void end(const Errors& errors, ByteSink& out) override {
        JsonValue notifications = JsonValue::array();
        for (const Error& error : errors) {
            notifications.push_back(
                {{"level", "error"},
                 {"message", {{"text", error.message}}},
                 {"locations",
                  JsonValue::array({{{"physicalLocation", {{"artifactLocation", {{"uri", sarifUri(error.path)}}}}}}})}});
        }
        JsonValue invocation = {{"executionSuccessful", errors.empty()}, {"toolExecutionNotifications", notifications}};
        out.add("\n],\n\"invocations\": [" + jsonText(invocation) + "]\n}]\n}\n");
    }

private:
    // The index of the rule `id` among the log's rules.
    int ruleIndex(const char* id) const {
        return static_cast<int>(
            std::find_if(rules_.begin(), rules_.end(), [&](const SarifRule& rule) { return rule.id == id; }) -
            rules_.begin());
    }

    const std::vector<SarifRule> rules_;
    int problemRule_[ProblemKindCount];
    bool resultWritten_ = false;  // a file's results are in the log: the next file's follow a separator
};

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::unique_ptr<Printer> makeSarifPrinter(std::vector<SarifRule> rules) {
    return std::unique_ptr<Printer>(new SarifPrinter(std::move(rules)));
}

std::vector<SarifRule> sarifRulesOf(const std::vector<const TagProfile*>& profiles) {
    std::vector<SarifRule> rules;
    const bool rated = std::any_of(profiles.begin(), profiles.end(), [](const TagProfile* p) { return p->readsAsHtml(); });
    for (const TagProfile* profile : profiles) {
        for (const ProblemKind kind : problemKindsOf(*profile)) {
            const char* id = problemKindId(kind);
            if (std::any_of(rules.begin(), rules.end(), [&](const SarifRule& rule) { return rule.id == id; })) continue;
            rules.push_back({id, problemKindSummary(kind), rated ? severityOf(kind) : Severity::Unrated});
        }
    }
    return rules;
}

std::vector<SarifRule> linkSarifRules() {
    std::vector<SarifRule> rules;
    for (int k = 0; k < LinkKindCount; ++k) {
        const LinkKind kind = static_cast<LinkKind>(k);
        rules.push_back({linkKindId(kind), linkKindSummary(kind)});
    }
    return rules;
}

std::string sarifUri(const std::string& path) {
    std::string uri;
    size_t from = 0;
#ifdef _WIN32
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) {
        uri = "file:///" + path.substr(0, 2);
        from = 2;
    }
#endif
    if (from == 0 && !path.empty() && path[0] == '/') uri = "file://";
    for (size_t i = from; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
#ifdef _WIN32
        if (c == '\\') {
            uri += '/';
            continue;
        }
#endif
        if (unreserved(c) || c == '/') {
            uri += static_cast<char>(c);
        } else {
            static const char Hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += Hex[c >> 4];
            uri += Hex[c & 15];
        }
    }
    return uri;
}
