#include <gtest/gtest.h>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include "memo/Snap.h"

namespace {

constexpr int32_t MIN = INT32_MIN, MAX = INT32_MAX;
const PixelRect q{100, 100, 300, 300}, narrow{100, 100, 110, 300}, screen{0, 0, 1024, 768};
PixelRect at(int32_t left) { return {left, 150, left + 200, 250}; }  // a 200 x 100 memo beside q
MemoSnap began(PixelRect r) { return MemoSnap{r, r, 0, 0, true}; }
const MemoSnap fresh{}, after310 = began(at(310));  // the drag began with the memo at 310, 150

// The move loop proposes the rectangle the step before handed back, moved by the pointer's motion.
struct Step {
    PixelRect proposed, expected;
};

// One drag: the memo's state before it and each WM_MOVING step.
struct Drag {
    const char* name;
    int32_t absorb;
    std::vector<PixelRect> obstacles;
    MemoSnap start;
    std::vector<Step> steps;
};

PixelRect transpose(PixelRect r) { return {r.top, r.left, r.bottom, r.right}; }
struct Axis {
    int32_t PixelRect::*low;
    int32_t PixelRect::*high;
};
const Axis X{&PixelRect::left, &PixelRect::right}, Y{&PixelRect::top, &PixelRect::bottom};
PixelRect shifted(PixelRect r, Axis a, int64_t by) { return r.*a.low += int32_t(by), r.*a.high += int32_t(by), r; }
std::array<int32_t, 4> edges(PixelRect r) { return {r.left, r.top, r.right, r.bottom}; }

// Every drag runs as written and mirrored in the diagonal, so the vertical
// pass meets along y each case the horizontal one meets along x.
void run(const std::vector<Drag>& drags) {
    for (const Drag& d : drags) {
        for (bool mirrored : {false, true}) {
            SCOPED_TRACE(std::string(d.name) + (mirrored ? ", along y" : ""));
            auto flip = [&](PixelRect r) { return mirrored ? transpose(r) : r; };
            std::vector<PixelRect> obstacles;
            for (const PixelRect& o : d.obstacles) obstacles.push_back(flip(o));
            MemoSnap s = d.start;
            if (mirrored) s.start = flip(s.start), s.last = flip(s.last);
            for (size_t i = 0; i < d.steps.size(); ++i) {
                PixelRect r = flip(d.steps[i].proposed);
                s.onMoving(r, d.absorb, obstacles);
                EXPECT_EQ(edges(r), edges(flip(d.steps[i].expected))) << "step " << i;
            }
        }
    }
}

TEST(Snap, RulesAndTheirOrder) {
    run({
        {"docks on Q's right", 20, {q}, fresh, {{{315, 150, 515, 250}, {300, 150, 500, 250}}}},
        {"docks on Q's left", 20, {q}, fresh, {{{-115, 150, 85, 250}, {-100, 150, 100, 250}}}},
        {"left edges align", 20, {q}, fresh, {{{110, 150, 310, 250}, {100, 150, 300, 250}}}},
        {"right edges align", 20, {q}, fresh, {{{190, 150, 290, 250}, {200, 150, 300, 250}}}},
        {"reach is inclusive", 20, {q}, fresh, {{{320, 150, 520, 250}, {300, 150, 500, 250}}}},
        {"one pixel out of reach", 20, {q}, fresh, {{{321, 150, 521, 250}, {321, 150, 521, 250}}}},
        {"ties: docking right before left and aligning", 20, {narrow}, fresh, {{{105, 150, 115, 250}, {110, 150, 120, 250}}}},
        {"the nearest rule wins", 20, {q}, fresh, {{{112, 150, 292, 250}, {120, 150, 300, 250}}}},
        {"docking left before aligning left", 20, {q}, fresh, {{{95, 150, 105, 250}, {90, 150, 100, 250}}}},
        {"aligning left before right", 20, {q}, fresh, {{{105, 150, 295, 250}, {100, 150, 290, 250}}}},
        {"no vertical overlap", 20, {q}, fresh, {{{315, 310, 515, 410}, {315, 310, 515, 410}}}},
        {"touching a lower corner overlaps", 20, {q}, fresh, {{{315, 300, 515, 400}, {300, 300, 500, 400}}}},
        {"touching an upper corner overlaps", 20, {q}, fresh, {{{315, 0, 515, 100}, {300, 0, 500, 100}}}},
        {"the nearest obstacle wins", 20, {q, {0, 0, 310, 768}}, fresh, {{{315, 150, 515, 250}, {310, 150, 510, 250}}}},
        {"a tie goes to the first obstacle", 20, {q, {0, 0, 330, 768}}, fresh, {{{315, 150, 515, 250}, {300, 150, 500, 250}}}},
        {"screen's left edge", 20, {screen}, fresh, {{{-15, 150, 185, 250}, {0, 150, 200, 250}}}},
        {"screen's right edge", 20, {screen}, fresh, {{{835, 150, 1035, 250}, {824, 150, 1024, 250}}}},
        {"screen's top edge", 20, {screen}, fresh, {{{300, -10, 500, 90}, {300, 0, 500, 100}}}},
        {"screen's bottom edge", 20, {screen}, fresh, {{{300, 680, 500, 780}, {300, 668, 500, 768}}}},
    });
}

TEST(Snap, HoldingAndBreakingFree) {
    run({
        {"holds while the pointer is within A, lets go under it", 20, {q}, after310,
         {{at(315), at(300)}, {at(305), at(300)}, {at(301), at(321)}}},
        {"lets go leftwards", 20, {q}, after310, {{at(305), at(300)}, {at(275), at(300)}, {at(299), at(279)}}},
        {"a snapped right edge lets go at A", 20, {q}, began(at(-110)),
         {{at(-105), at(-100)}, {at(-75), at(-100)}, {at(-99), at(-79)}}},
        {"free, then snapped again", 20, {q}, after310, {{at(315), at(300)}, {at(340), at(355)}, {at(318), at(300)}}},
        {"without a begun drag the first step begins one", 20, {q}, fresh, {{at(500), at(500)}, {at(315), at(300)}}},
        {"A = 0: exact contact snaps and lets go at once", 0, {q}, began(at(290)),
         {{at(300), at(300)}, {at(301), at(301)}}},
        {"A = -1 snaps nothing", -1, {q}, began(at(90)), {{at(100), at(100)}}},
    });
}

// Each drag goes on from where the memo is: one that ended snapped, or was
// put back with Escape, does not carry the pointer's motion of the last one.
TEST(Snap, EveryDragStartsAfresh) {
    MemoSnap s = began({15, 300, 315, 450});
    PixelRect r{5, 300, 305, 450};
    s.onMoving(r, 20, {screen});
    EXPECT_EQ(r.left, 0);  // docked at the screen's edge, 5 px from the pointer
    s.beginDrag(r);
    r = {21, 300, 321, 450};
    s.onMoving(r, 20, {screen});
    EXPECT_EQ(r, (PixelRect{21, 300, 321, 450}));
}

// Slow drags across edges that two things share, in steps of every size: at
// each step the memo lies within A of where the pointer puts it, it docks on
// the edge on its way, and it ends wholly past it, under the pointer.
TEST(Snap, SlowDragsPassSharedEdges) {
    const PixelRect one{0, 0, 1024, 768}, two{1024, 0, 2048, 768}, below{0, 768, 1024, 1536};
    const struct {
        const char* name;
        std::vector<PixelRect> obstacles;
        PixelRect start;
        int32_t dx, dy, edge;
    } cases[] = {
        {"a column's right edge", {{500, 100, 700, 200}, {500, 220, 700, 320}, one}, {250, 150, 450, 250}, 500, 0, 700},
        {"the screen's edge and a memo aligned at it", {{0, 100, 200, 200}, one}, {60, 150, 260, 250}, -300, 0, 0},
        {"the border rightwards", {one, two}, {700, 300, 900, 400}, 500, 0, 1024},
        {"the border leftwards", {one, two}, {1200, 300, 1400, 400}, -500, 0, 1024},
        {"a monitor below, downwards", {one, below}, {300, 500, 500, 600}, 0, 500, 768},
        {"a monitor below, upwards", {below, one}, {300, 1000, 500, 1100}, 0, -500, 768},
    };
    std::mt19937 random(29);
    for (const auto& c : cases) {
        for (int32_t size : {1, 2, 3, 4, 5, 20, 21, 0}) {  // 0: random steps of 1 to 25
            SCOPED_TRACE(std::string(c.name) + ", steps of " + std::to_string(size));
            const Axis a = c.dx ? X : Y;
            const int64_t total = std::abs(c.dx + c.dy), sign = c.dx + c.dy > 0 ? 1 : -1;
            MemoSnap s = began(c.start);
            PixelRect r = c.start;
            bool docked = false;
            for (int64_t moved = 0, step; moved < total && !HasFailure(); moved += step) {
                step = std::min<int64_t>(size ? size : random() % 25 + 1, total - moved);
                s.onMoving(r = shifted(r, a, sign * step), 20, c.obstacles);
                EXPECT_LE(std::abs(r.*a.low - (c.start.*a.low + sign * (moved + step))), 20) << "after " << moved;
                docked |= r.*a.low == c.edge || r.*a.high == c.edge;
            }
            EXPECT_TRUE(docked);
            EXPECT_EQ(r, shifted(c.start, a, c.dx + c.dy));
        }
    }
}

// Breaking free may throw a memo far, but some of it stays where it can be grabbed.
TEST(Snap, MemoStaysWithinReach) {
    const PixelRect area{-1280, 0, 1024, 768};  // a second monitor on the left
    struct Case {
        const char* name;
        PixelRect r, kept;
    } cases[] = {
        {"on the screen", {10, 10, 310, 160}, {10, 10, 310, 160}},
        {"partly off, more than the margin on", {-1500, 10, -1200, 160}, {-1500, 10, -1200, 160}},
        {"past the left monitor's edge", {-1700, 10, -1400, 160}, {-1565, 10, -1265, 160}},
        {"past the right edge", {1200, 10, 1500, 160}, {1009, 10, 1309, 160}},
        {"above", {10, -400, 310, -250}, {10, -135, 310, 15}},
        {"below", {10, 900, 310, 1050}, {10, 753, 310, 903}},
        {"at the 32-bit end", {MIN, MIN, MIN + 300, MIN + 150}, {-1565, -135, -1265, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(keepReachable(c.r, area, 15), c.kept);
        MemoSnap s;
        PixelRect dragged = c.r;
        s.onMoving(dragged, 20, {}, Reach{area, 15});
        EXPECT_EQ(dragged, c.kept);
        EXPECT_EQ(s.last, c.kept);  // the next step goes on from where it is
    }
}

// Beyond 32 bits a coordinate is clamped; below that, 64-bit arithmetic decides.
TEST(Snap, ExtremeValues) {
    run({
        {"A = INT_MAX reaches past 32 bits", MAX, {q}, fresh, {{{200, 200, 400, 400}, {300, 300, 500, 500}}}},
        {"A = INT_MIN snaps nothing", MIN, {{MIN, 100, MAX, 300}}, fresh, {{{-1, 150, MAX, 250}, {-1, 150, MAX, 250}}}},
        {"offset past 32 bits, right edge clamped", 20, {{MAX - 50, 100, MAX, 300}}, began({MIN, 150, MIN + 100, 250}),
         {{{MAX - 105, 150, MAX - 5, 250}, {MAX - 100, 150, MAX, 250}}}},
        {"offset past 32 bits, left edge clamped", 20, {{MIN, 100, MIN + 50, 300}}, began({MAX - 100, 150, MAX, 250}),
         {{{MIN + 5, 150, MIN + 105, 250}, {MIN, 150, MIN + 100, 250}}}},
        {"width past 32 bits", 20, {{MIN, 0, MIN + 1, 100}}, fresh, {{{MIN + 10, 0, MAX, 100}, {MIN + 1, 0, MAX - 9, 100}}}},
        {"width pushed past INT_MAX", 20, {{-100, 0, 20, 100}}, fresh, {{{10, 0, MAX, 100}, {20, 0, MAX, 100}}}},
        {"inside out and out of reach", 20, {q}, fresh, {{{400, 150, 290, 250}, {400, 150, 290, 250}}}},
    });
}

}  // namespace
