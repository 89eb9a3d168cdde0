#include "diagnostics_printer.h"

#include <charconv>

#include "json_text.h"

namespace {

constexpr int DiagnosticSeverityError = 1;
constexpr int DiagnosticSeverityWarning = 2;

void appendNumber(std::string& out, uint32_t number) {
    char digits[10];
    const auto written = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, written.ptr);
}

}  // namespace

DiagnosticsPrinter::DiagnosticsPrinter(std::string& body, const std::string& uri, bool hasVersion, int64_t version)
    : body_(body) {
    body_ = "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":";
    appendJsonString(body_, uri);
    if (hasVersion) body_ += ",\"version\":" + std::to_string(version);
    body_ += ",\"diagnostics\":[";
}

void DiagnosticsPrinter::problem(ProblemKind kind, Severity severity, const std::string& message,
                                 const EditorRange& range) {
    // A large page may have thousands of problems: each diagnostic is written out as it
    // comes, numbers as they are, rather than built first as a tree of JSON values, which
    // would cost more than the check itself.
    if (!first_) body_ += ',';
    first_ = false;
    body_ += "{\"range\":{\"start\":{\"line\":";
    appendNumber(body_, range.startLine);
    body_ += ",\"character\":";
    appendNumber(body_, range.startCharacter);
    body_ += "},\"end\":{\"line\":";
    appendNumber(body_, range.endLine);
    body_ += ",\"character\":";
    appendNumber(body_, range.endCharacter);
    body_ += "}},\"severity\":";
    // An unrated problem (html32's) is a warning, as it always was.
    appendNumber(body_, severity == Severity::Error ? DiagnosticSeverityError : DiagnosticSeverityWarning);
    body_ += ",\"source\":\"tagvetter\",\"code\":";
    appendJsonString(body_, problemKindId(kind));
    body_ += ",\"message\":";
    appendJsonString(body_, message);
    body_ += '}';
}

void DiagnosticsPrinter::finish() { body_ += "]}}"; }
