#include "window_placement.h"

#include "registry_key.h"

const char SettingsKey[] = "Software\\Brindlemoor\\Tagvetter\\Settings";

// Restores only a full set of values and a window whose top-left corner leaves at least
// an icon's room on the primary screen; the right and bottom edges are not looked at.
int restoreWindowPlacement(HWND window, const char* keyName) {
    RegistryKey key;
    if (!key.openOrCreate(keyName)) return 0;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    // A value shorter than 4 bytes overwrites only its own bytes of the present one.
    DWORD flags = placement.flags;
    DWORD showCmd = placement.showCmd;
    DWORD size = sizeof placement.rcNormalPosition;
    bool complete = key.readDword("flags", flags, 0) && key.readDword("showCmd", showCmd, 0) &&
                    RegQueryValueExA(key.handle, "rcNormal", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&placement.rcNormalPosition), &size) == ERROR_SUCCESS;
    key.close();
    if (!complete) return 0;
    placement.flags = flags;
    placement.showCmd = showCmd;
    if (placement.rcNormalPosition.left > GetSystemMetrics(SM_CXSCREEN) - GetSystemMetrics(SM_CXICON)) return 0;
    if (placement.rcNormalPosition.top > GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYICON)) return 0;
    SetWindowPlacement(window, &placement);
    return 1;
}

// Writes flags, show state and rectangle in that order and stops at the first failure.
int saveWindowPlacement(HWND window, const char* keyName) {
    RegistryKey key;
    if (!key.openOrCreate(keyName)) return 0;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    auto write = [&](const char* name, DWORD type, const void* data, DWORD size) {
        return RegSetValueExA(key.handle, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    };
    bool written = write("flags", REG_DWORD, &placement.flags, sizeof placement.flags) &&
                   write("showCmd", REG_DWORD, &placement.showCmd, sizeof placement.showCmd) &&
                   write("rcNormal", REG_BINARY, &placement.rcNormalPosition, sizeof placement.rcNormalPosition);
    key.close();
    return written ? 1 : 0;
}

DWORD restoreProfileChoice(const char* keyName, DWORD last, DWORD fallback) {
    RegistryKey key;
    DWORD choice = fallback;
    if (!key.openOrCreate(keyName) || !key.readDword("profile", choice, fallback) || choice > last) choice = fallback;
    return choice;
}

bool saveProfileChoice(const char* keyName, DWORD choice) {
    RegistryKey key;
    return key.openOrCreate(keyName) &&
           RegSetValueExA(key.handle, "profile", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&choice), sizeof choice) ==
               ERROR_SUCCESS;
}
