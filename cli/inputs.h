// The list of files a run examines, from its FILEs, folders and --files-from LIST.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "error.h"

// The path that stands for standard input.
constexpr const char StandardInputPath[] = "-";

// The files to examine, in the order their output is written.
struct InputList {
    std::vector<std::string> paths;
    // True when the inputs are exactly one FILE (not a folder, no list): its output is
    // then written as the single-file commands always wrote it, with no path in front.
    bool single = false;
    // The failures met while collecting: a LIST that can't be read.
    Errors errors;
};

// True when `name` ends in ".htm" or ".html", in any letter case.
bool hasHtmlExtension(const std::string& name);

// Every file below `folder` whose name has an HTML extension, without following links
// to folders, in byte order of the paths. A folder below it that can't be listed is
// given as a path of its own, which then fails to open like any unreadable file.
std::vector<std::string> filesBelow(const std::string& folder);

// The operands in order, each folder replaced by the files below it, then the paths of
// `filesFrom` (when `hasFilesFrom`) treated alike. A LIST that can't be read is one of
// the errors.
InputList collectInputs(const std::vector<std::string>& operands, bool hasFilesFrom, const std::string& filesFrom);

// The path of `path` from the current folder, with "/" between folders, as a diff names
// it; false when it lies outside the current folder.
bool pathBelowCurrent(const std::string& path, std::string& relative);

// The message of a file, folder or LIST that can't be read.
Error cantOpen(const std::string& path);
