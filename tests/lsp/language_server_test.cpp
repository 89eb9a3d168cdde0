// The server's answers on pages: diagnostics and their ranges in both units, hover and
// completion, and the configuration nearest the page.
#include <gtest/gtest.h>

#include "lsp_session.h"
#include "scratch_folder.h"
#include "tag_help.h"

namespace {

// Line 1 has "é" (2 bytes, 1 UTF-16 unit) and "😀" (4 bytes, 2 units) before an unknown tag.
const std::string faultyPage =
    "<html><body>\r\n"
    "<p>caf\xc3\xa9 \xf0\x9f\x98\x80 <foo>x\r\n"
    "<td>cell</td>\r\n"
    "</body></html>\r\n";
const char* const pageUri = "untitled:page";

ServerOptions withoutConfigurations() {
    ServerOptions options;
    options.readsConfigurations = false;
    return options;
}

json lastDiagnostics(const ServerRun& run) {
    const std::vector<json> published = run.notifications("textDocument/publishDiagnostics");
    return published.empty() ? json() : published.back()["diagnostics"];
}

json range(int startLine, int startCharacter, int endLine, int endCharacter) {
    return {{"start", position(startLine, startCharacter)}, {"end", position(endLine, endCharacter)}};
}

TEST(LanguageServerTest, DiagnosticRangesInBothEncodings) {
    struct Case {
        const char* name;
        json capabilities;
        const char* agreed;
        json unknownTagRange;
    };
    const Case cases[] = {
        {"UTF-16 by default", json::object(), "utf-16", range(1, 11, 1, 16)},
        {"UTF-8 offered", {{"general", {{"positionEncodings", {"utf-32", "utf-8", "utf-16"}}}}}, "utf-8",
         range(1, 14, 1, 19)},
        {"UTF-8 by the older offsetEncoding", {{"offsetEncoding", {"utf-8", "utf-16"}}}, "utf-8", range(1, 14, 1, 19)},
        {"UTF-16 when utf-8 isn't offered", {{"general", {{"positionEncodings", {"utf-32", "utf-16"}}}}}, "utf-16",
         range(1, 11, 1, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ServerRun run = serve(initialize(c.capabilities) + openDocument(pageUri, faultyPage, "html"),
                                    withoutConfigurations());
        const json result = run.replyTo(1)["result"];
        EXPECT_EQ(result["capabilities"]["positionEncoding"], c.agreed);
        EXPECT_EQ(result.contains("offsetEncoding"), c.capabilities.contains("offsetEncoding"));
        const json diagnostics = lastDiagnostics(run);
        ASSERT_EQ(diagnostics.size(), 3u) << diagnostics;
        EXPECT_EQ(diagnostics[0]["code"], "unknown-tag");
        EXPECT_EQ(diagnostics[0]["message"], "foo - Unknown keyword");
        EXPECT_EQ(diagnostics[0]["range"], c.unknownTagRange);
        EXPECT_EQ(diagnostics[0]["severity"], 2);
        EXPECT_EQ(diagnostics[0]["source"], "tagvetter");
        EXPECT_EQ(diagnostics[1]["code"], "cell-outside-table");
        EXPECT_EQ(diagnostics[1]["range"], range(2, 0, 2, 4));
        EXPECT_EQ(diagnostics[2]["message"], "/TD - This tag should be in a table");
        EXPECT_EQ(diagnostics[2]["range"], range(2, 8, 2, 13));
    }
}

TEST(LanguageServerTest, ChangesRecheckAndCloseClears) {
    // Two changes in one notification, in order: the second is placed in the text the first left.
    const json changes = {
        {{"range", range(1, 11, 1, 16)}, {"text", ""}},
        {{"range", range(2, 0, 2, 4)}, {"text", "<table><tr><td>"}},
    };
    const std::string input =
        initialize() + openDocument(pageUri, faultyPage) +
        notification("textDocument/didChange",
                     {{"textDocument", {{"uri", pageUri}, {"version", 2}}}, {"contentChanges", changes}}) +
        notification("textDocument/didChange", {{"textDocument", {{"uri", pageUri}, {"version", 3}}},
                                                {"contentChanges", {{{"text", "<td>"}}}}}) +
        notification("textDocument/didClose", {{"textDocument", {{"uri", pageUri}}}}) +
        openDocument("file:///notes.txt", "<foo>", "plaintext");
    const std::vector<json> published =
        serve(input, withoutConfigurations()).notifications("textDocument/publishDiagnostics");
    ASSERT_EQ(published.size(), 4u);
    EXPECT_EQ(published[0]["version"], 1);
    EXPECT_EQ(published[1]["version"], 2);
    EXPECT_EQ(published[1]["diagnostics"].size(), 1u) << published[1];  // the TABLE left open
    EXPECT_EQ(published[1]["diagnostics"][0]["code"], "unbalanced-tags");
    EXPECT_EQ(published[2]["diagnostics"][0]["range"], range(0, 0, 0, 4));
    EXPECT_EQ(published[3]["diagnostics"], json::array());
    EXPECT_EQ(published[3].contains("version"), true);
}

// A change sent as the whole text and the same change sent as a range publish what opening
// the changed page publishes, in both units. The pages are long enough for their texts to
// be decoded apart from the rest of the message, and hold what JSON escapes.
TEST(LanguageServerTest, WholeAndRangeChangesPublishWhatOpeningTheResultDoes) {
    std::string filler;
    for (int i = 0; i < 40; ++i) filler += "<p>caf\xc3\xa9 \xf0\x9f\x98\x80 \"quoted\" back\\slash\ttab</p>\n";
    const struct Case {
        const char* name;
        std::string before;
        int line, character, removed;  // the edit, on a line that is ASCII up to it
        std::string inserted;
    } cases[] = {
        {"a cell put into an html32 page", "<html><body>\n<foo>\n" + filler + "</body></html>\n", 1, 5, 0,
         "<td>x</td>"},
        {"the doctype taken off", "<!DOCTYPE html>\r\n<center>x</center><foo>\r\n" + filler, 0, 0, 15, ""},
        {"lines, quotes and escapes typed", "<!DOCTYPE html>\n<b>\n" + filler, 1, 3, 0,
         "<i class=\"a\\b\">\tcaf\xc3\xa9\r\n</b>\x01"},
        {"the end replaced", filler + "<table><tr><td>x", 40, 0, 16, "</i>"},
    };
    for (const json& capabilities : {json::object(), json{{"general", {{"positionEncodings", {"utf-8"}}}}}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + capabilities.dump());
            size_t offset = 0;
            for (int line = 0; line < c.line; ++line) offset = c.before.find('\n', offset) + 1;
            offset += static_cast<size_t>(c.character);
            const std::string after = std::string(c.before).replace(offset, static_cast<size_t>(c.removed), c.inserted);
            auto published = [&](const json& change) {
                std::string input = initialize(capabilities) + openDocument(pageUri, change.is_null() ? after : c.before);
                if (!change.is_null()) {
                    input += notification("textDocument/didChange", {{"textDocument", {{"uri", pageUri}, {"version", 2}}},
                                                                     {"contentChanges", {change}}});
                }
                return lastDiagnostics(serve(input, withoutConfigurations()));
            };
            const json opened = published(nullptr);
            EXPECT_FALSE(opened.empty());
            EXPECT_EQ(published({{"text", after}}), opened);
            EXPECT_EQ(published({{"range", range(c.line, c.character, c.line, c.character + c.removed)},
                                 {"text", c.inserted}}),
                      opened);
        }
    }
}

TEST(LanguageServerTest, HoverAndCompletionThroughTheServer) {
    const std::string page = "<p align=left>caf\xc3\xa9 <table border=1 \n<foo>";
    auto hover = [&](int id, int line, int character) {
        return request(id, "textDocument/hover",
                       {{"textDocument", {{"uri", pageUri}}}, {"position", position(line, character)}});
    };
    const std::string input = initialize() + openDocument(pageUri, page) + hover(2, 0, 1) + hover(3, 0, 4) +
                              hover(4, 0, 10) + hover(5, 0, 19) + hover(6, 1, 2) +
                              request(7, "textDocument/completion",
                                      {{"textDocument", {{"uri", pageUri}}}, {"position", position(0, 1)}}) +
                              request(8, "textDocument/completion",
                                      {{"textDocument", {{"uri", pageUri}}}, {"position", position(0, 35)}}) +
                              request(9, "textDocument/hover", {{"textDocument", {{"uri", pageUri}}}});
    const ServerRun run = serve(input, withoutConfigurations());
    const json tag = run.replyTo(2)["result"];
    EXPECT_EQ(tag["contents"]["kind"], "markdown");
    EXPECT_NE(tag["contents"]["value"].get<std::string>().find("Paragraph begin"), std::string::npos) << tag;
    EXPECT_NE(tag["contents"]["value"].get<std::string>().find("`align`"), std::string::npos) << tag;
    EXPECT_EQ(tag["range"], range(0, 1, 0, 2));
    const std::string attribute = run.replyTo(3)["result"]["contents"]["value"];
    EXPECT_NE(attribute.find("accepted by the html32 profile"), std::string::npos) << attribute;
    EXPECT_EQ(run.replyTo(4)["result"], nullptr) << "on an attribute's value";
    const json table = run.replyTo(5)["result"];  // "é" is one UTF-16 unit: character 19 is TABLE's "<"
    EXPECT_NE(table["contents"]["value"].get<std::string>().find("Table"), std::string::npos) << table;
    EXPECT_EQ(table["range"], range(0, 20, 0, 25));
    EXPECT_NE(run.replyTo(6)["result"]["contents"]["value"].get<std::string>().find("not a tag of the html32"),
              std::string::npos);

    const json tags = run.replyTo(7)["result"];
    ASSERT_TRUE(tags.is_array());
    EXPECT_NE(std::find(tags.begin(), tags.end(), json{{"label", "TABLE"}, {"detail", "Table"}}), tags.end()) << tags;
    const json attributes = run.replyTo(8)["result"];
    EXPECT_NE(
        std::find_if(attributes.begin(), attributes.end(), [](const json& i) { return i["label"] == "cellpadding"; }),
        attributes.end())
        << attributes;
    EXPECT_EQ(run.replyTo(9)["error"]["code"], -32602);
}

TEST(TagHelpTest, NamesAndCompletionsAtOffsets) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const std::string text = "<div class=\"a>b\" hidden>x</DIV><my-widget >< <!-- c --><img ";
    struct Case {
        size_t offset;
        NameAtOffset::Kind kind;
        const char* tag;
        const char* attribute;
        const char* describedAs;  // part of the hover text
    };
    using K = NameAtOffset::Kind;
    const Case names[] = {
        {0, K::TagName, "div", "", "Document division"},  // on the "<"
        {4, K::TagName, "div", "", "Document division"},  // just after the name
        {5, K::AttributeName, "div", "class", "as on every tag"},
        {12, K::None, "", "", ""},  // inside a quoted value holding ">"
        {18, K::AttributeName, "div", "hidden", "accepted by the html5 profile"},
        {24, K::None, "", "", ""},  // text
        {27, K::TagName, "/DIV", "", "End of document division"},
        {33, K::TagName, "my-widget", "", "Custom element"},
        {45, K::None, "", "", ""},  // a comment
    };
    for (const Case& c : names) {
        SCOPED_TRACE(c.offset);
        const NameAtOffset name = findNameAt(text, c.offset);
        EXPECT_EQ(name.kind, c.kind);
        if (c.kind == K::None) continue;
        EXPECT_EQ(name.tag, c.tag);
        EXPECT_EQ(name.attribute, c.attribute);
        EXPECT_NE(describeName(*html5, name).find(c.describedAs), std::string::npos) << describeName(*html5, name);
    }

    auto labels = [&](size_t offset) {
        std::vector<std::string> list;
        for (const CompletionChoice& c : completionsAt(*html5, text, offset)) list.push_back(c.label);
        return list;
    };
    auto has = [](const std::vector<std::string>& list, const char* label) {
        return std::find(list.begin(), list.end(), label) != list.end();
    };
    EXPECT_TRUE(has(labels(1), "div") && has(labels(1), "table") && !has(labels(1), "/div"));  // after "<", lower case
    EXPECT_TRUE(has(labels(27), "div") && has(labels(27), "table"));  // after "</"
    EXPECT_TRUE(has(labels(17), "class") && has(labels(17), "title"));  // after a space
    EXPECT_TRUE(has(labels(8), "class"));                                // in a name begun after a space
    EXPECT_TRUE(labels(12).empty());                                     // inside a value
    EXPECT_TRUE(labels(16).empty());                                     // right after a value
    EXPECT_TRUE(labels(24).empty());                                     // in the text
    const std::vector<std::string> img = labels(text.size());
    EXPECT_TRUE(has(img, "src") && has(img, "alt") && has(img, "id"));
    EXPECT_FALSE(has(img, "data-*"));

    // html32 offers the table's names as the table has them.
    const std::vector<CompletionChoice> html32 = completionsAt(TagProfile::html32(), "<", 1);
    EXPECT_NE(std::find_if(html32.begin(), html32.end(), [](const CompletionChoice& c) { return c.label == "TABLE"; }),
              html32.end());
}

// A scratch folder whose name holds a space, which the URIs of its files encode.
class SiteFolder : public ScratchFolder {
public:
    SiteFolder() : ScratchFolder("tagvetter lsp ") {}
    // The file:// URI of a file in the folder, its spaces percent-encoded.
    std::string uri(const std::string& name) const {
        std::string encoded = "file://";
        std::string file = (root() / name).generic_u8string();
        if (file[0] != '/') encoded += '/';
        for (char c : file) encoded += c == ' ' ? std::string("%20") : std::string(1, c);
        return encoded;
    }
};

TEST(LanguageServerTest, ConfigurationNearestThePage) {
    SiteFolder site;
    site.write("tagvetter.toml", "profile = \"html5\"\nexclude = [\"drafts\"]\n");
    const std::string page = "<center>x</center>\n";
    const std::string input = initialize() + openDocument(site.uri("page.htm"), page) +
                              openDocument(site.uri("drafts/page.htm"), page) +
                              openDocument(site.uri("other.txt"), page, "plaintext");
    const std::vector<json> published = serve(input).notifications("textDocument/publishDiagnostics");
    ASSERT_EQ(published.size(), 2u);
    ASSERT_EQ(published[0]["diagnostics"].size(), 1u) << published[0];
    EXPECT_EQ(published[0]["diagnostics"][0]["code"], "obsolete-tag");
    EXPECT_EQ(published[0]["diagnostics"][0]["range"], range(0, 0, 0, 8));
    EXPECT_EQ(published[1]["diagnostics"], json::array()) << "an excluded page";
}

// With auto, the default, each version of the text is checked, hovered and completed with
// the profile its start asks for: under a configuration that says auto, under none, and
// for a document that is no file.
TEST(LanguageServerTest, AutoProfileFollowsTheDoctypeOnEveryChange) {
    const struct Case {
        const char* doctype;
        const char* profile;
        const char* tableLabel;
        std::vector<std::string> codes;
    } cases[] = {
        {"<!DOCTYPE html>", "html5", "table",
         {"obsolete-attribute", "obsolete-tag", "unknown-attribute", "crossing-close"}},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">", "html32", "TABLE", {}},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">", "html4", "table",
         {"unknown-attribute", "crossing-close"}},
        // Strict has no center, and no inline element directly in body.
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">", "html4", "table",
         {"unknown-tag", "misplaced-element", "unknown-attribute", "crossing-close"}},
        {"<!doctype html>", "html5", "table",
         {"obsolete-attribute", "obsolete-tag", "unknown-attribute", "crossing-close"}},
    };
    const struct Setup {
        const char* what;
        const char* configuration;  // null: none
        bool isFile;
    } setups[] = {{"profile = auto", "profile = \"auto\"\n", true},
                  {"no configuration", nullptr, true},
                  {"no file", nullptr, false}};
    for (const Setup& setup : setups) {
        SCOPED_TRACE(setup.what);
        SiteFolder site;
        if (setup.configuration) site.write("tagvetter.toml", setup.configuration);
        const std::string uri = setup.isFile ? site.uri("page.htm") : "untitled:page";
        std::string input = initialize();
        int id = 2;
        for (const Case& c : cases) {
            const std::string text = std::string(c.doctype) +
                                     "\n<table border=1><tr><td><center>x</center></table>\n"
                                     "<b clas=\"x\">b<i>i</b></i>\n";
            input += id == 2 ? openDocument(uri, text)
                             : notification("textDocument/didChange",
                                            {{"textDocument", {{"uri", uri}, {"version", id}}},
                                             {"contentChanges", {{{"text", text}}}}});
            input +=
                request(id++, "textDocument/hover", {{"textDocument", {{"uri", uri}}}, {"position", position(1, 8)}});
            input += request(id++, "textDocument/completion",
                             {{"textDocument", {{"uri", uri}}}, {"position", position(1, 1)}});
        }
        const ServerRun run = serve(input);
        const std::vector<json> published = run.notifications("textDocument/publishDiagnostics");
        ASSERT_EQ(published.size(), std::size(cases));
        id = 2;
        for (size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(c.doctype);
            std::vector<std::string> codes;
            for (const json& diagnostic : published[i]["diagnostics"]) codes.push_back(diagnostic["code"]);
            EXPECT_EQ(codes, c.codes) << published[i];
            const std::string hover = run.replyTo(id++)["result"]["contents"]["value"];
            EXPECT_NE(hover.find(std::string(" the ") + c.profile + " profile"), std::string::npos) << hover;
            const json tags = run.replyTo(id++)["result"];
            EXPECT_NE(std::find_if(tags.begin(), tags.end(), [&](const json& t) { return t["label"] == c.tableLabel; }),
                      tags.end())
                << tags;
        }
    }
}

