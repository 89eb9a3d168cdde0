// Every input kept in tests/regressions through every command: files that end right at
// the edge of what the reader may look at (a "<", a comment opener, an open quote, a
// carriage return as the last byte), and any input a fuzz target ever found breaking a
// command. Each must end within its bound, with an exit status and output of the forms
// the command promises, and leave its file as it was. New files are picked up without a
// rebuild.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run_checks.h"
#include "run_cli.h"
#include "scratch_folder.h"

namespace {

std::vector<std::string> regressionFiles() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(TAGVETTER_REGRESSIONS_DIR)) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name[0] != '.') names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitLines(const std::string& text) {
    EXPECT_TRUE(text.empty() || text.back() == '\n') << "output does not end with a line feed";
    return outputLines(text);
}

bool isLabelled(const std::string& line) {
    size_t space = line.find("  ");
    if (space == std::string::npos || space < 4) return false;
    return line.find_first_not_of("0123456789") == space;
}

void expectListing(const CliRun& r, const std::string& what) {
    EXPECT_EQ(r.status, 0) << what;
    EXPECT_EQ(r.err.rfind("Longest: ", 0), 0u) << what << ": " << r.err;
    for (const std::string& line : splitLines(r.out)) {
        EXPECT_TRUE(isLabelled(line) && line[line.find("  ") + 2] == '<') << what << ": " << line;
        EXPECT_EQ(line.find_first_of("\t\r"), std::string::npos) << what << ": " << line;
    }
}

class RegressionInput : public testing::TestWithParam<std::string> {};

TEST_P(RegressionInput, RunsThroughEveryCommand) {
    ScratchFolder folder;
    const std::string bytes = readFile(std::string(TAGVETTER_REGRESSIONS_DIR) + "/" + GetParam());
    const std::string path = folder.write(GetParam(), bytes);
    ASSERT_FALSE(path.empty());
    const FileState before = fileState(path, true);
    const double bound = 10;

    CliRun count = runCli({"count", path});
    EXPECT_EQ(count.status, 0);
    std::vector<std::string> census = splitLines(count.out);
    EXPECT_EQ(count.err, std::to_string(census.size()) + " different tags\n");
    for (const std::string& line : census) EXPECT_GE(std::count(line.begin(), line.end(), '\t'), 2) << line;

    CliRun check = runCli({"check", path});
    EXPECT_EQ(check.status, check.out == "No errors found\n" ? 0 : 1) << check.out;
    EXPECT_TRUE(check.err.empty()) << check.err;
    for (const std::string& line : splitLines(check.out)) {
        bool endLine = line.find("\tUnbalanced tags (") != std::string::npos || line == "No errors found";
        EXPECT_TRUE(endLine || isLabelled(line)) << line;
    }

    CliRun tags = runCli({"tags", path});
    expectListing(tags, "tags");
    std::vector<CliRun> runs = {count, check, tags};
    // View one tag with the name of every census line, as a user would pick it.
    for (const std::string& line : census) {
        std::string name = line.substr(0, line.find('\t'));
        CliRun tag = runCli({"tag", name, path});
        expectListing(tag, "tag " + name);
        EXPECT_EQ(tag.err, tags.err) << name;
        runs.push_back(tag);
    }
    for (const CliRun& r : runs) EXPECT_LT(r.seconds, bound);
    EXPECT_TRUE(fileState(path, true) == before) << "a command changed the file";
}

INSTANTIATE_TEST_SUITE_P(Kept, RegressionInput, testing::ValuesIn(regressionFiles()),
                         [](const testing::TestParamInfo<std::string>& test) {
                             std::string name = test.param;
                             for (char& c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RegressionInput);

}  // namespace
