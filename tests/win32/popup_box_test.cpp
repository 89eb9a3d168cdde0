// The popup box: button sets and results, focus and keys, closing without a button, the
// owner's input, the measured geometry, and fresh ids for every box.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "box_answerer.h"
#include "popup_box.h"
#include "test_support.h"

namespace {

constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr COLORREF LightGrey = RGB(192, 192, 192);

class PopupBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(box().registerWindowClass(), 0); }
    static void TearDownTestSuite() { UnregisterClassA("AboutClass", moduleInstance()); }
    static PopupBox& box() {
        static PopupBox object;
        return object;
    }

    void SetUp() override {
        owner = makeOwnerWindow();
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        drainQueue();
    }

    // Shows a box and answers it with `steps`; gives run's result.
    int show(DWORD style, std::vector<BoxStep> steps, const char* text = "Some text",
             const char* caption = "Caption", const char* iconName = nullptr) {
        BoxAnswerer answerer(std::move(steps));
        int result = box().run(owner, text, caption, style, iconName, 0, LightGrey, Grey);
        seen = answerer.seen();
        return result;
    }

    HWND owner = nullptr;
    SeenBox seen;
};

// A button set: its labels and the result of each button.
struct ButtonSetCase {
    DWORD style;
    std::vector<std::string> labels;
    std::vector<int> results;
};

class ButtonSetTest : public PopupBoxTest, public ::testing::WithParamInterface<ButtonSetCase> {};

TEST_P(ButtonSetTest, ShowsItsButtonsAndEachGivesItsResult) {
    const ButtonSetCase& c = GetParam();
    for (size_t i = 0; i < c.labels.size(); ++i) {
        int result = show(c.style, {{BoxStep::Click, static_cast<int>(i)}});
        ASSERT_TRUE(seen.found);
        ASSERT_EQ(seen.buttonCount, static_cast<int>(c.labels.size()));
        for (size_t b = 0; b < c.labels.size(); ++b) EXPECT_EQ(seen.labels[b], c.labels[b]);
        EXPECT_EQ(result, c.results[i]) << "button " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Styles, ButtonSetTest,
    ::testing::Values(ButtonSetCase{MB_OK, {"&Ok"}, {IDOK}},
                      ButtonSetCase{MB_OKCANCEL, {"&Ok", "&Cancel"}, {IDOK, IDCANCEL}},
                      ButtonSetCase{MB_YESNOCANCEL, {"&Yes", "&No", "&Cancel"}, {IDYES, IDNO, IDCANCEL}},
                      ButtonSetCase{MB_YESNO, {"&Yes", "&No"}, {IDYES, IDNO}},
                      // The platform would show other sets for these; the box shows "&Ok".
                      ButtonSetCase{MB_ABORTRETRYIGNORE, {"&Ok"}, {IDOK}},
                      ButtonSetCase{MB_RETRYCANCEL, {"&Ok"}, {IDOK}}));

// Keys pressed on the box, and the result they must give.
struct KeyCase {
    const char* name;
    DWORD style;
    std::vector<int> keys;
    int firstFocus;
    int result;
};

class KeyTest : public PopupBoxTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTest, MoveTheFocusAndPressButtons) {
    const KeyCase& c = GetParam();
    std::vector<BoxStep> steps;
    for (int key : c.keys) steps.push_back({BoxStep::Key, key});
    int result = show(c.style, steps);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.focusedButton, c.firstFocus) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyTest,
    ::testing::Values(KeyCase{"N presses No", MB_YESNOCANCEL, {'N'}, 0, IDNO},
                      KeyCase{"Enter presses the first", MB_YESNOCANCEL, {VK_RETURN}, 0, IDYES},
                      KeyCase{"Left wraps to the last", MB_YESNOCANCEL, {VK_LEFT, VK_RETURN}, 0, IDCANCEL},
                      KeyCase{"Tab wraps to the first", MB_YESNOCANCEL, {VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, 0, IDYES},
                      KeyCase{"Right moves on", MB_YESNOCANCEL, {VK_RIGHT, VK_RETURN}, 0, IDNO},
                      KeyCase{"C presses Cancel", MB_OKCANCEL, {'C'}, 0, IDCANCEL},
                      KeyCase{"An unknown letter does nothing", MB_OKCANCEL, {'Z', VK_TAB, VK_RETURN}, 0, IDCANCEL},
                      KeyCase{"Second button first", MB_YESNO | MB_DEFBUTTON2, {VK_RETURN}, 1, IDNO},
                      KeyCase{"Third button first", MB_YESNOCANCEL | MB_DEFBUTTON3, {VK_RETURN}, 2, IDCANCEL},
                      // A default-button bit beyond the set puts the focus on button 0.
                      KeyCase{"Third of two", MB_YESNO | MB_DEFBUTTON3, {VK_RETURN}, 0, IDYES},
                      KeyCase{"Second of one", MB_OK | MB_DEFBUTTON2, {VK_RETURN}, 0, IDOK},
                      // Esc presses the button the style names first, wherever the focus is.
                      KeyCase{"Esc presses Ok", MB_OK, {VK_ESCAPE}, 0, IDOK},
                      KeyCase{"Esc presses the default", MB_YESNOCANCEL | MB_DEFBUTTON2, {VK_ESCAPE}, 1, IDNO},
                      KeyCase{"Esc after a focus move", MB_YESNOCANCEL, {VK_TAB, VK_TAB, VK_ESCAPE}, 0, IDYES}));

