// The shared window procedure and the message-to-handler dispatch of Window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window.h"

namespace {

const char TestClass[] = "TagvetterWindowTest";

// Records every message its window procedure sees and every handler called, with the
// arguments; handlers with a result give distinctive values.
class RecordingWindow : public Window {
public:
    struct Call {
        std::string handler;
        WPARAM wParam;
        LPARAM lParam;
    };

    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        return Window::windowProc(message, wParam, lParam);
    }

    int onOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) calls.push_back({"onOtherMessage", wParam, lParam});
        return message == WM_APP && handleOther;
    }
    int onCreate() override {
        calls.push_back({"onCreate", 0, 0});
        return acceptCreate;
    }
    LRESULT onCtlColorListBox(WPARAM w, LPARAM l) override {
        calls.push_back({"onCtlColorListBox", w, l});
        return 0x1234;
    }
    int onMenuSelect(WPARAM w, LPARAM l) override {
        calls.push_back({"onMenuSelect", w, l});
        return 5;
    }
    int onQueryEndSession() override {
        calls.push_back({"onQueryEndSession", 0, 0});
        return 7;
    }
    int onVKeyToItem(WPARAM w) override {
        calls.push_back({"onVKeyToItem", w, 0});
        return 3;
    }
    void onDropFiles(WPARAM w) override { calls.push_back({"onDropFiles", w, 0}); }
    void onTimer(WPARAM w) override { calls.push_back({"onTimer", w, 0}); }
    void onClose() override { calls.push_back({"onClose", 0, 0}); }
    void onDestroy() override { calls.push_back({"onDestroy", 0, 0}); }
    void onInitMenu() override { calls.push_back({"onInitMenu", 0, 0}); }
    void onKillFocus() override { calls.push_back({"onKillFocus", 0, 0}); }
    void onPaint() override {
        calls.push_back({"onPaint", 0, 0});
        Window::onPaint();
    }
    void onSetFocus() override { calls.push_back({"onSetFocus", 0, 0}); }
    void onSysColorChange() override { calls.push_back({"onSysColorChange", 0, 0}); }

#define RECORD(name) \
    void name(WPARAM w, LPARAM l) override { calls.push_back({#name, w, l}); }
    RECORD(onChar)
    RECORD(onCommand)
    RECORD(onContextMenu)
    RECORD(onDrawItem)
    RECORD(onEndSession)
    RECORD(onKeyDown)
    RECORD(onKeyUp)
    RECORD(onLButtonDown)
    RECORD(onLButtonUp)
    RECORD(onMouseMove)
    RECORD(onNotify)
    RECORD(onRButtonDown)
    RECORD(onRButtonUp)
    RECORD(onSize)
    RECORD(onSysKeyDown)
    RECORD(onSysKeyUp)
#undef RECORD

    const Call* lastCall(const std::string& handler) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (it->handler == handler) return &*it;
        }
        return nullptr;
    }

    std::vector<UINT> messages;
    std::vector<Call> calls;
    int acceptCreate = 1;
    int handleOther = 0;
};

// A window that keeps every base handler but lets itself be created.
class PlainWindow : public Window {
public:
    int onCreate() override { return 1; }
};

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = classWindowProc;
        windowClass.cbWndExtra = 4;
        windowClass.hInstance = moduleInstance();
        windowClass.lpszClassName = TestClass;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    static void TearDownTestSuite() { UnregisterClassA(TestClass, moduleInstance()); }

    HWND make(Window& object, const char* title = "abc") {
        HWND window = CreateWindowExA(0, TestClass, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                      moduleInstance(), &object);
        if (window) made.push_back(window);
        return window;
    }
    void TearDown() override {
        for (HWND window : made) {
            if (IsWindow(window)) DestroyWindow(window);
        }
    }

    std::vector<HWND> made;
};

