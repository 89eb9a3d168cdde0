// The command line run in the test's own process, for comparing the window's answers with
// its answers on the same page.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "test_support.h"

struct CliOutput {
    std::vector<std::string> lines;
    std::string summary;  // standard error's last line
};

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        lines.push_back(text.substr(from, end - from));
        from = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

inline std::string readAll(FILE* f) {
    std::string text;
    if (!f) return text;
    rewind(f);
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    fclose(f);
    return text;
}

// "tagvetter WORDS... --no-config" in this process, its streams in files of the test's own
// folder (the C library's tmpfile wants the drive's root).
inline CliOutput runCli(std::vector<std::string> words) {
    static TempFolder streams("tagvetter-profile-streams");
    const std::string outPath = streams.path + "\\out.txt", errPath = streams.path + "\\err.txt";
    if (streams.files.empty()) streams.files = {outPath, errPath};  // removed with the folder
    words.insert(words.begin(), "tagvetter");
    words.push_back("--no-config");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    FILE* out = fopen(outPath.c_str(), "w+b");
    FILE* err = fopen(errPath.c_str(), "w+b");
    if (!out || !err) {
        ADD_FAILURE() << "the streams can't be made in " << streams.path;
        if (out) fclose(out);
        if (err) fclose(err);
        return {};
    }
    runTagvetter(static_cast<int>(argv.size()), argv.data(), out, err);
    const std::vector<std::string> errLines = splitLines(readAll(err));
    return {splitLines(readAll(out)), errLines.empty() ? std::string() : errLines.back()};
}

