// One table of framed inputs, each through the reader alone and through the whole server.
#include <gtest/gtest.h>

#include "lsp_session.h"

namespace {

// What the server answered: a reply's id with its error code (0 for a result).
struct Answer {
    json id;
    int code;
};

struct FramingCase {
    const char* name;
    std::string input;
    std::vector<ReadOutcome> outcomes;  // of the reader, the last one included
    std::vector<Answer> answers;        // of the server, in order, notifications left out
    int status;
    uint64_t bodyLimit = MessageReader::DefaultBodyLimit;
};

const std::string shutdownAndExit = request(9, "shutdown") + notification("exit");

std::vector<FramingCase> framingCases() {
    using R = ReadOutcome;
    const std::string hello = initialize();
    const std::string late = "Content-Length: 300\r\n\r\n{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":";
    const std::string oversized = "{\"jsonrpc\":\"2.0\",\"id\":4,\"method\":\"shutdown\",\"pad\":\"" +
                                  std::string(300, 'x') + "\"}";
    const std::string huge = "Content-Length: " + std::to_string((uint64_t{64} << 20) + 10) + "\r\n\r\n" +
                             std::string((size_t{64} << 20) + 10, ' ');
    return {
        {"good session",
         hello + shutdownAndExit,
         {R::Message, R::Message, R::Message, R::Message, R::End},
         {{1, 0}, {9, 0}},
         0},
        {"header names in any case, a content type, LF line ends",
         "content-LENGTH:  2 \nContent-Type: application/vscode-jsonrpc; charset=utf-8\n\n{}" + hello,
         {R::Message, R::Message, R::Message, R::End},
         {{nullptr, -32600}, {1, 0}},
         1},
        {"malformed header line, framing kept",
         "Content-Length: 2\r\nNo colon here\r\n\r\n{}" + hello + shutdownAndExit,
         {R::BadHeader, R::Message, R::Message, R::Message, R::Message, R::End},
         {{nullptr, -32700}, {1, 0}, {9, 0}},
         0},
        {"body that isn't JSON",
         frame("{\"id\":3,") + hello + shutdownAndExit,
         {R::Message, R::Message, R::Message, R::Message, R::Message, R::End},
         {{nullptr, -32700}, {1, 0}, {9, 0}},
         0},
        {"JSON that isn't a request",
         frame("[1,2]") + frame("{\"id\":{},\"method\":\"x\"}") + hello,
         {R::Message, R::Message, R::Message, R::Message, R::End},
         {{nullptr, -32600}, {nullptr, -32600}, {1, 0}},
         1},
        {"requests before initialize and after shutdown",
         request(2, "textDocument/hover") + hello + request(9, "shutdown") + request(3, "textDocument/hover") +
             notification("exit"),
         {R::Message, R::Message, R::Message, R::Message, R::Message, R::Message, R::End},
         {{2, -32002}, {1, 0}, {9, 0}, {3, -32600}},
         0},
        {"unknown method and notification",
         hello + request(7, "textDocument/frobnicate") + notification("$/frobnicate") + shutdownAndExit,
         {R::Message, R::Message, R::Message, R::Message, R::Message, R::Message, R::End},
         {{1, 0}, {7, -32601}, {9, 0}},
         0},
        {"string ids",
         frameMessage(json{{"jsonrpc", "2.0"}, {"id", "a"}, {"method", "initialize"}, {"params", json::object()}}),
         {R::Message, R::End},
         {{"a", 0}},
         1},
        {"body over the limit, read past",
         hello + frame(oversized) + shutdownAndExit,
         {R::Message, R::Message, R::TooLarge, R::Message, R::Message, R::End},
         {{1, 0}, {nullptr, -32600}, {9, 0}},
         0,
         150},
        {"Content-Length past 64 MiB",
         hello + huge + shutdownAndExit,
         {R::Message, R::Message, R::TooLarge, R::Message, R::Message, R::End},
         {{1, 0}, {nullptr, -32600}, {9, 0}},
         0},
        {"no Content-Length: framing lost",
         "Content-Type: x\r\n\r\n{}" + hello,
         {R::LostFraming},
         {{nullptr, -32700}},
         1},
        {"Content-Length not a number",
         "Content-Length: 1e3\r\n\r\n" + hello,
         {R::LostFraming},
         {{nullptr, -32700}},
         1},
        {"header line without end",
         "Content-Length: " + std::string(5000, '1'),
         {R::LostFraming},
         {{nullptr, -32700}},
         1},
        {"EOF mid-body", hello + late, {R::Message, R::Message, R::End}, {{1, 0}}, 1},
        {"EOF mid-header", hello + "Content-Len", {R::Message, R::Message, R::End}, {{1, 0}}, 1},
        {"EOF after shutdown",
         hello + request(9, "shutdown"),
         {R::Message, R::Message, R::Message, R::End},
         {{1, 0}, {9, 0}},
         0},
        {"exit without shutdown",
         hello + notification("exit") + request(8, "shutdown"),
         {R::Message, R::Message, R::Message, R::Message, R::End},
         {{1, 0}},
         1},
    };
}

TEST(MessageStreamTest, FramedInputsThroughReaderAndServer) {
    for (const FramingCase& c : framingCases()) {
        SCOPED_TRACE(c.name);
        StringByteSource source(c.input);
        MessageReader reader(source, c.bodyLimit);
        std::vector<ReadOutcome> outcomes;
        std::string body;
        do {
            outcomes.push_back(reader.next(body));
        } while (outcomes.back() != ReadOutcome::End && outcomes.back() != ReadOutcome::LostFraming &&
                 outcomes.size() < 20);
        EXPECT_EQ(outcomes, c.outcomes);

        ServerOptions options;
        options.readsConfigurations = false;
        options.bodyLimit = c.bodyLimit;
        const ServerRun run = serve(c.input, options);
        std::vector<json> answers;
        for (const json& m : run.messages) {
            if (!m.contains("method")) answers.push_back(m);
        }
        ASSERT_EQ(answers.size(), c.answers.size());
        for (size_t i = 0; i < answers.size(); ++i) {
            EXPECT_EQ(answers[i]["id"], c.answers[i].id) << answers[i];
            if (c.answers[i].code == 0) {
                EXPECT_TRUE(answers[i].contains("result")) << answers[i];
            } else {
                EXPECT_EQ(answers[i]["error"]["code"], c.answers[i].code) << answers[i];
            }
        }
        EXPECT_EQ(run.status, c.status);
    }
}

// Long strings are decoded apart from the rest of the body: with every string, some or
// none taken apart, the values are the library's own, and a body the library refuses is
// refused. `decoded` is how many strings are taken apart when every one is.
TEST(MessageStreamTest, BodyParsedAsTheLibraryParsesIt) {
    // JSON string text: every escape, and UTF-8 of two, three and four bytes as it is.
    const std::string page = std::string(2000, 'p') + R"(<p class=\"a\">caf\u00e9 \u20AC\ud83d\ude00 \\ \/\b\f\n\r\t\u0000)" +
                             "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80</p>";
    const struct Case {
        const char* name;
        std::string body;
        size_t decoded;  // 0: the library reads it all, or refuses it
    } cases[] = {
        {"a change", "{\"params\":{\"contentChanges\":[{\"text\":\"" + page + "\"}],\"version\":2}}", 5},
        {"strings in arrays, a long name, a name twice",
         "[\"" + page + "\",[\"b\",{\"" + page + "\":1,\"k\":\"x\",\"k\":\"" + page + "\"}],null,true,-1.5e3]", 7},
        {"a string alone, around white space", " \r\n\t\"" + page + "\" ", 1},
        {"no strings", "[1,2,{}]", 0},
        {"a lone high surrogate", "{\"text\":\"" + page + "\\ud83d x\"}", 0},
        {"a high surrogate before another escape", "{\"text\":\"" + page + "\\ud83d\\u0041\"}", 0},
        {"a lone low surrogate", "{\"text\":\"" + page + "\\ude00\"}", 0},
        {"a control character", "{\"text\":\"" + page + "\x01\"}", 0},
        {"bytes that aren't UTF-8", "{\"text\":\"" + page + "\xc3\x28 \xc0\xaf\xed\xa0\x80\"}", 0},
        {"an unknown escape", "{\"text\":\"" + page + "\\x41\"}", 0},
        {"a short \\u", "{\"text\":\"" + page + "\\u12G4\"}", 0},
        {"no end", "{\"text\":\"" + page, 0},
        {"a comma left out", "{\"text\":\"" + page + "\" \"version\":2}", 0},
        {"more after the value", "{\"text\":\"" + page + "\"} x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const json expected = json::parse(c.body, nullptr, false);
        EXPECT_EQ(expected.is_discarded(), c.decoded == 0 && c.body.find('"') != std::string::npos);
        for (const size_t longString : {size_t{0}, size_t{1500}, LongJsonString, size_t{1} << 20}) {
            size_t decoded = 99;
            const json values = parseMessageBody(c.body, longString, &decoded);
            EXPECT_EQ(values.is_discarded(), expected.is_discarded()) << longString;
            if (!expected.is_discarded()) {
                EXPECT_EQ(values, expected) << longString;
            }
            if (longString == 0) {
                EXPECT_EQ(decoded, c.decoded);
            } else if (longString == size_t{1} << 20) {
                EXPECT_EQ(decoded, 0u);
            }
        }
    }
}

TEST(MessageStreamTest, WriterFramesWhatTheReaderReadsAndStopsOnAFailedSink) {
    struct Refusing : ByteSink {
        int calls = 0;
        bool write(const char*, size_t) override { return ++calls > 1; }
    } refusing;
    MessageWriter failing(refusing);
    EXPECT_FALSE(failing.write(json{{"a", 1}}));
    EXPECT_FALSE(failing.write(json{{"a", 2}}));
    EXPECT_EQ(refusing.calls, 1);

    // A name from a page may hold bytes that aren't UTF-8: still valid JSON out.
    StringByteSink sink;
    MessageWriter writer(sink);
    ASSERT_TRUE(writer.write(json{{"message", "caf\xe9 \xc3\xa9"}}));
    StringByteSource source(sink.bytes);
    MessageReader reader(source);
    std::string body;
    ASSERT_EQ(reader.next(body), ReadOutcome::Message);
    EXPECT_EQ(json::parse(body)["message"], "caf\xef\xbf\xbd \xc3\xa9");
}

}  // namespace
