#include "language_server.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <vector>

#include "diagnostics_printer.h"
#include "fix_titles.h"
#include "result_lines.h"
#include "tag_help.h"

#ifndef TAGVETTER_VERSION
#define TAGVETTER_VERSION ""
#endif

using nlohmann::json;

namespace {

// JSON-RPC's and the protocol's error codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int ServerNotInitialized = -32002;

constexpr int MessageTypeError = 1;

const json& member(const json& object, const char* name) {
    static const json none;
    if (!object.is_object()) return none;
    const auto found = object.find(name);
    return found == object.end() ? none : *found;
}

// The string member `name` of `object`; null when it has none: the params are not as the
// method takes them.
const std::string* stringMember(const json& object, const char* name) {
    const json& value = member(object, name);
    return value.is_string() ? &value.get_ref<const std::string&>() : nullptr;
}

// The same, to be moved from.
std::string* stringMember(json& object, const char* name) {
    return const_cast<std::string*>(stringMember(static_cast<const json&>(object), name));
}

// Adds the time from its making to its end to a step's sum, when there is one.
class StepClock {
public:
    explicit StepClock(double* sum) : sum_(sum) {
        if (sum_) start_ = std::chrono::steady_clock::now();
    }
    ~StepClock() { stop(); }
    void stop() {
        if (!sum_) return;
        *sum_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        sum_ = nullptr;
    }

private:
    double* sum_;
    std::chrono::steady_clock::time_point start_;
};

// False when `value` is no integer.
bool positionNumber(const json& value, uint32_t& number) {
    if (value.is_number_unsigned()) {
        number = static_cast<uint32_t>(std::min<uint64_t>(value.get<uint64_t>(), UINT32_MAX));
        return true;
    }
    number = 0;  // negative
    return value.is_number_integer();
}

// False when `position` is not a position.
bool positionFrom(const json& position, EditorPosition& at) {
    return positionNumber(member(position, "line"), at.line) &&
           positionNumber(member(position, "character"), at.character);
}

constexpr char ParamsNotTaken[] = "the params are not as the method takes them";

json positionJson(EditorPosition position) { return {{"line", position.line}, {"character", position.character}}; }

bool offers(const json& list, const char* encoding) {
    if (!list.is_array()) return false;
    for (const json& entry : list) {
        if (entry.is_string() && entry.get_ref<const std::string&>() == encoding) return true;
    }
    return false;
}

bool isConfigurationPath(const std::string& path) {
    const std::string name = SiteConfigName;
    return path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0 &&
           (path.size() == name.size() || path[path.size() - name.size() - 1] == '/' ||
            path[path.size() - name.size() - 1] == '\\');
}

constexpr char QuickFixKind[] = "quickfix";
constexpr char FixAllKind[] = "source.fixAll.tagvetter";

// Whether a code action request whose context says `only` takes actions of `kind`: all
// do without it; with it, a kind it names or one below such a kind ("source" takes
// "source.fixAll.tagvetter").
bool asksFor(const json& only, const std::string& kind) {
    if (!only.is_array()) return true;
    for (const json& entry : only) {
        if (!entry.is_string()) continue;
        const std::string& asked = entry.get_ref<const std::string&>();
        if (!asked.empty() && kind.compare(0, asked.size(), asked) == 0 &&
            (kind.size() == asked.size() || kind[asked.size()] == '.')) {
            return true;
        }
    }
    return false;
}

json rangeJson(const EditorRange& range) {
    return {{"start", positionJson({range.startLine, range.startCharacter})},
            {"end", positionJson({range.endLine, range.endCharacter})}};
}

bool before(uint32_t line, uint32_t character, uint32_t otherLine, uint32_t otherCharacter) {
    return line < otherLine || (line == otherLine && character <= otherCharacter);
}

std::string messageOf(const Problem& problem) {
    char words[ProblemTextSize];
    return std::string(words, formatProblemMessage(problem, words));
}

class ProblemCollector : public ProblemSink {
public:
    void report(const Problem& problem) override {
        char words[ProblemTextSize];
        const size_t length = formatProblemMessage(problem, words);
        problems.push_back({problem.kind, problem.severity, problem.line, problem.offset, problem.endOffset, std::string(words, length)});
    }
    std::vector<FoundProblem> problems;
};

}  // namespace

