#include "text_document.h"

#include <algorithm>

namespace {

ColumnUnit unitOf(PositionEncoding encoding) {
    return encoding == PositionEncoding::Utf8 ? ColumnUnit::Byte : ColumnUnit::Utf16;
}

}  // namespace

TextDocument::TextDocument(std::string text) : text_(std::move(text)), lines_(text_, LineBreaks::Any) {}

void TextDocument::replaceAll(std::string text) {
    text_ = std::move(text);
    lines_ = LineIndex(text_, LineBreaks::Any);
}

void TextDocument::replace(EditorPosition from, EditorPosition to, const std::string& text, PositionEncoding encoding) {
    const size_t end = offsetOf(to, encoding);
    const size_t start = std::min(offsetOf(from, encoding), end);
    text_.replace(start, end - start, text);
    // A "\r" before the change may now pair with a "\n" it brings: start one line earlier.
    const size_t line = lines_.lineOf(start);
    lines_.reindexFrom(text_, line > 0 ? line - 1 : 0);
}

size_t TextDocument::offsetOf(EditorPosition position, PositionEncoding encoding) const {
    return lines_.offsetOf(text_, position.line, position.character, unitOf(encoding));
}

EditorPosition TextDocument::positionOf(size_t offset, PositionEncoding encoding) const {
    offset = std::min(offset, text_.size());
    const size_t line = lines_.lineOf(offset);
    // An offset inside a line end stands for the end of the line's text.
    offset = std::min(offset, lines_.lineTextEnd(text_, line));
    const LinePlace place = lines_.placeOnLine(text_, line, offset, unitOf(encoding));
    return {static_cast<uint32_t>(place.line), static_cast<uint32_t>(place.column)};
}
