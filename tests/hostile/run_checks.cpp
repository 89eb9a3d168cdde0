#include "run_checks.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

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
        std::ifstream in(path, std::ios::binary);
        state.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