TEST(LanguageServerTest, BrokenConfigurationIsShownOnceThenReadAgainWhenSaved) {
    SiteFolder site;
    site.write("tagvetter.toml", "profile = \"html9\"\n");
    const std::string page = "<center>x</center><foo>\n";
    const std::string save =
        notification("textDocument/didSave", {{"textDocument", {{"uri", site.uri("tagvetter.toml")}}}});
    const std::string change = notification("textDocument/didChange",
                                            {{"textDocument", {{"uri", site.uri("page.htm")}, {"version", 2}}},
                                             {"contentChanges", {{{"text", page}}}}});
    // The file is fixed on disk between the change and the save.
    const std::string before = initialize() + openDocument(site.uri("page.htm"), page) + change;
    const ServerRun broken = serve(before);
    const std::vector<json> messages = broken.notifications("window/showMessage");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]["type"], 1);
    const std::string error = messages[0]["message"];
    EXPECT_EQ(error.rfind(site.path("tagvetter.toml") + ":1:", 0), 0u) << error;
    EXPECT_NE(error.find("(until it is mended, each page is read as its doctype says)"), std::string::npos) << error;
    // The built-in default meanwhile, auto: a page without a doctype is html32's, which
    // knows CENTER and not FOO.
    const json diagnostics = lastDiagnostics(broken);
    ASSERT_EQ(diagnostics.size(), 1u) << diagnostics;
    EXPECT_EQ(diagnostics[0]["code"], "unknown-tag");

    // One session: the broken file, then the fixed one saved.
    StringByteSink sink;
    MessageWriter writer(sink);
    LanguageServer server(writer, nullptr);
    auto feed = [&](const std::string& framed) {
        StringByteSource source(framed);
        MessageReader reader(source);
        std::string body;
        for (ReadOutcome outcome; (outcome = reader.next(body)) != ReadOutcome::End;) server.handle(outcome, body);
    };
    feed(before);
    site.write("tagvetter.toml", "profile = \"html5\"\nignore = [\"unknown-tag\"]\n");
    auto lastDiagnosticsWritten = [&](int& shown) {
        StringByteSource written(sink.bytes);
        MessageReader reader(written);
        std::string body;
        json last;
        shown = 0;
        while (reader.next(body) == ReadOutcome::Message) {
            const json message = json::parse(body);
            const std::string method = message.value("method", "");
            if (method == "window/showMessage") ++shown;
            if (method == "textDocument/publishDiagnostics") last = message["params"]["diagnostics"];
        }
        return last;
    };
    feed(save);
    int shown;
    json last = lastDiagnosticsWritten(shown);
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(last.size(), 1u) << last;
    EXPECT_EQ(last[0]["code"], "obsolete-tag");

    // Changed outside the editor: the client tells of it as a watched file.
    site.write("tagvetter.toml", "profile = \"html5\"\n");
    feed(notification("workspace/didChangeWatchedFiles",
                      {{"changes", {{{"uri", site.uri("tagvetter.toml")}, {"type", 2}}}}}));
    last = lastDiagnosticsWritten(shown);
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(last.size(), 2u) << last;
    EXPECT_EQ(last[1]["code"], "unknown-tag");
}

}  // namespace
