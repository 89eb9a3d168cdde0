#include "document.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "byte_scan.h"
#include "text.h"

namespace {

constexpr int32_t InitialTagCapacity = 400;
// Moves `cursor` to the next "<" or NUL (the text ends in one at `end`), adding the line
// feeds passed to `line`.
void scanToLessThan(char*& cursor, const char* end, const char* floor, int32_t& line) {
    cursor = const_cast<char*>(byte_scan::lessThanOrNul(cursor, end, floor, line));
}

// The words a skip compares with a close tag's name: one character past the name tells a
// longer word from it, and never fewer than the 18 of the 1990s tag reader.
constexpr int TagWordLength = 18;
constexpr int LongestSkipWord = 96;
int skipWordLength(const char* closeName) {
    return std::min(LongestSkipWord, std::max(TagWordLength, static_cast<int>(strlen(closeName)) + 1));
}

}  // namespace

Document::Document() {
    tagBuffer = static_cast<char*>(calloc(InitialTagCapacity + TagBufferSpare, 1));
    tagCapacity = tagBuffer ? InitialTagCapacity : 0;
}

Document::~Document() {
    release();
    free(tagBuffer);
}

void Document::adopt(char* bytes, uint32_t byteCount, bool owned) {
    text = bytes;
    size = byteCount;
    allocatedSize = byteCount + 2;
    cursor = text;
    end = text + size;
    ownsText_ = owned;
}

bool Document::load(const char* path) {
    release();
    FileBlock block;
    if (!readWholeFile(path, block)) return false;
    adopt(block.bytes, block.size, true);
    return true;
}

bool Document::load(const char* path, TextBuffer& buffer) {
    release();
    if (!buffer.readFile(path)) return false;
    adopt(buffer.bytes(), buffer.size(), false);
    return true;
}

bool Document::loadStandardInput() {
    release();
    FileBlock block;
    if (!readStandardInput(block)) return false;
    adopt(block.bytes, block.size, true);
    return true;
}

bool Document::loadText(const char* bytes, size_t byteCount) {
    release();
    if (byteCount > LargestText) return false;
    char* copy = static_cast<char*>(calloc(byteCount + 2, 1));
    if (!copy) return false;
    if (byteCount > 0) memcpy(copy, bytes, byteCount);
    adopt(copy, static_cast<uint32_t>(byteCount), true);
    return true;
}

void Document::release() {
    if (ownsText_) free(text);
    ownsText_ = false;
    text = cursor = end = nullptr;
    size = allocatedSize = 0;
}

void Document::resetScan() {
    cursor = text;
    line = 0;
    *end = '\0';
}

bool Document::advanceToTag(bool countingLines) {
    byte_scan::prefetchAhead(cursor);
    if (countingLines) {
        scanToLessThan(cursor, end, text, line);
    } else {
        cursor = const_cast<char*>(byte_scan::lessThanOrNul(cursor, end, text));
    }
    return *cursor == '<' && cursor < end;
}

bool Document::growTagBuffer(int32_t length) {
    if (length > INT32_MAX - 10 - TagBufferSpare) return false;
    int32_t capacity = length + 10;
    size_t oldBytes = tagBuffer ? static_cast<size_t>(tagCapacity) + TagBufferSpare : 0;
    size_t newBytes = static_cast<size_t>(capacity) + TagBufferSpare;
    char* grown = static_cast<char*>(realloc(tagBuffer, newBytes));
    if (!grown) return false;
    memset(grown + oldBytes, 0, newBytes - oldBytes);
    tagBuffer = grown;
    tagCapacity = capacity;
    return true;
}

int32_t Document::passPlainTag() {
    // A comment ends at "->", not at its first ">".
    if (cursor[1] == '!' && cursor[2] == '-') return -1;
    const size_t run = byte_scan::plainBytes(cursor, end);
    if (cursor[run] != '>' || run > static_cast<size_t>(INT32_MAX)) return -1;
    cursor += run + 1;
    return static_cast<int32_t>(run);
}

