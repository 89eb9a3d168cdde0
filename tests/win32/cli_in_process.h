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

// "tagvetter WORDS... --no-config" in this process, as lines.
inline CliOutput cliOutput(std::vector<std::string> words) {
    words.push_back("--no-config");
    const CliRun run = runCli(words);
    const std::vector<std::string> errLines = outputLines(run.err);
    return {outputLines(run.out), errLines.empty() ? std::string() : errLines.back()};
}
