// The about box: an elliptic window without a caption, one "&Ok" button that gives 1, and
// its owner disabled while it is up.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "about_box.h"
#include "box_answerer.h"
#include "resource.h"
#include "test_support.h"

namespace {

// The about box with a look at its window region, taken as soon as the window is made.
class ProbedAboutBox : public AboutBox {
public:
    void afterCreate() override {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        regionKind = GetWindowRgn(handle, region);
        GetRgnBox(region, &regionBox);
        int w = regionBox.right;
        int h = regionBox.bottom;
        // Near the corner of the bounding rectangle, and as far in from the middles of
        // the top and left edges: outside and inside an ellipse, inside a rectangle.
        cornerInside = PtInRegion(region, w / 10, h / 10) != 0;
        topInside = PtInRegion(region, w / 2, h / 10) != 0;
        leftInside = PtInRegion(region, w / 10, h / 2) != 0;
        DeleteObject(region);
    }

    int regionKind = ERROR;
    RECT regionBox{0, 0, 0, 0};
    bool cornerInside = true;
    bool topInside = false;
    bool leftInside = false;
};

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(box.registerWindowClass(), 0);
        owner = makeOwnerWindow();
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        drainQueue();
        UnregisterClassA("AboutClass", moduleInstance());
    }

    ProbedAboutBox box;
    HWND owner = nullptr;
};

TEST_F(AboutBoxTest, IsAnEllipseWithOneOkButtonThatGivesOne) {
    const std::vector<BoxStep> answers[] = {
        {{BoxStep::Click, 0}}, {{BoxStep::Key, 'O'}}, {{BoxStep::Key, VK_RETURN}}, {{BoxStep::Key, VK_ESCAPE}}};
    for (const std::vector<BoxStep>& steps : answers) {
        BoxAnswerer answerer(steps);
        int result = box.run(owner, "Tagvetter\nline two\nline three", "About", 0,
                             MAKEINTRESOURCEA(IDI_TAGVETTER), 0, RGB(192, 192, 192), RGB(128, 128, 128));
        const SeenBox& seen = answerer.seen();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(result, IDOK) << steps[0].value;
        EXPECT_EQ(seen.buttonCount, 1);
        EXPECT_EQ(seen.labels[0], "&Ok");
        EXPECT_FALSE(seen.ownerEnabled);
        EXPECT_TRUE(IsWindowEnabled(owner));
        // No caption bar, and the caption is shown nowhere.
        EXPECT_EQ(seen.caption, "");
        EXPECT_EQ(seen.clientRect.bottom, seen.windowRect.bottom - seen.windowRect.top);
        // Three lines: the window is 11 lines high, one pixel more for the region and one
        // more again after centring; the button's top edge is 8 lines down.
        EXPECT_EQ(seen.windowRect.bottom - seen.windowRect.top, 11 * seen.lineHeight + 2);
        EXPECT_EQ(seen.buttonRects[0].top, 8 * seen.lineHeight);
    }
    // The window is cut to the ellipse inscribed in its rectangle.
    EXPECT_EQ(box.regionKind, COMPLEXREGION);
    EXPECT_GE(box.regionBox.right, box.width - 1);
    EXPECT_GE(box.regionBox.bottom, box.height - 1);
    EXPECT_FALSE(box.cornerInside);
    EXPECT_TRUE(box.topInside);
    EXPECT_TRUE(box.leftInside);
}

}  // namespace
