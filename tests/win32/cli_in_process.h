// The command line run in the test's own process, for comparing the window's answers with
// its answers on the same page.
#pragma once

#include <string>
#include <vector>

#include "run_cli.h"

struct CliOutput {
    std::vector<std::string> lines;
    std::string summary;  // standard error's last line
};

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        lines.push_back(text.substr(from, end - from));
        from = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// "tagvetter WORDS... --no-config" in this process, as lines.
inline CliOutput cliOutput(std::vector<std::string> words) {
    words.push_back("--no-config");
    const CliRun run = runCli(words);
    const std::vector<std::string> errLines = splitLines(run.err);
    return {splitLines(run.out), errLines.empty() ? std::string() : errLines.back()};
}
