// Whether a linked file is there before link following opens it.
#pragma once

// True when the platform's file search finds `path`: a folder counts, and wildcards match.
bool fileExists(const char* path);
