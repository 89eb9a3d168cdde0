#include "cli.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "document.h"
#include "document_check.h"
#include "file_reader.h"
#include "inputs.h"
#include "jobs.h"
#include "known_tag_reference.h"
#include "output_formats.h"
#include "output_text.h"
#include "progress.h"
#include "tag_census.h"
#include "tag_listing.h"
#include "tag_profile.h"

namespace {

const char Version[] = "tagvetter " TAGVETTER_VERSION "\n";

// Writes each line as appended, followed by a line feed.
class StreamResultList : public ResultList {
public:
    explicit StreamResultList(FILE* out) : out_(out) {}
    void empty() override {}
    void append(const char* line) override {
        fputs(line, out_);
        putc('\n', out_);
        ++count_;
    }
    int count() const override { return count_; }
    int selectedLine() const override { return -1; }
    // The lines are streamed out, not kept.
    std::string lineText(int) const override { return std::string(); }

private:
    FILE* out_;
    int count_ = 0;
};

// The listing's summary is made by the run from every file's longest tag.
class IgnoredPanes : public StatusPanes {
public:
    void setText(int, const char*) override {}
};

int usageError(FILE* err, const std::string& problem) {
    fprintf(err, "tagvetter: %s\nTry 'tagvetter --help'.\n", problem.c_str());
    return CliFailed;
}

// Makes the profile the arguments name, with the user's known tags. Null, with every
// fault of the known tags written to `err` as FILE:LINE: what is wrong, when it can't be
// had.
std::unique_ptr<TagProfile> makeProfile(const Arguments& arguments, FILE* err) {
    std::unique_ptr<TagProfile> profile = TagProfile::make(arguments.profile);
    if (!profile) {
        fprintf(err, "tagvetter: the %s profile can't be made\n", arguments.profile.c_str());
        return nullptr;
    }
    std::vector<std::string> errors;
    for (const std::string& path : arguments.knownFiles) {
        FileBlock block;
        if (!readWholeFile(path.c_str(), block)) {
            fprintf(err, "tagvetter: Can't open file: %s\n", path.c_str());
            return nullptr;
        }
        profile->addKnownTags(block.bytes, block.size, path, errors);
        free(block.bytes);
    }
    for (const std::string& error : errors) fprintf(err, "%s\n", error.c_str());
    if (!errors.empty()) return nullptr;
    return profile;
}

// "1 file", "2 files".
std::string counted(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What one job keeps from file to file: the document and the block its text is read into.
// Each on cache lines of its own: the scan moves the document's cursor all the time, and
// two jobs writing one line would pass it to and fro between their cores.
struct alignas(64) Worker {
    Document document;
    TextBuffer buffer;
};

// What examining one file gave.
struct FileResult {
    bool opened = false;
    OutputText out;
    int32_t problems = 0;
    int longest = 0;
    std::unique_ptr<TagCensus> census;
};

class Run {
public:
    Run(const Arguments& arguments, const TagProfile& profile, const InputList& inputs, FILE* out, FILE* err)
        : arguments_(arguments), profile_(profile), inputs_(inputs), out_(out), err_(err),
          withPath_(!inputs.single), progress_(err, out, inputs.paths.size()) {}

    int execute();

private:
    void examine(Worker& worker, const std::string& path, FileResult& result);
    void deliver(const std::string& path, FileResult& result);
    void writeSummary();

    const Arguments& arguments_;
    const TagProfile& profile_;
    const InputList& inputs_;
    FILE* out_;
    FILE* err_;
    const bool withPath_;
    Progress progress_;

    TagCensus total_;
    std::vector<std::string> unreadable_;
    long long examined_ = 0;
    long long filesWithProblems_ = 0;
    long long problems_ = 0;
    int longest_ = 0;
    bool sarifResultWritten_ = false;
};

void Run::examine(Worker& worker, const std::string& path, FileResult& result) {
    result.out.text.clear();
    result.problems = 0;
    result.longest = 0;
    Document& document = worker.document;
    result.opened = path == StandardInputPath ? document.loadStandardInput()
                                              : document.load(path.c_str(), worker.buffer);
    if (!result.opened) return;

    const std::string& command = arguments_.command;
    if (command == "count") {
        if (!result.census) {
            result.census.reset(new TagCensus);
            result.census->setUp();
        }
        recordDocumentTags(document, *result.census, profile_);
    } else if (command == "check") {
        ProblemWriter writer(arguments_.format, path, withPath_, result.out, profile_);
        result.problems = checkDocument(document, writer, profile_);
        writer.finish(result.problems);
    } else {
        OutputLines lines(path, withPath_, result.out);
        IgnoredPanes panes;
        const std::string filter = command == "tag" ? tagFilterOfLine(arguments_.name) : std::string();
        result.longest = listTags(document, filter.c_str(), lines, panes, profile_);
    }
    document.release();
}

void Run::deliver(const std::string& path, FileResult& result) {
    if (!result.opened) {
        progress_.clearFor(err_);
        fprintf(err_, "tagvetter: Can't open file: %s\n", path.c_str());
        unreadable_.push_back(path);
        return;
    }
    ++examined_;
    const std::string& text = result.out.text;
    if (!text.empty()) {
        progress_.clearFor(out_);
        if (arguments_.format == OutputFormat::Sarif && sarifResultWritten_) fputs(SarifResultSeparator, out_);
        sarifResultWritten_ = true;
        fwrite(text.data(), 1, text.size(), out_);
    }
    if (result.census) addCensus(total_, *result.census);
    problems_ += result.problems;
    filesWithProblems_ += result.problems > 0 ? 1 : 0;
    longest_ = std::max(longest_, result.longest);
}

void Run::writeSummary() {
    const std::string& command = arguments_.command;
    const std::string files = withPath_ ? " in " + counted(examined_, "file", "files") : std::string();
    if (command == "count") {
        StreamResultList lines(out_);
        listCensus(total_, lines, profile_);
        fprintf(err_, "%d different tags%s\n", total_.count, files.c_str());
    } else if (command == "check") {
        if (arguments_.format == OutputFormat::Sarif) fputs(sarifLogEnd(unreadable_).c_str(), out_);
        if (withPath_) {
            fprintf(err_, "%s examined, %lld with problems, %s\n", counted(examined_, "file", "files").c_str(),
                    filesWithProblems_, counted(problems_, "problem", "problems").c_str());
        }
    } else {
        fprintf(err_, "Longest: %d%s\n", longest_, files.c_str());
    }
}

int Run::execute() {
    if (arguments_.command == "count" && !total_.setUp()) {
        fputs("tagvetter: not enough memory for the tag census\n", err_);
        return CliFailed;
    }
    const std::vector<std::string>& paths = inputs_.paths;
    const int jobs = std::max(1, std::min(arguments_.jobs > 0 ? arguments_.jobs : jobsForCores(),
                                          static_cast<int>(std::min<size_t>(paths.size(), 1024))));
    std::vector<Worker> workers(static_cast<size_t>(jobs));
    if (arguments_.format == OutputFormat::Sarif) fputs(sarifLogStart(profile_).c_str(), out_);

    examineInOrder<FileResult>(
        paths.size(), jobs,
        [&](int worker, size_t index, FileResult& result) {
            // One file alone is written as it is made, never held whole.
            if (inputs_.single) result.out.stream = out_;
            examine(workers[static_cast<size_t>(worker)], paths[index], result);
        },
        [&](size_t index, FileResult& result) {
            deliver(paths[index], result);
            progress_.update(index + 1);
        },
        [&] { progress_.update(static_cast<size_t>(examined_) + unreadable_.size()); });
    progress_.hide();

    // A LIST that can't be read is a failure of the run like a file's, in the SARIF log too.
    if (!inputs_.listRead) unreadable_.push_back(arguments_.filesFrom);
    // One file that can't be read gives its message alone, as it always did; a SARIF log
    // is still ended, so that it stays one valid log.
    if (inputs_.single && !unreadable_.empty()) {
        if (arguments_.command == "check" && arguments_.format == OutputFormat::Sarif)
            fputs(sarifLogEnd(unreadable_).c_str(), out_);
        return CliFailed;
    }
    writeSummary();
    if (!unreadable_.empty()) return CliFailed;
    return arguments_.command == "check" && problems_ > 0 ? CliProblemsFound : CliOk;
}

}  // namespace

int runTagvetter(int argc, char** argv, FILE* out, FILE* err) {
    Arguments arguments;
    std::string problem;
    switch (parseArguments(argc, argv, arguments, problem)) {
        case ParseResult::Help:
            fputs(UsageText, out);
            return CliOk;
        case ParseResult::Version:
            fputs(Version, out);
            return CliOk;
        case ParseResult::Misuse:
            return usageError(err, problem);
        case ParseResult::Run:
            break;
    }

    // The known tags are read, and any fault in them reported, before any page is.
    const std::unique_ptr<TagProfile> profile = makeProfile(arguments, err);
    if (!profile) return CliFailed;

    if (arguments.command == "known") {
        StreamResultList list(out);
        if (!listKnownTags(list, *profile)) {
            fputs("tagvetter: not enough memory for the known-tag reference\n", err);
            return CliFailed;
        }
        return CliOk;
    }

    const InputList inputs = collectInputs(arguments.operands, arguments.hasFilesFrom, arguments.filesFrom, err);
    Run run(arguments, *profile, inputs, out, err);
    return run.execute();
}
