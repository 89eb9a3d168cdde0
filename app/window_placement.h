// The main window's placement in the registry: its restored rectangle, its show state and
// the placement flags, saved when the window goes and applied when it is first shown.
#pragma once

#include <windows.h>

// The program's key under HKEY_CURRENT_USER.
extern const char SettingsKey[];

// Applies the placement saved under `keyName` to `window`, which shows it; 1 when one was
// applied, 0 when a value is missing or the rectangle lies off the primary screen.
int restoreWindowPlacement(HWND window, const char* keyName);

// Writes `window`'s placement under `keyName`; 1 when all three values were written.
int saveWindowPlacement(HWND window, const char* keyName);

// The profile chosen in the window, kept beside the placement as the value "profile":
// a number from 0 to `last`; `fallback` when it is missing or out of range.
DWORD restoreProfileChoice(const char* keyName, DWORD last, DWORD fallback);
// Keeps `choice` under `keyName`; false when it can't be written.
bool saveProfileChoice(const char* keyName, DWORD choice);