int timerTicks = 0;
void CALLBACK countTick(HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; }

TEST_F(PopupBoxTest, WaitsWithoutBurningAProcessor) {
    // The thread's timers keep running while the box sleeps, and a key posted after the
    // idle wakes it.
    timerTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, countTick);
    EXPECT_EQ(show(MB_OK, {{BoxStep::Idle, 3000}, {BoxStep::Key, VK_RETURN}}), IDOK);
    KillTimer(nullptr, timer);
    EXPECT_GE(timerTicks, 10);
    ASSERT_GE(seen.idleCpuShare, 0);
    std::printf("processor time of the waiting box's thread: %.1f %% of one processor\n", 100 * seen.idleCpuShare);
    EXPECT_LT(seen.idleCpuShare, 0.10);
}

TEST_F(PopupBoxTest, DisablesTheOwnerWhileUpAndEnablesItAfter) {
    EXPECT_EQ(show(MB_OK, {{BoxStep::Key, VK_RETURN}}), IDOK);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(box().handle));
}

TEST_F(PopupBoxTest, ClosingWithoutAButtonEndsTheWaitWithZero) {
    for (BoxStep::Kind kind : {BoxStep::Close, BoxStep::AltF4}) {
        EXPECT_EQ(show(MB_YESNO, {{kind, 0}}), 0);
        EXPECT_TRUE(seen.found);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_FALSE(IsWindow(box().handle));
    }
}

