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
        PixelRect kept = keepOnScreen(c.stored, {0, 0, 1024, 768});
        EXPECT_EQ(kept, c.kept);
        // As the memo window uses it: a size, and an edge plus a size.
        EXPECT_EQ(kept.top + kept.height() + kept.width(), int64_t(kept.bottom) + kept.right - kept.left);
    }
}

// A taskbar takes an edge of the screen: the work area is what the memos
// come back onto.
TEST(Layout, StoredRectangleIsKeptOnTheWorkArea) {
    struct Case {
        const char* name;
        PixelRect area, stored, kept;
    } cases[] = {
        {"below a taskbar at the bottom", {0, 0, 1024, 728}, {10, 740, 310, 890}, {10, 578, 310, 728}},
        {"partly over a taskbar at the bottom", {0, 0, 1024, 728}, {10, 700, 310, 850}, {10, 700, 310, 850}},
        {"under a taskbar on the left", {40, 0, 1024, 768}, {-200, 20, 30, 170}, {40, 20, 270, 170}},
        {"above a taskbar at the top", {0, 30, 1024, 768}, {10, -150, 310, 25}, {10, 30, 310, 205}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(keepOnScreen(c.stored, c.area), c.kept);
    }
}

TEST(Layout, NewMemoCascadesOffTheMemosItWouldCover) {
    const PixelRect centre{362, 309, 662, 459};
    struct Case {
        const char* name;
        std::vector<PixelRect> others;
        PixelRect placed;
    } cases[] = {
        {"nothing there", {}, centre},
        {"a memo elsewhere", {{0, 0, 300, 150}}, centre},
        {"a memo of another size at the same place", {{362, 309, 500, 400}}, {377, 324, 677, 474}},
        {"two stacked, in any order", {{377, 324, 677, 474}, centre}, {392, 339, 692, 489}},
        {"one step away only", {{377, 324, 677, 474}}, centre},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cascade(centre, c.others, 15, {0, 0, 1024, 768}), c.placed);
    }
    EXPECT_EQ(cascade(centre, {centre}, 0, {0, 0, 1024, 768}), centre);  // no step, no loop
    // At the bottom of its monitor's work area it starts again at the top left.
    EXPECT_EQ(cascade(centre, {centre}, 15, {0, 0, 1024, 470}), (PixelRect{0, 0, 300, 150}));
}

// Only a memo that no monitor shows is moved, onto the nearest work area.
TEST(Layout, MemoStaysOnAnyMonitorAndComesBackToTheNearest) {
    // Work areas: a taskbar at the bottom of the primary and of the monitor above it.
    const PixelRect primary{0, 0, 1920, 1040}, right{1920, 0, 3200, 1024}, left{-1280, -200, 0, 784},
        above{0, -1080, 1920, -40};
    struct Case {
        const char* name;
        std::vector<PixelRect> monitors;
        PixelRect stored, kept;
    } cases[] = {
        {"on the right of two side by side", {primary, right}, {2500, 300, 2800, 450}, {2500, 300, 2800, 450}},
        {"across the two", {primary, right}, {1800, 300, 2100, 450}, {1800, 300, 2100, 450}},
        {"below the smaller, beside the larger", {primary, right}, {2500, 1050, 2800, 1200}, {2500, 874, 2800, 1024}},
        {"on a monitor left of the primary", {primary, left}, {-900, -150, -600, 0}, {-900, -150, -600, 0}},
        {"beyond the left one", {primary, left}, {-2000, 100, -1700, 250}, {-1280, 100, -980, 250}},
        {"on a monitor above", {primary, above}, {100, -900, 400, -750}, {100, -900, 400, -750}},
        {"that monitor unplugged", {primary}, {100, -900, 400, -750}, {100, 0, 400, 150}},
        {"hidden under the primary's taskbar", {primary}, {10, 1050, 310, 1200}, {10, 890, 310, 1040}},
        {"no monitors", {}, {-5000, 0, -4700, 150}, {-5000, 0, -4700, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(keepOnMonitors(c.stored, c.monitors), c.kept);
    }
}

// Ctrl+F6 goes through the memos top to bottom, then left to right, then as listed.
TEST(Layout, NextMemoInPlaceOrder) {
    const std::vector<PixelRect> memos = {{500, 300, 800, 450}, {400, 100, 700, 250}, {-900, 100, -600, 250},
                                          {500, 300, 800, 400}};
    const size_t after[] = {3, 0, 1, 2}, before[] = {1, 2, 3, 0};
    for (size_t i = 0; i < memos.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nextInPlaceOrder(memos, i, false), after[i]);
        EXPECT_EQ(nextInPlaceOrder(memos, i, true), before[i]);
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
    // Label, a title as wide as "OK", "OK" and "×"; caption, a line, the row.
    EXPECT_EQ(minimumClient(in, 12), (PixelRect{0, 0, 60 + 37 + 37 + 23, 15 + 1 + 12 + 22}));

    // A stored memo of any size: the bottom row fits, the title editor
    // giving up its room first, then the label, "OK" and "×"; the editor is
    // never of a negative height.
    struct Narrow {
        int32_t width, label, title, ok, cancel;
    } narrow[] = {{100, 40, 0, 37, 23}, {50, 0, 0, 27, 23}, {10, 0, 0, 0, 10}};
    for (const Narrow& n : narrow) {
        SCOPED_TRACE(n.width);
        in.client = {0, 0, n.width, 20};
        MemoLayout out = layoutMemo(in);
        EXPECT_EQ(out.cancel.right, n.width);
        EXPECT_EQ(out.label.left, 0);
        EXPECT_EQ((std::vector<int32_t>{out.label.width(), out.title.width(), out.ok.width(), out.cancel.width()}),
                  (std::vector<int32_t>{n.label, n.title, n.ok, n.cancel}));
        EXPECT_EQ(out.editor.height(), 0);
    }
}

}  // namespace
