// What every fuzz target shares: the input handed to Document::load through a file that
// lives only in memory, and a way to stop with a message when a property breaks.
//
// The Document reads only from a path, so the bytes go into a memfd and the path is
// /proc/self/fd/N: the same open, fstat and read calls as a file on disk, without the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document.h"

// Stops the run with a message; libFuzzer keeps the input that got here.
[[noreturn]] inline void fuzzFailure(const char* what, const std::string& detail = std::string()) {
    fprintf(stderr, "fuzz property broken: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    abort();
}

#define FUZZ_REQUIRE(condition, detail)                      \
    do {                                                     \
        if (!(condition)) fuzzFailure(#condition, (detail)); \
    } while (0)

// One in-memory file for the whole run, rewritten for every input.
class MemoryFile {
public:
    static MemoryFile& instance() {
        static MemoryFile file;
        return file;
    }

    // Replaces the file's bytes with `data`.
    void write(const uint8_t* data, size_t size) {
        if (ftruncate(fd_, 0) != 0) fuzzFailure("ftruncate of the memory file");
        size_t done = 0;
        while (done < size) {
            ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) fuzzFailure("pwrite of the memory file");
            done += static_cast<size_t>(n);
        }
    }

    // The file's bytes as they are now, to show that nothing wrote to it.
    std::string contents() const {
        std::string bytes;
        char chunk[4096];
        for (off_t at = 0;;) {
            ssize_t n = pread(fd_, chunk, sizeof chunk, at);
            if (n < 0) fuzzFailure("pread of the memory file");
            if (n == 0) return bytes;
            bytes.append(chunk, static_cast<size_t>(n));
            at += n;
        }
    }

    int fd() const { return fd_; }
    const char* path() const { return path_; }

private:
    MemoryFile() {
        fd_ = memfd_create("tagvetter-fuzz", MFD_CLOEXEC);
        if (fd_ < 0) fuzzFailure("memfd_create");
        snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd_);
    }

    int fd_ = -1;
    char path_[32] = {};
};

// Loads `data` into `document` the way the program loads a file.
inline void loadFuzzedDocument(Document& document, const uint8_t* data, size_t size) {
    MemoryFile& file = MemoryFile::instance();
    file.write(data, size);
    if (!document.load(file.path())) fuzzFailure("Document::load of the memory file");
    FUZZ_REQUIRE(document.size == size, "size " + std::to_string(document.size));
    FUZZ_REQUIRE(document.end == document.text + size, "end");
    FUZZ_REQUIRE(document.text[size] == '\0' && document.text[size + 1] == '\0', "two zero bytes after the text");
    FUZZ_REQUIRE(size == 0 || memcmp(document.text, data, size) == 0, "text differs from the file");
}

// The number of line feeds in [from, to).
inline int32_t lineFeedsBetween(const char* from, const char* to) {
    int32_t count = 0;
    for (const char* p = from; p < to; ++p) count += *p == '\n';
    return count;
}

// True when `text` is a LineLabel: at least four decimal digits.
inline bool isLineLabel(const std::string& text) {
    if (text.size() < 4) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}
