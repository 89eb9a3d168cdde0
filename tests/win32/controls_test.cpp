// The child controls: ids from one counter, the status bar's parts and texts, buttons
// and their mnemonics.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "controls.h"
#include "test_support.h"
#include "window.h"

namespace {

// A plain top-level window to put controls on.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300, nullptr, nullptr,
                                 moduleInstance(), nullptr);
        ASSERT_NE(parent, nullptr);
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND parent = nullptr;
};

TEST_F(ControlsTest, IdsComeFromOneGrowingCounter) {
    ListBoxControl list;
    ButtonControl button;
    StatusBarControl bar;
    ASSERT_TRUE(bar.setPartCount(1));
    bar.addPart(5, 0);
    ASSERT_TRUE(list.create(parent));
    ASSERT_TRUE(button.createButton(parent, "&Ok", 0, 0, 60, 30, -1));
    ASSERT_TRUE(bar.create(parent));
    EXPECT_EQ(button.id, list.id + 1);
    EXPECT_EQ(bar.id, button.id + 1);
    ButtonControl spare;
    EXPECT_EQ(nextControlId(spare), bar.id + 1);
    EXPECT_EQ(spare.id, bar.id + 1);
    EXPECT_EQ(GetDlgCtrlID(list.handle), list.id);
    EXPECT_EQ(GetDlgCtrlID(button.handle), button.id);
    EXPECT_EQ(GetDlgCtrlID(bar.handle), bar.id);
}

