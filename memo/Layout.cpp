#include "memo/Layout.h"
#include <algorithm>
#include <utility>
#include "store/MemoFile.h"

MemoLayout layoutMemo(const LayoutInput& in) {
    const PixelRect& c = in.client;
    MemoLayout out;
    // Room for the tab rows and the strip's own border at the bottom.
    const int tabTop = c.bottom - in.rows * in.tabHeight - 6;
    const int rowTop = c.bottom - in.cancel.height();
    // However narrow the memo, the bottom row fits: the title editor gives
    // up its room first, then the label, "OK" and last "×".
    int room = std::max(0, c.width());
    auto take = [&room](int wanted) {
        int got = std::clamp(wanted, 0, room);
        room -= got;
        return got;
    };
    const int cancel = take(in.cancel.width()), ok = take(in.ok.width()), label = take(in.label.width());
    out.caption = {c.left, c.top, c.right, in.caption.bottom};
    out.cancel = {c.right - cancel, rowTop, c.right, c.bottom};
    out.ok = {out.cancel.left - ok, rowTop, out.cancel.left, c.bottom};
    out.label = {c.left, rowTop, c.left + label, c.bottom};
    out.title = {out.label.right, rowTop, out.ok.left, c.bottom};
    // A memo lower than its parts gives them no negative heights.
    auto below = [&](int top, int bottom) { return PixelRect{c.left, top, c.right, std::max(top, bottom)}; };
    out.text = below(in.caption.bottom, in.tabsHidden ? c.bottom : tabTop);
    out.editor = below(in.caption.bottom + 1, in.editMode ? rowTop : tabTop);
    out.tabs = {c.left, tabTop, c.right, c.bottom};
    return out;
}

namespace {
// Moves the edges low..high along one axis back onto areaLow..areaHigh when
// they lie wholly beyond it, then within FARTHEST_EDGE of 0, which changes
// nothing on the screen.
void keepOnAxis(int32_t& low, int32_t& high, int32_t areaLow, int32_t areaHigh) {
    const int64_t size = int64_t(high) - low;
    if (high <= areaLow) {
        low = areaLow;
        high = clamp32(areaLow + size);
    } else if (low >= areaHigh) {
        high = areaHigh;
        low = clamp32(areaHigh - size);
    }
    low = std::clamp(low, -FARTHEST_EDGE, FARTHEST_EDGE);
    high = std::clamp(high, -FARTHEST_EDGE, FARTHEST_EDGE);
}
}  // namespace

PixelRect keepOnScreen(PixelRect r, const PixelRect& area) {
    keepOnAxis(r.top, r.bottom, area.top, area.bottom);
    keepOnAxis(r.left, r.right, area.left, area.right);
    return r;
}

PixelRect newMemoRect(int cx, int cy) {
    const int left = (cx - NEW_MEMO_WIDTH) / 2, top = (cy - NEW_MEMO_HEIGHT) / 2;
    return {left, top, left + NEW_MEMO_WIDTH, top + NEW_MEMO_HEIGHT};
}

PixelRect cascade(PixelRect r, const std::vector<PixelRect>& others, int32_t step, const PixelRect& area) {
    if (step <= 0) return r;
    auto covered = [&] {
        return std::any_of(others.begin(), others.end(),
                           [&](const PixelRect& o) { return o.left == r.left && o.top == r.top; });
    };
    // Each step leaves one memo behind at most: the loop ends.
    for (size_t i = 0; i <= others.size() && covered(); ++i) {
        r = {clamp32(int64_t(r.left) + step), clamp32(int64_t(r.top) + step), clamp32(int64_t(r.right) + step),
             clamp32(int64_t(r.bottom) + step)};
        if (r.right > area.right || r.bottom > area.bottom) {
            r = {area.left, area.top, clamp32(int64_t(area.left) + r.width()), clamp32(int64_t(area.top) + r.height())};
        }
    }
    return r;
}

namespace {
// How far apart two rectangles lie, across and down (0 when they overlap or touch).
int64_t distance(const PixelRect& a, const PixelRect& b) {
    const int64_t dx = std::max<int64_t>({0, int64_t(b.left) - a.right, int64_t(a.left) - b.right});
    const int64_t dy = std::max<int64_t>({0, int64_t(b.top) - a.bottom, int64_t(a.top) - b.bottom});
    return dx + dy;
}

// The area two rectangles share; within a monitor it stays far from 64 bits.
int64_t overlap(const PixelRect& a, const PixelRect& b) {
    const int64_t w = std::min<int64_t>(a.right, b.right) - std::max<int64_t>(a.left, b.left);
    const int64_t h = std::min<int64_t>(a.bottom, b.bottom) - std::max<int64_t>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}
}  // namespace

const PixelRect& workAreaOf(const PixelRect& r, const std::vector<PixelRect>& workAreas) {
    const PixelRect* best = &workAreas.front();
    for (const PixelRect& area : workAreas) {
        const int64_t shared = overlap(r, area), bestShared = overlap(r, *best);
        if (shared > bestShared || (bestShared == 0 && shared == 0 && distance(r, area) < distance(r, *best)))
            best = &area;
    }
    return *best;
}

PixelRect keepOnMonitors(const PixelRect& r, const std::vector<PixelRect>& workAreas) {
    if (workAreas.empty()) return r;
    const PixelRect& area = workAreaOf(r, workAreas);
    return overlap(r, area) ? r : keepOnScreen(r, area);
}

size_t nextInPlaceOrder(const std::vector<PixelRect>& places, size_t current, bool backwards) {
    std::vector<size_t> order(places.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return std::pair(places[a].top, places[a].left) < std::pair(places[b].top, places[b].left);
    });
    const size_t at = size_t(std::find(order.begin(), order.end(), current) - order.begin());
    if (at == order.size()) return current;
    return order[(at + (backwards ? order.size() - 1 : 1)) % order.size()];
}

PixelRect minimumClient(const LayoutInput& in, int32_t lineHeight) {
    // The title editor keeps at least the room of "OK".
    const int64_t width = int64_t(in.label.width()) + 2 * int64_t(in.ok.width()) + in.cancel.width();
    const int64_t height = int64_t(in.caption.height()) + 1 + lineHeight + in.cancel.height();
    return {0, 0, clamp32(width), clamp32(height)};
}
