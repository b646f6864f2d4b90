#include "memo/Snap.h"

namespace {

// The two edges of a rectangle along one axis.
struct Axis {
    int32_t PixelRect::*low;
    int32_t PixelRect::*high;
};
constexpr Axis X{&PixelRect::left, &PixelRect::right};
constexpr Axis Y{&PixelRect::top, &PixelRect::bottom};

// Edges along one axis, in 64 bits: the free rectangle may lie beyond 32.
struct Span {
    int64_t low, high;
};
Span span(const PixelRect& r, Axis a) { return {r.*a.low, r.*a.high}; }

// Whether s and q, along axis a, overlap or come within reach of each other.
bool within(Span s, const PixelRect& q, Axis a, int64_t reach) {
    return s.low <= q.*a.high + reach && s.high >= q.*a.low - reach;
}

// How far s must move along axis a for an edge to meet the nearest target
// within absorb of the obstacles that overlap `across` along the other axis; 0 when none is.
int64_t snapShift(Span s, Span across, Axis a, Axis b, const std::vector<PixelRect>& obstacles, int32_t absorb) {
    // Docking on either side of q, then aligning with it.
    struct Rule {
        bool lowEdge, toHigh;
    };
    constexpr Rule rules[] = {{true, true}, {false, false}, {true, false}, {false, true}};
    int64_t shift = 0, nearest = int64_t(absorb) + 1;
    size_t nearestRule = 0;
    for (const PixelRect& q : obstacles) {
        if (!within(s, q, a, absorb) || !within(across, q, b, 0)) continue;
        for (size_t rule = 0; rule < 4; ++rule) {
            const int64_t edge = rules[rule].lowEdge ? s.low : s.high;
            const int64_t target = rules[rule].toHigh ? q.*a.high : q.*a.low;
            const int64_t distance = target > edge ? target - edge : edge - target;
            // A tie goes to the earlier rule, then to the earlier obstacle.
            if (distance < nearest || (distance == nearest && rule < nearestRule)) {
                nearest = distance;
                nearestRule = rule;
                shift = target - edge;
            }
        }
    }
    return shift;
}

PixelRect shifted(const PixelRect& r, int64_t dx, int64_t dy) {
    return {clamp32(r.left + dx), clamp32(r.top + dy), clamp32(r.right + dx), clamp32(r.bottom + dy)};
}

}  // namespace

PixelRect snapMove(const PixelRect& start, int64_t dx, int64_t dy, const std::vector<PixelRect>& obstacles,
                   int32_t absorb) {
    if (absorb < 0) return shifted(start, dx, dy);
    Span x = span(start, X), y = span(start, Y);
    x = {x.low + dx, x.high + dx};
    y = {y.low + dy, y.high + dy};
    // The vertical pass sees the memo where the horizontal one put it.
    const int64_t sx = snapShift(x, y, X, Y, obstacles, absorb);
    x = {x.low + sx, x.high + sx};
    const int64_t sy = snapShift(y, x, Y, X, obstacles, absorb);
    return shifted(start, dx + sx, dy + sy);
}

namespace {
// Moves low..high along one axis so that at least `margin` of it lies within areaLow..areaHigh.
void keepAxisReachable(int32_t& low, int32_t& high, int32_t areaLow, int32_t areaHigh, int32_t margin) {
    int64_t shift = 0;
    if (int64_t(high) < int64_t(areaLow) + margin) shift = int64_t(areaLow) + margin - high;
    else if (int64_t(low) > int64_t(areaHigh) - margin) shift = int64_t(areaHigh) - margin - low;
    low = clamp32(low + shift);
    high = clamp32(high + shift);
}
}  // namespace

PixelRect keepReachable(PixelRect r, const PixelRect& area, int32_t margin) {
    keepAxisReachable(r.left, r.right, area.left, area.right, margin);
    keepAxisReachable(r.top, r.bottom, area.top, area.bottom, margin);
    return r;
}

void MemoSnap::onMoving(PixelRect& r, int32_t absorb, const std::vector<PixelRect>& obstacles, const Reach& reach) {
    if (!dragging) beginDrag(r);
    dx += int64_t(r.left) - last.left;
    dy += int64_t(r.top) - last.top;
    r = keepReachable(snapMove(start, dx, dy, obstacles, absorb), reach.area, reach.margin);
    last = r;
}
