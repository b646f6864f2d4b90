#include <gtest/gtest.h>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include "memo/Snap.h"

namespace {

constexpr int32_t MIN = INT32_MIN, MAX = INT32_MAX;
const PixelRect q{100, 100, 300, 300}, narrow{100, 100, 110, 300}, screen{0, 0, 1024, 768};
const MemoSnap fresh{}, after310{0, 0, 310, 150, false};  // the step before left the memo at 310, 150

struct Step {
    PixelRect proposed, expected;
    int32_t offsetX = 0;
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
            if (mirrored) std::swap(s.lastLeft, s.lastTop), std::swap(s.offsetX, s.offsetY);
            for (size_t i = 0; i < d.steps.size(); ++i) {
                PixelRect r = flip(d.steps[i].proposed);
                s.onMoving(r, d.absorb, obstacles);
                EXPECT_EQ(edges(r), edges(flip(d.steps[i].expected))) << "step " << i;
                EXPECT_EQ(mirrored ? s.offsetY : s.offsetX, d.steps[i].offsetX) << "step " << i;
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
        {"docking right before left", 20, {narrow}, fresh, {{{104, 150, 106, 250}, {110, 150, 112, 250}}}},
        {"docking left before aligning left", 20, {q}, fresh, {{{95, 150, 105, 250}, {90, 150, 100, 250}}}},
        {"aligning left before right", 20, {q}, fresh, {{{105, 150, 295, 250}, {100, 150, 290, 250}}}},
        {"no vertical overlap", 20, {q}, fresh, {{{315, 310, 515, 410}, {315, 310, 515, 410}}}},
        {"touching a lower corner overlaps", 20, {q}, fresh, {{{315, 300, 515, 400}, {300, 300, 500, 400}}}},
        {"touching an upper corner overlaps", 20, {q}, fresh, {{{315, 0, 515, 100}, {300, 0, 500, 100}}}},
        {"a later obstacle wins", 20, {q, {0, 0, 310, 768}}, fresh, {{{315, 150, 515, 250}, {310, 150, 510, 250}}}},
        {"screen's left edge", 20, {screen}, fresh, {{{-15, 150, 185, 250}, {0, 150, 200, 250}}}},
        {"screen's right edge", 20, {screen}, fresh, {{{835, 150, 1035, 250}, {824, 150, 1024, 250}}}},
        {"screen's top edge", 20, {screen}, fresh, {{{300, -10, 500, 90}, {300, 0, 500, 100}}}},
        {"screen's bottom edge", 20, {screen}, fresh, {{{300, 680, 500, 780}, {300, 668, 500, 768}}}},
    });
}

TEST(Snap, HoldingAndBreakingFree) {
    run({
        {"docks, holds, breaks free rightwards", 20, {q}, after310,
         {{{315, 150, 515, 250}, {300, 150, 500, 250}, 5},
          {{310, 150, 510, 250}, {300, 150, 500, 250}, 15},
          {{306, 150, 506, 250}, {321, 150, 521, 250}, 0}}},
        {"breaks free leftwards at -A", 20, {q}, after310,
         {{{305, 150, 505, 250}, {300, 150, 500, 250}, -5}, {{285, 150, 485, 250}, {280, 150, 480, 250}, 0}}},
        {"a snapped right edge breaks free at A", 20, {q}, {0, 0, -110, 150, false},
         {{{-105, 150, 95, 250}, {-100, 150, 100, 250}, 5}, {{-85, 150, 115, 250}, {-80, 150, 120, 250}, 0}}},
        {"a free step clears the offset", 20, {q}, after310,
         {{{315, 150, 515, 250}, {300, 150, 500, 250}, 5},
          {{325, 150, 525, 250}, {325, 150, 525, 250}, 0},
          {{318, 150, 518, 250}, {300, 150, 500, 250}, -7}}},
        {"the first move counts once, later drags go on from it", 20, {q}, fresh,
         {{{500, 150, 700, 250}, {500, 150, 700, 250}}, {{315, 150, 515, 250}, {115, 150, 315, 250}}}},
        {"A = 0: exact contact snaps and frees at once", 0, {q}, {0, 0, 290, 150, false},
         {{{300, 150, 500, 250}, {310, 150, 510, 250}}, {{301, 150, 501, 250}, {301, 150, 501, 250}}}},
        {"A = -1 snaps nothing", -1, {q}, {0, 0, 90, 150, false}, {{{100, 150, 300, 250}, {100, 150, 300, 250}}}},
    });
}

// A drag starts afresh: a cancelled drag put the memo back where it started,
// and the next drag's first step must not count the cancelled distance.
TEST(Snap, EveryDragStartsAfresh) {
    MemoSnap s;
    PixelRect r{215, 300, 515, 450};  // 200 px to the right of 15, 300; then Escape
    s.onMoving(r, 20, {screen});
    s.beginDrag();
    r = {18, 300, 318, 450};  // 3 px from where Escape put it back
    s.onMoving(r, 20, {screen});
    EXPECT_EQ(r, (PixelRect{0, 300, 300, 450}));  // docked at the screen's edge, not thrown off it
    EXPECT_EQ(s.offsetX, 0);
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
        EXPECT_EQ(s.lastLeft, c.kept.left);  // the next step goes on from where it is
    }
}

// Beyond 32 bits a coordinate is clamped; below that, 64-bit arithmetic decides.
TEST(Snap, ExtremeValues) {
    run({
        {"A = INT_MAX reaches past 32 bits", MAX, {q}, fresh, {{{200, 200, 400, 400}, {300, 300, 500, 500}}}},
        {"A = INT_MIN snaps nothing", MIN, {{MIN, 100, MAX, 300}}, fresh, {{{-1, 150, MAX, 250}, {-1, 150, MAX, 250}}}},
        {"offset past 32 bits, right edge clamped", 20, {{MAX - 50, 100, MAX, 300}}, {0, 0, MIN, 150, false},
         {{{MAX - 105, 150, MAX - 5, 250}, {MAX - 100, 150, MAX, 250}}}},
        {"offset past 32 bits, left edge clamped", 20, {{MIN, 100, MIN + 50, 300}}, {0, 0, MAX, 150, false},
         {{{MIN + 5, 150, MIN + 105, 250}, {MIN, 150, MIN + 100, 250}}}},
        {"width past 32 bits", 20, {{MIN, 0, MIN + 1, 100}}, fresh, {{{MIN + 10, 0, MAX, 100}, {MIN + 1, 0, MAX - 9, 100}}}},
        {"width pushed past INT_MAX", 20, {{-100, 0, 20, 100}}, fresh, {{{10, 0, MAX, 100}, {20, 0, MAX, 100}}}},
        {"inside out and out of reach", 20, {q}, fresh, {{{400, 150, 290, 250}, {400, 150, 290, 250}}}},
    });
}

}  // namespace
