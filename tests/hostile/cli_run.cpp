#include "cli_run.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cli.h"

namespace {

std::string readBack(FILE* stream) {
    std::string text;
    rewind(stream);
    char chunk[1 << 16];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, stream)) > 0) text.append(chunk, n);
    return text;
}

std::string shown(const std::string& line) {
    std::string text = line.size() > 120 ? line.substr(0, 120) + "... (" + std::to_string(line.size()) + " bytes)" : line;
    std::string visible;
    for (unsigned char c : text) {
        if (c == '\t') {
            visible += "\\t";
        } else if (c < 32 || c >= 127) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            visible += hex;
        } else {
            visible += static_cast<char>(c);
        }
    }
    return "\"" + visible + "\"";
}

}  // namespace

CliResult runCli(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"tagvetter"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);

    CliResult result;
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    if (!out || !err) {
        if (out) fclose(out);
        if (err) fclose(err);
        result.err = "no temporary file for the output";
        return result;
    }
    auto start = std::chrono::steady_clock::now();
    result.status = runTagvetter(static_cast<int>(words.size()), argv.data(), out, err);
    fflush(out);
    fflush(err);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.out = readBack(out);
    result.err = readBack(err);
    fclose(out);
    fclose(err);
    return result;
}

ScratchFolder::ScratchFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tagvetter-hostile-XXXXXX";
    if (mkdtemp(&pattern[0])) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            // A test may have made a folder of its own in here.
            if (name != "." && name != ".." && unlink(pathOf(name).c_str()) != 0) rmdir(pathOf(name).c_str());
        }
        closedir(dir);
    }
    rmdir(path_.c_str());
}

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) {
    if (path_.empty()) return std::string();
    std::string path = pathOf(name);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return std::string();
    bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    written = fclose(f) == 0 && written;
    return written ? path : std::string();
}

FileState fileState(const std::string& path, bool withBytes) {
    FileState state;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return state;
    state.exists = true;
    state.size = st.st_size;
    state.blocks = st.st_blocks;
    state.modifiedSeconds = st.st_mtim.tv_sec;
    state.modifiedNanoseconds = st.st_mtim.tv_nsec;
    if (withBytes) {
        if (FILE* f = fopen(path.c_str(), "rb")) {
            state.bytes = readBack(f);
            fclose(f);
        }
    }
    return state;
}

std::string firstDifference(const std::string& expected, const std::string& actual) {
    if (expected == actual) return std::string();
    size_t line = 0, from = 0;
    for (;;) {
        size_t expectedEnd = expected.find('\n', from);
        size_t actualEnd = actual.find('\n', from);
        std::string e = from <= expected.size() ? expected.substr(from, expectedEnd - from) : std::string();
        std::string a = from <= actual.size() ? actual.substr(from, actualEnd - from) : std::string();
        if (e != a || expectedEnd != actualEnd || expectedEnd == std::string::npos) {
            return "line " + std::to_string(line + 1) + ": expected " + shown(e) + ", got " + shown(a) + " (" +
                   std::to_string(std::count(expected.begin(), expected.end(), '\n')) + " lines expected, " +
                   std::to_string(std::count(actual.begin(), actual.end(), '\n')) + " given)";
        }
        from = expectedEnd + 1;
        ++line;
    }
}