int serveClient(ByteSource& source, ByteSink& sink, FILE* log, const ServerOptions& options) {
    MessageReader reader(source, options.bodyLimit);
    MessageWriter writer(sink);
    LanguageServer server(writer, log, options);
    std::string body;
    while (server.handle(reader.next(body), body)) {
    }
    return server.exitStatus();
}

int runLanguageServer(FILE* in, FILE* out, FILE* err) {
#ifdef SIGPIPE
    // A client gone away is seen as a failed write, never as a signal.
    signal(SIGPIPE, SIG_IGN);
#endif
    FileByteSource source(in);
    FileByteSink sink(out);
    return serveClient(source, sink, err);
}

LanguageServer::LanguageServer(MessageWriter& writer, FILE* log, const ServerOptions& options)
    : writer_(writer), log_(log), options_(options) {}

void LanguageServer::log(const char* message) {
    if (log_) fprintf(log_, "tagvetter lsp: %s\n", message);
}

double* LanguageServer::stepSum(double ServerStepTimes::*step) const {
    return options_.stepTimes ? &(options_.stepTimes->*step) : nullptr;
}

bool LanguageServer::handle(ReadOutcome outcome, const std::string& body) {
    switch (outcome) {
    case ReadOutcome::Message:
        handleMessage(body);
        break;
    case ReadOutcome::BadHeader:
        replyError(nullptr, ParseError, "malformed message header");
        break;
    case ReadOutcome::TooLarge:
        replyError(nullptr, InvalidRequest, "message too large");
        break;
    case ReadOutcome::LostFraming:
        replyError(nullptr, ParseError, "no usable Content-Length: nothing further can be read");
        log("lost the message framing");
        done_ = true;
        break;
    case ReadOutcome::End:
        if (!shutDown_) log("the input ended before exit");
        done_ = true;
        break;
    }
    if (writer_.failed() && !done_) {
        log("the client can't be written to");
        done_ = true;
    }
    return !done_;
}

void LanguageServer::handleMessage(const std::string& body) {
    StepClock parsing(stepSum(&ServerStepTimes::parsing));
    json message = parseMessageBody(body);
    parsing.stop();
    if (message.is_discarded()) {
        replyError(nullptr, ParseError, "the message is not JSON");
        return;
    }
    const json& method = member(message, "method");
    const bool hasId = message.is_object() && message.contains("id");
    const json& id = member(message, "id");
    const bool idUsable = id.is_number() || id.is_string() || id.is_null();
    if (!message.is_object() || !idUsable || (hasId && !method.is_null() && !method.is_string())) {
        replyError(idUsable ? id : json(nullptr), InvalidRequest, "not a request");
        return;
    }
    if (!method.is_string()) {
        // A response: we ask nothing that needs its answer; a notification without a method is nothing.
        if (!hasId) replyError(nullptr, InvalidRequest, "no method");
        return;
    }
    if (hasId) {
        handleRequest(id, method.get_ref<const std::string&>(), member(message, "params"));
    } else {
        json none;  // for a notification without params
        const auto params = message.find("params");
        handleNotification(method.get_ref<const std::string&>(), params == message.end() ? none : *params);
    }
}

void LanguageServer::handleRequest(const json& id, const std::string& method, const json& params) {
    if (stage_ == Stage::ShutDown) return replyError(id, InvalidRequest, "the server has been shut down");
    if (stage_ == Stage::Starting && method != "initialize") {
        return replyError(id, ServerNotInitialized, "initialize comes first");
    }
    // The JSON library throws on a value of another type than asked: caught here, its edge.
    try {
        if (method == "initialize") {
            if (stage_ != Stage::Starting) return replyError(id, InvalidRequest, "initialize came twice");
            reply(id, initialize(params));
            stage_ = Stage::Running;
        } else if (method == "shutdown") {
            stage_ = Stage::ShutDown;
            shutDown_ = true;
            reply(id, nullptr);
        } else if (method == "textDocument/hover" || method == "textDocument/completion" ||
                   method == "textDocument/codeAction") {
            std::optional<json> result = method == "textDocument/hover"        ? hover(params)
                                         : method == "textDocument/completion" ? completion(params)
                                                                               : codeAction(params);
            if (!result) return replyError(id, InvalidParams, ParamsNotTaken);
            reply(id, std::move(*result));
        } else {
            replyError(id, MethodNotFound, "unknown method");
        }
    } catch (const json::exception&) {
        replyError(id, InvalidParams, ParamsNotTaken);
    }
}

