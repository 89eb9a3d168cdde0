#include "cli.h"

#include <cstring>
#include <string>

#include "document.h"
#include "document_check.h"
#include "known_tag_reference.h"
#include "tag_census.h"
#include "tag_listing.h"

namespace {

const char Usage[] =
    "Usage: tagvetter COMMAND [ARGUMENTS]\n"
    "Examines the tags of one HTML file.\n"
    "\n"
    "Commands:\n"
    "  count FILE      the distinct tags, with their counts and descriptions\n"
    "  check FILE      the problems found in the tags, or \"No errors found\"\n"
    "  tags FILE       every tag, with the number of the line it starts on\n"
    "  tag NAME FILE   every tag named NAME, opening and closing alike\n"
    "  known           the 136 known tags, with descriptions and attributes\n"
    "\n"
    "A FILE of \"-\" is read from standard input. The file is never written.\n"
    "Result lines go to standard output; the summary line of count, tags and tag\n"
    "(\"12 different tags\", \"Longest: 40\") goes to standard error.\n"
    "\n"
    "Exit status: 0 when the command ran (for check: and found no problem),\n"
    "1 when check found problems, 2 for a usage error or a file that can't be read.\n";

const char Version[] = "tagvetter " TAGVETTER_VERSION "\n";

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

int usageError(FILE* err, const char* problem) {
    fprintf(err, "tagvetter: %s\nTry 'tagvetter --help'.\n", problem);
    return CliFailed;
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

    StreamResultList list(out);
    StreamStatusPanes panes(err);
    if (command == "known") {
        if (argc != 2) return usageError(err, "known takes no arguments");
        if (!listKnownTags(list)) {
            fputs("tagvetter: not enough memory for the known-tag reference\n", err);
            return CliFailed;
        }
        return CliOk;
    }

    const bool takesName = command == "tag";
    if (command != "count" && command != "check" && command != "tags" && !takesName)
        return usageError(err, ("unknown command '" + command + "'").c_str());
    const int expected = takesName ? 4 : 3;
    if (argc != expected)
        return usageError(err, takesName ? "tag takes a NAME and a FILE" : (command + " takes one FILE").c_str());

    Document document;
    if (!loadDocument(document, argv[expected - 1], err)) return CliFailed;

    if (command == "count") {
        TagCensus census;
        if (!census.setUp()) {
            fputs("tagvetter: not enough memory for the tag census\n", err);
            return CliFailed;
        }
        countTags(document, census, list, panes);
    } else if (command == "check") {
        checkDocument(document, list);
        return list.saysNoErrors() ? CliOk : CliProblemsFound;
    } else if (command == "tags") {
        listTags(document, "", list, panes);
    } else {
        listTags(document, tagFilterOfLine(argv[2]).c_str(), list, panes);
    }
    return CliOk;
}
