// One document open in the editor: its UTF-8 bytes, where each line begins, and the
// conversion between byte offsets and the editor's positions (line, character), in the
// unit agreed with the client. A line ends at "\n", "\r\n" or "\r", as editors count them.
// A byte that doesn't begin a well-formed UTF-8 character counts as one character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "line_index.h"

// What a position's character counts.
enum class PositionEncoding : uint8_t {
    Utf16,  // UTF-16 code units: a character beyond U+FFFF counts two
    Utf8,   // bytes
};

struct EditorPosition {
    uint32_t line = 0;
    uint32_t character = 0;
};

class TextDocument {
public:
    explicit TextDocument(std::string text = std::string());

    const std::string& text() const { return text_; }
    size_t lineCount() const { return lines_.lineCount(); }

    void replaceAll(std::string text);
    // Replaces the text between two positions with `text`. Positions past a line's end
    // stand for its end, lines past the last for the end of the text; a start after the
    // end is taken as the end.
    void replace(EditorPosition from, EditorPosition to, const std::string& text, PositionEncoding encoding);

    // The byte offset of `position`, placed as replace places it. A position inside a
    // character (between the two units of a UTF-16 pair) stands for the character's start.
    size_t offsetOf(EditorPosition position, PositionEncoding encoding) const;
    // The position of the byte offset `offset` (at most the text's size); an offset
    // inside a line end stands for the end of the line's text, and in UTF-16 units one
    // inside a character for the character's start.
    EditorPosition positionOf(size_t offset, PositionEncoding encoding) const;
    // The byte offset where line `line` begins.
    size_t lineStart(size_t line) const { return lines_.lineStart(line); }

private:
    std::string text_;
    LineIndex lines_;
};
