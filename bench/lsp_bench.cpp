// The language server's answer to an edit: from an incremental didChange on an open page
// of about 1 MB to the publishDiagnostics bytes written, all in one process. The change
// types one character into the middle of the page and the next takes it out again, so the
// page stays the same from one pair to the next.
//
// The page is the file named by TAGVETTER_BENCH_DOCUMENT, or else a 1 MiB one that
// make_document.py writes into the build tree the first time it is needed. html32 is the
// default profile; for html5 the page is opened under a folder whose tagvetter.toml says so.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "language_server.h"

namespace {

using nlohmann::json;

std::string page;

// Keeps only the size of what was written and the last message, as a client would read it.
class CountingSink : public ByteSink {
public:
    bool write(const char* bytes, size_t size) override {
        written += size;
        last.assign(bytes, size);
        return true;
    }
    size_t written = 0;
    std::string last;
};

std::string body(const std::string& method, const json& params) {
    return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump();
}

std::string change(const std::string& uri, uint32_t line, const std::string& removed, const std::string& inserted) {
    const json start = {{"line", line}, {"character", 0}};
    const json end = {{"line", line}, {"character", removed.size()}};
    return body("textDocument/didChange",
                {{"textDocument", {{"uri", uri}, {"version", 2}}},
                 {"contentChanges", {{{"range", {{"start", start}, {"end", end}}}, {"text", inserted}}}}});
}

void BM_EditToDiagnostics(benchmark::State& state, const std::string& uri) {
    CountingSink sink;
    MessageWriter writer(sink);
    LanguageServer server(writer, stderr);
    server.handle(
        ReadOutcome::Message,
        json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}}
            .dump());
    server.handle(ReadOutcome::Message,
                  body("textDocument/didOpen",
                       {{"textDocument", {{"uri", uri}, {"languageId", "html"}, {"version", 1}, {"text", page}}}}));
    const uint32_t middle = static_cast<uint32_t>(std::count(page.begin(), page.begin() + page.size() / 2, '\n'));
    const std::string typed = change(uri, middle, "", "x");
    const std::string untyped = change(uri, middle, "x", "");
    bool inserted = false;
    for (auto _ : state) {
        server.handle(ReadOutcome::Message, inserted ? untyped : typed);
        inserted = !inserted;
    }
    const json published = json::parse(sink.last.substr(sink.last.find("\r\n\r\n") + 4), nullptr, false);
    if (published.is_discarded() || published.value("method", "") != "textDocument/publishDiagnostics") {
        state.SkipWithError("no diagnostics were published");
        return;
    }
    state.counters["diagnostics"] = static_cast<double>(published["params"]["diagnostics"].size());
    state.counters["published_bytes"] = static_cast<double>(sink.last.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

std::string documentPath() {
    if (const char* named = getenv("TAGVETTER_BENCH_DOCUMENT"); named && *named) return named;
    const std::string path = TAGVETTER_DEFAULT_DOCUMENT;
    if (!std::filesystem::exists(path)) {
        fprintf(stderr, "Writing the benchmark document %s\n", path.c_str());
        const std::string command = std::string("'") + TAGVETTER_PYTHON + "' '" + TAGVETTER_GENERATOR + "' '" +
                                    path + "' " + TAGVETTER_DEFAULT_MB + " 1";
        if (system(command.c_str()) != 0) return std::string();
    }
    return path;
}

std::string fileUri(const std::filesystem::path& path) { return "file://" + path.generic_u8string(); }

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const std::string path = documentPath();
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    page = bytes.str();
    if (!file || page.empty()) {
        fprintf(stderr, "lsp_bench: can't read the document %s\n", path.c_str());
        return 1;
    }
    // The server takes JSON, which holds UTF-8 only: the generator's Latin-1 letters become "?".
    for (char& c : page) {
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    const std::filesystem::path html5Folder = std::filesystem::path(TAGVETTER_DOCUMENTS) / "lsp-html5";
    std::filesystem::create_directories(html5Folder);
    std::ofstream(html5Folder / "tagvetter.toml") << "profile = \"html5\"\n";

    benchmark::AddCustomContext("document", path);
    benchmark::AddCustomContext("document_bytes", std::to_string(page.size()));
    benchmark::RegisterBenchmark("BM_EditToDiagnostics/html32", BM_EditToDiagnostics, std::string("untitled:page.htm"))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_EditToDiagnostics/html5", BM_EditToDiagnostics, fileUri(html5Folder / "page.htm"))
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
