// The window placement in the registry: saved from one window and restored in a new one,
// and the values a restore accepts and refuses. Everything goes to the test key of the
// test's own prefix; tagvetter_exe_test follows the program's own key across two runs.
#include <windows.h>

#include <cstring>
#include <vector>

#include "app_fixture.h"
#include "registry_key.h"
#include "window_placement.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// One value as it stands in the key.
struct Stored {
    const char* name;
    DWORD type;
    std::vector<BYTE> bytes;
};

std::vector<BYTE> dword(DWORD value) {
    std::vector<BYTE> bytes(4);
    memcpy(bytes.data(), &value, 4);
    return bytes;
}

std::vector<BYTE> rect(LONG left, LONG top, LONG right, LONG bottom, size_t size = 16) {
    RECT r{left, top, right, bottom};
    std::vector<BYTE> bytes(16);
    memcpy(bytes.data(), &r, 16);
    bytes.resize(size);
    return bytes;
}

class WindowPlacementTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, TestSettingsKey); }
    void TearDown() override {
        for (HWND window : windows) DestroyWindow(window);
        drainQueue();
        RegDeleteKeyA(HKEY_CURRENT_USER, TestSettingsKey);
    }
    // A plain top-level window, hidden, at (100, 120)-(500, 480).
    HWND makeWindow() {
        HWND window = CreateWindowExA(0, "STATIC", "placed", WS_OVERLAPPEDWINDOW, 100, 120, 400, 360, nullptr,
                                      nullptr, moduleInstance(), nullptr);
        windows.push_back(window);
        return window;
    }
    void store(const std::vector<Stored>& values) {
        RegDeleteKeyA(HKEY_CURRENT_USER, TestSettingsKey);
        RegistryKey key;
        ASSERT_TRUE(key.openOrCreate(TestSettingsKey));
        for (const Stored& value : values)
            RegSetValueExA(key.handle, value.name, 0, value.type, value.bytes.data(), value.bytes.size());
        key.close();
    }
    // The type and size of a stored value; 0 and 0 when it is missing.
    std::pair<DWORD, DWORD> typeAndSize(const char* name) {
        RegistryKey key;
        DWORD type = 0;
        DWORD size = 0;
        if (key.openOrCreate(TestSettingsKey)) RegQueryValueExA(key.handle, name, nullptr, &type, nullptr, &size);
        key.close();
        return {type, size};
    }
    static WINDOWPLACEMENT placementOf(HWND window) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(window, &placement);
        return placement;
    }

    std::vector<HWND> windows;
};

TEST_F(WindowPlacementTest, ANewWindowComesBackAsTheSavedOneWasLeft) {
    const RECT normal{100, 120, 500, 480};
    for (int state : {SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED}) {
        HWND saved = makeWindow();
        ShowWindow(saved, SW_SHOWNORMAL);
        ShowWindow(saved, state);
        ASSERT_EQ(saveWindowPlacement(saved, TestSettingsKey), 1) << state;
        DestroyWindow(saved);
        EXPECT_EQ(typeAndSize("flags"), std::make_pair(DWORD{REG_DWORD}, DWORD{4}));
        EXPECT_EQ(typeAndSize("showCmd"), std::make_pair(DWORD{REG_DWORD}, DWORD{4}));
        EXPECT_EQ(typeAndSize("rcNormal"), std::make_pair(DWORD{REG_BINARY}, DWORD{16}));

        HWND restored = CreateWindowExA(0, "STATIC", "new", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                        nullptr, moduleInstance(), nullptr);
        windows.push_back(restored);
        ASSERT_EQ(restoreWindowPlacement(restored, TestSettingsKey), 1) << state;
        WINDOWPLACEMENT placement = placementOf(restored);
        EXPECT_EQ(placement.showCmd, static_cast<UINT>(state));
        EXPECT_TRUE(placement.rcNormalPosition == normal) << state;
        EXPECT_TRUE(IsWindowVisible(restored)) << state;
        EXPECT_EQ(IsZoomed(restored) != 0, state == SW_SHOWMAXIMIZED);
        EXPECT_EQ(IsIconic(restored) != 0, state == SW_SHOWMINIMIZED);
    }
}

// A set of stored values and whether a restore takes them.
struct RestoreCase {
    const char* what;
    std::vector<Stored> values;
    int restored;
};

TEST_F(WindowPlacementTest, RestoresOnlyAFullSetWithAnOnScreenCorner) {
    const LONG maxLeft = GetSystemMetrics(SM_CXSCREEN) - GetSystemMetrics(SM_CXICON);
    const LONG maxTop = GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYICON);
    const Stored flags{"flags", REG_DWORD, dword(0)};
    const Stored maximized{"showCmd", REG_DWORD, dword(SW_SHOWMAXIMIZED)};
    auto normal = [](LONG left, LONG top) {
        return Stored{"rcNormal", REG_BINARY, rect(left, top, left + 300, top + 200)};
    };
    const std::vector<RestoreCase> cases = {
        {"left edge at the limit", {flags, maximized, normal(maxLeft, 10)}, 1},
        {"left edge one pixel past", {flags, maximized, normal(maxLeft + 1, 10)}, 0},
        {"top edge at the limit", {flags, maximized, normal(10, maxTop)}, 1},
        {"top edge one pixel past", {flags, maximized, normal(10, maxTop + 1)}, 0},
        {"negative edges", {flags, maximized, normal(-50, -20)}, 1},
        {"no rcNormal", {flags, maximized}, 0},
        {"no flags", {maximized, normal(10, 10)}, 0},
        {"no showCmd", {flags, normal(10, 10)}, 0},
        {"4-byte values of another type",
         {{"flags", REG_BINARY, dword(0)}, {"showCmd", REG_BINARY, dword(SW_SHOWMAXIMIZED)}, normal(10, 10)},
         1},
        {"a showCmd longer than 4 bytes", {flags, {"showCmd", REG_BINARY, rect(3, 0, 0, 0, 8)}, normal(10, 10)}, 0},
        {"an rcNormal shorter than 16 bytes", {flags, maximized, {"rcNormal", REG_BINARY, rect(10, 10, 0, 0, 8)}},
         1},
        {"an rcNormal longer than 16 bytes",
         {flags, maximized, {"rcNormal", REG_BINARY, rect(10, 10, 20, 20, 20)}},
         0},
    };
    for (const RestoreCase& c : cases) {
        store(c.values);
        HWND window = makeWindow();
        EXPECT_EQ(restoreWindowPlacement(window, TestSettingsKey), c.restored) << c.what;
        // A restore shows the window as stored; a refused one leaves it hidden for the
        // start-up show command.
        EXPECT_EQ(IsZoomed(window) != 0, c.restored == 1) << c.what;
        EXPECT_EQ(IsWindowVisible(window) != 0, c.restored == 1) << c.what;
    }
}

}  // namespace
