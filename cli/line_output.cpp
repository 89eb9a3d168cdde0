#include "line_output.h"

namespace {

// Lines are written in pieces of about this size, each ending at a line end.
constexpr size_t PieceSize = 1 << 16;

}  // namespace

LineOutput::LineOutput(FILE* stream, bool immediate) : stream_(stream), immediate_(immediate) {}

void LineOutput::add(const char* bytes, size_t length) {
    if (failed()) return;
    pending_.append(bytes, length);
    if (!immediate_ && pending_.size() < PieceSize) return;
    const size_t lastLineEnd = pending_.rfind('\n');
    if (lastLineEnd != std::string::npos) write(lastLineEnd + 1);
}

void LineOutput::flush() {
    if (!pending_.empty() && !failed()) write(pending_.size());
    if (!failed() && (fflush(stream_) != 0 || ferror(stream_))) failed_.store(true, std::memory_order_relaxed);
}

void LineOutput::write(size_t length) {
    if (fwrite(pending_.data(), 1, length, stream_) != length || ferror(stream_)) {
        failed_.store(true, std::memory_order_relaxed);
        pending_.clear();
        return;
    }
    pending_.erase(0, length);
}
