#include "inputs.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "file_reader.h"
#include "text.h"

namespace fs = std::filesystem;

namespace {

bool isFolder(const std::string& path) {
    std::error_code ec;
    return path != StandardInputPath && fs::is_directory(path, ec);
}

void addFilesBelow(const fs::path& folder, std::vector<std::string>& found) {
    std::error_code ec;
    fs::directory_iterator entry(folder, ec);
    if (ec) {
        found.push_back(folder.string());
        return;
    }
    // An error while listing ends the iterator and is reported as the folder that can't be read.
    for (const fs::directory_iterator end; entry != end; entry.increment(ec)) {
        std::error_code statusError;
        const bool link = entry->is_symlink(statusError);
        if (entry->is_directory(statusError)) {
            if (!link) addFilesBelow(entry->path(), found);
        } else if (hasHtmlExtension(entry->path().filename().string())) {
            found.push_back(entry->path().string());
        }
    }
    if (ec) found.push_back(folder.string());
}

}  // namespace

bool pathBelowCurrent(const std::string& path, std::string& relative) {
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    if (ec) return false;
    const fs::path full = fs::absolute(fs::path(path), ec).lexically_normal();
    if (ec) return false;
    const fs::path below = full.lexically_relative(here.lexically_normal());
    if (below.empty() || below == "." ) return false;
    const std::string text = below.generic_string();
    if (text == ".." || text.compare(0, 3, "../") == 0) return false;
    relative = text;
    return true;
}

namespace {

// Reads LIST (or standard input) whole: one path a line, empty lines skipped.
bool readList(const std::string& list, std::vector<std::string>& paths) {
    FileBlock text;
    if (!(list == StandardInputPath ? readStandardInput(text) : readStreamToEnd(list.c_str(), text))) return false;
    const char* p = text.bytes;
    const char* end = text.bytes + text.size;
    while (p < end) {
        const char* lineEnd = std::find(p, end, '\n');
        const char* last = lineEnd;
#ifdef _WIN32
        if (last > p && last[-1] == '\r') --last;  // a list written with Windows line ends
#endif
        if (last > p) paths.emplace_back(p, last);
        p = lineEnd + 1;
    }
    free(text.bytes);
    return true;
}

void addOperand(const std::string& operand, std::vector<std::string>& paths) {
    if (!isFolder(operand)) {
        paths.push_back(operand);
        return;
    }
    std::vector<std::string> found = filesBelow(operand);
    paths.insert(paths.end(), found.begin(), found.end());
}

}  // namespace

bool hasHtmlExtension(const std::string& name) { return endsWithNoCase(name, ".htm") || endsWithNoCase(name, ".html"); }

std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> found;
    try {
        addFilesBelow(fs::path(folder), found);
    } catch (const std::exception&) {
        // A name the narrow path can't hold (on Windows): the folder can't be read whole.
        found.push_back(folder);
    }
    std::sort(found.begin(), found.end());
    return found;
}

Error cantOpen(const std::string& path) { return {path, "Can't open file: " + path}; }

InputList collectInputs(const std::vector<std::string>& operands, bool hasFilesFrom, const std::string& filesFrom) {
    InputList inputs;
    inputs.single = !hasFilesFrom && operands.size() == 1 && !isFolder(operands[0]);
    for (const std::string& operand : operands) addOperand(operand, inputs.paths);
    if (hasFilesFrom) {
        std::vector<std::string> listed;
        if (!readList(filesFrom, listed)) inputs.errors.push_back(cantOpen(filesFrom));
        for (const std::string& path : listed) addOperand(path, inputs.paths);
    }
    return inputs;
}
