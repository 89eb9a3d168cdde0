// The command line's dispatch on a fuzzed file: count, check (html32 and html5), tags,
// tag NAME with a fuzzed NAME, count of standard input, and a fuzzed command word. Each
// command's output must be exactly what the analysis gives through in-memory sinks, its
// exit status must follow from its result, and the file must hold the same bytes
// afterwards. The file given twice to two jobs must give its lines twice with its path in front, and the JSON
// format one object per problem, valid UTF-8 whatever the bytes.
//
// Input: NAME (libFuzzer's random-length string, up to 20 bytes), then the file.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli.h"
#include "document_check.h"
#include "fuzz_document.h"
#include "memory_lines.h"
#include "tag_census.h"
#include "tag_listing.h"

namespace {

struct Run {
    int status;
    std::string out;
    std::string err;
};

// Runs the command line in-process with both streams in memory.
Run runCommand(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    char* outBytes = nullptr;
    char* errBytes = nullptr;
    size_t outSize = 0, errSize = 0;
    FILE* out = open_memstream(&outBytes, &outSize);
    FILE* err = open_memstream(&errBytes, &errSize);
    if (!out || !err) fuzzFailure("open_memstream");
    Run run;
    run.status = runTagvetter(static_cast<int>(arguments.size()), argv.data(), out, err);
    fclose(out);
    fclose(err);
    run.out.assign(outBytes, outSize);
    run.err.assign(errBytes, errSize);
    free(outBytes);
    free(errBytes);
    return run;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

// The same command, counted from standard input: the file is put in its place.
Run runOnStandardInput(const std::vector<std::string>& arguments) {
    int saved = dup(STDIN_FILENO);
    int fd = MemoryFile::instance().fd();
    if (saved < 0 || lseek(fd, 0, SEEK_SET) != 0 || dup2(fd, STDIN_FILENO) < 0) fuzzFailure("standard input");
    Run run = runCommand(arguments);
    if (dup2(saved, STDIN_FILENO) < 0) fuzzFailure("standard input");
    close(saved);
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string name = provider.ConsumeRandomLengthString(20).c_str();
    std::vector<uint8_t> text = provider.ConsumeRemainingBytes<uint8_t>();
    MemoryFile& file = MemoryFile::instance();
    file.write(text.data(), text.size());
    const std::string path = file.path();
    const std::string before = file.contents();

    // What the commands must print, from the analysis itself.
    Document document;
    if (!document.load(path.c_str())) fuzzFailure("Document::load");
    MemoryResultList census, check, all, some;
    TagCensus table;
    if (!table.setUp()) fuzzFailure("census set-up");
    countTags(document, table, census, TagProfile::html32());
    checkLines(document, check, TagProfile::html32());
    const int longestOfAll = listTagLines(document, "", all, TagProfile::html32());
    // View one tag's rule: the name up to its first tab, one leading "/" dropped.
    std::string filter = name.substr(0, name.find('\t'));
    if (!filter.empty() && filter[0] == '/') filter.erase(0, 1);
    const int longestOfSome = listTagLines(document, filter.c_str(), some, TagProfile::html32());

    Run count = runCommand({"tagvetter", "count", path});
    FUZZ_REQUIRE(count.status == CliOk && count.out == joined(census.lines) && count.err == censusSummary(table.count) + "\n",
                 count.err);

    Run checked = runCommand({"tagvetter", "check", path});
    bool clean = check.lines.size() == 1 && check.lines[0] == "No errors found";
    FUZZ_REQUIRE(checked.status == (clean ? CliOk : CliProblemsFound) && checked.out == joined(check.lines) &&
                     checked.err.empty(),
                 checked.err);

    static const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    MemoryResultList modern;
    checkLines(document, modern, *html5);
    Run checkedModern = runCommand({"tagvetter", "check", "--profile", "html5", path});
    FUZZ_REQUIRE(checkedModern.out == joined(modern.lines) && checkedModern.err.empty(), checkedModern.err);

    Run tags = runCommand({"tagvetter", "tags", path});
    FUZZ_REQUIRE(tags.status == CliOk && tags.out == joined(all.lines) && tags.err == longestSummary(longestOfAll) + "\n",
                 tags.err);

    Run twice = runCommand({"tagvetter", "check", "-j2", path, path});
    std::string prefixed;
    for (const std::string& line : check.lines) prefixed += path + ":" + line + "\n";
    FUZZ_REQUIRE(twice.status == checked.status && twice.out == prefixed + prefixed, twice.err);

    Run json = runCommand({"tagvetter", "check", "--format=json", path});
    size_t objects = 0;
    for (size_t from = 0; from < json.out.size(); ++objects) {
        size_t end = json.out.find('\n', from);
        FUZZ_REQUIRE(end != std::string::npos, json.out);
        auto object = nlohmann::json::parse(json.out.substr(from, end - from), nullptr, false);
        FUZZ_REQUIRE(object.is_object() && object["path"] == path, json.out.substr(from, end - from));
        from = end + 1;
    }
    FUZZ_REQUIRE(objects == (clean ? 0 : check.lines.size()) && json.status == checked.status, json.out);

    // "--" so that a NAME that looks like an option is taken as the NAME.
    Run tag = runCommand({"tagvetter", "tag", "--", name, path});
    FUZZ_REQUIRE(tag.status == CliOk && tag.out == joined(some.lines) && tag.err == longestSummary(longestOfSome) + "\n",
                 name);

    Run piped = runOnStandardInput({"tagvetter", "count", "-"});
    FUZZ_REQUIRE(piped.status == CliOk && piped.out == count.out && piped.err == count.err, "count -");

    // Any other command word is a usage error that reads nothing.
    static const char* const Commands[] = {"count", "check", "tags", "tag", "known", "--help", "-h", "--version"};
    bool valid = false;
    for (const char* command : Commands) valid = valid || name == command;
    if (!valid) {
        Run other = runCommand({"tagvetter", name, path});
        FUZZ_REQUIRE(other.status == CliFailed && other.out.empty() && !other.err.empty(), name);
    }

    static bool knownListed = false;  // the reference does not depend on the input
    if (!knownListed) {
        Run known = runCommand({"tagvetter", "known"});
        FUZZ_REQUIRE(known.status == CliOk && std::count(known.out.begin(), known.out.end(), '\n') == 136, "known");
        knownListed = true;
    }

    FUZZ_REQUIRE(file.contents() == before, "the file was written");
    return 0;
}
