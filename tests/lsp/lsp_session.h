// Framed messages in, parsed messages out: the server driven over memory, as a client
// would drive it.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "language_server.h"
#include "message_stream.h"

using nlohmann::json;

inline std::string frame(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

inline std::string frameMessage(const json& message) { return frame(message.dump()); }

inline std::string request(int id, const std::string& method, const json& params = json::object()) {
    return frameMessage(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}

inline std::string notification(const std::string& method, const json& params = json::object()) {
    return frameMessage(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

inline std::string initialize(const json& capabilities = json::object()) {
    return request(1, "initialize", {{"processId", nullptr}, {"capabilities", capabilities}}) +
           notification("initialized");
}

inline std::string openDocument(const std::string& uri, const std::string& text,
                                const std::string& languageId = "html") {
    return notification("textDocument/didOpen",
                        {{"textDocument", {{"uri", uri}, {"languageId", languageId}, {"version", 1}, {"text", text}}}});
}

inline json position(int line, int character) { return {{"line", line}, {"character", character}}; }

struct ServerRun {
    int status = -1;
    std::vector<json> messages;

    // The reply to the request `id`; null when there is none.
    json replyTo(const json& id) const {
        for (const json& m : messages) {
            if (m.contains("id") && m["id"] == id && !m.contains("method")) return m;
        }
        return nullptr;
    }
    std::vector<json> notifications(const std::string& method) const {
        std::vector<json> found;
        for (const json& m : messages) {
            if (m.value("method", "") == method && !m.contains("id")) found.push_back(m["params"]);
        }
        return found;
    }
};

// Runs the server over `input` to its end; every message it writes must be framed JSON.
inline ServerRun serve(const std::string& input, const ServerOptions& options = {}) {
    StringByteSource source(input);
    StringByteSink sink;
    ServerRun run;
    run.status = serveClient(source, sink, nullptr, options);
    StringByteSource written(sink.bytes);
    MessageReader reader(written);
    std::string body;
    ReadOutcome outcome;
    while ((outcome = reader.next(body)) == ReadOutcome::Message) {
        json message = json::parse(body, nullptr, false);
        EXPECT_FALSE(message.is_discarded()) << body;
        EXPECT_EQ(message["jsonrpc"], "2.0") << body;
        run.messages.push_back(message);
    }
    EXPECT_EQ(outcome, ReadOutcome::End) << "the server's output is not framed as messages";
    return run;
}
