// A folder of the test's own under the system's temporary folder, removed with everything
// in it at the end.
#pragma once

#include <filesystem>
#include <string>

class ScratchFolder {
public:
    // `prefix` starts the folder's name; a test may want a space or a length in it.
    explicit ScratchFolder(const std::string& prefix = "tagvetter-");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& root() const { return root_; }
    // The path of `relative` in the folder; the folder itself when it is empty.
    std::string path(const std::filesystem::path& relative = {}) const;
    // Writes exactly `bytes` to `relative`, its folders made as needed; gives its path, or ""
    // when it can't.
    std::string write(const std::filesystem::path& relative, const std::string& bytes) const;
    // Makes the folder `relative` and those above it; gives its path.
    std::string makeFolder(const std::filesystem::path& relative) const;

private:
    std::filesystem::path root_;
};
