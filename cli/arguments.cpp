#include "arguments.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>

#include "site_config.h"

const char UsageText[] =
    "Usage: tagvetter COMMAND [OPTIONS] [ARGUMENTS]\n"
    "Examines the tags of HTML files.\n"
    "\n"
    "Commands:\n"
    "  count FILE...      the distinct tags, with their counts and descriptions\n"
    "  check FILE...      the problems found in the tags, or \"No errors found\"\n"
    "  tags FILE...       every tag, with the number of the line it starts on\n"
    "  tag NAME FILE...   every tag named NAME, opening and closing alike\n"
    "  links FILE...      the local links that lead nowhere: missing files, names\n"
    "                     right only in another letter case, missing #anchors,\n"
    "                     links above the root\n"
    "  known              the known tags, with descriptions and attributes\n"
    "  lsp                a language server for editors, on standard input and output\n"
    "  fix FILE...        mends what is sure (stray close tags, close tags of void\n"
    "                     elements, misspelled names whose known name is sure, close\n"
    "                     tags left out where an outer one ended the element, close\n"
    "                     tags that cross, a \">\" left out) and\n"
    "                     writes the mends as one unified diff, for git apply or\n"
    "                     patch -p1; the FILEs must lie below the current folder;\n"
    "                     the problems left go to standard error\n"
    "\n"
    "A FILE may be a folder: every file below it whose name ends in .htm or .html\n"
    "(any letter case), without following links to folders, in byte order of the paths.\n"
    "A FILE of \"-\" is read from standard input. The files are never written.\n"
    "\n"
    "Options, anywhere after the command (\"--\" ends them):\n"
    "  --files-from LIST  examine the paths in LIST too, one a line (\"-\": standard input)\n"
    "  --format FORMAT    how check and links write their problems: text (the\n"
    "                     default), gnu (PATH:LINE[:COLUMN]: message), json (one\n"
    "                     object a line) or sarif\n"
    "  -j N, --jobs N     examine N files at once (default: one per core); the output\n"
    "                     is the same for every N\n"
    "  --profile NAME     the tags known and how pages are read: auto (the default:\n"
    "                     each page's by its doctype: html5 for <!DOCTYPE html>, html4\n"
    "                     for HTML 4.01 and XHTML 1.x, html32 for any other), html32\n"
    "                     (the 136 tags of 1990s pages; known's default), html4 (HTML\n"
    "                     4.01: Strict, Transitional or Frameset as the doctype names\n"
    "                     it, both of the last two when it names none) or html5 (the\n"
    "                     current standard); html4 and html5 read tags as browsers do\n"
    "                     and check the elements' nesting\n"
    "  --known FILE       adds the tags and attributes of FILE to the profile's, or\n"
    "                     overrides them (with auto, each line to the profiles that\n"
    "                     can hold it); one tag a line:\n"
    "                     NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS\n"
    "  --root DIR         links: where \"/...\" links lead (default: the folder given,\n"
    "                     or the page's folder for one page)\n"
    "  --index NAMES      links: a folder's page, the first of NAMES found\n"
    "                     (default: index.html,index.htm)\n"
    "  --list-external    links: write the external links instead, one a line\n"
    "  --config FILE      the configuration to follow, instead of the tagvetter.toml\n"
    "                     in each page's folder or the nearest folder above it\n"
    "  --no-config        follow no configuration file\n"
    "  --kinds K,...      fix: mend only problems of these kinds, as gnu and json name\n"
    "                     them (close-without-open, void-close, unknown-tag,\n"
    "                     unknown-attribute, not-closed, crossing-close,\n"
    "                     unfinished-tag); the others are left\n"
    "  --fail-on LEVEL    check: the problems that make the exit status 1: error\n"
    "                     (the default: errors, and html32's problems, which are\n"
    "                     unrated) or warning (warnings too)\n"
    "Options given win over the configuration's keys.\n"
    "\n"
    "Result lines go to standard output; with several files each line starts with the\n"
    "file's path and a colon, and count gives one census of them all. Summaries\n"
    "(\"12 different tags\", \"Longest: 40\", check's count of files and problems) and\n"
    "messages go to standard error, where a run over many files on a terminal also\n"
    "shows its progress.\n"
    "\n"
    "Exit status: 0 when the command ran (for check: and found no error),\n"
    "1 when check found errors (with --fail-on warning: or warnings), 2 for a\n"
    "usage error, a file that can't be read, a wrong configuration or output that\n"
    "can't be written. fix: 0 when it mended nothing and no problem is left, 1 when\n"
    "it wrote a diff or problems are left, 2 as for check.\n";

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

