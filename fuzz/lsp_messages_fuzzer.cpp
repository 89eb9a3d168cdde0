// The language server over arbitrary client bytes: the framing, the JSON, the documents
// and their edits. The first byte picks a prelude, so that the rest starts past
// initialize: bit 0 an initialize in UTF-16 units, bit 1 one in UTF-8 units. Whatever comes
// in, the server ends, and all it writes is framed JSON: each reply with an id, each
// diagnostic with a range that doesn't run backwards.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "language_server.h"
#include "message_stream.h"

namespace {

using nlohmann::json;

std::string framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

void require(bool holds) {
    if (!holds) abort();
}

bool before(const json& a, const json& b) {
    return a["line"] < b["line"] || (a["line"] == b["line"] && a["character"] <= b["character"]);
}

void checkMessage(const json& message) {
    require(message.is_object() && message["jsonrpc"] == "2.0");
    if (!message.contains("method")) {
        require(message.contains("id") && (message.contains("result") != message.contains("error")));
        return;
    }
    if (message["method"] != "textDocument/publishDiagnostics") return;
    for (const json& diagnostic : message["params"]["diagnostics"]) {
        const json& range = diagnostic["range"];
        require(before(range["start"], range["end"]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string input;
    if (data[0] & 3) {
        json capabilities = json::object();
        if (data[0] & 2) capabilities["general"]["positionEncodings"] = {"utf-8"};
        input = framed(json{{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"},
                            {"params", {{"capabilities", capabilities}}}}.dump());
    }
    input.append(reinterpret_cast<const char*>(data) + 1, size - 1);

    StringByteSource source(input);
    StringByteSink sink;
    ServerOptions options;
    options.readsConfigurations = false;  // no files: the same input always does the same
    options.bodyLimit = 1 << 16;
    const int status = serveClient(source, sink, nullptr, options);
    require(status == 0 || status == 1);

    StringByteSource written(sink.bytes);
    MessageReader reader(written);
    std::string body;
    ReadOutcome outcome;
    while ((outcome = reader.next(body)) == ReadOutcome::Message) {
        const json message = json::parse(body, nullptr, false);
        require(!message.is_discarded());
        checkMessage(message);
    }
    require(outcome == ReadOutcome::End);
    return 0;
}
