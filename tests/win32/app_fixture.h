// The real application started in the test's own process, for the tests of the commands
// that reach beyond the main window: the open dialog, link following and the placement.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "application.h"
#include "box_answerer.h"
#include "scratch_folder.h"
#include "test_support.h"

// The placement key of every in-process test: the program's own key is left to the
// program.
constexpr char TestSettingsKey[] = "Software\\Brindlemoor\\Tagvetter\\Tests\\Placement";

// Points the main window of every in-process test at the test key before the first test.
class TestSettingsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { mainWindow.settingsKey = TestSettingsKey; }
};
inline ::testing::Environment* const testSettingsEnvironment =
    ::testing::AddGlobalTestEnvironment(new TestSettingsEnvironment);

class AppTest : public ::testing::Test {
protected:
    void start(const std::string& commandLine = "") {
        ASSERT_TRUE(startUp(GetModuleHandleA(nullptr), commandLine.c_str()));
    }
    // Ends the window and forgets its classes, document and saved placement.
    void TearDown() override {
        if (IsWindow(mainWindow.handle)) DestroyWindow(mainWindow.handle);
        drainQueue();
        UnregisterClassA("MainClass", moduleInstance());
        UnregisterClassA("AboutClass", moduleInstance());
        document.release();
        mainWindow.viewMode = ViewNothing;
        RegDeleteKeyA(HKEY_CURRENT_USER, TestSettingsKey);
    }
    void command(int id) { SendMessageA(mainWindow.handle, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    std::vector<std::string> lines() const { return listLines(listBox.handle); }
    std::string pane(int part) const { return paneText(statusBar.handle, part); }
};
