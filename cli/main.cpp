// tagvetter: the command-line front end of the tag analysis.
#include <csignal>
#include <cstdio>

#include "cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The lines are the document's bytes: no line-end translation either way.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
#else
    // A reader that goes away is a write that fails, reported and ended on, not a signal
    // that ends the program without a word.
    signal(SIGPIPE, SIG_IGN);
#endif
    // The run gathers whole lines itself and writes them in large pieces; a buffer here
    // would only split them again.
    setvbuf(stdout, nullptr, _IONBF, 0);
    // The run writes through its own output, which says when a write fails.
    return runTagvetter(argc, argv, stdout, stderr);
}
