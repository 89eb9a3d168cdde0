// Reading a whole file into one block, over the platform's own file calls.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest text read. Line counts and tag lengths are signed 32-bit, and a tag's
// buffer is its length plus 30 bytes, so the text stays clear of 2^31 bytes; the 32-bit
// Windows program could not hold more anyway.
constexpr uint64_t LargestText = INT32_MAX - 64;

// A file's bytes followed by two zero bytes, in one block from calloc.
struct FileBlock {
    char* bytes = nullptr;
    uint32_t size = 0;  // bytes read, not counting the two zero bytes
};

// Reads the file at `path` whole, with no sharing and without ever writing to it. Gives
// false, holding nothing, when the file can't be opened, is not a regular file, is too
// large for a 32-bit size plus the two zero bytes, or can't be read in full.
bool readWholeFile(const char* path, FileBlock& block);

// Reads standard input to its end into one block, with the same limits.
bool readStandardInput(FileBlock& block);

// Reads the file, pipe or device at `path` to its end into one block, with the same
// limits, waiting for a pipe's writer as a reader of a pipe does: for a list of paths,
// which may well come from another program.
bool readStreamToEnd(const char* path, FileBlock& block);

// A block that files are read into one after another, for a program that reads many
// files or large ones. It is kept from one file to the next, so its pages are faulted in
// once; a large block is asked for in huge pages and populated in one call, since a
// fault per page costs more than the read itself on some machines. The file's bytes are
// copied in, never mapped: a file that shrinks or grows while it is read gives the bytes
// read, never a fault.
class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Reads the file at `path` whole, followed by two zero bytes, with the limits and the
    // care of readWholeFile, except that other readers may have it open meanwhile. False
    // when it can't; the bytes held before are then gone.
    bool readFile(const char* path);

    char* bytes() const { return bytes_; }
    uint32_t size() const { return size_; }

private:
    bool reserve(uint64_t bytes);
    void releaseBlock();

    char* bytes_ = nullptr;
    size_t capacity_ = 0;
    uint32_t size_ = 0;
};
