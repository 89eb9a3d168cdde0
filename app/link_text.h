// The text and path operations of link following, free of any window system so that
// they can be tested anywhere.
#pragma once

#include <cstddef>

// Sizes of the buffers link following works in.
constexpr size_t LinkLineSize = 264;  // a listed line (at most 258 characters), then the joined path
constexpr size_t LinkNameSize = 100;  // the link's file name

// The first place in `text` where the non-empty `pattern` occurs, byte for byte, or null.
char* findText(char* text, const char* pattern);

// Copies the part of `path` after its last '/', ':' or '\' into `out` (at most n - 1
// characters and a NUL); a separator that is the path's first character is kept. Gives
// the position in `path` where the copy stopped.
const char* fileNamePart(const char* path, char* out, size_t n);

// Ends `path` right after its last separator at the second character or later, or makes
// it empty when it has none there.
void cutToDirectory(char* path);

// The extension of `path`: from its last '.' to the end, unless a '\' or ':' comes after
// it. Gives the end of the path for no extension, and null for an empty path or one that
// ends in '\' or ':'. A '/' is an ordinary character here.
const char* findExtension(const char* path);

enum class LinkTarget {
    None,     // the line links to no .htm or .html file: nothing happens
    Joined,   // `joined` names the linked file in the document's folder
    TooLong,  // the joined path does not fit: `joined` holds as much of it as fits
};

// Reads the value of the first "href" in the listed tag's text, letter case ignored, and
// joins its file name to the folder of `documentPath`, into `joined` of LinkLineSize bytes.
LinkTarget linkedFilePath(const char* tagText, const char* documentPath, char* joined);
// The same for the target of a broken link.
LinkTarget targetFilePath(const char* target, const char* documentPath, char* joined);