void LanguageServer::handleNotification(const std::string& method, json& params) {
    if (method == "exit") {
        done_ = true;
        return;
    }
    if (stage_ != Stage::Running) return;
    bool taken = true;
    // The JSON library throws on a value of another type than asked: caught here, its edge.
    try {
        if (method == "initialized") {
            if (!watchesFiles_) return;
            // Ask to hear of configuration changes made outside the editor too.
            json watcher = {{"globPattern", std::string("**/") + SiteConfigName}};
            json registration = {{"id", "tagvetter-configurations"},
                                 {"method", "workspace/didChangeWatchedFiles"},
                                 {"registerOptions", {{"watchers", json::array({watcher})}}}};
            writer_.write({{"jsonrpc", "2.0"},
                           {"id", "register-configuration-watch"},
                           {"method", "client/registerCapability"},
                           {"params", {{"registrations", json::array({registration})}}}});
        } else if (method == "textDocument/didOpen") {
            taken = didOpen(params);
        } else if (method == "textDocument/didChange") {
            taken = didChange(params);
        } else if (method == "textDocument/didSave") {
            taken = didSave(params);
        } else if (method == "textDocument/didClose") {
            taken = didClose(params);
        } else if (method == "workspace/didChangeWatchedFiles") {
            taken = didChangeWatchedFiles(params);
        }
    } catch (const json::exception&) {
        taken = false;
    }
    if (!taken) log(("a " + method + " notification with params it doesn't take was left out").c_str());
}

