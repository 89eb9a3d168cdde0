// Small documents written to temporary files, loaded the way the program loads them.
#pragma once

#include <cstdio>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <string>
#include <vector>

#include "document.h"
#include "result_lines.h"

// A file that holds the given bytes while the object lives.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) {
#ifdef _WIN32
        path_ = std::string(tmpnam(nullptr));
#else
        char pattern[] = "/tmp/tagvetter-test-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        path_ = pattern;
#endif
        FILE* f = fopen(path_.c_str(), "wb");
        if (f) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
    }
    ~TempFile() { remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

// A document loaded from the given bytes.
class LoadedDocument {
public:
    explicit LoadedDocument(const std::string& bytes) : file_(bytes) { loaded = document.load(file_.path()); }
    Document document;
    bool loaded = false;

private:
    TempFile file_;
};

using Lines = std::vector<std::string>;
