// Where the lines of a text begin, and the line and column of a byte offset in it. The
// readers differ in what ends a line and what a column counts, on purpose: the tag
// scanner and the link reader count line feeds and characters, as the command line shows
// places; an editor also ends lines at a lone carriage return and counts UTF-16 units or
// bytes. Both are parameters here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class LineBreaks : uint8_t {
    LineFeed,  // "\n" alone
    Any,       // "\n", "\r\n" or a lone "\r"
};

enum class ColumnUnit : uint8_t {
    Character,  // a well-formed UTF-8 character one, any other byte one
    Utf16,      // UTF-16 code units: a character beyond U+FFFF two
    Byte,
};

// A line and a column, both counted from 0.
struct LinePlace {
    size_t line = 0;
    size_t column = 0;
};

class LineIndex {
public:
    LineIndex(std::string_view text, LineBreaks breaks);

    // Indexes again the lines after line `line`, after a change of the text at or after
    // its start; the lines before it are kept.
    void reindexFrom(std::string_view text, size_t line);

    size_t lineCount() const { return lineStarts_.size(); }
    size_t lineStart(size_t line) const { return lineStarts_[line]; }
    size_t lineOf(size_t offset) const;
    // Where the text of line `line` ends, before its line break.
    size_t lineTextEnd(std::string_view text, size_t line) const;

    // The place of `offset`. A column counts the units before it on its line; in UTF-16
    // units an offset inside a character stands for the character's start, in characters
    // the bytes of a character cut by the offset count one each. The last place asked for
    // is kept, so that places asked in order along one long line cost one pass.
    LinePlace placeOf(std::string_view text, size_t offset, ColumnUnit unit) const {
        return placeOnLine(text, lineOf(offset), offset, unit);
    }
    // The same for an offset whose line is known.
    LinePlace placeOnLine(std::string_view text, size_t line, size_t offset, ColumnUnit unit) const;
    // The offset of column `column` of line `line`, never past the line's text; a column
    // inside a character stands for its start.
    size_t offsetOf(std::string_view text, size_t line, size_t column, ColumnUnit unit) const;

private:
    LineBreaks breaks_;
    std::vector<size_t> lineStarts_;  // never empty: the first line begins at 0
    mutable LinePlace lastPlace_;
    mutable size_t lastOffset_ = 0;
    mutable ColumnUnit lastUnit_ = ColumnUnit::Byte;
};

// The 1-based column of `p` in characters on the line that begins at `lineStart`.
int32_t columnOf(const char* lineStart, const char* p);

