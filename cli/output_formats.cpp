#include "output_formats.h"

#include <algorithm>

#include <nlohmann/json.hpp>

using Json = nlohmann::ordered_json;

namespace {

// JSON text of a value: bytes that are not UTF-8 each become U+FFFD, so the output is
// valid UTF-8 whatever the page holds.
std::string jsonText(const Json& value, int indent = -1) {
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

Json problemLine(const Problem& problem) { return problem.line == NoLine ? Json(nullptr) : Json(problem.line); }

std::string message(const Problem& problem) {
    char text[ProblemTextSize];
    return std::string(text, formatProblemMessage(problem, text));
}

Json jsonProblem(const std::string& path, const Problem& problem) {
    Json object = {{"path", path}, {"line", problemLine(problem)}};
    if (problem.column != NoColumn) object["column"] = problem.column;
    object["kind"] = problemKindId(problem.kind);
    object["name"] = problem.name;
    if (problem.kind == ProblemKind::UnknownAttribute) object["tag"] = problem.tag;
    if (problem.kind == ProblemKind::UnbalancedTags) object["count"] = problem.count;
    object["message"] = message(problem);
    return object;
}

// The index of the kind's rule among `rules`.
int ruleIndex(const std::vector<ProblemKind>& rules, ProblemKind kind) {
    return static_cast<int>(std::find(rules.begin(), rules.end(), kind) - rules.begin());
}

Json sarifResult(const std::string& path, const Problem& problem, const std::vector<ProblemKind>& rules) {
    Json location = {{"artifactLocation", {{"uri", sarifUri(path)}}}};
    if (problem.line != NoLine) location["region"] = {{"startLine", problem.line}};
    if (problem.line != NoLine && problem.column != NoColumn) location["region"]["startColumn"] = problem.column;
    return {{"ruleId", problemKindId(problem.kind)},
            {"ruleIndex", ruleIndex(rules, problem.kind)},
            {"level", "warning"},
            {"message", {{"text", message(problem)}}},
            {"locations", Json::array({{{"physicalLocation", location}}})}};
}

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

void ProblemWriter::report(const Problem& problem) {
    char line[ProblemTextSize];
    switch (format_) {
        case OutputFormat::Text:
            if (withPath_) {
                out_.add(path_);
                out_.add(':');
            }
            out_.add(line, formatProblemLine(problem, line));
            break;
        case OutputFormat::Gnu:
            out_.add(path_);
            if (problem.line != NoLine) out_.add(":" + std::to_string(problem.line));
            if (problem.line != NoLine && problem.column != NoColumn) out_.add(":" + std::to_string(problem.column));
            out_.add(": ");
            out_.add(line, formatProblemMessage(problem, line));
            break;
        case OutputFormat::Json:
            out_.add(jsonText(jsonProblem(path_, problem)));
            break;
        case OutputFormat::Sarif:
            if (!firstResult_) out_.add(SarifResultSeparator);
            firstResult_ = false;
            out_.add(jsonText(sarifResult(path_, problem, rules_)));
            return;
    }
    out_.add('\n');
}

void ProblemWriter::finish(int problems) {
    if (format_ != OutputFormat::Text || problems != 0) return;
    if (withPath_) {
        out_.add(path_);
        out_.add(':');
    }
    out_.add("No errors found\n");
}

void OutputLines::append(const char* line) {
    out_.add(prefix_);
    out_.add(line);
    out_.add('\n');
    ++count_;
}

const char SarifResultSeparator[] = ",\n";

std::vector<ProblemKind> ruleKindsOf(const std::vector<const TagProfile*>& profiles) {
    std::vector<ProblemKind> kinds;
    for (const TagProfile* profile : profiles) {
        for (const ProblemKind kind : problemKindsOf(*profile)) {
            if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
        }
    }
    return kinds;
}

std::vector<SarifRule> sarifRulesOf(const std::vector<ProblemKind>& kinds) {
    std::vector<SarifRule> rules;
    for (const ProblemKind kind : kinds) rules.push_back({problemKindId(kind), problemKindSummary(kind)});
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

std::string sarifLogStart(const std::vector<SarifRule>& kinds) {
    Json rules = Json::array();
    for (const SarifRule& rule : kinds) {
        rules.push_back({{"id", rule.id},
                         {"shortDescription", {{"text", rule.summary}}},
                         {"defaultConfiguration", {{"level", "warning"}}}});
    }
    Json driver = {{"name", "tagvetter"}, {"version", TAGVETTER_VERSION}, {"rules", rules}};
    return "{\n\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n\"version\": \"2.1.0\",\n"
           "\"runs\": [{\n\"tool\": " +
           jsonText({{"driver", driver}}) + ",\n\"results\": [\n";
}

std::string sarifLogEnd(const std::vector<InputError>& errors) {
    Json notifications = Json::array();
    for (const InputError& error : errors) {
        notifications.push_back(
            {{"level", "error"},
             {"message", {{"text", error.message}}},
             {"locations",
              Json::array({{{"physicalLocation", {{"artifactLocation", {{"uri", sarifUri(error.path)}}}}}}})}});
    }
    Json invocation = {{"executionSuccessful", errors.empty()},
                       {"toolExecutionNotifications", notifications}};
    return "\n],\n\"invocations\": [" + jsonText(invocation) + "]\n}]\n}\n";
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

void writeLinkProblem(OutputFormat format, const LinkProblem& problem, bool withPath, bool first, OutputText& out) {
    const std::string message = linkProblemMessage(problem);
    switch (format) {
        case OutputFormat::Text:
            if (withPath) out.add(problem.page + ":");
            out.add(linkProblemLine(problem) + "\n");
            break;
        case OutputFormat::Gnu:
            out.add(problem.page + ":" + std::to_string(problem.line) + ":" + std::to_string(problem.column) + ": " +
                    message + "\n");
            break;
        case OutputFormat::Json: {
            Json object = {{"path", problem.page},
                           {"line", problem.line},
                           {"column", problem.column},
                           {"kind", linkKindId(problem.kind)},
                           {"target", problem.target}};
            if (problem.kind == LinkKind::LetterCase) object["existing"] = problem.existing;
            object["message"] = message;
            out.add(jsonText(object) + "\n");
            break;
        }
        case OutputFormat::Sarif: {
            if (!first) out.add(SarifResultSeparator);
            Json location = {{"artifactLocation", {{"uri", sarifUri(problem.page)}}},
                             {"region", {{"startLine", problem.line}, {"startColumn", problem.column}}}};
            out.add(jsonText({{"ruleId", linkKindId(problem.kind)},
                              {"ruleIndex", static_cast<int>(problem.kind)},
                              {"level", "warning"},
                              {"message", {{"text", message}}},
                              {"locations", Json::array({{{"physicalLocation", location}}})}}));
            break;
        }
    }
}

void writeNoBrokenLinks(OutputFormat format, const std::string& page, bool withPath, OutputText& out) {
    if (format != OutputFormat::Text) return;
    if (withPath) out.add(page + ":");
    out.add("No broken links\n");
}
