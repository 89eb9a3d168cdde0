// The command line's words: the command, its NAME and inputs, and the options.
#pragma once

#include <string>
#include <vector>

// How check writes its problems.
enum class OutputFormat {
    Text,   // the result lines, with "PATH:" in front when several files are examined
    Gnu,    // PATH:LINE: message
    Json,   // one JSON object a line
    Sarif,  // one SARIF 2.1.0 log
};

struct Arguments {
    std::string command;                // count, check, tags, tag or known
    std::string name;                   // tag's NAME
    std::vector<std::string> operands;  // FILEs and folders, "-" for standard input
    std::string filesFrom;              // --files-from LIST ("-" for standard input); empty: none
    bool hasFilesFrom = false;
    OutputFormat format = OutputFormat::Text;
    bool formatGiven = false;
    int jobs = 0;                       // -j N; 0: one per core
    std::string profile = "html32";     // --profile NAME
    std::vector<std::string> knownFiles;  // --known FILE, in the order given
};

// What parseArguments found.
enum class ParseResult {
    Run,      // the arguments name a command to run
    Help,     // --help or -h
    Version,  // --version
    Misuse,   // `problem` says what is wrong
};

// Reads argv[1..argc-1]: the command first, then its NAME (for tag), FILEs, folders and
// options in any order ("--" ends the options); known takes --profile and --known only.
ParseResult parseArguments(int argc, char** argv, Arguments& arguments, std::string& problem);

// The text of --help.
extern const char UsageText[];
