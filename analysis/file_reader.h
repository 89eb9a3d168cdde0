// Reading a whole file into one block, over the platform's own file calls.
#pragma once

#include <cstdint>

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
