#include "run_cli.h"

#include <chrono>
#include <cstdio>

#include "cli.h"
#include "scratch_folder.h"

namespace {

std::string readBack(FILE* stream) {
    std::string text;
    rewind(stream);
    char chunk[1 << 16];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, stream)) > 0) text.append(chunk, n);
    fclose(stream);
    return text;
}

}  // namespace

CliRun runCli(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"tagvetter"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);

    CliRun run;
    const ScratchFolder streams("tagvetter-streams-");
    FILE* out = streams.root().empty() ? nullptr : fopen(streams.path("out").c_str(), "w+b");
    FILE* err = streams.root().empty() ? nullptr : fopen(streams.path("err").c_str(), "w+b");
    if (!out || !err) {
        if (out) fclose(out);
        if (err) fclose(err);
        run.err = "no files for the command's streams";
        return run;
    }
    const auto start = std::chrono::steady_clock::now();
    run.status = runTagvetter(static_cast<int>(words.size()), argv.data(), out, err);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.out = readBack(out);
    run.err = readBack(err);
    return run;
}

std::vector<std::string> outputLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t from = 0; from < text.size();) {
        const size_t end = text.find('\n', from);
        lines.push_back(text.substr(from, end - from));
        from = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}
