#include "diagnostics_printer.h"

#include <charconv>

#include "json_text.h"

namespace {

constexpr int DiagnosticSeverityError = 1;
constexpr int DiagnosticSeverityWarning = 2;

void appendNumber(std::string& out, uint64_t number) {
    char digits[20];
    const auto written = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, written.ptr);
}

}  // namespace

DiagnosticsPrinter::DiagnosticsPrinter(std::string& body, const std::string& uri, bool hasVersion, int64_t version,
                                       uint64_t check)
    : body_(body), check_(check) {
    body_ = "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":";
    appendJsonString(body_, uri);
    if (hasVersion) body_ += ",\"version\":" + std::to_string(version);
    body_ += ",\"diagnostics\":[";
}

void DiagnosticsPrinter::problem(ProblemKind kind, Severity severity, const std::string& message,
                                 const EditorRange& range) {
    if (index_ > 0) body_ += ',';
    appendDiagnostic(body_, kind, severity, message, range, check_, index_++);
}

void appendDiagnostic(std::string& out, ProblemKind kind, Severity severity, const std::string& message,
                      const EditorRange& range, uint64_t check, uint64_t index) {
    // A large page may have thousands of problems: each diagnostic is written out as it
    // comes, numbers as they are, rather than built first as a tree of JSON values, which
    // would cost more than the check itself.
    out += "{\"range\":{\"start\":{\"line\":";
    appendNumber(out, range.startLine);
    out += ",\"character\":";
    appendNumber(out, range.startCharacter);
    out += "},\"end\":{\"line\":";
    appendNumber(out, range.endLine);
    out += ",\"character\":";
    appendNumber(out, range.endCharacter);
    out += "}},\"severity\":";
    // An unrated problem (html32's) is a warning, as it always was.
    appendNumber(out, severity == Severity::Error ? DiagnosticSeverityError : DiagnosticSeverityWarning);
    out += ",\"source\":\"tagvetter\",\"code\":";
    appendJsonString(out, problemKindId(kind));
    out += ",\"message\":";
    appendJsonString(out, message);
    if (check != DiagnosticsPrinter::NoCheck) {
        out += ",\"data\":{\"check\":";
        appendNumber(out, check);
        out += ",\"index\":";
        appendNumber(out, index);
        out += '}';
    }
    out += '}';
}

void DiagnosticsPrinter::finish() { body_ += "]}}"; }
