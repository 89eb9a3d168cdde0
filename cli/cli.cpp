#include "cli.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "document.h"
#include "file_reader.h"
#include "inputs.h"
#include "jobs.h"
#include "language_server.h"
#include "link_check.h"
#include "output_text.h"
#include "page_fix.h"
#include "page_links.h"
#include "printer.h"
#include "progress.h"
#include "result_lines.h"
#include "run_settings.h"
#include "tag_profile.h"
#include "unified_diff.h"

namespace {

const char Version[] = "tagvetter " TAGVETTER_VERSION "\n";

CommandEnd usageError(FILE* err, const std::string& problem) {
    fprintf(err, "tagvetter: %s\nTry 'tagvetter --help'.\n", problem.c_str());
    return {true};
}

// Ends a command whose output could not be written, saying so.
CommandEnd outputFailed(FILE* err) {
    fputs("tagvetter: can't write the output\n", err);
    return {true};
}

// What a run found, for its summary and its printer's end.
struct RunSummary {
    long long examined = 0;
    long long filesWithProblems = 0;
    long long problems = 0;
    long long failing = 0;  // the problems that make the exit status 1
    long long fixes = 0;    // fix: the problems mended
    // Every failure, in the order the run met them.
    Errors errors;
};

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
    PageLinkPacker links;  // links: the room each page's links are read into
};

// What examining one file gave.
struct FileResult {
    std::optional<Error> error;           // the file could not be examined
    const TagProfile* profile = nullptr;  // the one the page was read with
    OutputText out;
    int32_t problems = 0;
    int32_t failing = 0;
    int longest = 0;
    std::unique_ptr<TagCensus> census;
    PageLinkBlock links;
    int32_t fixes = 0;
    std::string left;  // fix: the problems it didn't mend, for standard error
};

class Run {
public:
    // `diffPaths`: for fix, each input's path as its diff names it.
    Run(const Arguments& arguments, const RunSettings& settings, const InputList& inputs, LineOutput& out,
        FILE* err, std::vector<std::string> diffPaths = {})
        : arguments_(arguments), settings_(settings), inputs_(inputs), out_(out), err_(err),
          diffPaths_(std::move(diffPaths)),
          withPath_(!inputs.single), progress_(err, out.stream(), inputs.paths.size()),
          printer_(makePrinter(arguments.format, arguments.command == Command::Links
                                                     ? linkSarifRules()
                                                     : sarifRulesOf(settings.profiles()))) {}

    CommandEnd execute();

private:
    void examine(Worker& worker, size_t index, FileResult& result);
    void deliver(const std::string& path, FileResult& result);
    void fail(const Error& error);
    // Checks the links of the pages delivered and writes each page's broken ones.
    void reportLinks();
    std::string summary() const;

    const Arguments& arguments_;
    const RunSettings& settings_;
    const InputList& inputs_;
    LineOutput& out_;
    FILE* err_;
    const std::vector<std::string> diffPaths_;
    const std::unique_ptr<Printer> leftPrinter_ = makeGnuPrinter();  // fix: what is left, as check --format gnu
    const bool withPath_;
    Progress progress_;
    const std::unique_ptr<Printer> printer_;  // the one place the format is chosen

    TagCensus total_;
    std::unique_ptr<LinkCheck> links_;
    int jobs_ = 1;
    RunSummary summary_;
    int longest_ = 0;
    const TagProfile* censusProfile_ = nullptr;  // the first page's: it describes the census
};

void Run::examine(Worker& worker, size_t index, FileResult& result) {
    result.out.text.clear();
    result.problems = 0;
    result.failing = 0;
    result.longest = 0;
    result.error.reset();
    result.fixes = 0;
    result.left.clear();
    // Once the output can't be written, what is left is not worth reading.
    if (out_.failed()) return;
    const std::string& path = inputs_.paths[index];
    const PageSetup& setup = settings_.setupOf(index);
    Document& document = worker.document;
    const bool opened = path == StandardInputPath ? document.loadStandardInput()
                                                  : document.load(path.c_str(), worker.buffer);
    if (!opened) {
        result.error = cantOpen(path);
        return;
    }
    const TagProfile& profile = setup.profiles.profileOf(document.text, document.size);
    result.profile = &profile;

    switch (arguments_.command) {
        case Command::Count:
            if (!result.census) {
                result.census.reset(new TagCensus);
                if (!result.census->setUp()) {
                    result.census.reset();
                    result.error = Error{path, "not enough memory for the tag census"};
                    break;
                }
            }
            recordDocumentTags(document, *result.census, profile);
            break;
        case Command::Check: {
            const PrintedFile file{path, withPath_};
            ProblemPrinting printing(*printer_, file, result.out);
            result.problems = checkDocument(document, printing, profile, setup.options);
            result.failing = result.problems - (arguments_.failOnWarning ? 0 : printing.warnings());
            printer_->checked(file, result.problems, result.out);
            break;
        }
        case Command::Fix: {
            const PrintedFile file{path, true};
            StringByteSink left;
            ProblemPrinting printing(*leftPrinter_, file, left);
            const std::string before(document.text, document.size);
            const PageMend mend = mendPage(document, profile, setup.options, arguments_.fixKinds, printing);
            result.problems = mend.left;
            result.failing = mend.left;
            result.fixes = mend.fixes;
            result.left = std::move(left.bytes);
            if (mend.fixes > 0) result.out.add(unifiedDiff(diffPaths_[index], before, mend.text));
            break;
        }
        case Command::Links:
            if (!worker.links.read(document, result.links)) {
                result.error = Error{path, "not enough memory for the links of " + path};
            }
            break;
        default: {
            SinkLines lines(result.out, withPath_ ? path + ":" : std::string());
            ListingLines listing(lines);
            const std::string filter = arguments_.command == Command::Tag ? tagFilterOf(arguments_.name) : std::string();
            result.longest = listTags(document, filter.c_str(), listing, profile);
        }
    }
    document.release();
    if (!worker.buffer.intact()) {
        // The file was cut short under us: what was found is of a text it no longer holds.
        result.out.text.clear();
        result.left.clear();
        result.census.reset();
        result.links = PageLinkBlock();
        result.error = Error{path, "File changed while it was read: " + path};
    }
}

