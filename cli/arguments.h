// The command line's words: the command, its NAME and inputs, and the options.
#pragma once

#include <string>
#include <vector>

#include "printer.h"

// The commands, as the first word names them.
enum class Command {
    Count,  // count FILE...
    Check,  // check FILE...
    Tags,   // tags FILE...
    Tag,    // tag NAME FILE...
    Links,  // links FILE...: the local links of the pages
    Known,  // known
    Lsp,    // lsp: the language server on standard input and output
    Fix,    // fix FILE...: the sure mends, as a unified diff
};

// The command's word: "count", "check", ...
const char* commandWord(Command command);

struct Arguments {
    Command command = Command::Count;
    std::string name;                   // tag's NAME
    std::vector<std::string> operands;  // FILEs and folders, "-" for standard input
    std::string filesFrom;              // --files-from LIST ("-" for standard input); empty: none
    bool hasFilesFrom = false;
    OutputFormat format = OutputFormat::Text;
    bool formatGiven = false;
    int jobs = 0;                       // -j N; 0: one per core
    std::string profile = "auto";       // --profile NAME; known's default is html32
    bool profileGiven = false;
    std::vector<std::string> knownFiles;  // --known FILE, in the order given
    std::string configFile;             // --config FILE; empty: the tagvetter.toml nearest each page
    bool noConfig = false;              // --no-config
    std::string root;                   // links --root DIR; empty: not given
    std::vector<std::string> indexNames;  // links --index NAMES; empty: not given
    bool listExternal = false;          // links --list-external
    bool failOnWarning = false;         // check --fail-on warning: warnings, too, make the exit status 1
    ProblemKinds fixKinds = ProblemKinds().set();  // fix --kinds: the kinds it mends
};

// What parseArguments found.
enum class ParseResult {
    Run,      // the arguments name a command to run
    Help,     // --help or -h
    Version,  // --version
    Misuse,   // `problem` says what is wrong
};

// Reads argv[1..argc-1]: the command first, then its NAME (for tag), FILEs, folders and
// options in any order ("--" ends the options); known takes --profile, --known and the
// configuration options only, lsp no argument at all.
ParseResult parseArguments(int argc, char** argv, Arguments& arguments, std::string& problem);

// The text of --help.
extern const char UsageText[];
