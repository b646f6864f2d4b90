#include "memo/Layout.h"
#include <algorithm>
#include "store/MemoFile.h"

MemoLayout layoutMemo(const LayoutInput& in) {
    const PixelRect& c = in.client;
    MemoLayout out;
    // Room for the tab rows and the strip's own border at the bottom.
    const int tabTop = c.bottom - in.rows * in.tabHeight - 6;
    out.caption = {c.left, c.top, c.right, in.caption.bottom};
    out.cancel = {c.right - in.cancel.width(), c.bottom - in.cancel.height(), c.right, c.bottom};
    const int rowTop = out.cancel.top;
    out.ok = {out.cancel.left - in.ok.width(), rowTop, out.cancel.left, c.bottom};
    out.label = {c.left, rowTop, c.left + in.label.width(), c.bottom};
    out.title = {out.label.right, rowTop, out.ok.left, c.bottom};
    out.text = {c.left, in.caption.bottom, c.right, in.tabsHidden ? c.bottom : tabTop};
    out.editor = {c.left, in.caption.bottom + 1, c.right, in.editMode ? rowTop : tabTop};
    out.tabs = {c.left, tabTop, c.right, c.bottom};
    return out;
}

namespace {
// Moves the edges low..high along one axis back onto 0..screen when they lie
// wholly beyond it, then within FARTHEST_EDGE of 0, which changes nothing on
// the screen.
void keepOnAxis(int32_t& low, int32_t& high, int32_t screen) {
    const int64_t size = int64_t(high) - low;
    if (high <= 0) {
        low = 0;
        high = clamp32(size);
    } else if (low >= screen) {
        high = screen;
        low = clamp32(screen - size);
    }
    low = std::clamp(low, -FARTHEST_EDGE, FARTHEST_EDGE);
    high = std::clamp(high, -FARTHEST_EDGE, FARTHEST_EDGE);
}
}  // namespace

PixelRect keepOnScreen(PixelRect r, int cx, int cy) {
    keepOnAxis(r.top, r.bottom, cy);
    keepOnAxis(r.left, r.right, cx);
    return r;
}

PixelRect newMemoRect(int cx, int cy) {
    const int left = (cx - NEW_MEMO_WIDTH) / 2, top = (cy - NEW_MEMO_HEIGHT) / 2;
    return {left, top, left + NEW_MEMO_WIDTH, top + NEW_MEMO_HEIGHT};
}