TEST_F(PopupBoxTest, AQuitMessageEndsTheWaitAndStaysQueued) {
    EXPECT_EQ(show(MB_OK, {{BoxStep::Quit, 3}}), 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    // The box is left up for the application's loop to end; close it here.
    SendMessageA(box().handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(PopupBoxTest, EveryBoxGetsNewIdsAndStaleIdsChangeNothing) {
    EXPECT_EQ(show(MB_YESNOCANCEL, {{BoxStep::Click, 2}}), IDCANCEL);
    SeenBox first = seen;
    // The second box has one button; buttons 1 and 2 of the table still carry the ids of
    // the first box, and a command with those ids must not answer it.
    EXPECT_EQ(show(MB_OK, {{BoxStep::Command, first.buttonIds[1]},
                           {BoxStep::Command, first.buttonIds[2]},
                           {BoxStep::Key, VK_RETURN}}),
              IDOK);
    EXPECT_GT(seen.buttonIds[0], first.buttonIds[2]);
}

TEST_F(PopupBoxTest, CaptionIsTheWindowTitle) {
    show(MB_OK, {{BoxStep::Key, VK_RETURN}}, "Can't open file", "C:\\some where\\page.htm");
    EXPECT_EQ(seen.caption, "C:\\some where\\page.htm");
    EXPECT_EQ(seen.text, "Can't open file");
}

TEST_F(PopupBoxTest, TwoLinesWithAnIconGiveTheMeasuredLayout) {
    show(MB_ICONEXCLAMATION, {{BoxStep::Key, VK_RETURN}}, "first line\nsecond");
    int lineHeight = seen.lineHeight;
    ASSERT_GT(lineHeight, 0);
    EXPECT_EQ(box().lineCount, 2);
    EXPECT_EQ(seen.textRect.left, 64);
    EXPECT_EQ(seen.textRect.top, lineHeight);
    EXPECT_EQ(seen.textRect.bottom, 3 * lineHeight + 8);
    // Made 8 line heights high, then one pixel taller when centred.
    EXPECT_EQ(seen.windowRect.bottom - seen.windowRect.top, 8 * lineHeight + 1);
    // The buttons were placed in the client area as made, one pixel smaller each way
    // than after centring.
    int madeWidth = seen.clientRect.right - 1;
    int madeHeight = seen.clientRect.bottom - 1;
    EXPECT_EQ(seen.buttonRects[0].top, madeHeight - 2 * lineHeight);
    EXPECT_EQ(seen.buttonRects[0].right - seen.buttonRects[0].left, 60);
    EXPECT_EQ(seen.buttonRects[0].bottom - seen.buttonRects[0].top, 30);
    EXPECT_EQ(seen.buttonRects[0].left, madeWidth / 2 - 30);
    EXPECT_NE(box().icon, nullptr);
}

TEST_F(PopupBoxTest, TheIconBitsChooseTheSystemIconOrTheCallersOwn) {
    const std::pair<DWORD, const char*> icons[] = {{MB_ICONHAND, IDI_HAND},
                                                   {MB_ICONQUESTION, IDI_QUESTION},
                                                   {MB_ICONEXCLAMATION, IDI_EXCLAMATION},
                                                   {MB_ICONASTERISK, IDI_ASTERISK}};
    for (const auto& icon : icons) {
        show(icon.first, {{BoxStep::Key, VK_RETURN}});
        EXPECT_EQ(box().icon, LoadIconA(nullptr, icon.second)) << icon.first;
        EXPECT_EQ(seen.textRect.left, 64);
    }
    // Other icon bits take the caller's icon from the program's resources.
    show(0x50, {{BoxStep::Key, VK_RETURN}}, "text", "caption", MAKEINTRESOURCEA(102));
    EXPECT_EQ(box().icon, LoadIconA(moduleInstance(), MAKEINTRESOURCEA(102)));
    EXPECT_NE(box().icon, nullptr);
    EXPECT_EQ(seen.textRect.left, 64);
}

// The width of `caption` in the caption bar's font.
int captionTextWidth(const std::string& caption) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return extent.cx;
}

TEST_F(PopupBoxTest, TheCaptionWidensTheBoxUpToTheScreensWidth) {
    const std::string longCaption =
        "Z:\\a folder with a rather long name for the seed exchange pages\\kept by hand\\index.htm";
    const std::string endlessCaption = "Z:\\" + std::string(600, 'w') + ".htm";
    for (DWORD style : {MB_OK, MB_ICONEXCLAMATION}) {
        bool hasIcon = style != MB_OK;
        show(style, {{BoxStep::Key, VK_RETURN}}, "short", "a");
        EXPECT_EQ(seen.textRect.left, hasIcon ? 64 : 8);
        EXPECT_EQ(box().icon != nullptr, hasIcon);
        LONG narrow = seen.textRect.right;
        // A caption narrower than the text leaves the box as its text and buttons size it.
        show(style, {{BoxStep::Key, VK_RETURN}}, "short", "ab");
        EXPECT_EQ(seen.textRect.right, narrow) << style;

        show(style, {{BoxStep::Key, VK_RETURN}}, "short", longCaption.c_str());
        EXPECT_GT(seen.textRect.right, narrow) << style;
        EXPECT_GT(seen.windowRect.right - seen.windowRect.left, captionTextWidth(longCaption)) << style;
        // The text and buttons stay centred in the wider box.
        int madeWidth = seen.clientRect.right - 1;
        EXPECT_EQ(seen.buttonRects[0].left, madeWidth / 2 - 30) << style;

    }
    // With an icon the caption is not part of the text's measure; past the screen's width
    // it is cut. (Centring makes a box one pixel wider than it was made.)
    show(MB_ICONEXCLAMATION, {{BoxStep::Key, VK_RETURN}}, "short", endlessCaption.c_str());
    EXPECT_EQ(seen.windowRect.right - seen.windowRect.left, GetSystemMetrics(SM_CXSCREEN) + 1);
}

TEST_F(PopupBoxTest, ButtonSetsWidenANarrowText) {
    show(MB_YESNOCANCEL, {{BoxStep::Key, VK_RETURN}}, "x", "y");
    EXPECT_EQ(seen.textRect.right, 13 * seen.lineHeight);
    EXPECT_EQ(seen.buttonRects[0].left, (seen.clientRect.right - 1) / 2 - 100);
    EXPECT_EQ(seen.buttonRects[2].left, (seen.clientRect.right - 1) / 2 + 40);
    for (DWORD style : {MB_OKCANCEL, MB_YESNO}) {
        show(style, {{BoxStep::Key, VK_RETURN}}, "x", "y");
        EXPECT_GE(seen.textRect.right, 10 * seen.lineHeight);
        EXPECT_EQ(seen.buttonRects[1].left, (seen.clientRect.right - 1) / 2 + 10);
    }
}

struct LineCase {
    const char* text;
    int lines;
};

class LineCountTest : public PopupBoxTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineCountTest, CountsLinesAsTheBoxSplitsThem) {
    show(MB_OK, {{BoxStep::Key, VK_RETURN}}, GetParam().text);
    EXPECT_EQ(box().lineCount, GetParam().lines) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, LineCountTest,
                         ::testing::Values(LineCase{"", 0}, LineCase{"one", 1}, LineCase{"one\n", 1},
                                           LineCase{"one\n\ntwo", 3}, LineCase{"a\nb\n", 2}));

TEST_F(PopupBoxTest, ABoxCentresOnItsOwner) {
    show(MB_OK, {{BoxStep::Key, VK_RETURN}});
    RECT ownerRect;
    GetWindowRect(owner, &ownerRect);
    int ownerMiddle = (ownerRect.left + ownerRect.right) / 2;
    int boxMiddle = (seen.windowRect.left + seen.windowRect.right) / 2;
    EXPECT_LE(abs(ownerMiddle - boxMiddle), 1);
}

TEST_F(PopupBoxTest, PressingAnywhereOnTheBodyDragsTheBox) {
    EXPECT_EQ(show(MB_OK, {{BoxStep::Drag, 40}, {BoxStep::Key, VK_RETURN}}), IDOK);
    EXPECT_EQ(seen.draggedRect.left - seen.windowRect.left, 40);
    EXPECT_EQ(seen.draggedRect.top - seen.windowRect.top, 40);
}

TEST(BevelFrame, DrawsDarkTopLeftAndLightBottomRightOnTheRectanglesEdges) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all{0, 0, 40, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    BevelFrame frame;
    frame.light = RGB(255, 255, 255);
    frame.dark = RGB(128, 128, 128);
    frame.draw(dc);  // no rectangle yet: nothing
    EXPECT_EQ(GetPixel(dc, 5, 15), RGB(0, 0, 0));
    frame.setRect(RECT{5, 5, 30, 30});
    frame.draw(dc);
    EXPECT_EQ(GetPixel(dc, 5, 15), RGB(128, 128, 128));   // left
    EXPECT_EQ(GetPixel(dc, 15, 5), RGB(128, 128, 128));   // top
    EXPECT_EQ(GetPixel(dc, 30, 15), RGB(255, 255, 255));  // right
    EXPECT_EQ(GetPixel(dc, 15, 30), RGB(255, 255, 255));  // bottom
    EXPECT_EQ(GetPixel(dc, 15, 15), RGB(0, 0, 0));        // inside untouched
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(PumpPending, TakesEveryWaitingMessageAndStopsAtQuit) {
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    EXPECT_EQ(pumpPending(), 0);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    PostQuitMessage(4);
    EXPECT_EQ(pumpPending(), 1);
    EXPECT_EQ(pumpPending(), 1);  // left in the queue
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 4u);
}

}  // namespace
