// Where a memo window's controls go, and where a memo is placed on the screen:
// window-free geometry in pixels.
#pragma once
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

// A stored rectangle that lies wholly beyond an edge of the primary screen
// (cx x cy) is moved back onto it, keeping its size; one that is partly on
// the screen stays where it is. Its edges then lie within FARTHEST_EDGE of 0:
// the file may hold any numbers, and the window code adds and subtracts
// edges and sizes in 32 bits.
PixelRect keepOnScreen(PixelRect r, int cx, int cy);
constexpr int32_t FARTHEST_EDGE = 1 << 28;

// A new memo: 300 x 150, centred on the primary screen.
PixelRect newMemoRect(int cx, int cy);
