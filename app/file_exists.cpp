#include "file_exists.h"

#include <windows.h>

// Asks the file search for the path and closes the search at once.
bool fileExists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}
