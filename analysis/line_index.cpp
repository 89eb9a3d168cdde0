#include "line_index.h"

#include <algorithm>
#include <cstring>

#include "text.h"

namespace {

// The units from `from` to `to`, a character cut by `to` counted as placeOf tells;
// `textEnd` is where the text ends.
size_t unitsBetween(const char* from, const char* to, const char* textEnd, ColumnUnit unit) {
    if (unit == ColumnUnit::Byte) return static_cast<size_t>(to - from);
    auto s = reinterpret_cast<const unsigned char*>(from);
    const auto stop = reinterpret_cast<const unsigned char*>(to);
    size_t counted = 0;
    while (s < stop) {
        // ASCII is a unit a byte: taken eight bytes at a time where it can be.
        if (stop - s >= 8) {
            uint64_t eight;
            memcpy(&eight, s, 8);
            if ((eight & 0x8080808080808080) == 0) {
                counted += 8;
                s += 8;
                continue;
            }
        }
        if (*s < 0x80) {
            ++counted;
            ++s;
            continue;
        }
        const size_t available = static_cast<size_t>((unit == ColumnUnit::Character ? to : textEnd) - from) -
                                 static_cast<size_t>(s - reinterpret_cast<const unsigned char*>(from));
        const size_t length = utf8CharacterLength(s, available);
        if (length == 0) {
            ++counted;
            ++s;
            continue;
        }
        if (s + length > stop) break;
        counted += unit == ColumnUnit::Utf16 && length == 4 ? 2 : 1;
        s += length;
    }
    return counted;
}

}  // namespace

int32_t columnOf(const char* lineStart, const char* p) {
    return static_cast<int32_t>(unitsBetween(lineStart, p, p, ColumnUnit::Character)) + 1;
}

LineIndex::LineIndex(std::string_view text, LineBreaks breaks) : breaks_(breaks), lineStarts_{0} {
    reindexFrom(text, 0);
}

void LineIndex::reindexFrom(std::string_view text, size_t line) {
    lineStarts_.resize(line + 1);
    lastPlace_ = LinePlace();
    lastOffset_ = 0;
    const char* const data = text.data();
    const size_t size = text.size();
    // Counted first, so that a long text's index is made without moving it as it grows.
    const size_t from = std::min(lineStarts_.back(), size);
    lineStarts_.reserve(lineStarts_.size() + static_cast<size_t>(std::count(data + from, data + size, '\n')) + 1);
    for (size_t i = lineStarts_.back(); i < size;) {
        // Most lines end in "\n": look for it fast, then for a lone "\r" before it.
        const void* found = memchr(data + i, '\n', size - i);
        const size_t feed = found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
        const void* carriage = breaks_ == LineBreaks::Any ? memchr(data + i, '\r', feed - i) : nullptr;
        if (carriage) {
            size_t next = static_cast<size_t>(static_cast<const char*>(carriage) - data) + 1;
            if (next < size && data[next] == '\n') ++next;
            lineStarts_.push_back(next);
            i = next;
        } else if (found) {
            lineStarts_.push_back(feed + 1);
            i = feed + 1;
        } else {
            break;
        }
    }
}

size_t LineIndex::lineOf(size_t offset) const {
    return static_cast<size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset) -
                               lineStarts_.begin()) - 1;
}

size_t LineIndex::lineTextEnd(std::string_view text, size_t line) const {
    const size_t start = lineStarts_[line];
    size_t end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] : text.size();
    if (end > start && text[end - 1] == '\n') --end;
    if (breaks_ == LineBreaks::Any && end > start && text[end - 1] == '\r') --end;
    return end;
}

LinePlace LineIndex::placeOnLine(std::string_view text, size_t line, size_t offset, ColumnUnit unit) const {
    size_t from = lineStarts_[line];
    size_t column = 0;
    // Counting may go on from the last place when a character ended there: after an ASCII
    // byte one always has.
    if (unit == lastUnit_ && lastPlace_.line == line && lastOffset_ <= offset && lastOffset_ > from &&
        static_cast<unsigned char>(text[lastOffset_ - 1]) < 0x80) {
        from = lastOffset_;
        column = lastPlace_.column;
    }
    column += unitsBetween(text.data() + from, text.data() + offset, text.data() + text.size(), unit);
    lastPlace_ = {line, column};
    lastOffset_ = offset;
    lastUnit_ = unit;
    return lastPlace_;
}

size_t LineIndex::offsetOf(std::string_view text, size_t line, size_t column, ColumnUnit unit) const {
    if (line >= lineStarts_.size()) return text.size();
    const size_t start = lineStarts_[line];
    const size_t end = lineTextEnd(text, line);
    if (unit == ColumnUnit::Byte) return std::min(start + column, end);
    size_t offset = start, counted = 0;
    while (offset < end) {
        const size_t length =
            utf8CharacterLength(reinterpret_cast<const unsigned char*>(text.data()) + offset, text.size() - offset);
        const size_t units = length == 0 || unit == ColumnUnit::Character ? 1 : length == 4 ? 2 : 1;
        if (counted + units > column) break;
        counted += units;
        offset += length == 0 ? 1 : length;
    }
    return std::min(offset, end);
}
