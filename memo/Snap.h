// How a memo snaps to the other memos and to the screen edges while it is
// dragged: pure arithmetic on rectangles, window-free.
#pragma once
#include <cstdint>
#include <vector>
#include "memo/PixelRect.h"

// If target - absorb <= edge <= target + absorb, moves edge to target and
// answers true. A negative absorb snaps nothing.
bool snapEdge(int32_t& edge, int32_t target, int32_t absorb);

// The snapping state of one memo, kept across the WM_MOVING steps of all its drags.
struct MemoSnap {
    // Pointer motion along x (y) since that axis last moved freely.
    int32_t offsetX = 0, offsetY = 0;
    // Where the previous step left the memo; persists from one drag to the next.
    int32_t lastLeft = 0, lastTop = 0;
    bool firstMove = true;

    // Rewrites the proposed rectangle r of one WM_MOVING step (after the default
    // processing) against the obstacles: the other memos in registry order,
    // then the screen rectangle. A later obstacle may move an edge an earlier
    // one snapped. Any absorb and any rectangles are safe: the arithmetic runs
    // in 64 bits, and a coordinate beyond 32 bits is clamped.
    void onMoving(PixelRect& r, int32_t absorb, const std::vector<PixelRect>& obstacles);
};
