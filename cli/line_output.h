// The standard output of a run, written in whole lines only: a reader (a CI job parsing
// JSON, a pipe closed early) never sees half a line, and once a write fails nothing more
// is written and the run can stop.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "byte_sink.h"

class LineOutput final : public ByteSink {
public:
    // With `immediate` (a terminal, where a person watches) each line goes out as it is
    // added; otherwise lines are gathered into large writes. `stream` should be unbuffered
    // (the program's standard output is), so that a write that fails is known at once.
    LineOutput(FILE* stream, bool immediate);
    ~LineOutput() { flush(); }
    LineOutput(const LineOutput&) = delete;
    LineOutput& operator=(const LineOutput&) = delete;

    // Adds bytes; what ends in a line feed is written once enough has gathered. False
    // once a write has failed.
    bool write(const char* bytes, size_t length) override;
    // Writes every whole line gathered (a last unfinished line too, at the end of a run).
    void flush();
    // True once a write has failed: nothing is written after it.
    bool failed() const { return failed_.load(std::memory_order_relaxed); }
    FILE* stream() const { return stream_; }

private:
    void writeOut(const char* bytes, size_t length);

    FILE* stream_;
    bool immediate_;
    std::string pending_;
    std::atomic<bool> failed_{false};
};
