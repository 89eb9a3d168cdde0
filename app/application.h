// The process-wide objects of tagvetter.exe and its start-up.
#pragma once

#include <windows.h>

#include "about_box.h"
#include "controls.h"
#include "document.h"
#include "main_window.h"
#include "popup_box.h"
#include "tag_census.h"

// Constructed before the entry point runs, in this order, and never destroyed before
// the process ends; their destructors release the census and the document's text.
extern PopupBox popupBox;
extern AboutBox aboutBox;
extern TagCensus tagCensus;
extern Document document;
extern ListBoxControl listBox;
extern StatusBarControl statusBar;
extern MainWindow mainWindow;

// Makes the main window and opens the file named by `commandLine` (taken whole); shows
// the drop hint when no file is open then. The window is not shown yet. 0 when the
// window can't be made.
int startUp(HINSTANCE instance, const char* commandLine);

// The whole program: start-up, show, accelerators and the message loop; gives the exit
// code.
int runApplication(HINSTANCE instance, const char* commandLine, int showCommand);
