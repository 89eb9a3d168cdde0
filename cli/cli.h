// The tagvetter command line, callable in-process so that tests can run it whole.
#pragma once

#include <cstdio>

// Exit codes.
enum CliStatus {
    CliOk = 0,            // the command ran (check: and found nothing)
    CliProblemsFound = 1, // check reported problems
    CliFailed = 2,        // usage error, or a file that can't be read
};

// How a command ended; its exit status is decided from it, by exitStatus alone.
struct CommandEnd {
    // Misused, something that can't be read or is wrong, or output that can't be written.
    bool failed = false;
    // check or links found problems.
    bool problemsFound = false;
    // The language server ended without the client's shutdown and exit.
    bool serverLeftEarly = false;
};

int exitStatus(const CommandEnd& end);

// Runs one command: the result lines go to `out` one per line, the summaries and
// messages to `err`. A FILE of "-" is read from standard input. Gives the exit status.
int runTagvetter(int argc, char** argv, FILE* out, FILE* err);
