// What shows that a run did right: its file left as it was, its output as expected.
#pragma once

#include <sys/stat.h>

#include <string>

// What can show that a file was written: its size, blocks, modification time and, when
// asked for, its bytes.
struct FileState {
    bool exists = false;
    off_t size = 0;
    blkcnt_t blocks = 0;
    long long modifiedSeconds = 0;
    long long modifiedNanoseconds = 0;
    std::string bytes;

    bool operator==(const FileState& other) const {
        return exists == other.exists && size == other.size && blocks == other.blocks &&
               modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds &&
               bytes == other.bytes;
    }
    bool operator!=(const FileState& other) const { return !(*this == other); }
};

FileState fileState(const std::string& path, bool withBytes);

// Empty when `actual` equals `expected`; otherwise where they first differ, by line, with
// both lines cut to a readable length.
std::string firstDifference(const std::string& expected, const std::string& actual);
