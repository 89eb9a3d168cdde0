// The server's answers on pages: diagnostics and their ranges in both units, hover and
// completion, and the configuration nearest the page.
#include <gtest/gtest.h>

#include "lsp_session.h"
#include "scratch_folder.h"
#include "tag_help.h"
#include "text_document.h"

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
                // Their data names the check, which counts the changes: all else must be the same.
                json diagnostics = lastDiagnostics(serve(input, withoutConfigurations()));
                for (json& d : diagnostics) d.erase("data");
                return diagnostics;
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

const std::string Html5 = "<!DOCTYPE html>\n<title>t</title>\n";

std::vector<std::string> codesOf(const json& diagnostics) {
    std::vector<std::string> codes;
    for (const json& d : diagnostics) codes.push_back(d["code"]);
    return codes;
}

std::string codeActionRequest(int id, const json& diagnostics, const json& only = nullptr,
                              const json& range = json{{"start", position(0, 0)}, {"end", position(0, 0)}}) {
    json context = {{"diagnostics", diagnostics}};
    if (!only.is_null()) context["only"] = only;
    return request(id, "textDocument/codeAction",
                   {{"textDocument", {{"uri", pageUri}}}, {"range", range}, {"context", context}});
}

// `text` with an action's edits made as a client makes them, in the agreed unit: from the
// last to the first, so that each edit's positions are still those of the text it was
// made for. Checks that the edit is for the document at the version opened.
std::string applied(const std::string& text, const json& edit, PositionEncoding encoding) {
    json edits;
    if (edit.contains("documentChanges")) {
        EXPECT_EQ(edit["documentChanges"].size(), 1u);
        const json& change = edit["documentChanges"][0];
        EXPECT_EQ(change["textDocument"], (json{{"uri", pageUri}, {"version", 1}}));
        edits = change["edits"];
    } else {
        EXPECT_EQ(edit["changes"].size(), 1u);
        edits = edit["changes"][pageUri];
    }
    TextDocument document(text);
    for (auto e = edits.rbegin(); e != edits.rend(); ++e) {
        const json& r = (*e)["range"];
        document.replace({r["start"]["line"], r["start"]["character"]}, {r["end"]["line"], r["end"]["character"]},
                         (*e)["newText"], encoding);
    }
    return document.text();
}

