// Throughput of the analyses over one large document, in bytes of document per second.
//
// The document is the file named by TAGVETTER_BENCH_DOCUMENT, or else a 50 MiB one that
// make_document.py writes into the build tree the first time it is needed. The file is
// loaded once; each benchmark runs its analysis over the whole text per iteration, with
// in-memory sinks, so only the analysis itself is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "document.h"
#include "document_check.h"
#include "memory_lines.h"
#include "page_links.h"
#include "tag_census.h"
#include "tag_listing.h"
#include "tag_scanner.h"

namespace {

Document document;

void setThroughput(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * document.size);
}

void BM_Load(benchmark::State& state, const std::string& path) {
    Document loaded;
    for (auto _ : state) {
        if (!loaded.load(path.c_str())) state.SkipWithError("the document can't be read");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * loaded.size);
}

void BM_CountTags(benchmark::State& state, const char* profileName) {
    const std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
    TagCensus census;
    if (!census.setUp()) state.SkipWithError("no memory for the census");
    MemoryResultList list;
    for (auto _ : state) {
        list.lines.clear();
        countTags(document, census, list, *profile);
    }
    state.counters["distinct"] = census.count;
    setThroughput(state);
}

// The tag reader alone, as the check reads: every tag with its attributes and their values.
void BM_ReadTags(benchmark::State& state, const char* profileName) {
    const std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
    size_t tags = 0;
    for (auto _ : state) {
        TagScanner scanner(document, *profile, TagsOnly);
        tags = 0;
        size_t attributes = 0;
        while (scanner.next()) {
            ++tags;
            attributes += scanner.attributes().size();
        }
        benchmark::DoNotOptimize(attributes);
    }
    state.counters["tags"] = static_cast<double>(tags);
    setThroughput(state);
}

void BM_CheckDocument(benchmark::State& state, const char* profileName) {
    const std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
    MemoryResultList list;
    for (auto _ : state) {
        list.lines.clear();
        checkLines(document, list, *profile);
    }
    state.counters["problems"] = list.count();
    setThroughput(state);
}

// The links of the page, as `links` reads each page of a site before resolving them.
void BM_ReadPageLinks(benchmark::State& state) {
    size_t references = 0;
    for (auto _ : state) {
        PageLinks links;
        if (!readPageLinks(document, links)) state.SkipWithError("no memory for the links");
        references = links.references.size();
    }
    state.counters["references"] = static_cast<double>(references);
    setThroughput(state);
}

// Every line kept in memory, as the list box keeps them. Emptying the list between runs
// frees one string per tag; that is not the listing's cost, so it is left out.
void BM_ListTags(benchmark::State& state, const char* filter, const char* profileName) {
    const std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
    MemoryResultList list;
    for (auto _ : state) {
        state.PauseTiming();
        list.lines.clear();
        state.ResumeTiming();
        listTagLines(document, filter, list, *profile);
    }
    state.counters["lines"] = list.count();
    setThroughput(state);
}

bool exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

// The document to measure: the one the environment names, or the default one, written
// by the generator when it is not there yet.
std::string documentPath() {
    if (const char* named = getenv("TAGVETTER_BENCH_DOCUMENT"); named && *named) return named;
    const std::string path = TAGVETTER_DEFAULT_DOCUMENT;
    if (!exists(path)) {
        fprintf(stderr, "Writing the benchmark document %s\n", path.c_str());
        const std::string command = std::string("'") + TAGVETTER_PYTHON + "' '" + TAGVETTER_GENERATOR + "' '" +
                                    path + "' " + TAGVETTER_DEFAULT_MB + " 1";
        if (system(command.c_str()) != 0) return std::string();
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const std::string path = documentPath();
    if (path.empty() || !document.load(path.c_str())) {
        fprintf(stderr, "analysis_bench: can't read the document %s\n", path.c_str());
        return 1;
    }
    benchmark::AddCustomContext("document", path);
    benchmark::AddCustomContext("document_bytes", std::to_string(document.size));

    benchmark::RegisterBenchmark("BM_Load", BM_Load, path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CountTags", BM_CountTags, "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CountTags/html5", BM_CountTags, "html5")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadTags/html5", BM_ReadTags, "html5")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckDocument", BM_CheckDocument, "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckDocument/html4", BM_CheckDocument, "html4")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckDocument/html5", BM_CheckDocument, "html5")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadPageLinks", BM_ReadPageLinks)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListTags/all", BM_ListTags, "", "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListTags/A", BM_ListTags, "A", "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListTags/all/html5", BM_ListTags, "", "html5")->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
