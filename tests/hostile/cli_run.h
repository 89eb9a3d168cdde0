// Running the tagvetter command line in-process on files in a scratch folder, and
// showing that a run left its file as it was.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

// What one command gave.
struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs "tagvetter ARGUMENTS..." with both streams in temporary files.
CliResult runCli(const std::vector<std::string>& arguments);

// A folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes `bytes` to NAME in the folder and gives its path ("" when it can't).
    std::string write(const std::string& name, const std::string& bytes);
    std::string pathOf(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

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