TEST_F(ControlsTest, ListBoxIsMadeWithItsStylesAndLinkedToItsObject) {
    ListBoxControl list;
    list.style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS |
                 LBS_NOTIFY;
    list.exStyle = WS_EX_CLIENTEDGE;
    ASSERT_TRUE(list.create(parent));
    EXPECT_EQ(windowClassName(list.handle), "ListBox");
    DWORD style = GetWindowLongA(list.handle, GWL_STYLE);
    EXPECT_TRUE(style & LBS_USETABSTOPS);
    EXPECT_FALSE(style & LBS_SORT);
    EXPECT_TRUE(GetWindowLongA(list.handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(reinterpret_cast<ListBoxControl*>(GetWindowLongPtrA(list.handle, GWLP_USERDATA)), &list);
}

TEST_F(ControlsTest, AFailedCreationReportsZeroAndKeepsTheIdUsed) {
    ListBoxControl list;
    // A child style without a parent can't be made.
    list.style = WS_CHILD;
    EXPECT_EQ(list.create(nullptr), 0);
    EXPECT_EQ(list.handle, nullptr);
    ListBoxControl next;
    ASSERT_TRUE(next.create(parent));
    EXPECT_EQ(next.id, list.id + 1);
}

struct MnemonicCase {
    const char* label;
    char mnemonic;
};

class MnemonicTest : public ControlsTest, public ::testing::WithParamInterface<MnemonicCase> {};

TEST_P(MnemonicTest, IsTheCharacterAfterTheFirstAmpersand) {
    ButtonControl button;
    ASSERT_TRUE(button.createButton(parent, GetParam().label, 0, 0, 60, 30, -1));
    EXPECT_EQ(button.mnemonic, GetParam().mnemonic) << GetParam().label;
    EXPECT_EQ(windowText(button.handle), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Labels, MnemonicTest,
                         ::testing::Values(MnemonicCase{"&Ok", 'O'}, MnemonicCase{"&Cancel", 'C'},
                                           MnemonicCase{"&Yes", 'Y'}, MnemonicCase{"&No", 'N'},
                                           MnemonicCase{"Plain", 0}, MnemonicCase{"Ends&", 0},
                                           MnemonicCase{"Save &As &Copy", 'A'}));

TEST_F(ControlsTest, ButtonKeepsAGivenIdAndMakesNothingThroughCreate) {
    ButtonControl button;
    EXPECT_EQ(button.create(parent), 0);
    EXPECT_EQ(button.handle, nullptr);
    ASSERT_TRUE(button.createButton(parent, "&Yes", 5, 6, 60, 30, 4321));
    EXPECT_EQ(button.id, 4321);
    EXPECT_EQ(GetDlgCtrlID(button.handle), 4321);
    EXPECT_EQ(windowClassName(button.handle), "Button");
    EXPECT_FALSE(GetWindowLongA(button.handle, GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(reinterpret_cast<ButtonControl*>(GetWindowLongPtrA(button.handle, GWLP_USERDATA)), &button);
}

TEST(FindChar, FindsTheFirstOccurrenceButNeverTheTerminator) {
    const char text[] = "a&b&c";
    EXPECT_EQ(findChar(text, '&'), text + 1);
    EXPECT_EQ(findChar(text, 'c'), text + 4);
    EXPECT_EQ(findChar(text, 'z'), nullptr);
    EXPECT_EQ(findChar(text, '\0'), nullptr);
    EXPECT_EQ(findChar("", 'a'), nullptr);
}

TEST(StatusBarParts, AddPartBeyondTheCountIsIgnoredAndACountResetsTheParts) {
    StatusBarControl bar;
    ASSERT_TRUE(bar.setPartCount(2));
    bar.addPart(7, 0);
    bar.addPart(20, SBT_POPOUT);
    bar.addPart(99, 0);
    EXPECT_EQ(bar.partsAdded, 2);
    EXPECT_EQ(bar.widths[0], 7);
    EXPECT_EQ(bar.widths[1], 20);
    EXPECT_EQ(bar.styles[1], SBT_POPOUT);
    ASSERT_TRUE(bar.setPartCount(1));
    EXPECT_EQ(bar.partsAdded, 0);
    bar.addPart(3, 0);
    EXPECT_EQ(bar.partsAdded, 1);
    EXPECT_EQ(bar.widths[0], 3);
}

TEST_F(ControlsTest, EveryPartStartsEmptyAndTextKeepsThePartsStyle) {
    StatusBarControl bar;
    ASSERT_TRUE(bar.setPartCount(2));
    bar.addPart(7, 0);
    bar.addPart(20, SBT_POPOUT);
    ASSERT_TRUE(bar.create(parent));
    EXPECT_EQ(paneText(bar.handle, 0), "");
    EXPECT_EQ(paneText(bar.handle, 1), "");
    char buffer[32];
    strcpy(buffer, "57 different tags");
    bar.setText(1, buffer);
    // The bar keeps its own copy.
    strcpy(buffer, "changed");
    EXPECT_EQ(paneText(bar.handle, 1), "57 different tags");
    LRESULT info = SendMessageA(bar.handle, SB_GETTEXTLENGTHA, 1, 0);
    EXPECT_EQ(LOWORD(info), strlen("57 different tags"));
    EXPECT_EQ(HIWORD(info), SBT_POPOUT);
    LRESULT plain = SendMessageA(bar.handle, SB_GETTEXTLENGTHA, 0, 0);
    EXPECT_EQ(HIWORD(plain), 0);
}

TEST_F(ControlsTest, OnePartBarEndsOneAverageCharacterShort) {
    StatusBarControl bar;
    ASSERT_TRUE(bar.setPartCount(1));
    bar.addPart(50, 0);
    ASSERT_TRUE(bar.create(parent));
    RECT client;
    GetClientRect(parent, &client);
    bar.relayout(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    RECT barRect;
    GetWindowRect(bar.handle, &barRect);
    int edge = 0;
    ASSERT_EQ(SendMessageA(bar.handle, SB_GETPARTS, 1, reinterpret_cast<LPARAM>(&edge)), 1);
    EXPECT_EQ(edge, barRect.right - barRect.left - barAverageCharWidth(bar.handle));
}

TEST_F(ControlsTest, VisibleHeightIsZeroWhileTheBarIsHidden) {
    StatusBarControl bar;
    ASSERT_TRUE(bar.setPartCount(1));
    bar.addPart(5, 0);
    ASSERT_TRUE(bar.create(parent));
    RECT barRect;
    GetWindowRect(bar.handle, &barRect);
    EXPECT_EQ(bar.visibleHeight(), barRect.bottom - barRect.top);
    EXPECT_GT(bar.visibleHeight(), 0);
    ShowWindow(bar.handle, SW_HIDE);
    EXPECT_EQ(bar.visibleHeight(), 0);
}

}  // namespace
