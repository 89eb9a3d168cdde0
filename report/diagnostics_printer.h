// The language server's output of a check: one textDocument/publishDiagnostics
// notification, its problems as diagnostics whose ranges are in the editor's units.
#pragma once

#include <cstdint>
#include <string>

#include "result_lines.h"

// Lines and characters from 0, as the editor counts them.
struct EditorRange {
    uint32_t startLine = 0;
    uint32_t startCharacter = 0;
    uint32_t endLine = 0;
    uint32_t endCharacter = 0;
};

class DiagnosticsPrinter {
public:
    // Starts the notification of the document `uri` in `body`, with `version` when
    // `hasVersion`. With a `check` number (not NoCheck) each diagnostic carries it and its
    // index among them as its data, {"check":N,"index":I}: a code action on it names the
    // check it came from, and a stale one can be told.
    static constexpr uint64_t NoCheck = 0;
    DiagnosticsPrinter(std::string& body, const std::string& uri, bool hasVersion, int64_t version,
                       uint64_t check = NoCheck);
    // One problem, with its words and its place.
    void problem(ProblemKind kind, Severity severity, const std::string& message, const EditorRange& range);
    // Ends the notification: `body` is then its whole JSON text.
    void finish();

private:
    std::string& body_;
    uint64_t check_;
    uint64_t index_ = 0;
};

// One diagnostic's JSON text, as the notification holds it.
void appendDiagnostic(std::string& out, ProblemKind kind, Severity severity, const std::string& message,
                      const EditorRange& range, uint64_t check = DiagnosticsPrinter::NoCheck, uint64_t index = 0);
