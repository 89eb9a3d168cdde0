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
    // `hasVersion`.
    DiagnosticsPrinter(std::string& body, const std::string& uri, bool hasVersion, int64_t version);
    // One problem, with its words and its place.
    void problem(ProblemKind kind, Severity severity, const std::string& message, const EditorRange& range);
    // Ends the notification: `body` is then its whole JSON text.
    void finish();

private:
    std::string& body_;
    bool first_ = true;
};
