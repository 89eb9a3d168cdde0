#include "scratch_folder.h"

#include <chrono>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& prefix) {
    std::error_code ec;
    const fs::path temporary = fs::temp_directory_path(ec);
    if (ec) return;
    std::random_device random;
    // Tests of several programs run at once: a name already taken is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        const fs::path candidate =
            fs::absolute(temporary / (prefix + std::to_string(now % 1000000) + "-" + std::to_string(random())), ec)
                .lexically_normal();
        if (!ec && fs::create_directories(candidate, ec)) {
            root_ = candidate;
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
}

std::string ScratchFolder::path(const fs::path& relative) const {
    return (relative.empty() ? root_ : root_ / relative).string();
}

std::string ScratchFolder::write(const fs::path& relative, const std::string& bytes) const {
    if (root_.empty()) return std::string();
    const fs::path file = root_ / relative;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? file.string() : std::string();
}

std::string ScratchFolder::makeFolder(const fs::path& relative) const {
    std::error_code ignored;
    fs::create_directories(root_ / relative, ignored);
    return path(relative);
}
