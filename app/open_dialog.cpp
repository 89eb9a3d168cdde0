#include "open_dialog.h"

#include <commdlg.h>

#include "window.h"

namespace {
// The older, shorter layout of the dialog record: every version of the dialog takes it.
const DWORD OlderRecordSize = OPENFILENAME_SIZE_VERSION_400A;
// One pair: the description and a pattern that lists .htm and .html files alike.
const char HtmlFilter[] = "HTML files (*.htm)\0*.HTM*\0";
}  // namespace

// Runs the dialog fresh every time: first filter, empty name, no read-only box, and the
// file need not exist (the open reports a file it can't read).
bool askForFile(HWND owner, char* path) {
    path[0] = '\0';
    OPENFILENAMEA record{};
    record.lStructSize = OlderRecordSize;
    record.hwndOwner = owner;
    record.hInstance = moduleInstance();
    record.lpstrFilter = HtmlFilter;
    record.nFilterIndex = 1;
    record.lpstrFile = path;
    record.nMaxFile = OpenPathSize;
    // No title: the dialog shows the platform's own ("Open"); an empty one shows blank.
    record.lpstrTitle = nullptr;
    record.Flags = OFN_HIDEREADONLY;
    return GetOpenFileNameA(&record) != FALSE;
}

