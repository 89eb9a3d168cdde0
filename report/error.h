// The program's one error type: what went wrong, as a value handed back to the caller,
// never thrown. The libraries that throw (toml++, nlohmann json) are caught where they
// are called.
#pragma once

#include <string>
#include <vector>

struct Error {
    std::string path;     // the file, folder or LIST it is about; "" when none
    std::string message;  // the words the user reads: "Can't open file: PATH"
};

using Errors = std::vector<Error>;
