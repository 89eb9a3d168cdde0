// `tagvetter lsp`: a language server for editors. It keeps the HTML documents the editor
// has open, checks each after every change and publishes the problems as diagnostics,
// answers hovers and completions on tag and attribute names, and offers the check's sure
// mends as code actions: one problem's alone, or all the page's together.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "diagnostics_printer.h"
#include "document.h"
#include "message_stream.h"
#include "page_fix.h"
#include "site_profiles.h"
#include "text_document.h"

// Serves one client on `in`/`out` until it exits or goes away; messages about the server itself
// go to `err`. Gives the exit status: 0 after shutdown and exit, 1 otherwise.
int runLanguageServer(FILE* in, FILE* out, FILE* err);

// Where the time of the messages handled went, in seconds summed over them, for the
// benchmark to show.
struct ServerStepTimes {
    double parsing = 0;    // the body into JSON values
    double updating = 0;   // the document's text replaced or edited, its lines indexed
    double checking = 0;   // the setup found, the text loaded and checked
    double positions = 0;  // the problems' byte offsets into lines and characters
    double writing = 0;    // the diagnostics' JSON text made, framed and handed to the sink
};

struct ServerOptions {
    // False: every document gets the built-in default profile, no file is looked at.
    bool readsConfigurations = true;
    uint64_t bodyLimit = MessageReader::DefaultBodyLimit;
    ServerStepTimes* stepTimes = nullptr;  // null: nothing is timed
};

// The same over any source and sink; `log` may be null.
int serveClient(ByteSource& source, ByteSink& sink, FILE* log, const ServerOptions& options = {});

// One problem of a check with its words, kept until its place in the editor's units is
// known.
struct FoundProblem {
    ProblemKind kind;
    Severity severity;
    int32_t line;
    uint32_t offset;
    uint32_t endOffset;
    std::string message;
};

// Answers the messages one at a time, writing replies and notifications as it goes.
class LanguageServer {
public:
    LanguageServer(MessageWriter& writer, FILE* log, const ServerOptions& options = {});

    // Takes what the reader gave. False once the server is done: `exit` came, the input
    // ended or can't be read on, or the client can't be written to.
    bool handle(ReadOutcome outcome, const std::string& body);
    int exitStatus() const { return shutDown_ ? 0 : 1; }
    PositionEncoding encoding() const { return encoding_; }

private:
    struct OpenDocument {
        TextDocument text;
        std::string path;  // "" when the URI names no file
        bool checked = false;
        bool hasVersion = false;
        int64_t version = 0;
        // The number of the check whose diagnostics were published last; a code action
        // on a diagnostic of another is not offered.
        uint64_t check = DiagnosticsPrinter::NoCheck;
    };
    enum class Stage { Starting, Running, ShutDown };

    void handleMessage(const std::string& body);
    void handleRequest(const nlohmann::json& id, const std::string& method, const nlohmann::json& params);
    // Takes `params` apart: a document's text is moved out of it, not copied.
    void handleNotification(const std::string& method, nlohmann::json& params);

    nlohmann::json initialize(const nlohmann::json& params);
    // The answers to requests; none when the params are not as the method takes them.
    std::optional<nlohmann::json> hover(const nlohmann::json& params);
    std::optional<nlohmann::json> completion(const nlohmann::json& params);
    std::optional<nlohmann::json> codeAction(const nlohmann::json& params);
    // The notifications; false when the params are not as the method takes them.
    bool didOpen(nlohmann::json& params);
    bool didChange(nlohmann::json& params);
    bool didSave(const nlohmann::json& params);
    bool didClose(const nlohmann::json& params);
    bool didChangeWatchedFiles(const nlohmann::json& params);

    // The open document `uri`; null when it isn't open.
    OpenDocument* openDocument(const std::string& uri);
    CheckSetup setupFor(const OpenDocument& document);
    // Checks the document and publishes its diagnostics.
    void publishDiagnostics(const std::string& uri, OpenDocument& document);
    // Publishes `problems`, placed at `ranges`, as the document's diagnostics.
    void publish(const std::string& uri, const OpenDocument& document, const std::vector<FoundProblem>& problems,
                 const std::vector<EditorRange>& ranges);
    // Drops the configuration a URI names, when it names one, and checks every page again.
    void forgetConfiguration(const std::string& uri);
    void recheckAll();

    nlohmann::json rangeOf(const TextDocument& text, size_t start, size_t end) const;
    // Where a problem's diagnostic is, from its offsets.
    EditorRange problemRange(const TextDocument& text, uint32_t offset, uint32_t endOffset) const;
    // The edit of a code action: `edits` (byte offsets, in the order of the text) on the document.
    nlohmann::json workspaceEdit(const std::string& uri, const OpenDocument& document,
                                 const std::vector<OwnedEdit>& edits) const;
    void reply(const nlohmann::json& id, nlohmann::json result);
    void replyError(const nlohmann::json& id, int code, const char* message);
    void notify(const char* method, nlohmann::json params);
    void log(const char* message);
    // Where a step's time is added up; null when steps aren't timed.
    double* stepSum(double ServerStepTimes::*step) const;

    MessageWriter& writer_;
    FILE* log_;
    ServerOptions options_;
    Stage stage_ = Stage::Starting;
    bool shutDown_ = false;
    bool done_ = false;
    bool watchesFiles_ = false;  // the client lets us ask to hear of tagvetter.toml changes
    bool documentChanges_ = false;  // the client takes edits of a document's version
    uint64_t checks_ = DiagnosticsPrinter::NoCheck;  // the number of the last check
    PositionEncoding encoding_ = PositionEncoding::Utf16;
    std::map<std::string, OpenDocument> documents_;
    SiteProfiles sites_;
    Document checked_;  // the text being checked, kept from one check to the next
};
