// The scrolling rules of a memo's view: when a scroll bar shows, and where a
// wheel step, a key and a new layout leave the text. Window-free, in lines
// and pixels.
#pragma once
#include <algorithm>
#include <cstdint>
#include "memo/TextLines.h"

// The text in the view: its lines and widest line, the text area (without
// bars) and the height of a line.
struct ViewExtent {
    int64_t lines = 1;
    int32_t widest = 0;
    int32_t width = 0, height = 0;
    int32_t lineHeight = 1;
    // The whole lines the view shows.
    int64_t page() const { return std::max(1, height / std::max(1, lineHeight)); }
};

struct ScrollBars {
    bool vertical = false, horizontal = false;
    bool operator==(const ScrollBars& o) const { return vertical == o.vertical && horizontal == o.horizontal; }
};

// The bars of a view `width` x `height` pixels large with no bar shown, each
// bar `bar` pixels thick. A bar shows when its direction does not fit in the
// room the other bar leaves; with wrapping no line runs wider than the view,
// and `lines` are counted at the full width (the text wraps again beside a
// bar). A view lower than a line, as in a collapsed memo, shows none.
ScrollBars barsFor(int64_t lines, int32_t widest, int32_t width, int32_t height, int32_t lineHeight, int32_t bar,
                   bool wrap);

// Where the view stands: its first shown line, and how far the text is
// scrolled to the left in pixels.
struct ScrollPlace {
    int64_t top = 0;
    int32_t x = 0;
    bool operator==(const ScrollPlace& o) const { return top == o.top && x == o.x; }
};

// Within the text: the last page ends at the last line, the right edge at the widest line.
ScrollPlace clampPlace(ScrollPlace p, const ViewExtent& e);

// Up and Down move a line, Page Up and Page Down a page, Home and End (with
// or without Ctrl) to the start and the end; Left and Right a line's height sideways.
enum class ScrollKey { Up, Down, PageUp, PageDown, Home, End, Left, Right };
ScrollPlace afterKey(ScrollPlace p, ScrollKey key, const ViewExtent& e);

// A wheel turn of `delta` (120 a notch, positive away from the user) with
// `perNotch` lines a notch (the system's setting; a page when it exceeds
// one). What does not make a whole line is kept in `rest` for the next turn.
ScrollPlace afterWheel(ScrollPlace p, int32_t delta, int32_t& rest, uint32_t perNotch, const ViewExtent& e);

// The text laid out anew, `before` into `after` (a resize, wrapping switched):
// the first shown line's first character is in the first shown line again,
// where the end of the text allows.
ScrollPlace afterReflow(ScrollPlace p, const TextLines& before, const TextLines& after, const ViewExtent& e);
