// Throughput of the analyses over one large document, in bytes of document per second.
//
// The document is the file named by TAGVETTER_BENCH_DOCUMENT, or else a 50 MiB one that
// make_document.py writes into the build tree the first time it is needed. The file is
// loaded once; each benchmark runs its analysis over the whole text per iteration, with
// in-memory sinks, so only the analysis itself is timed. BM_ResolveSiteLinks is the
// exception: the links of a generated site of many pages, resolved as `links DIR` does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "byte_scan.h"
#include "document.h"
#include "document_check.h"
#include "link_check.h"
#include "memory_lines.h"
#include "page_links.h"
#include "tag_census.h"
#include "tag_listing.h"
#include "tag_scanner.h"
#include "text.h"

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

// The least any reader of tags does, for comparison with the reader: every "<" found in
// turn, sixteen bytes at a time with the line feeds before it counted, and the end of the
// name after it, byte by byte; nothing kept.
void BM_VisitTags(benchmark::State& state) {
    size_t tags = 0;
    for (auto _ : state) {
        tags = 0;
        int32_t line = 0;
        size_t nameBytes = 0;
        const char* lastFeed = nullptr;
        for (const char* p = document.text;;) {
            const char* lessThan = byte_scan::lessThanAndFeeds(p, document.end, document.text, line, lastFeed);
            if (!lessThan) break;
            const char* name = lessThan + 1;
            while (*name != '\0' && *name != '>' && *name != '<' && *name != '/' && !isTagSpace(*name)) ++name;
            nameBytes += static_cast<size_t>(name - lessThan);
            ++tags;
            p = name > lessThan + 1 ? name : lessThan + 1;
        }
        benchmark::DoNotOptimize(nameBytes);
        benchmark::DoNotOptimize(line);
    }
    state.counters["tags"] = static_cast<double>(tags);
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

// A site of SiteFolders folders of SitePages pages each, in a scratch folder, as
// documentation is made: each page links to every page of its folder (its menu), to
// sections of pages elsewhere, to a style sheet, and has a few faults of every kind.
class GeneratedSite {
public:
    static constexpr int SiteFolders = 10;
    static constexpr int SitePages = 40;

    GeneratedSite() : root_(std::filesystem::temp_directory_path() / ("tagvetter-bench-site-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(root_ / "static");
        std::ofstream(root_ / "static" / "style.css") << "p {}\n";
        unsigned seed = 1;
        auto next = [&](int below) { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % below; };
        for (int f = 0; f < SiteFolders; ++f) {
            const std::filesystem::path folder = root_ / ("part" + std::to_string(f));
            std::filesystem::create_directories(folder);
            for (int p = 0; p < SitePages; ++p) {
                std::string page = "<!DOCTYPE html>\n<link rel=stylesheet href=\"../static/style.css\">\n<ul>\n";
                for (int m = 0; m < SitePages; ++m) page += "<li><a href=\"page" + std::to_string(m) + ".html\">" + std::to_string(m) + "</a>\n";
                page += "</ul>\n";
                for (int s = 0; s < 10; ++s) {
                    page += "<h2 id=\"section" + std::to_string(s) + "\">Section</h2>\n<p>See <a href=\"../part" +
                            std::to_string(next(SiteFolders)) + "/page" + std::to_string(next(SitePages)) +
                            ".html#section" + std::to_string(next(10)) + "\">there</a> and <a href=\"#section" +
                            std::to_string(next(10)) + "\">here</a>.\n";
                }
                page += "<a href=\"gone.html\">x</a> <a href=\"Page0.html\">y</a> <a href=\"page1.html#nowhere\">z</a>\n";
                std::ofstream(folder / ("page" + std::to_string(p) + ".html")) << page;
                paths_.push_back((folder / ("page" + std::to_string(p) + ".html")).string());
            }
        }
    }
    ~GeneratedSite() {
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::filesystem::path root_;
    std::vector<std::string> paths_;
};

// The links of every page of a generated site read, kept and resolved on `jobs` threads:
// the work of `links DIR` past loading the pages, and the bytes it keeps a page.
void BM_ResolveSiteLinks(benchmark::State& state) {
    const GeneratedSite site;
    std::vector<Document> pages(site.paths().size());
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i].load(site.paths()[i].c_str())) state.SkipWithError("a generated page can't be read");
    }
    PageLinkPacker packer;
    size_t broken = 0, bytes = 0;
    for (auto _ : state) {
        LinkCheck check{LinkOptions{}};
        bytes = 0;
        for (size_t i = 0; i < pages.size(); ++i) {
            PageLinkBlock block;
            if (!packer.read(pages[i], block)) state.SkipWithError("no memory for the links");
            bytes += block.bytes();
            check.addPage(site.paths()[i], std::move(block));
        }
        check.resolve(readPageLinksOfFile, static_cast<int>(state.range(0)));
        broken = 0;
        for (size_t i = 0; i < check.pageCount(); ++i) broken += check.brokenCount(i);
    }
    // Each page has a missing file, a name in another case and a missing anchor.
    if (broken != 3 * pages.size()) state.SkipWithError("the generated site's faults were not all found");
    state.counters["pages"] = static_cast<double>(pages.size());
    state.counters["broken"] = static_cast<double>(broken);
    state.counters["bytes_per_page"] = static_cast<double>(bytes) / static_cast<double>(pages.size());
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
    benchmark::RegisterBenchmark("BM_VisitTags", BM_VisitTags)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadTags/html5", BM_ReadTags, "html5")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckDocument", BM_CheckDocument, "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckDocument/html4", BM_CheckDocument, "html4")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CheckDocument/html5", BM_CheckDocument, "html5")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadPageLinks", BM_ReadPageLinks)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ResolveSiteLinks", BM_ResolveSiteLinks)
        ->Arg(1)
        ->Arg(2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_ListTags/all", BM_ListTags, "", "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListTags/A", BM_ListTags, "A", "html32")->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ListTags/all/html5", BM_ListTags, "", "html5")->Unit(benchmark::kMillisecond);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
