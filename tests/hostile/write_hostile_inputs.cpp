// Writes the hostile documents to files, for the scripts that measure memory and run
// the command line under valgrind.
//
//   hostile_inputs FOLDER            every hostile document, as FOLDER/NAME.htm
//   hostile_inputs --page MB FILE    an ordinary page of MB megabytes
//   hostile_inputs --one-tag MB FILE a document that is one A tag of MB megabytes
//   hostile_inputs --sparse FILE     a sparse file of one gigabyte of NULs
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostile_inputs.h"

namespace {

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

int usage() {
    fputs("usage: hostile_inputs FOLDER | --page MB FILE | --one-tag MB FILE | --sparse FILE\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && (strcmp(argv[1], "--page") == 0 || strcmp(argv[1], "--one-tag") == 0)) {
        long megabytes = strtol(argv[2], nullptr, 10);
        if (megabytes <= 0) return usage();
        size_t bytes = static_cast<size_t>(megabytes) << 20;
        return writeFile(argv[3], argv[1][2] == 'p' ? generatedPage(bytes) : longAnchor(bytes) + "x</A>\n") ? 0 : 1;
    }
    if (argc == 3 && strcmp(argv[1], "--sparse") == 0) return makeSparseZeros(argv[2], 1ull << 30) ? 0 : 1;
    if (argc != 2 || argv[1][0] == '-') return usage();
    for (const HostileInput& input : hostileInputs()) {
        std::string path = std::string(argv[1]) + "/" + input.name + ".htm";
        if (!writeFile(path, input.bytes())) {
            fprintf(stderr, "hostile_inputs: can't write %s\n", path.c_str());
            return 1;
        }
        puts(path.c_str());
    }
    return 0;
}
