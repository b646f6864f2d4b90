// How a memo snaps to the other memos and to the screen edges while it is
// dragged: pure arithmetic on rectangles, window-free.
#pragma once
#include <cstdint>
#include <vector>
#include "memo/PixelRect.h"

// If target - absorb <= edge <= target + absorb, moves edge to target and
// answers true. A negative absorb snaps nothing.
bool snapEdge(int32_t& edge, int32_t target, int32_t absorb);

// `r` moved, keeping its size, just far enough that at least `margin` pixels
// of it lie within `area` along each axis: a memo that can still be grabbed.
PixelRect keepReachable(PixelRect r, const PixelRect& area, int32_t margin);

// Where a memo must stay reachable while it is dragged; by default anywhere.
struct Reach {
    PixelRect area{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    int32_t margin = 0;
};

// The snapping state of one memo, kept across the WM_MOVING steps of one drag.
struct MemoSnap {
    // Pointer motion along x (y) since that axis last moved freely.
    int32_t offsetX = 0, offsetY = 0;
    // Where the previous step left the memo.
    int32_t lastLeft = 0, lastTop = 0;
    bool firstMove = true;

    // A drag starts afresh: one cancelled with Escape put the memo back
    // where it started, and its steps no longer count.
    void beginDrag() { *this = MemoSnap{}; }

    // Rewrites the proposed rectangle r of one WM_MOVING step (after the default
    // processing) against the obstacles: the other memos in registry order,
    // then the work area of each monitor (an edge snaps only to a monitor the
    // memo lies beside or on, so it docks to the inner edges of two monitors too). A later obstacle may move an edge an earlier
    // one snapped; last, the memo is kept within reach. Any absorb and any
    // rectangles are safe: the arithmetic runs in 64 bits, and a coordinate
    // beyond 32 bits is clamped.
    void onMoving(PixelRect& r, int32_t absorb, const std::vector<PixelRect>& obstacles, const Reach& reach = {});
};
