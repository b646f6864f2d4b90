// How a memo snaps to the other memos and to the monitors' edges while it is
// dragged: pure arithmetic on rectangles, window-free.
#pragma once
#include <cstdint>
#include <vector>
#include "memo/PixelRect.h"

// Where a dragged memo goes: `start` moved by the pointer's motion since the
// drag began (the free rectangle), then along each axis moved so that one of
// its edges meets the nearest target within `absorb` (bound inclusive), an
// axis whose edges have none staying free. Targets of an obstacle count only
// when the rectangles overlap across the axis (touching counts); along x, in
// this order on a tie: the left edge to the obstacle's right (docking on its
// right side), the right edge to its left, the left edges, the right edges;
// along y the same with top and bottom. A tie between obstacles goes to the
// first listed. As the target follows the pointer, a snapped memo lets go
// after `absorb` pixels of motion whatever else shares the edge, and a free
// one lies exactly where the pointer puts it. Any absorb and any rectangles
// are safe: the arithmetic runs in 64 bits and a coordinate beyond 32 bits is
// clamped; a negative absorb snaps nothing.
PixelRect snapMove(const PixelRect& start, int64_t dx, int64_t dy, const std::vector<PixelRect>& obstacles,
                   int32_t absorb);

// `r` moved, keeping its size, just far enough that at least `margin` pixels
// of it lie within `area` along each axis: a memo that can still be grabbed.
PixelRect keepReachable(PixelRect r, const PixelRect& area, int32_t margin);

// Where a memo must stay reachable while it is dragged; by default anywhere.
struct Reach {
    PixelRect area{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    int32_t margin = 0;
};

// One drag of a memo, fed by its WM_MOVING steps. The move loop proposes each
// step as the rectangle the previous one handed back moved by the pointer's
// motion, so the motions add up to the pointer's since the drag began.
struct MemoSnap {
    PixelRect start{};  // the window when the drag began
    PixelRect last{};   // what the previous step handed back
    int64_t dx = 0, dy = 0;  // the pointer's motion since the drag began
    bool dragging = false;

    // A drag begins with the window where it is now; a drag cancelled with
    // Escape ended with the memo put back where it started.
    void beginDrag(const PixelRect& window) { *this = MemoSnap{window, window, 0, 0, true}; }
    // Rewrites the proposed rectangle r of one WM_MOVING step (after the
    // default processing): snapMove against the obstacles (the other memos in
    // registry order, then the work area of each monitor), then kept within
    // reach. A step without a begun drag begins one where it proposes.
    void onMoving(PixelRect& r, int32_t absorb, const std::vector<PixelRect>& obstacles, const Reach& reach = {});
};
