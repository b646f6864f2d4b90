#include <gtest/gtest.h>
#include <climits>
#include "memo/Layout.h"

namespace {

TEST(Layout, NewMemoIsCentred) {
    EXPECT_EQ(newMemoRect(1024, 768), (PixelRect{362, 309, 662, 459}));
    EXPECT_EQ(newMemoRect(1025, 769), (PixelRect{362, 309, 662, 459}));  // halves truncate
}

TEST(Layout, StoredRectangleIsKeptOnTheScreen) {
    const int32_t F = FARTHEST_EDGE;
    struct Case {
        const char* name;
        PixelRect stored, kept;
    } cases[] = {
        {"on the screen", {10, 20, 310, 170}, {10, 20, 310, 170}},
        {"partly off on every side", {-299, -149, 1100, 800}, {-299, -149, 1100, 800}},
        {"wholly left", {-500, 20, -200, 170}, {0, 20, 300, 170}},
        {"touching the left edge from outside", {-300, 20, 0, 170}, {0, 20, 300, 170}},
        {"wholly right", {1024, 20, 1324, 170}, {724, 20, 1024, 170}},
        {"wholly above and left", {-500, -400, -200, -250}, {0, 0, 300, 150}},
        {"wholly below", {10, 768, 310, 918}, {10, 618, 310, 768}},
        // A hand-edited file: sizes beyond 32 bits are clamped, never wrapped,
        // and edges far off the screen are brought nearer.
        {"huge and left", {INT_MIN, 0, -1, 150}, {0, 0, F, 150}},
        {"huge and right", {2000, 0, INT_MAX, 150}, {-F, 0, 1024, 150}},
        {"inside out below", {0, INT_MAX, 300, INT_MIN}, {0, 0, 300, -F}},
        {"huge over the whole screen", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-F, -F, F, F}},
        {"inside out across the screen", {INT_MAX, 10, INT_MIN, 20}, {0, 10, -F, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PixelRect kept = keepOnScreen(c.stored, 1024, 768);
        EXPECT_EQ(kept, c.kept);
        // As the memo window uses it: a size, and an edge plus a size.
        EXPECT_EQ(kept.top + kept.height() + kept.width(), int64_t(kept.bottom) + kept.right - kept.left);
    }
}

TEST(Layout, ControlsFollowTheClientAreaAndTheMode) {
    LayoutInput in;
    in.client = {0, 0, 294, 144};
    in.caption = {0, 0, 294, 15};
    in.label = {0, 100, 60, 122};
    in.ok = {200, 100, 237, 122};
    in.cancel = {237, 100, 260, 122};
    in.tabHeight = 20;
    MemoLayout view = layoutMemo(in);
    EXPECT_EQ(view.caption, (PixelRect{0, 0, 294, 15}));
    EXPECT_EQ(view.tabs, (PixelRect{0, 118, 294, 144}));  // one row and the strip's border
    EXPECT_EQ(view.text, (PixelRect{0, 15, 294, 118}));
    EXPECT_EQ(view.editor, (PixelRect{0, 16, 294, 118}));
    // The bottom row: label, title editor, "OK", "×", all as tall as "×".
    EXPECT_EQ(view.cancel, (PixelRect{271, 122, 294, 144}));
    EXPECT_EQ(view.ok, (PixelRect{234, 122, 271, 144}));
    EXPECT_EQ(view.label, (PixelRect{0, 122, 60, 144}));
    EXPECT_EQ(view.title, (PixelRect{60, 122, 234, 144}));

    in.rows = 2;
    EXPECT_EQ(layoutMemo(in).tabs.top, 98);
    in.tabsHidden = true;
    EXPECT_EQ(layoutMemo(in).text.bottom, 144);
    in.editMode = true;
    EXPECT_EQ(layoutMemo(in).editor.bottom, 122);
}

}  // namespace
