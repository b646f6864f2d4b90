// Where a memo window's controls go, and where a memo is placed on the screen:
// window-free geometry in pixels.
#pragma once
#include <vector>
#include "memo/PixelRect.h"

// What the layout starts from: the client area and the controls' current
// rectangles (client pixels), the tab strip's rows, and the memo's mode.
struct LayoutInput {
    PixelRect client;
    PixelRect caption;  // the caption strip keeps its lower edge
    PixelRect label;    // the label, "OK" and "×" keep their sizes
    PixelRect ok;
    PixelRect cancel;
    int rows = 1;        // rows of tabs
    int tabHeight = 0;   // height of one tab
    bool tabsHidden = false;
    bool editMode = false;
};

// The controls' new rectangles. The caption editor lies over the caption strip.
struct MemoLayout {
    PixelRect caption, text, editor, tabs, label, title, ok, cancel;
};

MemoLayout layoutMemo(const LayoutInput& in);

// A stored rectangle that lies wholly beyond an edge of `area` (the work area
// of the primary screen) is moved back onto it, keeping its size; one that is
// partly on it stays where it is. Its edges then lie within FARTHEST_EDGE of
// 0: the file may hold any numbers, and the window code adds and subtracts
// edges and sizes in 32 bits.
PixelRect keepOnScreen(PixelRect r, const PixelRect& area);
constexpr int32_t FARTHEST_EDGE = 1 << 28;

// A new memo: 300 x 150, centred on the primary screen.
PixelRect newMemoRect(int cx, int cy);
// A new memo that would lie exactly over another memo moves down and right
// by `step` until it lies over none; one that would leave `area` (the work
// area of its monitor) starts again at its top left corner.
PixelRect cascade(PixelRect r, const std::vector<PixelRect>& others, int32_t step, const PixelRect& area);

// Of the monitors' work areas (without taskbars), the one a rectangle is on:
// the one it overlaps most, else the nearest. `workAreas` is not empty.
const PixelRect& workAreaOf(const PixelRect& r, const std::vector<PixelRect>& workAreas);

// A memo that can be seen on any monitor (overlaps its work area: a taskbar
// hides the rest) stays where it is; one that can be seen on none comes back, keeping its size, onto the work area of the
// monitor nearest to it (as keepOnScreen). No monitors: it stays.
PixelRect keepOnMonitors(const PixelRect& r, const std::vector<PixelRect>& workAreas);

// Of the memos at `places`, the one after `current` (before it when
// `backwards`) in the order of their place on the screen: top to bottom, then
// left to right, then as listed; after the last comes the first again.
size_t nextInPlaceOrder(const std::vector<PixelRect>& places, size_t current, bool backwards);

// The smallest client area in which edit mode still works: the caption
// strip, one line of text and the bottom row of label, title, "OK" and "×".
PixelRect minimumClient(const LayoutInput& in, int32_t lineHeight);