TEST_F(WindowTest, LinksTheObjectOnNcCreateAndMessagesBeforeItReachNoObject) {
    RecordingWindow object;
    HWND window = make(object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(object.handle, window);
    EXPECT_EQ(reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA)), &object);
    // An overlapped window is asked WM_GETMINMAXINFO before WM_NCCREATE; the object
    // must not see it, and WM_NCCREATE itself must reach it.
    ASSERT_FALSE(object.messages.empty());
    EXPECT_EQ(object.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_NE(object.lastCall("onCreate"), nullptr);
}

TEST_F(WindowTest, BaseOnCreateRefusesTheWindow) {
    Window object;
    EXPECT_EQ(make(object), nullptr);
    // The handle from WM_NCCREATE stays, stale.
    EXPECT_NE(object.handle, nullptr);
    EXPECT_FALSE(IsWindow(object.handle));
}

TEST_F(WindowTest, OnCreateZeroAnswersMinusOne) {
    RecordingWindow object;
    object.acceptCreate = 0;
    EXPECT_EQ(make(object), nullptr);
}

// One message, the handler it must reach with its arguments, and the answer.
struct DispatchCase {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const char* handler;
    WPARAM expectedW;
    LPARAM expectedL;
    LRESULT answer;
};

class DispatchTest : public WindowTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(DispatchTest, ReachesItsHandlerWithItsArguments) {
    const DispatchCase& c = GetParam();
    RecordingWindow object;
    ASSERT_NE(make(object), nullptr);
    object.calls.clear();
    LRESULT answer = SendMessageA(object.handle, c.message, c.wParam, c.lParam);
    const RecordingWindow::Call* call = object.lastCall(c.handler);
    ASSERT_NE(call, nullptr) << c.handler;
    EXPECT_EQ(call->wParam, c.expectedW) << c.handler;
    EXPECT_EQ(call->lParam, c.expectedL) << c.handler;
    EXPECT_EQ(answer, c.answer) << c.handler;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, DispatchTest,
    ::testing::Values(
        DispatchCase{WM_CHAR, 'a', 0x11, "onChar", 'a', 0x11, 0},
        DispatchCase{WM_CLOSE, 0, 0, "onClose", 0, 0, 0},
        DispatchCase{WM_COMMAND, 40004, 0x22, "onCommand", 40004, 0x22, 0},
        DispatchCase{WM_CONTEXTMENU, 0x33, 0x44, "onContextMenu", 0x33, 0x44, 0},
        DispatchCase{WM_CTLCOLORLISTBOX, 0x55, 0x66, "onCtlColorListBox", 0x55, 0x66, 0x1234},
        DispatchCase{WM_DRAWITEM, 0x77, 0, "onDrawItem", 0x77, 0, 1},
        DispatchCase{WM_DROPFILES, 0x88, 0x99, "onDropFiles", 0x88, 0, 0},
        DispatchCase{WM_ENDSESSION, 1, 0x40000000, "onEndSession", 1, 0x40000000, 0},
        DispatchCase{WM_INITMENU, 0, 0, "onInitMenu", 0, 0, 0},
        DispatchCase{WM_KEYDOWN, VK_F5, 0x1, "onKeyDown", VK_F5, 0x1, 0},
        DispatchCase{WM_KEYUP, VK_F6, 0x2, "onKeyUp", VK_F6, 0x2, 0},
        DispatchCase{WM_KILLFOCUS, 0, 0, "onKillFocus", 0, 0, 0},
        DispatchCase{WM_LBUTTONDOWN, MK_LBUTTON, 0x00050006, "onLButtonDown", MK_LBUTTON, 0x00050006, 0},
        DispatchCase{WM_LBUTTONUP, 0, 0x00070008, "onLButtonUp", 0, 0x00070008, 0},
        DispatchCase{WM_MENUSELECT, 0x10, 0x20, "onMenuSelect", 0x10, 0x20, 0},
        DispatchCase{WM_MOUSEMOVE, 0, 0x00030004, "onMouseMove", 0, 0x00030004, 0},
        DispatchCase{WM_PAINT, 0, 0, "onPaint", 0, 0, 0},
        DispatchCase{WM_QUERYENDSESSION, 0, 0, "onQueryEndSession", 0, 0, 7},
        DispatchCase{WM_RBUTTONDOWN, MK_RBUTTON, 0x00010002, "onRButtonDown", MK_RBUTTON, 0x00010002, 0},
        DispatchCase{WM_RBUTTONUP, 0, 0x00020001, "onRButtonUp", 0, 0x00020001, 0},
        DispatchCase{WM_SETFOCUS, 0, 0, "onSetFocus", 0, 0, 0},
        DispatchCase{WM_SIZE, SIZE_RESTORED, 0x00640032, "onSize", SIZE_RESTORED, 0x00640032, 0},
        DispatchCase{WM_SYSCOLORCHANGE, 0, 0, "onSysColorChange", 0, 0, 0},
        DispatchCase{WM_SYSKEYDOWN, 'X', 0x20000001, "onSysKeyDown", 'X', 0x20000001, 0},
        DispatchCase{WM_SYSKEYUP, 'X', 0x20000001, "onSysKeyUp", 'X', 0x20000001, 0},
        DispatchCase{WM_TIMER, 9, 0, "onTimer", 9, 0, 0},
        DispatchCase{WM_VKEYTOITEM, VK_DOWN, 0, "onVKeyToItem", VK_DOWN, 0, 3}));

