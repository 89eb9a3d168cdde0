#include "progress.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr std::chrono::milliseconds ShowAfter(1000);
constexpr std::chrono::milliseconds RedrawEvery(100);

}  // namespace

bool isTerminal(FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

Progress::Progress(FILE* err, FILE* out, size_t total)
    : err_(err), out_(out), total_(total), enabled_(total > 1 && isTerminal(err)),
      outIsTerminal_(isTerminal(out)),
      start_(Clock::now()) {}

void Progress::update(size_t done) {
    done_ = done;
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < ShowAfter || now - lastDrawn_ < RedrawEvery) return;
    fflush(out_);
    // Written over the previous line, padded to its length; no terminal escapes, which
    // not every console understands.
    int length = fprintf(err_, "\rtagvetter: %zu of %zu files", done_, total_);
    if (length > 0) {
        --length;  // the carriage return takes no room
        if (length < shownLength_) fprintf(err_, "%*s", shownLength_ - length, "");
        if (length > shownLength_) shownLength_ = length;
    }
    fflush(err_);
    lastDrawn_ = now;
}

void Progress::clearFor(FILE* stream) {
    if (stream == err_ || outIsTerminal_) hide();
}

void Progress::hide() {
    if (shownLength_ == 0) return;
    fprintf(err_, "\r%*s\r", shownLength_, "");
    fflush(err_);
    shownLength_ = 0;
}
