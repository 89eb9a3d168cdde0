// The standard-output text of one examined file.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "line_output.h"

// Kept until the run writes it out in input order; or, when `stream` is set (a run of
// one file), written there in large pieces as it grows, so that a large listing is
// never held whole.
class OutputText {
public:
    void add(const char* bytes, size_t length) {
        text.append(bytes, length);
        if (stream && text.size() >= SpillSize) spill();
    }
    void add(const char* line) { add(line, strlen(line)); }
    void add(const std::string& bytes) { add(bytes.data(), bytes.size()); }
    void add(char c) { add(&c, 1); }
    // Hands what is held to `stream` and forgets it.
    void spill() {
        stream->add(text);
        text.clear();
    }

    std::string text;
    LineOutput* stream = nullptr;

private:
    static constexpr size_t SpillSize = 1 << 16;
};
