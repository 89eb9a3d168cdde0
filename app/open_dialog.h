// The platform's open-file dialog as the Open command uses it.
#pragma once

#include <windows.h>

// Size of the dialog's file buffer.
constexpr int OpenPathSize = 260;

// Lets the user pick or type a file over `owner`; true with the full path in `path` (of
// OpenPathSize bytes), false when the user cancels or the dialog fails.
bool askForFile(HWND owner, char* path);

