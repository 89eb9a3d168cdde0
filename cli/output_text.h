// The standard-output text of one examined file, and the result lines of the analyses
// written into a sink.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "byte_sink.h"
#include "line_output.h"
#include "result_lines.h"

// Kept until the run writes it out in input order; or, when `stream` is set (a run of
// one file), written there in large pieces as it grows, so that a large listing is
// never held whole.
class OutputText final : public ByteSink {
public:
    // False once `stream` has failed.
    bool write(const char* bytes, size_t length) override {
        text.append(bytes, length);
        return !stream || text.size() < SpillSize || spill();
    }
    // Hands what is held to `stream` and forgets it.
    bool spill() {
        const bool written = stream->add(text);
        text.clear();
        return written;
    }

    std::string text;
    LineOutput* stream = nullptr;

private:
    static constexpr size_t SpillSize = 1 << 16;
};

// Writes each result line, with "PATH:" in front when asked, and a line feed.
class SinkLines : public ResultList {
public:
    explicit SinkLines(ByteSink& out, std::string prefix = std::string()) : prefix_(std::move(prefix)), out_(out) {}
    void append(const char* line) override { appendLine(line, strlen(line)); }
    void appendLine(const char* line, size_t length) override {
        if (!prefix_.empty()) out_.add(prefix_);
        out_.write(line, length);
        out_.add('\n');
    }

private:
    std::string prefix_;
    ByteSink& out_;
};
