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
