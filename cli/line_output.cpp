#include "line_output.h"

#include <cstring>

namespace {

// Lines are written in pieces of at least this size, each ending at a line end.
constexpr size_t PieceSize = 1 << 16;

// One past the last line feed of `bytes`, or 0 when there is none.
size_t wholeLines(const char* bytes, size_t length) {
    for (size_t i = length; i > 0; --i) {
        if (bytes[i - 1] == '\n') return i;
    }
    return 0;
}

}  // namespace

LineOutput::LineOutput(FILE* stream, bool immediate) : stream_(stream), immediate_(immediate) {}

bool LineOutput::write(const char* bytes, size_t length) {
    if (failed()) return false;
    if (pending_.empty() && (immediate_ || length >= PieceSize)) {
        // A large piece goes out from where it is, not copied first.
        const size_t whole = wholeLines(bytes, length);
        writeOut(bytes, whole);
        if (!failed()) pending_.assign(bytes + whole, length - whole);
        return !failed();
    }
    pending_.append(bytes, length);
    if (!immediate_ && pending_.size() < PieceSize) return true;
    const size_t whole = wholeLines(pending_.data(), pending_.size());
    writeOut(pending_.data(), whole);
    pending_.erase(0, whole);
    return !failed();
}

void LineOutput::flush() {
    writeOut(pending_.data(), pending_.size());
    pending_.clear();
    if (!failed() && (fflush(stream_) != 0 || ferror(stream_))) failed_.store(true, std::memory_order_relaxed);
}

void LineOutput::writeOut(const char* bytes, size_t length) {
    if (length == 0 || failed()) return;
    if (fwrite(bytes, 1, length, stream_) != length || ferror(stream_)) {
        failed_.store(true, std::memory_order_relaxed);
        pending_.clear();
    }
}