const char StandardInputName[] = "-";

// Kinds by their identifiers, split by commas; none may be unknown or empty.
bool parseKinds(const std::string& list, ProblemKinds& kinds) {
    kinds.reset();
    size_t from = 0;
    while (from <= list.size()) {
        const size_t comma = std::min(list.find(',', from), list.size());
        const std::string word = list.substr(from, comma - from);
        bool known = false;
        for (int k = 0; k < ProblemKindCount && !known; ++k) {
            if (word == problemKindId(static_cast<ProblemKind>(k))) kinds.set(static_cast<size_t>(k)), known = true;
        }
        if (!known) return false;
        from = comma + 1;
    }
    return true;
}

// A count of jobs: a whole number from 1 to 1024.
bool parseJobs(const std::string& word, int& jobs) {
    if (word.empty() || word.size() > 4 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    jobs = atoi(word.c_str());
    return jobs >= 1 && jobs <= 1024;
}

enum class Match { No, Value, Missing };

// Whether `word` is the option `name` and, if so, its value: what follows "=" (or, for a
// one-letter option, what follows the letter), else the next word, which is then used up.
Match matchOption(const std::string& word, const std::string& name, int argc, char** argv, int& i,
                  std::string& value) {
    if (word.compare(0, name.size(), name) != 0) return Match::No;
    const bool shortOption = name.size() == 2;
    if (word.size() > name.size()) {
        if (shortOption) {
            value = word.substr(name.size());
        } else if (word[name.size()] == '=') {
            value = word.substr(name.size() + 1);
        } else {
            return Match::No;
        }
        return Match::Value;
    }
    if (i + 1 >= argc) return Match::Missing;
    value = argv[++i];
    return Match::Value;
}

}  // namespace

const char* commandWord(Command command) {
    switch (command) {
        case Command::Count: return "count";
        case Command::Check: return "check";
        case Command::Tags: return "tags";
        case Command::Tag: return "tag";
        case Command::Links: return "links";
        case Command::Known: return "known";
        case Command::Lsp: return "lsp";
        case Command::Fix: return "fix";
    }
    return "";
}

