// The tagvetter command line run in the test's own process.
#pragma once

#include <string>
#include <vector>

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;  // the command's own time
};

// Runs "tagvetter ARGUMENTS..." with both streams caught in files of a scratch folder (the
// C library's tmpfile wants the drive's root under Wine).
CliRun runCli(const std::vector<std::string>& arguments);

// The lines of a command's output, without their line feeds.
std::vector<std::string> outputLines(const std::string& text);