// One table of pages through the whole round: the diagnostics published, a quick fix asked
// for each, the fix-all asked for, their edits made, and the page checked again; with
// UTF-16 and changes, and with UTF-8 and versioned document changes.
TEST(LanguageServerTest, QuickFixesAndFixAllMendWhatTheyName) {
    const std::string beforeFix = "<p>caf\xc3\xa9 \xf0\x9f\x98\x80 ";  // 2 and 4 bytes, 1 and 2 UTF-16 units
    const struct Case {
        const char* what;
        std::string page;
        // For each diagnostic in order: the quick fix's title ("" when none is offered) and
        // the page with it made.
        std::vector<std::pair<std::string, std::string>> quickFixes;
        std::string fixAllTitle;  // "" when none is offered
        std::string fixedAll;
    } cases[] = {
        {"stray close tag", Html5 + "<b>a</b></b>\n", {{"Remove </b>", Html5 + "<b>a</b>\n"}}, "Fix 1 problem",
         Html5 + "<b>a</b>\n"},
        {"void element's close tag", Html5 + "<p>a<br></br>\n", {{"Remove </br>", Html5 + "<p>a<br>\n"}},
         "Fix 1 problem", Html5 + "<p>a<br>\n"},
        {"misspelled element and its close tag", Html5 + "<blockqoute>q</blockqoute>\n",
         {{"Replace blockqoute with blockquote", Html5 + "<blockquote>q</blockquote>\n"}}, "Fix 1 problem",
         Html5 + "<blockquote>q</blockquote>\n"},
        {"misspelled attribute", Html5 + "<img src=a alt=\"\" stlye=x>\n",
         {{"Replace stlye with style", Html5 + "<img src=a alt=\"\" style=x>\n"}}, "Fix 1 problem",
         Html5 + "<img src=a alt=\"\" style=x>\n"},
        {"two mends, and a problem without one", Html5 + "<p>a</span><br></br><bt>x</bt>\n",
         {{"Remove </span>", Html5 + "<p>a<br></br><bt>x</bt>\n"},
          {"Remove </br>", Html5 + "<p>a</span><br><bt>x</bt>\n"},
          {"", ""}},
         "Fix 2 problems", Html5 + "<p>a<br><bt>x</bt>\n"},
        // Each passes alone; together they would make one attribute twice: the first is made.
        {"two mends that clash", Html5 + "<a hreff=x hrf=y>l</a>\n",
         {{"Replace hreff with href", Html5 + "<a href=x hrf=y>l</a>\n"},
          {"Replace hrf with href", Html5 + "<a hreff=x href=y>l</a>\n"}},
         "Fix 1 problem", Html5 + "<a href=x hrf=y>l</a>\n"},
        {"names as near, settled by the list", Html5 + "<ul><il>a</il></ul>\n",
         {{"Replace il with li", Html5 + "<ul><li>a</li></ul>\n"}}, "Fix 1 problem", Html5 + "<ul><li>a</li></ul>\n"},
        {"crossing split where it crosses", Html5 + "<p><b>x<i>y</b>z</i>\n",
         {{"Replace </b> with </i></b><i>", Html5 + "<p><b>x<i>y</i></b><i>z</i>\n"}}, "Fix 1 problem",
         Html5 + "<p><b>x<i>y</i></b><i>z</i>\n"},
        {"a mend that would bring a problem of its own", Html5 + "<blockqoute clas=x>q</blockqoute>\n", {{"", ""}},
         "", ""},
        {"non-ASCII before the mend on its line", Html5 + beforeFix + "</span><br></br>x\n",
         {{"Remove </span>", Html5 + beforeFix + "<br></br>x\n"}, {"Remove </br>", Html5 + beforeFix + "</span><br>x\n"}},
         "Fix 2 problems", Html5 + beforeFix + "<br>x\n"},
    };
    const struct Client {
        const char* what;
        json capabilities;
        PositionEncoding encoding;
    } clients[] = {
        {"UTF-16, changes", json::object(), PositionEncoding::Utf16},
        {"UTF-8, document changes",
         {{"general", {{"positionEncodings", {"utf-8"}}}}, {"workspace", {{"workspaceEdit", {{"documentChanges", true}}}}}},
         PositionEncoding::Utf8},
    };
    for (const Client& client : clients) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", " + client.what);
            const std::string opened = initialize(client.capabilities) + openDocument(pageUri, c.page);
            const json diagnostics = lastDiagnostics(serve(opened, withoutConfigurations()));
            ASSERT_EQ(diagnostics.size(), c.quickFixes.size()) << diagnostics;
            std::string input = opened;
            for (size_t i = 0; i < diagnostics.size(); ++i) {
                input += codeActionRequest(static_cast<int>(2 + i), json::array({diagnostics[i]}), json::array({"quickfix"}));
            }
            input += codeActionRequest(100, json::array(), json::array({"source.fixAll"}));
            const ServerRun run = serve(input, withoutConfigurations());

            for (size_t i = 0; i < diagnostics.size(); ++i) {
                SCOPED_TRACE(diagnostics[i].dump());
                const json actions = run.replyTo(static_cast<int>(2 + i))["result"];
                const auto& [title, fixed] = c.quickFixes[i];
                if (title.empty()) {
                    EXPECT_EQ(actions, json::array());
                    continue;
                }
                ASSERT_EQ(actions.size(), 1u) << actions;
                EXPECT_EQ(actions[0]["title"], title);
                EXPECT_EQ(actions[0]["kind"], "quickfix");
                EXPECT_EQ(actions[0]["diagnostics"], json::array({diagnostics[i]}));
                const std::string mended = applied(c.page, actions[0]["edit"], client.encoding);
                EXPECT_EQ(mended, fixed);
                // Checked again: the others stay, the mended one is gone.
                json expected = diagnostics;
                expected.erase(i);
                const json after = lastDiagnostics(
                    serve(initialize(client.capabilities) + openDocument(pageUri, mended), withoutConfigurations()));
                EXPECT_EQ(codesOf(after), codesOf(expected));
            }

            const json all = run.replyTo(100)["result"];
            if (c.fixAllTitle.empty()) {
                EXPECT_EQ(all, json::array());
                continue;
            }
            ASSERT_EQ(all.size(), 1u) << all;
            EXPECT_EQ(all[0]["title"], c.fixAllTitle);
            EXPECT_EQ(all[0]["kind"], "source.fixAll.tagvetter");
            EXPECT_EQ(applied(c.page, all[0]["edit"], client.encoding), c.fixedAll);
        }
    }
}

