#include "cli.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document.h"
#include "document_check.h"
#include "file_reader.h"
#include "known_tag_reference.h"
#include "tag_census.h"
#include "tag_listing.h"
#include "tag_profile.h"

namespace {

const char Usage[] =
    "Usage: tagvetter COMMAND [OPTIONS] [ARGUMENTS]\n"
    "Examines the tags of one HTML file.\n"
    "\n"
    "Commands:\n"
    "  count FILE      the distinct tags, with their counts and descriptions\n"
    "  check FILE      the problems found in the tags, or \"No errors found\"\n"
    "  tags FILE       every tag, with the number of the line it starts on\n"
    "  tag NAME FILE   every tag named NAME, opening and closing alike\n"
    "  known           the known tags, with descriptions and attributes\n"
    "\n"
    "Options:\n"
    "  --profile NAME  the tags known: html32 (the 136 tags of 1990s pages, the\n"
    "                  default) or html5 (the current standard's elements)\n"
    "  --known FILE    adds the tags and attributes of FILE to the profile's, or\n"
    "                  overrides them; one tag a line:\n"
    "                  NAME | PAIRING | DESCRIPTION | ATTRIBUTES\n"
    "\n"
    "A FILE of \"-\" is read from standard input. The file is never written.\n"
    "Result lines go to standard output; the summary line of count, tags and tag\n"
    "(\"12 different tags\", \"Longest: 40\") goes to standard error.\n"
    "\n"
    "Exit status: 0 when the command ran (for check: and found no problem),\n"
    "1 when check found problems, 2 for a usage error or a file that can't be read.\n";

const char Version[] = "tagvetter 1.0\n";

// Writes each line as appended, followed by a line feed.
class StreamResultList : public ResultList {
public:
    explicit StreamResultList(FILE* out) : out_(out) {}
    void empty() override {}
    void append(const char* line) override {
        fputs(line, out_);
        putc('\n', out_);
        if (count_ == 0) firstSaysNoErrors_ = strcmp(line, "No errors found") == 0;
        ++count_;
    }
    int count() const override { return count_; }
    int selectedLine() const override { return -1; }
    // The lines are streamed out, not kept.
    std::string lineText(int) const override { return std::string(); }
    // True when the only line so far is the check's "No errors found".
    bool saysNoErrors() const { return count_ == 1 && firstSaysNoErrors_; }

private:
    FILE* out_;
    int count_ = 0;
    bool firstSaysNoErrors_ = false;
};

// Pane 1, the summary, goes to the error stream; pane 0 (the path) is the user's own.
class StreamStatusPanes : public StatusPanes {
public:
    explicit StreamStatusPanes(FILE* err) : err_(err) {}
    void setText(int pane, const char* text) override {
        if (pane == 1) fprintf(err_, "%s\n", text);
    }

private:
    FILE* err_;
};

int usageError(FILE* err, const std::string& problem) {
    fprintf(err, "tagvetter: %s\nTry 'tagvetter --help'.\n", problem.c_str());
    return CliFailed;
}

// The options after the command, and the arguments left when they are taken out.
struct Options {
    std::string profile = "html32";
    std::vector<std::string> knownFiles;
    std::vector<const char*> arguments;
};

// Takes the options out of argv[2...], up to a "--"; gives "" or what is wrong.
std::string readOptions(int argc, char** argv, Options& options) {
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.arguments.push_back(argv[i]);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string* value = nullptr;
        std::string knownFile;
        if (arg == "--profile" || arg.rfind("--profile=", 0) == 0) {
            value = &options.profile;
        } else if (arg == "--known" || arg.rfind("--known=", 0) == 0) {
            value = &knownFile;
        } else {
            return "unknown option '" + arg + "'";
        }
        const size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            *value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            *value = argv[++i];
        } else {
            return arg + " needs a value";
        }
        if (value == &knownFile) options.knownFiles.push_back(knownFile);
    }
    return std::string();
}

// Makes the profile the options ask for, with the user's known tags. Null, with the
// reasons written to `err`, when it can't be had.
std::unique_ptr<TagProfile> makeProfile(const Options& options, FILE* err) {
    std::unique_ptr<TagProfile> profile = TagProfile::make(options.profile);
    if (!profile) {
        usageError(err, "unknown profile '" + options.profile + "': use html32 or html5");
        return nullptr;
    }
    std::vector<std::string> errors;
    for (const std::string& path : options.knownFiles) {
        FileBlock block;
        if (!readWholeFile(path.c_str(), block)) {
            fprintf(err, "tagvetter: Can't open file: %s\n", path.c_str());
            return nullptr;
        }
        profile->addKnownTags(block.bytes, block.size, path, errors);
        free(block.bytes);
    }
    for (const std::string& error : errors) fprintf(err, "%s\n", error.c_str());
    return errors.empty() ? std::move(profile) : nullptr;
}

bool loadDocument(Document& document, const char* path, FILE* err) {
    bool loaded = strcmp(path, "-") == 0 ? document.loadStandardInput() : document.load(path);
    if (!loaded) fprintf(err, "tagvetter: Can't open file: %s\n", path);
    return loaded;
}

}  // namespace

int runTagvetter(int argc, char** argv, FILE* out, FILE* err) {
    if (argc < 2) return usageError(err, "no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        fputs(Usage, out);
        return CliOk;
    }
    if (command == "--version") {
        fputs(Version, out);
        return CliOk;
    }

    const bool takesName = command == "tag";
    if (command != "known" && command != "count" && command != "check" && command != "tags" && !takesName)
        return usageError(err, "unknown command '" + command + "'");
    Options options;
    const std::string problem = readOptions(argc, argv, options);
    if (!problem.empty()) return usageError(err, problem);
    const std::vector<const char*>& args = options.arguments;
    const size_t expected = command == "known" ? 0 : takesName ? 2 : 1;
    if (args.size() != expected) {
        return usageError(err, command == "known" ? std::string("known takes no arguments")
                               : takesName       ? std::string("tag takes a NAME and a FILE")
                                                 : command + " takes one FILE");
    }
    // The known tags are read, and any fault in them reported, before any page is.
    const std::unique_ptr<TagProfile> profile = makeProfile(options, err);
    if (!profile) return CliFailed;

    StreamResultList list(out);
    StreamStatusPanes panes(err);
    if (command == "known") {
        if (!listKnownTags(list, *profile)) {
            fputs("tagvetter: not enough memory for the known-tag reference\n", err);
            return CliFailed;
        }
        return CliOk;
    }

    Document document;
    if (!loadDocument(document, args.back(), err)) return CliFailed;

    if (command == "count") {
        TagCensus census;
        if (!census.setUp()) {
            fputs("tagvetter: not enough memory for the tag census\n", err);
            return CliFailed;
        }
        countTags(document, census, list, panes, *profile);
    } else if (command == "check") {
        checkDocument(document, list, *profile);
        return list.saysNoErrors() ? CliOk : CliProblemsFound;
    } else if (command == "tags") {
        listTags(document, "", list, panes, *profile);
    } else {
        listTags(document, tagFilterOfLine(args[0]).c_str(), list, panes, *profile);
    }
    return CliOk;
}
