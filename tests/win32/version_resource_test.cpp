// The version resource that Windows shows in the Properties of both programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

// One string of the US English block of the file's version resource, or "(none)".
std::string versionString(const std::string& file, const char* name) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return "(none)";
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return "(none)";
    char* value = nullptr;
    UINT length = 0;
    std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || length == 0)
        return "(none)";
    return value;
}

TEST(VersionResource, NamesProductVersionDescriptionAndCopyrightOfBothPrograms) {
    struct Program {
        const char* path;
        const char* description;
        const char* fileName;
    };
    const Program programs[] = {
        {TAGVETTER_GUI_EXE, "Tagvetter", "tagvetter.exe"},
        {TAGVETTER_CLI_EXE, "Tagvetter command line", "tagvetter-cli.exe"},
    };
    for (const Program& program : programs) {
        SCOPED_TRACE(program.path);
        const std::string file = windowsPath(program.path);
        EXPECT_EQ(versionString(file, "ProductName"), "Tagvetter");
        EXPECT_EQ(versionString(file, "ProductVersion"), TAGVETTER_VERSION);
        EXPECT_EQ(versionString(file, "FileVersion"), TAGVETTER_VERSION);
        EXPECT_EQ(versionString(file, "FileDescription"), program.description);
        EXPECT_EQ(versionString(file, "OriginalFilename"), program.fileName);
        EXPECT_EQ(versionString(file, "LegalCopyright"), "Copyright (c) 2026 the Tagvetter authors");
    }
}

}  // namespace
