#include "memo/Snap.h"

namespace {

// The two edges of a rectangle along one axis.
struct Axis {
    int32_t PixelRect::*low;
    int32_t PixelRect::*high;
};
constexpr Axis X{&PixelRect::left, &PixelRect::right};
constexpr Axis Y{&PixelRect::top, &PixelRect::bottom};

// Whether r and q, along axis a, overlap or come within reach of each other.
bool within(const PixelRect& r, const PixelRect& q, Axis a, int64_t reach) {
    return r.*a.low <= q.*a.high + reach && r.*a.high >= q.*a.low - reach;
}

// One pass of the snapping along axis a against q; answers whether an edge snapped.
bool snapAxis(PixelRect& r, const PixelRect& q, Axis a, Axis across, int32_t absorb, int64_t size, int64_t& offset) {
    if (!within(r, q, a, absorb) || !within(r, q, across, 0)) return false;
    int32_t& low = r.*a.low;
    int32_t& high = r.*a.high;
    // Docking on either side of q comes before aligning with it.
    bool lowSnapped;
    if (snapEdge(low, q.*a.high, absorb)) lowSnapped = true;
    else if (snapEdge(high, q.*a.low, absorb)) lowSnapped = false;
    else if (snapEdge(low, q.*a.low, absorb)) lowSnapped = true;
    else if (snapEdge(high, q.*a.high, absorb)) lowSnapped = false;
    else return false;
    if (offset >= absorb || offset <= -int64_t(absorb)) {
        int32_t& snapped = lowSnapped ? low : high;
        snapped = clamp32(snapped + offset);
        offset = 0;
    }
    if (lowSnapped) high = clamp32(low + size);
    else low = clamp32(high - size);
    return true;
}

}  // namespace

bool snapEdge(int32_t& edge, int32_t target, int32_t absorb) {
    if (edge < int64_t(target) - absorb || edge > int64_t(target) + absorb) return false;
    edge = target;
    return true;
}

void MemoSnap::onMoving(PixelRect& r, int32_t absorb, const std::vector<PixelRect>& obstacles) {
    if (firstMove) {
        lastLeft = r.left;
        lastTop = r.top;
        firstMove = false;
    }
    const int64_t width = int64_t(r.right) - r.left, height = int64_t(r.bottom) - r.top;
    // Within a step an offset may leave 32 bits; between steps it is 0 or lies
    // strictly between -absorb and absorb (a snap that keeps it tested that),
    // so the fields stay 32-bit.
    int64_t offX = offsetX + (int64_t(r.left) - lastLeft);
    int64_t offY = offsetY + (int64_t(r.top) - lastTop);
    bool snappedX = false, snappedY = false;
    for (const PixelRect& q : obstacles) {
        snappedX |= snapAxis(r, q, X, Y, absorb, width, offX);
        snappedY |= snapAxis(r, q, Y, X, absorb, height, offY);
    }
    offsetX = snappedX ? int32_t(offX) : 0;
    offsetY = snappedY ? int32_t(offY) : 0;
    lastLeft = r.left;
    lastTop = r.top;
}
