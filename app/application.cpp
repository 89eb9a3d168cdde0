#include "application.h"

#include "resource.h"

PopupBox popupBox;
AboutBox aboutBox;
TagCensus tagCensus;
Document document;
ListBoxControl listBox;
StatusBarControl statusBar;
MainWindow mainWindow(document, tagCensus, listBox, statusBar, popupBox, aboutBox);

// Runs the start-up steps up to the first open; the order matters: the status bar's
// parts before the frame makes the bar, the list's style before the frame makes the list.
int startUp(HINSTANCE instance, const char* commandLine) {
    setModuleInstance(instance);
    // The census keeps its storage for the whole run; without it there is no census to show.
    if (!tagCensus.entries && !tagCensus.setUp()) return 0;
    statusBar.setPartCount(2);
    statusBar.addPart(7, 0);
    statusBar.addPart(20, 0);
    // One class serves every box; it is registered through the about box.
    aboutBox.registerWindowClass();
    listBox.style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS |
                    LBS_NOTIFY;
    if (!mainWindow.init(&listBox, &statusBar)) return 0;
    if (!mainWindow.createFrame()) return 0;
    if (commandLine && *commandLine) mainWindow.openDocument(commandLine);
    // Without a file, or after the message about one that can't be opened, the window
    // says how to give it one.
    if (!document.isLoaded()) mainWindow.results.append("*** Drag files here ***");
    return 1;
}

// Starts up, shows the window and runs until the quit message.
int runApplication(HINSTANCE instance, const char* commandLine, int showCommand) {
    if (!startUp(instance, commandLine)) return 0;
    mainWindow.show(showCommand);
    mainWindow.loadAccelerators(MAKEINTRESOURCEA(IDR_ACCELERATORS));
    return mainWindow.runMessageLoop();
}
