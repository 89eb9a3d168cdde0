#include "text_document.h"

#include <algorithm>
#include <cstring>

#include "text.h"

namespace {

// The units of the character at `offset` of `text` and its length in bytes.
size_t characterAt(const std::string& text, size_t offset, PositionEncoding encoding, size_t& units) {
    const size_t length = utf8CharacterLength(reinterpret_cast<const unsigned char*>(text.data()) + offset,
                                              text.size() - offset);
    if (length == 0) {
        units = 1;
        return 1;
    }
    units = encoding == PositionEncoding::Utf8 ? length : (length == 4 ? 2 : 1);
    return length;
}

}  // namespace

TextDocument::TextDocument(std::string text) : text_(std::move(text)), lineStarts_{0} { indexLinesFrom(0); }

void TextDocument::replaceAll(std::string text) {
    text_ = std::move(text);
    lineStarts_.assign(1, 0);
    indexLinesFrom(0);
}

void TextDocument::replace(EditorPosition from, EditorPosition to, const std::string& text, PositionEncoding encoding) {
    const size_t end = offsetOf(to, encoding);
    const size_t start = std::min(offsetOf(from, encoding), end);
    text_.replace(start, end - start, text);
    // A "\r" before the change may now pair with a "\n" it brings: start one line earlier.
    const size_t line = lineOf(start);
    indexLinesFrom(line > 0 ? line - 1 : 0);
}

void TextDocument::indexLinesFrom(size_t line) {
    lineStarts_.resize(line + 1);
    const char* const text = text_.data();
    const size_t size = text_.size();
    for (size_t i = lineStarts_.back(); i < size;) {
        // Most lines end in "\n": look for it fast, then for a lone "\r" before it.
        const void* found = memchr(text + i, '\n', size - i);
        const size_t feed = found ? static_cast<size_t>(static_cast<const char*>(found) - text) : size;
        const void* carriage = memchr(text + i, '\r', feed - i);
        if (carriage) {
            size_t next = static_cast<size_t>(static_cast<const char*>(carriage) - text) + 1;
            if (next < size && text[next] == '\n') ++next;
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

size_t TextDocument::lineOf(size_t offset) const {
    return static_cast<size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset) -
                               lineStarts_.begin()) - 1;
}

size_t TextDocument::lineTextEnd(size_t line) const {
    size_t end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] : text_.size();
    if (end > lineStarts_[line] && text_[end - 1] == '\n') --end;
    if (end > lineStarts_[line] && text_[end - 1] == '\r') --end;
    return end;
}

size_t TextDocument::offsetOf(EditorPosition position, PositionEncoding encoding) const {
    if (position.line >= lineStarts_.size()) return text_.size();
    const size_t start = lineStarts_[position.line];
    const size_t end = lineTextEnd(position.line);
    if (encoding == PositionEncoding::Utf8) return std::min(start + position.character, end);
    size_t offset = start, counted = 0;
    while (offset < end) {
        size_t units;
        const size_t length = characterAt(text_, offset, encoding, units);
        if (counted + units > position.character) break;
        counted += units;
        offset += length;
    }
    return std::min(offset, end);
}

EditorPosition TextDocument::positionOf(size_t offset, PositionEncoding encoding) const {
    offset = std::min(offset, text_.size());
    const size_t line = lineOf(offset);
    const size_t start = lineStarts_[line];
    offset = std::min(offset, lineTextEnd(line));
    EditorPosition position;
    position.line = static_cast<uint32_t>(line);
    if (encoding == PositionEncoding::Utf8) {
        position.character = static_cast<uint32_t>(offset - start);
        return position;
    }
    size_t at = start, counted = 0;
    while (at < offset) {
        // ASCII is a unit a byte: taken eight bytes at a time where it can be.
        if (offset - at >= 8) {
            uint64_t eight;
            memcpy(&eight, text_.data() + at, 8);
            if ((eight & 0x8080808080808080) == 0) {
                counted += 8;
                at += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(text_[at]) < 0x80) {
            ++counted;
            ++at;
            continue;
        }
        size_t units;
        const size_t length = characterAt(text_, at, encoding, units);
        if (at + length > offset) break;
        counted += units;
        at += length;
    }
    position.character = static_cast<uint32_t>(counted);
    return position;
}