// What is asked of the server decides what it offers: the kinds `only` names, the
// diagnostics of the text it has and of no other, the problems the page leaves out.
TEST(LanguageServerTest, CodeActionsOnlyForWhatIsAskedAndCurrent) {
    const std::string page = Html5 + "<p>a</span><br></br>\n";
    const std::string opened = initialize() + openDocument(pageUri, page);
    const json diagnostics = lastDiagnostics(serve(opened, withoutConfigurations()));
    ASSERT_EQ(codesOf(diagnostics), (std::vector<std::string>{"close-without-open", "void-close"}));
    const json& span = diagnostics[0];
    json withoutData = span;
    withoutData.erase("data");
    json otherCheck = span;
    otherCheck["data"]["check"] = 7;
    json moved = span;
    moved["range"]["end"]["character"] = 3;
    json movedWithoutData = moved;
    movedWithoutData.erase("data");
    json otherWordsWithData = span;
    otherWordsWithData["message"] = "something else";
    json otherWords = withoutData;
    otherWords["message"] = "something else";
    json otherSource = span;
    otherSource["source"] = "another linter";
    const json lineTwo = {{"start", position(2, 0)}, {"end", position(3, 0)}};
    const json lineOne = {{"start", position(1, 0)}, {"end", position(1, 3)}};

    const struct Case {
        const char* what;
        json diagnostics;
        json only;
        json range;
        std::vector<std::string> kinds;  // of the actions offered, in order
    } cases[] = {
        {"no only: the quick fix and the fix-all", json::array({span}), nullptr, lineTwo, {"quickfix", "source.fixAll.tagvetter"}},
        {"only quick fixes", json::array({span}), json::array({"quickfix"}), lineTwo, {"quickfix"}},
        {"only source actions", json::array({span}), json::array({"source"}), lineTwo, {"source.fixAll.tagvetter"}},
        {"a kind we don't offer", json::array({span}), json::array({"refactor", "source.organizeImports"}), lineTwo, {}},
        {"a diagnostic without its data", json::array({withoutData}), json::array({"quickfix"}), lineTwo, {"quickfix"}},
        {"without data and with other words", json::array({otherWords}), json::array({"quickfix"}), lineTwo, {}},
        {"a diagnostic of another check", json::array({otherCheck}), json::array({"quickfix"}), lineTwo, {}},
        // The data names the problem: a client may send back its range in other units.
        {"a diagnostic moved, with its data", json::array({moved}), json::array({"quickfix"}), lineTwo, {"quickfix"}},
        {"a diagnostic moved, without data", json::array({movedWithoutData}), json::array({"quickfix"}), lineTwo, {}},
        {"with data and other words", json::array({otherWordsWithData}), json::array({"quickfix"}), lineTwo, {}},
        {"another tool's diagnostic", json::array({otherSource}), json::array({"quickfix"}), lineTwo, {}},
        {"both diagnostics", diagnostics, json::array({"quickfix"}), lineTwo, {"quickfix", "quickfix"}},
        {"no diagnostics: those in the range", json::array(), json::array({"quickfix"}), lineTwo, {"quickfix", "quickfix"}},
        {"no diagnostics and none in the range", json::array(), json::array({"quickfix"}), lineOne, {}},
    };
    std::string input = opened;
    for (size_t i = 0; i < std::size(cases); ++i) {
        input += codeActionRequest(static_cast<int>(10 + i), cases[i].diagnostics, cases[i].only, cases[i].range);
    }
    // Changed since: the diagnostics published before are of a text the server no longer has.
    input += notification("textDocument/didChange", {{"textDocument", {{"uri", pageUri}, {"version", 2}}},
                                                     {"contentChanges", {{{"text", "\n" + page}}}}}) +
             codeActionRequest(50, diagnostics, json::array({"quickfix"}), lineTwo) +
             request(51, "textDocument/codeAction", {{"textDocument", {{"uri", pageUri}}}, {"range", lineTwo}});
    const ServerRun run = serve(input, withoutConfigurations());
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const json actions = run.replyTo(static_cast<int>(10 + i))["result"];
        ASSERT_TRUE(actions.is_array()) << run.replyTo(static_cast<int>(10 + i));
        std::vector<std::string> kinds;
        for (const json& a : actions) kinds.push_back(a["kind"]);
        EXPECT_EQ(kinds, cases[i].kinds) << actions;
        for (const json& a : actions) {
            if (a["kind"] != "quickfix") continue;
            // The diagnostic named is the one asked about, or, when none was, the one published.
            const json named = a["diagnostics"][0];
            EXPECT_TRUE(named == span || named == diagnostics[1] || named == withoutData || named == moved) << named;
        }
    }
    EXPECT_EQ(run.replyTo(50)["result"], json::array()) << "diagnostics of an older text";
    EXPECT_EQ(run.replyTo(51)["error"]["code"], -32602) << "no context";
    EXPECT_EQ(run.replyTo(1)["result"]["capabilities"]["codeActionProvider"],
              (json{{"codeActionKinds", {"quickfix", "source.fixAll.tagvetter"}}}));

    // The problems the page leaves out are not offered, alone or all together.
    const std::string silenced =
        Html5 + "<!-- tagvetter-disable-next-line close-without-open -->\n</span>\n";
    const ServerRun quiet = serve(initialize() + openDocument(pageUri, silenced) +
                                      codeActionRequest(2, json::array(), nullptr,
                                                        {{"start", position(0, 0)}, {"end", position(4, 0)}}),
                                  withoutConfigurations());
    EXPECT_EQ(lastDiagnostics(quiet), json::array());
    EXPECT_EQ(quiet.replyTo(2)["result"], json::array());
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
