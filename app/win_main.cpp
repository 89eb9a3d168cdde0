// tagvetter.exe: examines the tags of one HTML file in a window.
#include <windows.h>

#include "application.h"

// Runs the program; the command line after the program's name is the file to open.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    return runApplication(instance, commandLine, showCommand);
}
