// The one-line progress indicator of a run over many files, on standard error.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

// Shows "tagvetter: N of M files" once a run has lasted about a second, and only when
// the error stream is a terminal; redrawn at most ten times a second, and erased before
// other text is written to either stream and at the end.
class Progress {
public:
    // `out`: the output stream, flushed before the line is drawn so its text comes first.
    Progress(FILE* err, FILE* out, size_t total);
    ~Progress() { hide(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `done` files are written out; draws the line when it is time.
    void update(size_t done);
    // Erases the line if it is shown and writing to `stream` would run into it.
    void clearFor(FILE* stream);
    // Erases the line if it is shown.
    void hide();

private:
    using Clock = std::chrono::steady_clock;

    FILE* err_;
    FILE* out_;
    size_t total_;
    bool enabled_;
    bool outIsTerminal_;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
    size_t done_ = 0;
    int shownLength_ = 0;  // characters of the line on the terminal; 0 when none is shown
};

// True when `stream` is a terminal.
bool isTerminal(FILE* stream);
