// Paths that name something other than a regular file or a folder: devices that never
// end, a FIFO that nobody writes to. Each must be refused at once as a file that can't be
// opened, never read forever nor waited on. Every command runs in a child process that
// is killed at its time bound, so a hang fails the test instead of stopping the suite.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <thread>

#include "run_cli.h"
#include "scratch_folder.h"

namespace {

struct ChildRun {
    bool ended = false;  // false: killed at the bound
    int status = -1;
    std::string err;
};

// Runs "tagvetter COMMAND PATH" in a child process, for at most `bound` seconds.
ChildRun runInChild(const std::string& command, const std::string& path, const ScratchFolder& folder,
                    double bound) {
    const std::string errPath = folder.path("err.txt");
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        const CliRun run = runCli({command, path});
        std::ofstream(errPath, std::ios::binary) << run.err;
        _exit(run.status);
    }
    ChildRun run;
    if (child < 0) return run;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(bound);
    int wstatus = 0;
    while (waitpid(child, &wstatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &wstatus, 0);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.ended = WIFEXITED(wstatus);
    run.status = run.ended ? WEXITSTATUS(wstatus) : -1;
    std::ifstream in(errPath, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

struct SpecialFile {
    const char* name;
    // Makes the special file in `folder` and gives its path; "" when this system can't.
    std::string (*make)(const ScratchFolder& folder);
};

const SpecialFile SpecialFiles[] = {
    {"fifo_without_writer", [](const ScratchFolder& folder) {
         std::string path = folder.path("fifo.htm");
         return mkfifo(path.c_str(), 0644) == 0 ? path : std::string();
     }},
    {"endless_device", [](const ScratchFolder&) {
         return access("/dev/zero", R_OK) == 0 ? std::string("/dev/zero") : std::string();
     }},
    {"empty_device", [](const ScratchFolder&) {
         return access("/dev/null", R_OK) == 0 ? std::string("/dev/null") : std::string();
     }},
};

void PrintTo(const SpecialFile& file, std::ostream* os) { *os << file.name; }

class SpecialFileTest : public testing::TestWithParam<SpecialFile> {};

TEST_P(SpecialFileTest, IsRefusedAtOnceByEveryCommand) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.root().empty());
    const std::string path = GetParam().make(folder);
    if (path.empty()) GTEST_SKIP() << "this system can't make a " << GetParam().name;
    for (const char* command : {"count", "check", "tags"}) {
        ChildRun run = runInChild(command, path, folder, 5);
        ASSERT_TRUE(run.ended) << command << " on " << GetParam().name << " did not end within 5 s";
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, "tagvetter: Can't open file: " + path + "\n") << command;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, SpecialFileTest, testing::ValuesIn(SpecialFiles),
                         [](const testing::TestParamInfo<SpecialFile>& test) { return std::string(test.param.name); });

}  // namespace
