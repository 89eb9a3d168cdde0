// tagvetter: the command-line front end of the tag analysis.
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
#endif
    static char buffer[1 << 16];
    setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    int status = runTagvetter(argc, argv, stdout, stderr);
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fputs("tagvetter: can't write the output\n", stderr);
        return CliFailed;
    }
    return status;
}