void Run::fail(const Error& error) {
    progress_.clearFor(err_);
    fprintf(err_, "tagvetter: %s\n", error.message.c_str());
    summary_.errors.push_back(error);
}

void Run::deliver(const std::string& path, FileResult& result) {
    if (out_.failed()) return;
    if (result.error) {
        fail(*result.error);
        return;
    }
    ++summary_.examined;
    if (!result.out.text.empty()) progress_.clearFor(out_.stream());
    printer_->file(result.out.text, out_);
    if (!result.left.empty()) {
        progress_.clearFor(err_);
        fputs(result.left.c_str(), err_);
    }
    summary_.fixes += result.fixes;
    if (links_) links_->addPage(path, std::move(result.links));
    if (result.census) addCensus(total_, *result.census);
    if (!censusProfile_) censusProfile_ = result.profile;
    summary_.problems += result.problems;
    summary_.failing += result.failing;
    summary_.filesWithProblems += result.problems > 0 ? 1 : 0;
    longest_ = std::max(longest_, result.longest);
}

// The command's summary line for standard error; "" for none.
std::string Run::summary() const {
    const std::string files = withPath_ ? " in " + counted(summary_.examined, "file", "files") : std::string();
    switch (arguments_.command) {
        case Command::Count:
            return censusSummary(total_.count) + files;
        case Command::Check:
            if (!withPath_) return std::string();
            return counted(summary_.examined, "file", "files") + " examined, " +
                   std::to_string(summary_.filesWithProblems) + " with problems, " +
                   counted(summary_.problems, "problem", "problems");
        case Command::Fix:
            return counted(summary_.examined, "file", "files") + " examined, " +
                   counted(summary_.fixes, "fix", "fixes") + ", " + counted(summary_.problems, "problem", "problems") +
                   " left";
        case Command::Links:
            if (!withPath_ || arguments_.listExternal) return std::string();
            return counted(summary_.examined, "file", "files") + " examined, " +
                   std::to_string(summary_.filesWithProblems) + " with broken links, " +
                   counted(summary_.problems, "broken link", "broken links");
        default:
            return longestSummary(longest_) + files;
    }
}

CommandEnd Run::execute() {
    if (arguments_.command == Command::Count && !total_.setUp()) {
        fputs("tagvetter: not enough memory for the tag census\n", err_);
        return {true};
    }
    const std::vector<std::string>& paths = inputs_.paths;
    const int jobs = std::max(1, std::min(arguments_.jobs > 0 ? arguments_.jobs : jobsForCores(),
                                          static_cast<int>(std::min<size_t>(paths.size(), 1024))));
    jobs_ = jobs;
    std::vector<Worker> workers(static_cast<size_t>(jobs));
    if (arguments_.command == Command::Links) links_.reset(new LinkCheck(settings_.linkOptions()));
    printer_->start(out_);
    for (const Error& error : inputs_.errors) fail(error);

    examineInOrder<FileResult>(
        paths.size(), jobs,
        [&](int worker, size_t index, FileResult& result) {
            // One file alone is written as it is made, never held whole.
            if (inputs_.single) result.out.stream = &out_;
            examine(workers[static_cast<size_t>(worker)], index, result);
        },
        [&](size_t index, FileResult& result) {
            deliver(paths[index], result);
            progress_.update(index + 1);
        },
        [&] { progress_.update(static_cast<size_t>(summary_.examined) + summary_.errors.size()); });
    progress_.hide();

    // One file that can't be read gives its message alone, as it always did.
    const bool aloneFailed = inputs_.single && !summary_.errors.empty();
    if (links_ && !aloneFailed) reportLinks();
    if (arguments_.command == Command::Count && !aloneFailed) {
        // Pages read with several profiles are described with the first page's profile.
        SinkLines lines(out_);
        listCensus(total_, lines, censusProfile_ ? *censusProfile_ : *settings_.profiles().front());
    }
    printer_->end(summary_.errors, out_);
    out_.flush();
    if (out_.failed()) return outputFailed(err_);
    const std::string line = aloneFailed ? std::string() : summary();
    if (!line.empty()) fprintf(err_, "%s\n", line.c_str());
    const bool found = arguments_.command == Command::Fix     ? summary_.fixes > 0 || summary_.problems > 0
                       : arguments_.command == Command::Check ? summary_.failing > 0
                       : arguments_.command == Command::Links ? summary_.problems > 0
                                                               : false;
    return {!summary_.errors.empty(), found};
}

