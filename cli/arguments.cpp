#include "arguments.h"

#include <cstdlib>
#include <cstring>

const char UsageText[] =
    "Usage: tagvetter COMMAND [OPTIONS] [ARGUMENTS]\n"
    "Examines the tags of HTML files.\n"
    "\n"
    "Commands:\n"
    "  count FILE...      the distinct tags, with their counts and descriptions\n"
    "  check FILE...      the problems found in the tags, or \"No errors found\"\n"
    "  tags FILE...       every tag, with the number of the line it starts on\n"
    "  tag NAME FILE...   every tag named NAME, opening and closing alike\n"
    "  known              the 136 known tags, with descriptions and attributes\n"
    "\n"
    "A FILE may be a folder: every file below it whose name ends in .htm or .html\n"
    "(any letter case), without following links to folders, in byte order of the paths.\n"
    "A FILE of \"-\" is read from standard input. The files are never written.\n"
    "\n"
    "Options:\n"
    "  --files-from LIST  examine the paths in LIST too, one a line (\"-\": standard input)\n"
    "  --format FORMAT    how check writes its problems: text (the default), gnu\n"
    "                     (PATH:LINE: message), json (one object a line) or sarif\n"
    "  -j N, --jobs N     examine N files at once (default: one per core); the output\n"
    "                     is the same for every N\n"
    "\n"
    "Result lines go to standard output; with several files each line starts with the\n"
    "file's path and a colon, and count gives one census of them all. Summaries\n"
    "(\"12 different tags\", \"Longest: 40\", check's count of files and problems) and\n"
    "messages go to standard error, where a run over many files on a terminal also\n"
    "shows its progress.\n"
    "\n"
    "Exit status: 0 when the command ran (for check: and found no problem),\n"
    "1 when check found problems, 2 for a usage error or a file that can't be read.\n";

namespace {

bool parseFormat(const std::string& word, OutputFormat& format) {
    static const struct {
        const char* word;
        OutputFormat format;
    } Formats[] = {
        {"text", OutputFormat::Text}, {"gnu", OutputFormat::Gnu},
        {"json", OutputFormat::Json}, {"sarif", OutputFormat::Sarif},
    };
    for (const auto& f : Formats) {
        if (word == f.word) {
            format = f.format;
            return true;
        }
    }
    return false;
}

// A count of jobs: a whole number from 1 to 1024.
bool parseJobs(const std::string& word, int& jobs) {
    if (word.empty() || word.size() > 4 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    jobs = atoi(word.c_str());
    return jobs >= 1 && jobs <= 1024;
}

// Splits "--option=value" or takes the next word as the value.
bool optionValue(const std::string& word, const char* option, int argc, char** argv, int& i, std::string& value,
                 bool& matched) {
    const size_t length = strlen(option);
    matched = word.compare(0, length, option) == 0 && (word.size() == length || word[length] == '=');
    if (!matched) return true;
    if (word.size() > length) {
        value = word.substr(length + 1);
        return true;
    }
    if (i + 1 >= argc) return false;
    value = argv[++i];
    return true;
}

}  // namespace

ParseResult parseArguments(int argc, char** argv, Arguments& arguments, std::string& problem) {
    if (argc < 2) {
        problem = "no command given";
        return ParseResult::Misuse;
    }
    arguments.command = argv[1];
    const std::string& command = arguments.command;
    if (command == "--help" || command == "-h") return ParseResult::Help;
    if (command == "--version") return ParseResult::Version;
    if (command == "known") {
        if (argc != 2) {
            problem = "known takes no arguments";
            return ParseResult::Misuse;
        }
        return ParseResult::Run;
    }
    if (command != "count" && command != "check" && command != "tags" && command != "tag") {
        problem = "unknown command '" + command + "'";
        return ParseResult::Misuse;
    }

    std::vector<std::string> words;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (optionsEnded || word == "-" || word.empty() || word[0] != '-') {
            words.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        bool matched = false;
        if (!optionValue(word, "--format", argc, argv, i, value, matched)) {
            problem = "--format needs a FORMAT";
            return ParseResult::Misuse;
        }
        if (matched) {
            if (!parseFormat(value, arguments.format)) {
                problem = "unknown format '" + value + "' (text, gnu, json or sarif)";
                return ParseResult::Misuse;
            }
            arguments.formatGiven = true;
            continue;
        }
        if (!optionValue(word, "--files-from", argc, argv, i, value, matched)) {
            problem = "--files-from needs a LIST";
            return ParseResult::Misuse;
        }
        if (matched) {
            if (arguments.hasFilesFrom) {
                problem = "--files-from is given twice";
                return ParseResult::Misuse;
            }
            arguments.filesFrom = value;
            arguments.hasFilesFrom = true;
            continue;
        }
        bool isJobs = word.compare(0, 2, "-j") == 0;
        if (isJobs) {
            value = word.substr(2);  // -jN or -j N
            if (value.empty() && i + 1 < argc) value = argv[++i];
        } else if (!optionValue(word, "--jobs", argc, argv, i, value, isJobs)) {
            isJobs = true;  // --jobs at the end, without N
        }
        if (isJobs) {
            if (!parseJobs(value, arguments.jobs)) {
                problem = "-j needs a number of jobs from 1 to 1024";
                return ParseResult::Misuse;
            }
            continue;
        }
        problem = "unknown option '" + word + "'";
        return ParseResult::Misuse;
    }

    const bool takesName = command == "tag";
    if (takesName) {
        if (words.empty()) {
            problem = "tag takes a NAME and a FILE";
            return ParseResult::Misuse;
        }
        arguments.name = words.front();
        words.erase(words.begin());
    }
    arguments.operands = words;
    if (arguments.operands.empty() && !arguments.hasFilesFrom) {
        problem = takesName ? "tag takes a NAME and a FILE" : command + " takes one or more FILEs";
        return ParseResult::Misuse;
    }
    int fromStandardInput = arguments.filesFrom == "-" && arguments.hasFilesFrom ? 1 : 0;
    for (const std::string& operand : arguments.operands) fromStandardInput += operand == "-" ? 1 : 0;
    if (fromStandardInput > 1) {
        problem = "standard input can be read only once";
        return ParseResult::Misuse;
    }
    if (arguments.formatGiven && arguments.format != OutputFormat::Text && command != "check") {
        problem = "only check has formats other than text";
        return ParseResult::Misuse;
    }
    return ParseResult::Run;
}
