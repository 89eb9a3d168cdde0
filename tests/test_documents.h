// Small documents written to temporary files, loaded the way the program loads them.
#pragma once

#include <string>
#include <vector>

#include "document.h"
#include "memory_lines.h"
#include "scratch_folder.h"

// A file that holds the given bytes while the object lives.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) : path_(folder_.write("file", bytes)) {}
    const char* path() const { return path_.c_str(); }

private:
    ScratchFolder folder_;
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
