#include "registry_key.h"

#include <string>

// Opens or creates the key; the joined name lives only for the call.
bool RegistryKey::openOrCreate(const char* name, const char* subKey, HKEY root) {
    std::string keyName(name);
    if (subKey) keyName.append("\\").append(subKey);
    return RegCreateKeyExA(root, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           &handle, nullptr) == ERROR_SUCCESS;
}

// Reads a 4-byte value without looking at its type: a longer value fails.
bool RegistryKey::readDword(const char* valueName, DWORD& out, DWORD fallback) {
    DWORD size = sizeof out;
    if (RegQueryValueExA(handle, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&out), &size) ==
        ERROR_SUCCESS)
        return true;
    out = fallback;
    return false;
}

// Closes the key once; a second close does nothing.
void RegistryKey::close() {
    if (handle) RegCloseKey(handle);
    handle = nullptr;
}