json LanguageServer::initialize(const json& params) {
    const json& capabilities = member(params, "capabilities");
    const json& offsetEncodings = member(capabilities, "offsetEncoding");
    if (offers(member(member(capabilities, "general"), "positionEncodings"), "utf-8") ||
        offers(offsetEncodings, "utf-8")) {
        encoding_ = PositionEncoding::Utf8;
    }
    watchesFiles_ =
        member(member(member(capabilities, "workspace"), "didChangeWatchedFiles"), "dynamicRegistration") == true;
    documentChanges_ =
        member(member(member(capabilities, "workspace"), "workspaceEdit"), "documentChanges") == true;
    const char* encodingName = encoding_ == PositionEncoding::Utf8 ? "utf-8" : "utf-16";
    json result = {
        {"capabilities",
         {{"positionEncoding", encodingName},
          {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
          {"hoverProvider", true},
          {"completionProvider", {{"triggerCharacters", {"<", " "}}}},
          {"codeActionProvider", {{"codeActionKinds", {QuickFixKind, FixAllKind}}}}}},
        {"serverInfo", {{"name", "tagvetter"}, {"version", TAGVETTER_VERSION}}},
    };
    // The older way of agreeing on the unit, which some clients still send.
    if (offsetEncodings.is_array()) result["offsetEncoding"] = encodingName;
    return result;
}

LanguageServer::OpenDocument* LanguageServer::openDocument(const std::string& uri) {
    const auto found = documents_.find(uri);
    return found == documents_.end() ? nullptr : &found->second;
}

bool LanguageServer::didOpen(json& params) {
    if (!params.is_object()) return false;
    json& item = params["textDocument"];
    const std::string* uri = stringMember(item, "uri");
    std::string* text = stringMember(item, "text");
    if (!uri || !text) return false;
    const json& languageId = member(item, "languageId");
    OpenDocument document;
    {
        StepClock updating(stepSum(&ServerStepTimes::updating));
        document.text.replaceAll(std::move(*text));
    }
    if (!pathOfFileUri(*uri, document.path)) document.path.clear();
    document.checked = isHtmlDocument(languageId.is_string() ? languageId.get<std::string>() : "", *uri);
    const json& version = member(item, "version");
    document.hasVersion = version.is_number_integer();
    if (document.hasVersion) document.version = version.get<int64_t>();
    OpenDocument& kept = documents_[*uri] = std::move(document);
    if (kept.checked) publishDiagnostics(*uri, kept);
    return true;
}

bool LanguageServer::didChange(json& params) {
    const json& identifier = member(params, "textDocument");
    const std::string* uri = stringMember(identifier, "uri");
    if (!uri) return false;
    OpenDocument* document = openDocument(*uri);
    if (!document) return true;
    json& changes = params["contentChanges"];
    if (!changes.is_array()) return false;
    // Every change is read before any is made, so that a bad one leaves the text whole.
    struct Change {
        bool whole;
        EditorPosition from, to;
        std::string* text;
    };
    std::vector<Change> list;
    for (json& change : changes) {
        const json& range = member(change, "range");
        Change c{range.is_null(), {}, {}, stringMember(change, "text")};
        if (!c.text) return false;
        if (!c.whole && !(positionFrom(member(range, "start"), c.from) && positionFrom(member(range, "end"), c.to))) {
            return false;
        }
        list.push_back(c);
    }
    StepClock updating(stepSum(&ServerStepTimes::updating));
    for (const Change& c : list) {
        if (c.whole) {
            document->text.replaceAll(std::move(*c.text));
        } else {
            document->text.replace(c.from, c.to, *c.text, encoding_);
        }
    }
    updating.stop();
    const json& version = member(identifier, "version");
    document->hasVersion = version.is_number_integer();
    if (document->hasVersion) document->version = version.get<int64_t>();
    if (document->checked) publishDiagnostics(*uri, *document);
    return true;
}

bool LanguageServer::didSave(const json& params) {
    const std::string* uri = stringMember(member(params, "textDocument"), "uri");
    if (uri) forgetConfiguration(*uri);
    return uri != nullptr;
}

bool LanguageServer::didClose(const json& params) {
    const std::string* uri = stringMember(member(params, "textDocument"), "uri");
    if (!uri) return false;
    const auto found = documents_.find(*uri);
    if (found == documents_.end()) return true;
    if (found->second.checked) publish(*uri, found->second, {}, {});
    documents_.erase(found);
    return true;
}

bool LanguageServer::didChangeWatchedFiles(const json& params) {
    const json& changes = member(params, "changes");
    if (!changes.is_array()) return false;
    bool changed = false;
    for (const json& change : changes) {
        const json& uri = member(change, "uri");
        if (!uri.is_string()) continue;
        std::string path;
        if (pathOfFileUri(uri.get<std::string>(), path) && isConfigurationPath(path)) {
            sites_.forgetConfiguration(path);
            changed = true;
        }
    }
    if (changed) recheckAll();
    return true;
}

void LanguageServer::forgetConfiguration(const std::string& uri) {
    std::string path;
    if (!pathOfFileUri(uri, path) || !isConfigurationPath(path)) return;
    sites_.forgetConfiguration(path);
    recheckAll();
}

void LanguageServer::recheckAll() {
    for (auto& [uri, document] : documents_) {
        if (document.checked) publishDiagnostics(uri, document);
    }
}

CheckSetup LanguageServer::setupFor(const OpenDocument& document) {
    std::vector<std::string> errors;
    CheckSetup setup =
        sites_.setupFor(options_.readsConfigurations ? document.path : std::string(), document.text.text(), errors);
    for (const std::string& error : errors) {
        notify("window/showMessage", {{"type", MessageTypeError}, {"message", error}});
    }
    return setup;
}

json LanguageServer::rangeOf(const TextDocument& text, size_t start, size_t end) const {
    return {{"start", positionJson(text.positionOf(start, encoding_))},
            {"end", positionJson(text.positionOf(end, encoding_))}};
}

EditorRange LanguageServer::problemRange(const TextDocument& text, uint32_t offset, uint32_t endOffset) const {
    size_t start = offset, end = endOffset;
    if (start == NoOffset) {
        // Only the count at the end of the page has no place: it marks the first line.
        const std::string& bytes = text.text();
        start = 0;
        end = std::min(bytes.find('\n'), bytes.size());
        if (end > 0 && bytes[end - 1] == '\r') --end;
    } else if (end == NoOffset || end < start) {
        end = start;
    }
    const EditorPosition from = text.positionOf(start, encoding_);
    const EditorPosition to = text.positionOf(end, encoding_);
    return {from.line, from.character, to.line, to.character};
}

void LanguageServer::publishDiagnostics(const std::string& uri, OpenDocument& document) {
    // Numbered before the check: should it fail, the diagnostics shown are of no check the
    // server has.
    document.check = ++checks_;
    StepClock checking(stepSum(&ServerStepTimes::checking));
    const CheckSetup setup = setupFor(document);
    ProblemCollector collector;
    if (!setup.excluded) {
        const std::string& text = document.text.text();
        if (!checked_.loadText(text.data(), text.size())) {
            log("a document can't be checked: too large, or no memory");
            return;
        }
        checkDocument(checked_, collector, *setup.profile, setup.options);
    }
    checking.stop();

    StepClock positions(stepSum(&ServerStepTimes::positions));
    std::vector<EditorRange> ranges;
    ranges.reserve(collector.problems.size());
    for (const FoundProblem& problem : collector.problems) {
        ranges.push_back(problemRange(document.text, problem.offset, problem.endOffset));
    }
    positions.stop();

    StepClock writing(stepSum(&ServerStepTimes::writing));
    publish(uri, document, collector.problems, ranges);
}

void LanguageServer::publish(const std::string& uri, const OpenDocument& document,
                             const std::vector<FoundProblem>& problems, const std::vector<EditorRange>& ranges) {
    std::string body;
    DiagnosticsPrinter printer(body, uri, document.hasVersion, document.version, document.check);
    for (size_t i = 0; i < problems.size(); ++i) printer.problem(problems[i].kind, problems[i].severity, problems[i].message, ranges[i]);
    printer.finish();
    writer_.writeBody(body);
}

std::optional<json> LanguageServer::hover(const json& params) {
    const std::string* uri = stringMember(member(params, "textDocument"), "uri");
    if (!uri) return std::nullopt;
    OpenDocument* document = openDocument(*uri);
    if (!document || !document->checked) return json(nullptr);
    EditorPosition position;
    if (!positionFrom(member(params, "position"), position)) return std::nullopt;
    const std::string& text = document->text.text();
    const NameAtOffset name = findNameAt(text, document->text.offsetOf(position, encoding_));
    if (name.kind == NameAtOffset::Kind::None) return json(nullptr);
    const CheckSetup setup = setupFor(*document);
    return json{{"contents", {{"kind", "markdown"}, {"value", describeName(*setup.profile, name)}}},
                {"range", rangeOf(document->text, name.start, name.end)}};
}

std::optional<json> LanguageServer::completion(const json& params) {
    json items = json::array();
    const std::string* uri = stringMember(member(params, "textDocument"), "uri");
    if (!uri) return std::nullopt;
    OpenDocument* document = openDocument(*uri);
    if (!document || !document->checked) return items;
    EditorPosition position;
    if (!positionFrom(member(params, "position"), position)) return std::nullopt;
    const size_t offset = document->text.offsetOf(position, encoding_);
    const CheckSetup setup = setupFor(*document);
    for (const CompletionChoice& choice : completionsAt(*setup.profile, document->text.text(), offset)) {
        items.push_back({{"label", choice.label}, {"detail", choice.detail}});
    }
    return items;
}

json LanguageServer::workspaceEdit(const std::string& uri, const OpenDocument& document,
                                   const std::vector<OwnedEdit>& edits) const {
    json list = json::array();
    for (const OwnedEdit& edit : edits) {
        list.push_back({{"range", rangeOf(document.text, edit.from, edit.to)}, {"newText", edit.text}});
    }
    if (!documentChanges_) return {{"changes", {{uri, std::move(list)}}}};
    // With the version, a client whose text has moved on refuses the edit.
    const json version = document.hasVersion ? json(document.version) : json(nullptr);
    json change = {{"textDocument", {{"uri", uri}, {"version", version}}}, {"edits", std::move(list)}};
    return {{"documentChanges", json::array({std::move(change)})}};
}

std::optional<json> LanguageServer::codeAction(const json& params) {
    const std::string* uri = stringMember(member(params, "textDocument"), "uri");
    const json& range = member(params, "range");
    const json& context = member(params, "context");
    const json& diagnostics = member(context, "diagnostics");
    EditorPosition from, to;
    if (!uri || !positionFrom(member(range, "start"), from) || !positionFrom(member(range, "end"), to) ||
        !diagnostics.is_array()) {
        return std::nullopt;
    }
    json actions = json::array();
    OpenDocument* document = openDocument(*uri);
    if (!document || !document->checked) return actions;
    const json& only = member(context, "only");
    const bool quickFixes = asksFor(only, QuickFixKind), fixAll = asksFor(only, FixAllKind);
    if (!quickFixes && !fixAll) return actions;
    const CheckSetup setup = setupFor(*document);
    if (setup.excluded) return actions;
    const std::string& text = document->text.text();
    if (!checked_.loadText(text.data(), text.size())) return actions;
    // The same check as the diagnostics': the problems come in the same order.
    PageMender mender(checked_, *setup.profile, setup.options);

    if (quickFixes) {
        std::vector<EditorRange> ranges;
        for (size_t i = 0; i < mender.problemCount(); ++i) {
            const Problem problem = mender.problem(i);
            ranges.push_back(problemRange(document->text, problem.offset, problem.endOffset));
        }
        // Whether `diagnostic` is problem i's as this check published it. Its range is not
        // compared when its data names the check: some clients (Neovim 0.7) send back
        // ranges counted in their own units.
        auto isProblems = [&](const json& diagnostic, size_t i, bool byRange) {
            const Problem problem = mender.problem(i);
            return (!byRange || member(diagnostic, "range") == rangeJson(ranges[i])) &&
                   member(diagnostic, "code") == problemKindId(problem.kind) &&
                   member(diagnostic, "message") == messageOf(problem);
        };
        // The problems asked about, each with the diagnostic to name in its action.
        std::vector<std::pair<size_t, json>> asked;
        if (diagnostics.empty()) {
            for (size_t i = 0; i < mender.problemCount(); ++i) {
                const EditorRange& r = ranges[i];
                if (mender.edits(i).empty() || !before(r.startLine, r.startCharacter, to.line, to.character) ||
                    !before(from.line, from.character, r.endLine, r.endCharacter)) {
                    continue;
                }
                const Problem problem = mender.problem(i);
                std::string diagnostic;
                appendDiagnostic(diagnostic, problem.kind, problem.severity, messageOf(problem), r, document->check, i);
                asked.emplace_back(i, json::parse(diagnostic));
            }
        }
        for (const json& diagnostic : diagnostics) {
            if (member(diagnostic, "source") != "tagvetter") continue;
            const json& data = member(diagnostic, "data");
            const json& check = member(data, "check");
            const json& index = member(data, "index");
            if (check.is_number_unsigned() && index.is_number_unsigned()) {
                // Ours, from the check it names: only the last one published is this text's.
                const uint64_t i = index.get<uint64_t>();
                if (check.get<uint64_t>() == document->check && i < mender.problemCount() &&
                    isProblems(diagnostic, i, false)) {
                    asked.emplace_back(i, diagnostic);
                }
                continue;
            }
            // A client that keeps no data: the problem at its place with its words.
            for (size_t i = 0; i < mender.problemCount(); ++i) {
                if (isProblems(diagnostic, i, true)) {
                    asked.emplace_back(i, diagnostic);
                    break;
                }
            }
        }
        std::vector<bool> offered(mender.problemCount(), false);
        for (const auto& [i, diagnostic] : asked) {
            if (offered[i] || !mender.mendsAlone(i)) continue;
            offered[i] = true;
            actions.push_back({{"title", fixTitle(text, mender.edits(i))},
                               {"kind", QuickFixKind},
                               {"diagnostics", json::array({diagnostic})},
                               {"isPreferred", true},
                               {"edit", workspaceEdit(*uri, *document, mender.edits(i))}});
        }
    }
    if (fixAll) {
        const std::vector<size_t> together = mender.mendsTogether(ProblemKinds().set());
        if (!together.empty()) {
            actions.push_back({{"title", fixAllTitle(together.size())},
                               {"kind", FixAllKind},
                               {"edit", workspaceEdit(*uri, *document, mender.editsOf(together))}});
        }
    }
    return actions;
}

void LanguageServer::reply(const json& id, json result) {
    writer_.write({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void LanguageServer::replyError(const json& id, int code, const char* message) {
    writer_.write({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void LanguageServer::notify(const char* method, json params) {
    writer_.write({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}
