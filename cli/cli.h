// The tagvetter command line, callable in-process so that tests can run it whole.
#pragma once

#include <cstdio>

// Exit codes.
enum CliStatus {
    CliOk = 0,            // the command ran (check: and found nothing)
    CliProblemsFound = 1, // check reported problems
    CliFailed = 2,        // usage error, or a file that can't be read
};

// Runs one command: the result lines go to `out` one per line, the summaries and
// messages to `err`. A FILE of "-" is read from standard input.
int runTagvetter(int argc, char** argv, FILE* out, FILE* err);