void Run::reportLinks() {
    if (arguments_.listExternal) {
        OutputText text;
        for (const ExternalLink& link : links_->externals()) {
            text.add(link.page + ":" + std::to_string(link.line) + ": " + link.target + "\n");
        }
        printer_->file(text.text, out_);
        return;
    }
    links_->resolve(readPageLinksOfFile, jobs_);
    // The problems one after another, page by page; a page named twice in a row takes
    // those of both, as it always did.
    size_t from = 0, next = 0;  // the page of the next problem, and its index there
    auto skipDone = [&] {
        for (; from < links_->pageCount() && next >= links_->brokenCount(from); ++from) next = 0;
    };
    skipDone();
    for (size_t index = 0; index < links_->pageCount(); ++index) {
        const std::string& page = links_->pagePath(index);
        OutputText text;
        int32_t found = 0;
        for (; from < links_->pageCount() && links_->pagePath(from) == page; skipDone()) {
            printer_->brokenLink(links_->broken(from, next++), withPath_, found++, text);
        }
        printer_->linksChecked({page, withPath_}, found, text);
        printer_->file(text.text, out_);
        summary_.problems += found;
        summary_.filesWithProblems += found > 0 ? 1 : 0;
    }
}

// Runs the command the arguments name.
CommandEnd runCommand(int argc, char** argv, FILE* out, FILE* err) {
    Arguments arguments;
    std::string problem;
    LineOutput output(out, isTerminal(out));
    switch (parseArguments(argc, argv, arguments, problem)) {
        case ParseResult::Help:
            output.add(UsageText);
            output.flush();
            return output.failed() ? outputFailed(err) : CommandEnd();
        case ParseResult::Version:
            output.add(Version);
            output.flush();
            return output.failed() ? outputFailed(err) : CommandEnd();
        case ParseResult::Misuse:
            return usageError(err, problem);
        case ParseResult::Run:
            break;
    }

    if (arguments.command == Command::Lsp) {
        // The server ends on its own when the client goes away; a write that failed then
        // is its ending, not a fault to report again.
        CommandEnd end;
        end.serverLeftEarly = runLanguageServer(stdin, out, err) != 0;
        clearerr(out);
        return end;
    }

    if (arguments.command == Command::Known) {
        Errors errors;
        const std::unique_ptr<TagProfile> profile = makeProfile(arguments.profile, arguments.knownFiles, errors);
        for (const Error& error : errors) fprintf(err, "%s\n", error.message.c_str());
        if (!profile) return {true};
        SinkLines list(output);
        referenceLines(knownTagRows(*profile), list);
        output.flush();
        return output.failed() ? outputFailed(err) : CommandEnd();
    }

    InputList inputs = collectInputs(arguments.operands, arguments.hasFilesFrom, arguments.filesFrom);
    // The configurations and known tags are read, and any fault in them reported, before
    // any page is.
    RunSettings settings;
    const Errors faults = settings.prepare(arguments, inputs.paths);
    for (const Error& fault : faults) fprintf(err, "%s\n", fault.message.c_str());
    if (!faults.empty()) return {true};
    // A page named alone and excluded is said to be, and the report is still made whole.
    if (!settings.excludedBy().empty()) {
        fprintf(err, "tagvetter: %s is excluded by %s\n", arguments.operands.front().c_str(),
                settings.excludedBy().c_str());
    }
    // fix names each file by its path from here, and writes nothing of what lies elsewhere.
    std::vector<std::string> diffPaths;
    if (arguments.command == Command::Fix) {
        for (const std::string& path : inputs.paths) {
            std::string relative;
            if (path == StandardInputPath) return usageError(err, "fix mends files, not standard input");
            if (!pathBelowCurrent(path, relative))
                return usageError(err, "fix mends only files below the current folder: " + path);
            diffPaths.push_back(relative);
        }
    }
    Run run(arguments, settings, inputs, output, err, std::move(diffPaths));
    return run.execute();
}

}  // namespace

int exitStatus(const CommandEnd& end) {
    if (end.failed) return CliFailed;
    return end.problemsFound || end.serverLeftEarly ? CliProblemsFound : CliOk;
}

int runTagvetter(int argc, char** argv, FILE* out, FILE* err) { return exitStatus(runCommand(argc, argv, out, err)); }
