// The language server's answer to an edit: from the framed didChange on an open page of
// about 1 MB to the publishDiagnostics bytes written, all in one process. The change types
// one character into the middle of the page and the next takes it out again, so the page
// stays the same from one pair to the next: BM_EditToDiagnostics sends the change as an
// incremental one (a range and the character), BM_WholeTextToDiagnostics as the whole
// text, as an editor that doesn't send ranges does.
//
// The page is the file named by TAGVETTER_BENCH_DOCUMENT, or else a 1 MiB one that
// make_document.py writes into the build tree the first time it is needed, its doctype
// line taken off. The html32 case is that page; the html5 one is the same with
// "<!DOCTYPE html>" in front, opened under a folder whose tagvetter.toml says html5.
//
// Each step's milliseconds per change are counters: framing (the message read from its
// bytes), parse (its body into JSON values), update (the document's text changed), check,
// positions (the problems' offsets into lines and characters), write (the diagnostics'
// JSON text and its frame) and rest (the time of the change not in any of them).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
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

std::string html32Page, html5Page;

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

std::string framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string change(const std::string& uri, const json& contentChange) {
    return framed(body("textDocument/didChange",
                       {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", {contentChange}}}));
}

std::string rangeChange(const std::string& uri, uint32_t line, const std::string& removed, const std::string& inserted) {
    const json start = {{"line", line}, {"character", 0}};
    const json end = {{"line", line}, {"character", removed.size()}};
    return change(uri, {{"range", {{"start", start}, {"end", end}}}, {"text", inserted}});
}

double seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void BM_ToDiagnostics(benchmark::State& state, bool wholeText, const std::string& uri, const std::string& page) {
    CountingSink sink;
    MessageWriter writer(sink);
    ServerStepTimes steps;
    ServerOptions options;
    options.stepTimes = &steps;
    LanguageServer server(writer, stderr, options);
    server.handle(
        ReadOutcome::Message,
        json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}}
            .dump());
    server.handle(ReadOutcome::Message,
                  body("textDocument/didOpen",
                       {{"textDocument", {{"uri", uri}, {"languageId", "html"}, {"version", 1}, {"text", page}}}}));
    const size_t half = page.size() / 2;
    const uint32_t line = static_cast<uint32_t>(std::count(page.begin(), page.begin() + half, '\n'));
    std::string typedPage = page;
    typedPage.insert(line == 0 ? 0 : page.rfind('\n', half - 1) + 1, "x");
    const std::string typed = wholeText ? change(uri, {{"text", typedPage}}) : rangeChange(uri, line, "", "x");
    const std::string untyped = wholeText ? change(uri, {{"text", page}}) : rangeChange(uri, line, "x", "");
    steps = ServerStepTimes();
    double framing = 0, total = 0;
    std::string message;
    bool inserted = false;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        StringByteSource source(inserted ? untyped : typed);
        MessageReader reader(source);
        const ReadOutcome outcome = reader.next(message);
        const auto read = std::chrono::steady_clock::now();
        server.handle(outcome, message);
        total += seconds(std::chrono::steady_clock::now() - start);
        framing += seconds(read - start);
        inserted = !inserted;
    }
    const json published = json::parse(sink.last.substr(sink.last.find("\r\n\r\n") + 4), nullptr, false);
    if (published.is_discarded() || published.value("method", "") != "textDocument/publishDiagnostics") {
        state.SkipWithError("no diagnostics were published");
        return;
    }
    state.counters["diagnostics"] = static_cast<double>(published["params"]["diagnostics"].size());
    state.counters["published_bytes"] = static_cast<double>(sink.last.size());
    const double timed[] = {framing, steps.parsing, steps.updating, steps.checking, steps.positions, steps.writing};
    const char* const names[] = {"framing_ms", "parse_ms", "update_ms", "check_ms", "positions_ms", "write_ms"};
    double rest = total;
    for (size_t i = 0; i < std::size(timed); ++i) {
        state.counters[names[i]] = benchmark::Counter(timed[i] * 1e3, benchmark::Counter::kAvgIterations);
        rest -= timed[i];
    }
    state.counters["rest_ms"] = benchmark::Counter(rest * 1e3, benchmark::Counter::kAvgIterations);
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
    html32Page = bytes.str();
    if (!file || html32Page.empty()) {
        fprintf(stderr, "lsp_bench: can't read the document %s\n", path.c_str());
        return 1;
    }
    // The server takes JSON, which holds UTF-8 only: the generator's Latin-1 letters become "?".
    for (char& c : html32Page) {
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    // A page without a doctype is html32's under any default; the html5 page says what it is.
    if (html32Page.compare(0, 9, "<!DOCTYPE") == 0) html32Page.erase(0, html32Page.find('\n') + 1);
    html5Page = "<!DOCTYPE html>\n" + html32Page;
    const std::filesystem::path html5Folder = std::filesystem::path(TAGVETTER_DOCUMENTS) / "lsp-html5";
    std::filesystem::create_directories(html5Folder);
    std::ofstream(html5Folder / "tagvetter.toml") << "profile = \"html5\"\n";

    benchmark::AddCustomContext("document", path);
    benchmark::AddCustomContext("document_bytes", std::to_string(html32Page.size()));
    const std::string html32Uri = "untitled:page.htm", html5Uri = fileUri(html5Folder / "page.htm");
    for (const bool wholeText : {false, true}) {
        const std::string name = wholeText ? "BM_WholeTextToDiagnostics" : "BM_EditToDiagnostics";
        benchmark::RegisterBenchmark((name + "/html32").c_str(), BM_ToDiagnostics, wholeText, html32Uri, html32Page)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/html5").c_str(), BM_ToDiagnostics, wholeText, html5Uri, html5Page)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