ParseResult parseArguments(int argc, char** argv, Arguments& arguments, std::string& problem) {
    if (argc < 2) {
        problem = "no command given";
        return ParseResult::Misuse;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") return ParseResult::Help;
    if (first == "--version") return ParseResult::Version;
    static const Command Commands[] = {Command::Count, Command::Check, Command::Tags,  Command::Tag,
                                       Command::Links, Command::Known, Command::Lsp, Command::Fix};
    const Command* named = std::find_if(std::begin(Commands), std::end(Commands),
                                        [&](Command c) { return first == commandWord(c); });
    if (named == std::end(Commands)) {
        problem = "unknown command '" + first + "'";
        return ParseResult::Misuse;
    }
    const Command command = arguments.command = *named;
    if (command == Command::Lsp) {
        if (argc > 2) {
            problem = "lsp takes no arguments";
            return ParseResult::Misuse;
        }
        return ParseResult::Run;
    }

    std::vector<std::string> words;
    bool optionsEnded = false;
    bool jobsGiven = false;
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
        Match match;
        if ((match = matchOption(word, "--format", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || !parseFormat(value, arguments.format)) {
                problem = "--format takes text, gnu, json or sarif";
                return ParseResult::Misuse;
            }
            arguments.formatGiven = true;
        } else if ((match = matchOption(word, "--files-from", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || arguments.hasFilesFrom) {
                problem = "--files-from takes one LIST";
                return ParseResult::Misuse;
            }
            arguments.filesFrom = value;
            arguments.hasFilesFrom = true;
        } else if ((match = matchOption(word, "--jobs", argc, argv, i, value)) != Match::No ||
                   (match = matchOption(word, "-j", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || !parseJobs(value, arguments.jobs)) {
                problem = "-j takes a number of jobs from 1 to 1024";
                return ParseResult::Misuse;
            }
            jobsGiven = true;
        } else if ((match = matchOption(word, "--profile", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing ||
                (value != "html32" && value != "html4" && value != "html5" && value != AutoProfile)) {
                problem = "--profile takes html32, html4, html5 or auto";
                return ParseResult::Misuse;
            }
            arguments.profile = value;
            arguments.profileGiven = true;
        } else if ((match = matchOption(word, "--known", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing) {
                problem = "--known takes a FILE";
                return ParseResult::Misuse;
            }
            arguments.knownFiles.push_back(value);
        } else if ((match = matchOption(word, "--config", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || value.empty() || !arguments.configFile.empty()) {
                problem = "--config takes one FILE";
                return ParseResult::Misuse;
            }
            arguments.configFile = value;
        } else if (word == "--no-config") {
            arguments.noConfig = true;
        } else if (command == Command::Links &&
                   (match = matchOption(word, "--root", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || value.empty() || !arguments.root.empty()) {
                problem = "--root takes one DIR";
                return ParseResult::Misuse;
            }
            arguments.root = value;
        } else if (command == Command::Links &&
                   (match = matchOption(word, "--index", argc, argv, i, value)) != Match::No) {
            arguments.indexNames.clear();
            size_t from = 0;
            while (match == Match::Value && from <= value.size()) {
                const size_t comma = std::min(value.find(',', from), value.size());
                const std::string name = value.substr(from, comma - from);
                if (name.empty() || name.find_first_of("/\\") != std::string::npos) break;
                arguments.indexNames.push_back(name);
                from = comma + 1;
            }
            if (match == Match::Missing || from <= value.size()) {
                problem = "--index takes file names split by commas";
                return ParseResult::Misuse;
            }
        } else if (command == Command::Check &&
                   (match = matchOption(word, "--fail-on", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || (value != "error" && value != "warning")) {
                problem = "--fail-on takes error or warning";
                return ParseResult::Misuse;
            }
            arguments.failOnWarning = value == "warning";
        } else if (command == Command::Fix &&
                   (match = matchOption(word, "--kinds", argc, argv, i, value)) != Match::No) {
            if (match == Match::Missing || !parseKinds(value, arguments.fixKinds)) {
                problem = "--kinds takes kinds of problems split by commas, as gnu and json name them";
                return ParseResult::Misuse;
            }
        } else if (command == Command::Links && word == "--list-external") {
            arguments.listExternal = true;
        } else {
            problem = "unknown option '" + word + "'";
            return ParseResult::Misuse;
        }
    }
    if (arguments.noConfig && !arguments.configFile.empty()) {
        problem = "--config and --no-config exclude each other";
        return ParseResult::Misuse;
    }

    if (command == Command::Known) {
        if (!words.empty() || arguments.hasFilesFrom || arguments.formatGiven || jobsGiven) {
            problem = "known takes no arguments";
            return ParseResult::Misuse;
        }
        // The reference has no page whose doctype could choose.
        if (!arguments.profileGiven) arguments.profile = "html32";
        if (arguments.profile == AutoProfile) {
            problem = "known needs a profile: html32, html4 or html5";
            return ParseResult::Misuse;
        }
        return ParseResult::Run;
    }
    const bool takesName = command == Command::Tag;
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
        problem = takesName ? "tag takes a NAME and a FILE" : std::string(commandWord(command)) + " takes one or more FILEs";
        return ParseResult::Misuse;
    }
    int fromStandardInput = arguments.filesFrom == "-" && arguments.hasFilesFrom ? 1 : 0;
    for (const std::string& operand : arguments.operands) fromStandardInput += operand == "-" ? 1 : 0;
    if (fromStandardInput > 1) {
        problem = "standard input can be read only once";
        return ParseResult::Misuse;
    }
    if (command == Command::Fix && arguments.formatGiven) {
        problem = "fix writes a diff: it takes no --format";
        return ParseResult::Misuse;
    }
    if (command == Command::Fix &&
        std::find(arguments.operands.begin(), arguments.operands.end(), StandardInputName) != arguments.operands.end()) {
        problem = "fix mends files below the current folder, not standard input";
        return ParseResult::Misuse;
    }
    if (arguments.formatGiven && arguments.format != OutputFormat::Text && command != Command::Check &&
        command != Command::Links) {
        problem = "only check and links have formats other than text";
        return ParseResult::Misuse;
    }
    return ParseResult::Run;
}
