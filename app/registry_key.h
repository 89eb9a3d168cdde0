// A key of the registry held open by one operation, which closes it itself: the key is
// a plain handle on that operation's stack.
#pragma once

#include <windows.h>

class RegistryKey {
public:
    // Opens `name` (or `name`\`subKey`) under `root` for every access, creating it when it
    // is missing. True on success.
    bool openOrCreate(const char* name, const char* subKey = nullptr, HKEY root = HKEY_CURRENT_USER);
    // Reads a value of at most 4 bytes, whatever its type, into `out`; on failure `out`
    // gets `fallback` and the result is false.
    bool readDword(const char* valueName, DWORD& out, DWORD fallback);
    void close();

    HKEY handle = nullptr;
};
