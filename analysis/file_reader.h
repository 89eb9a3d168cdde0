// Reading a whole file into one block, over the platform's own file calls.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

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
// once. A large file (LargestCopied bytes or more) is mapped instead, privately and
// writably, where the platform can: its pages are already in the page cache, and a fresh
// block as large costs more to fault in than the read itself on some machines. A mapped
// file that is cut short while it is read reads as zeros past the cut, never a fault, and
// the buffer says so (intact); a file read by copy gives the bytes read.
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

    char* bytes() const { return text_; }
    uint32_t size() const { return size_; }
    // False when the file now held was cut short after it was mapped, so that its text
    // is not what the file held: it must not be reported on.
    bool intact() const;

    // The smallest file that is mapped rather than copied.
    static constexpr uint64_t LargestCopied = 1 << 20;

private:
    bool reserve(uint64_t bytes);
    void releaseBlock();
    bool mapFile(int fd, uint64_t size);
    void unmap();

    char* bytes_ = nullptr;  // the block files are copied into
    size_t capacity_ = 0;
    char* text_ = nullptr;   // the text held: the block, or the mapping
    uint32_t size_ = 0;
    char* mapped_ = nullptr;  // the mapping of a large file, with its zero bytes after it
    size_t mappedLength_ = 0;
    int watch_ = -1;          // its place among the mappings watched for a cut
    // Reads a byte of each page of the mapping, ahead of the reader: on some machines a
    // page's first read in a process costs microseconds whatever the kernel has mapped,
    // and that wait is then another processor's. Stopped before the mapping goes.
    std::thread toucher_;
    std::atomic<bool> stopTouching_{false};
};