TEST_F(WindowTest, NotifyReachesOnNotify) {
    // WM_NOTIFY carries a pointer that the platform reads; give it a real header.
    RecordingWindow object;
    ASSERT_NE(make(object), nullptr);
    NMHDR header{object.handle, 12, 0};
    EXPECT_EQ(SendMessageA(object.handle, WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&header)), 0);
    const RecordingWindow::Call* call = object.lastCall("onNotify");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->wParam, 12u);
    EXPECT_EQ(call->lParam, reinterpret_cast<LPARAM>(&header));
}

TEST_F(WindowTest, BaseHandlersAnswerTheirDefaults) {
    PlainWindow object;
    ASSERT_NE(make(object), nullptr);
    EXPECT_EQ(SendMessageA(object.handle, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(SendMessageA(object.handle, WM_CTLCOLORLISTBOX, 0, 0), 0);
    EXPECT_EQ(SendMessageA(object.handle, WM_VKEYTOITEM, VK_DOWN, 0), -1);
    EXPECT_EQ(SendMessageA(object.handle, WM_DRAWITEM, 0, 0), 1);
    // The base onClose destroys the window.
    SendMessageA(object.handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(object.handle));
}

TEST_F(WindowTest, UnhandledMessagesGoToTheDefaultProcedure) {
    RecordingWindow object;
    ASSERT_NE(make(object, "abcdef"), nullptr);
    // WM_GETTEXTLENGTH has no handler: the default procedure answers the title's length.
    EXPECT_EQ(SendMessageA(object.handle, WM_GETTEXTLENGTH, 0, 0), 6);
}

TEST_F(WindowTest, OtherMessageHandledAnswersZero) {
    RecordingWindow object;
    ASSERT_NE(make(object), nullptr);
    object.handleOther = 1;
    EXPECT_EQ(SendMessageA(object.handle, WM_APP, 3, 4), 0);
    const RecordingWindow::Call* call = object.lastCall("onOtherMessage");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->wParam, 3u);
    EXPECT_EQ(call->lParam, 4);
}

TEST_F(WindowTest, AWindowObjectCanCreateAgainAfterItsWindowIsGone) {
    RecordingWindow object;
    HWND first = make(object);
    ASSERT_NE(first, nullptr);
    DestroyWindow(first);
    EXPECT_EQ(object.handle, first);
    HWND second = make(object);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(object.handle, second);
}

}  // namespace
