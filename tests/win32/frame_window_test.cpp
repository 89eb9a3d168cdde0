// The frame: its children made in order, laid out on resize, focus, closing, the session
// end and the message loop with accelerators.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "frame_window.h"
#include "test_support.h"

namespace {

class TestFrame : public FrameWindow {
public:
    int canClose() override { return closeAllowed; }
    void savePlacement() override { ++saves; }
    int restorePlacement() override {
        ++restores;
        return restoreAnswer;
    }
    void onCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == 777) PostQuitMessage(5);
    }

    int closeAllowed = 1;
    int saves = 0;
    int restores = 0;
    int restoreAnswer = 0;
    std::vector<int> commands;
};

class FrameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.setPartCount(2));
        bar.addPart(7, 0);
        bar.addPart(20, 0);
        list.style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
        ASSERT_TRUE(frame.init(&list, &bar));
        ASSERT_TRUE(frame.createFrame());
    }
    void TearDown() override {
        if (IsWindow(frame.handle)) {
            frame.closeAllowed = 1;
            DestroyWindow(frame.handle);
        }
        drainQueue();
        UnregisterClassA("MainClass", moduleInstance());
    }

    // Resizes the frame's client area to w x h and gives the platform's WM_SIZE.
    void resizeClient(int w, int h) {
        RECT outer{0, 0, w, h};
        AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(frame.handle, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }

    ListBoxControl list;
    StatusBarControl bar;
    TestFrame frame;
};

TEST_F(FrameWindowTest, MakesTheStatusBarFirstThenTheClientWithAClientEdge) {
    ASSERT_TRUE(IsWindow(bar.handle));
    ASSERT_TRUE(IsWindow(list.handle));
    EXPECT_EQ(GetParent(bar.handle), frame.handle);
    EXPECT_EQ(GetParent(list.handle), frame.handle);
    EXPECT_EQ(list.id, bar.id + 1);
    EXPECT_EQ(GetDlgCtrlID(list.handle), list.id);
    EXPECT_TRUE(GetWindowLongA(list.handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(windowClassName(frame.handle), "MainClass");
    EXPECT_EQ(GetWindowLongA(frame.handle, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

TEST_F(FrameWindowTest, LaysOutTheListAboveTheBarOnEveryResize) {
    for (SIZE size : {SIZE{400, 300}, SIZE{520, 410}, SIZE{300, 200}}) {
        resizeClient(size.cx, size.cy);
        EXPECT_EQ(frame.clientWidth, size.cx);
        EXPECT_EQ(frame.clientHeight, size.cy);
        RECT barRect = childRect(bar.handle);
        RECT listRect = childRect(list.handle);
        int barHeight = barRect.bottom - barRect.top;
        EXPECT_GT(barHeight, 0);
        EXPECT_EQ(barRect.bottom, size.cy);
        EXPECT_EQ(barRect.right - barRect.left, size.cx);
        EXPECT_EQ(listRect.left, 0);
        EXPECT_EQ(listRect.top, 0);
        EXPECT_EQ(listRect.right, size.cx);
        EXPECT_EQ(listRect.bottom, size.cy - barHeight);
    }
}

TEST_F(FrameWindowTest, IsLaidOutBeforeItIsFirstShown) {
    // The client is made after the frame's first WM_SIZE; it must not keep a default size.
    RECT client;
    GetClientRect(frame.handle, &client);
    RECT listRect = childRect(list.handle);
    EXPECT_EQ(listRect.right, client.right);
    EXPECT_EQ(listRect.bottom, client.bottom - bar.visibleHeight());
    EXPECT_GT(bar.visibleHeight(), 0);
}

TEST_F(FrameWindowTest, WithTheBarHiddenTheListTakesTheWholeClient) {
    ShowWindow(bar.handle, SW_HIDE);
    EXPECT_EQ(bar.visibleHeight(), 0);
    resizeClient(380, 260);
    RECT listRect = childRect(list.handle);
    EXPECT_EQ(listRect.bottom, 260);
    EXPECT_EQ(listRect.right, 380);
}

TEST_F(FrameWindowTest, PartEdgesCountFromTheRight) {
    resizeClient(500, 300);
    int average = barAverageCharWidth(bar.handle);
    ASSERT_GT(average, 0);
    RECT barRect;
    GetWindowRect(bar.handle, &barRect);
    int width = barRect.right - barRect.left;
    int edges[2] = {0, 0};
    ASSERT_EQ(SendMessageA(bar.handle, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[1], width - 2 * average);
    EXPECT_EQ(edges[0], width - 22 * average);
}

TEST_F(FrameWindowTest, FocusOnTheFrameGoesToTheClient) {
    frame.show(SW_SHOWNORMAL);
    SetFocus(frame.handle);
    EXPECT_EQ(GetFocus(), list.handle);
}

TEST_F(FrameWindowTest, ShowUsesTheStartCommandUnlessAPlacementWasRestored) {
    frame.restoreAnswer = 1;
    frame.show(SW_SHOWNORMAL);
    EXPECT_EQ(frame.restores, 1);
    EXPECT_FALSE(IsWindowVisible(frame.handle));
    frame.restoreAnswer = 0;
    frame.show(SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(frame.handle));
}

TEST_F(FrameWindowTest, RefusingCanCloseKeepsTheFrame) {
    frame.closeAllowed = 0;
    SendMessageA(frame.handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(frame.handle));
    EXPECT_EQ(SendMessageA(frame.handle, WM_QUERYENDSESSION, 0, 0), 0);
    frame.closeAllowed = 1;
    EXPECT_EQ(SendMessageA(frame.handle, WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(FrameWindowTest, ClosingSavesThePlacementAndEndsTheLoopWithZero) {
    SendMessageA(frame.handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(frame.handle));
    EXPECT_EQ(frame.saves, 1);
    EXPECT_EQ(frame.runMessageLoop(), 0);
}

TEST_F(FrameWindowTest, SessionEndSavesOnlyWhenTheSessionReallyEnds) {
    SendMessageA(frame.handle, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(frame.saves, 0);
    SendMessageA(frame.handle, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(frame.saves, 1);
}

TEST_F(FrameWindowTest, TheLoopTranslatesAcceleratorsAndReturnsTheQuitCode) {
    ACCEL table[] = {{FALT | FVIRTKEY, 'Q', 777}};
    frame.accelerators = CreateAcceleratorTableA(table, 1);
    ASSERT_NE(frame.accelerators, nullptr);
    pressAltAnd('Q', frame.handle);
    EXPECT_EQ(frame.runMessageLoop(), 5);
    ASSERT_EQ(frame.commands.size(), 1u);
    EXPECT_EQ(frame.commands[0], 777);
    releaseKeys();
    DestroyAcceleratorTable(frame.accelerators);
}

TEST(FrameWindowInit, FailsWhenTheClassCannotBeRegistered) {
    TestFrame first;
    TestFrame second;
    ListBoxControl list;
    StatusBarControl bar;
    ASSERT_TRUE(first.init(&list, &bar));
    // "MainClass" is taken now.
    EXPECT_EQ(second.init(&list, &bar), 0);
    EXPECT_EQ(second.client, nullptr);
    UnregisterClassA("MainClass", moduleInstance());
}

TEST(FrameWindowCreate, FailsWhenTheStatusBarCannotBeMade) {
    // A frame without a status bar refuses WM_CREATE, so the frame is never made.
    TestFrame frame;
    ListBoxControl list;
    ASSERT_TRUE(frame.init(&list, nullptr));
    EXPECT_EQ(frame.createFrame(), 0);
    UnregisterClassA("MainClass", moduleInstance());
}

}  // namespace