int Document::collectTag() {
    char* const start = cursor;
    const int32_t startLine = line;
    const bool comment = start[1] == '!' && start[2] == '-';
    for (;;) {
        char* write = tagBuffer;
        int32_t n = 0;
        bool overflow = false;
        for (;;) {
            // Plain bytes go straight across while there is room for them.
            if (n < tagCapacity) {
                const size_t run = byte_scan::plainBytes(cursor, cursor + std::min<ptrdiff_t>(tagCapacity - n, end - cursor));
                memcpy(write, cursor, run);
                write += run;
                cursor += run;
                n += static_cast<int32_t>(run);
            }
            char c = *cursor;
            if (c == '\0') break;
            if (c == '\r') {
                ++cursor;
                continue;
            }
            if (c == '\n') {
                ++line;
                c = ' ';
            } else if (c == '\t') {
                c = ' ';
            }
            if (n < tagCapacity) {
                *write++ = c;
            } else {
                overflow = true;
            }
            if (c == '>' && (!comment || cursor[-1] == '-')) break;
            ++cursor;
            ++n;
        }
        ++cursor;
        *write = '\0';
        // When the buffer can't grow the tag stays cut at the capacity; the scan goes on.
        if (!overflow || !growTagBuffer(n)) return n;
        cursor = start;
        line = startLine;
    }
}

int Document::collectText(const char* from, const char* to, bool endsWithGreaterThan) {
    const size_t span = static_cast<size_t>(to - from);
    if (span > static_cast<size_t>(INT32_MAX - 64)) return 0;
    const int32_t needed = static_cast<int32_t>(span);
    // The span and a NUL must fit; when the buffer can't grow the
    // tag is not collected.
    if (static_cast<int64_t>(needed) + 1 > static_cast<int64_t>(tagCapacity) + TagBufferSpare && !growTagBuffer(needed))
        return 0;
    char* write = tagBuffer;
    for (const char* p = from; p < to; ++p) {
        char c = *p;
        if (c == '\r') continue;
        if (c == '\n' || c == '\t' || c == '\0') c = ' ';
        *write++ = c;
    }
    *write = '\0';
    const int n = static_cast<int>(write - tagBuffer);
    return endsWithGreaterThan && n > 0 ? n - 1 : n;
}

void Document::skipToClosingTag(const char* closeName) {
    char word[LongestSkipWord + 1];
    const int length = skipWordLength(closeName);
    for (;;) {
        scanToLessThan(cursor, end, text, line);
        if (*cursor == '\0') return;
        readTagWord(cursor, word, length);
        if (equalNoCase(word, closeName)) return;
        ++cursor;
    }
}

void Document::skipToMatchingClosingTag(const char* openName, const char* closeName) {
    char word[LongestSkipWord + 1];
    const int length = skipWordLength(closeName);
    for (int depth = 1;;) {
        scanToLessThan(cursor, end, text, line);
        if (*cursor == '\0') return;
        readTagWord(cursor, word, length);
        if (equalNoCase(word, closeName) && --depth == 0) return;
        if (equalNoCase(word, openName) && !tagSelfCloses(cursor)) ++depth;
        ++cursor;
    }
}

bool readTagWord(const char* lessThan, char* word, int length) {
    bool comment = false;
    const int n = tagWordLength(lessThan, length, comment);
    memcpy(word, lessThan + 1, static_cast<size_t>(n));
    word[n] = '\0';
    return comment;
}

bool startsWithTagName(const char* text, const char* name) {
    // Most words differ in their first letter; a printable one settles it at once.
    const unsigned char first = static_cast<unsigned char>(text[0]);
    if (first >= 0x20 && first <= 0x7E && upperAscii(first) != upperAscii(static_cast<unsigned char>(name[0])))
        return false;
    char copy[80];
    int k = static_cast<int>(strlen(name));
    if (k >= static_cast<int>(sizeof copy)) return false;
    copyAtMost(copy, text, k);
    copy[k] = '\0';
    return equalNoCase(copy, name);
}

bool tagSelfCloses(const char* lessThan) {
    const char* close = strchr(lessThan, '>');
    return close && close - lessThan > 1 && close[-1] == '/';
}

const char* readAttributeName(const char* position, char* name, int length) {
    const char* from = position;
    while (*from == ' ') ++from;
    const char* stop = attributeNameEnd(from, length);
    memcpy(name, from, static_cast<size_t>(stop - from));
    name[stop - from] = '\0';
    return stop;
}

char* copyAtMost(char* destination, const char* source, int n) {
    for (int i = 0; i < n; ++i) {
        destination[i] = source[i];
        if (source[i] == '\0') return destination + i + 1;
    }
    return destination + n;
}
