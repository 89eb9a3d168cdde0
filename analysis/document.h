// The one open HTML text, its scan cursor and line counter, the buffer that receives the
// text of one tag at a time, and the readers the analyses are built from.
//
// Conventions of this file: the text is single-byte and always followed by two zero bytes,
// so a scan may look one position past the first of them; every loop stops at a NUL. Only
// the line feed counts a line. Positions are plain pointers into the text or into tag text.
#pragma once

#include <array>
#include <cstdint>

#include "file_reader.h"

class Document {
public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Reads the file at `path` whole, releasing any text held before. False, with no text
    // held, when it can't be read.
    bool load(const char* path);
    // Reads the file at `path` into `buffer` and examines it there; the buffer must
    // outlive this text (until release or the next load).
    bool load(const char* path, TextBuffer& buffer);
    // The same for standard input.
    bool loadStandardInput();
    // Copies `byteCount` bytes from memory (an editor's buffer) into text of its own,
    // releasing any text held before. False, with no text held, when they are more than a
    // file read may be (LargestText) or there is no memory for them.
    bool loadText(const char* bytes, size_t byteCount);
    // Forgets the text.
    void release();
    bool isLoaded() const { return text != nullptr; }

    // Puts the cursor at the start, the line counter at 0 and a NUL at `end`.
    void resetScan();
    // With `cursor` on a "<", collects the tag into the TagBuffer and moves past it. Gives the tag's length: its characters from the "<" up to, not
    // including, the closing ">", carriage returns not counted.
    int collectTag();
    // With `cursor` on a "<" of a tag that collecting would leave as it is (no comment, and
    // no line break, tab, carriage return or NUL before its first ">"), moves past it and
    // gives the length collectTag would; else -1, nothing moved.
    int32_t passPlainTag();
    // Collects the text from `from` to `to`, a span of this text, into the TagBuffer, as
    // collectTag would collect it (line breaks, tabs and NULs as spaces,
    // carriage returns left out). Gives its length less one for a last ">" when
    // `endsWithGreaterThan`; the cursor stays.
    int collectText(const char* from, const char* to, bool endsWithGreaterThan);
    // Moves the cursor to the "<" of the next tag whose word is `closeName`, or to the
    // NUL that ends the text, counting the line feeds passed.
    void skipToClosingTag(const char* closeName);
    // The same for the close tag that matches an open tag `openName` already passed:
    // open tags of that name in between, unless they end in "/>", nest.
    void skipToMatchingClosingTag(const char* openName, const char* closeName);
    // Moves the cursor to the next "<" before `end`, counting line feeds when
    // `countingLines`; false when the text ends first (at `end` or at a NUL).
    bool advanceToTag(bool countingLines);

    char* text = nullptr;          // the bytes and two zero bytes; null while none is loaded
    char* cursor = nullptr;        // where the running scan stands
    char* end = nullptr;           // one past the last byte read
    uint32_t allocatedSize = 0;    // size + 2
    uint32_t size = 0;             // bytes read
    int32_t line = 0;              // 0-based line feeds passed by the running scan
    int32_t tagCapacity = 400;     // characters collectTag may store
    // The TagBuffer's bytes beyond its capacity: room for the terminating NUL, and some to spare.
    static constexpr int32_t TagBufferSpare = 20;
    char* tagBuffer = nullptr;     // the TagBuffer: tagCapacity + TagBufferSpare bytes
    // One past the TagBuffer's last byte: a read of a collected name's first sixteen may
    // reach that far, past the tag.
    const char* tagBufferEnd() const { return tagBuffer + tagCapacity + TagBufferSpare; }

private:
    bool ownsText_ = false;        // false while the text is a TextBuffer's

    void adopt(char* bytes, uint32_t byteCount, bool owned);
    bool growTagBuffer(int32_t length);
};

// Reads the word after the "<" at `lessThan` into `word` (at least `length` + 1 bytes):
// at most `length` characters, up to a ">", a space, a line break or the end. True when
// it opens a comment (the word then ends with "!-").
bool readTagWord(const char* lessThan, char* word, int length);
namespace detail {
// The bytes a tag's word ends at or looks at: NUL, ">", space, line breaks; and "-".
constexpr std::array<uint8_t, 256> tagWordStops() {
    std::array<uint8_t, 256> stops{};
    for (const char c : {'\0', '>', ' ', '\n', '\r'}) stops[static_cast<unsigned char>(c)] = 1;
    stops['-'] = 2;
    return stops;
}
inline constexpr std::array<uint8_t, 256> TagWordStops = tagWordStops();

// What ends the pieces of a collected tag's attribute: bit 1, the attribute (NUL, ">",
// space); bit 2, a quote; bit 4, its name (those, and "="); bit 8, a quoted value (NUL,
// ">", a quote).
constexpr std::array<uint8_t, 256> attributeStops() {
    std::array<uint8_t, 256> stops{};
    for (const char c : {'\0', '>'}) stops[static_cast<unsigned char>(c)] = 1 | 4 | 8;
    stops[' '] = 1 | 4;
    stops['"'] = 2 | 4 | 8;
    stops['='] = 4;
    return stops;
}
inline constexpr std::array<uint8_t, 256> AttributeStops = attributeStops();
inline uint8_t attributeStop(char c) { return AttributeStops[static_cast<unsigned char>(c)]; }
}  // namespace detail

// The length of the word readTagWord reads, which stands right after `lessThan`;
// `comment` is set as readTagWord's result. Inline, and one table look a byte: the
// census and the 1990s check read every tag's word through it.
inline int tagWordLength(const char* lessThan, int length, bool& comment) {
    const char* word = lessThan + 1;
    comment = false;
    int n = 0;
    while (n < length) {
        const uint8_t stop = detail::TagWordStops[static_cast<unsigned char>(word[n])];
        if (stop == 1) break;
        ++n;
        // The byte before the word is the "<" itself.
        if (stop == 2 && word[n - 2] == '!') {
            comment = true;
            break;
        }
    }
    return n;
}

// True when `text` begins with `name` (at most 79 characters), letter case ignored.
bool startsWithTagName(const char* text, const char* name);

// True when the tag at `lessThan` ends in "/>": its text up to the first ">".
bool tagSelfCloses(const char* lessThan);

// Reads one attribute name of collected tag text at `position` into `name` (at least
// `length` + 1 bytes): at most `length` characters. Gives where reading stopped.
const char* readAttributeName(const char* position, char* name, int length);
// Where readAttributeName would stop, without copying the name. Inline, as is
// attributeEnd: the 1990s check reads every attribute through them.
inline const char* attributeNameEnd(const char* position, int length) {
    const char* p = position;
    while (*p == ' ') ++p;
    for (const char* last = p + length; p < last && !(detail::attributeStop(*p) & 4);) ++p;
    return p;
}

// Gives where the attribute whose name stops at `position` ends: the space after it, the
// closing ">", or the NUL that ends a tag cut off by the end of the text.
inline const char* attributeEnd(const char* position) {
    const char* p = position;
    for (;;) {
        const uint8_t stop = detail::attributeStop(*p);
        if (stop & 1) return p;
        ++p;
        if (stop & 2) {
            // A quoted value: to its closing quote, or to where the tag ends without one.
            while (!(detail::attributeStop(*p) & 8)) ++p;
            if (*p != '"') return p;
            ++p;
        }
    }
}

// Copies up to `n` characters of `source`, stopping after a NUL it copied; gives the
// position after the last character written. Adds no NUL after n characters.
char* copyAtMost(char* destination, const char* source, int n);
