// What a memo needs of the window that owns it; the resident window implements
// it, and a memo finds it through its owner window.
#pragma once
#include <windows.h>
#include <vector>
#include "memo/PixelRect.h"

class MemoOwner {
public:
    // The other memos' rectangles, hidden and collapsed ones included, in registry order.
    virtual std::vector<PixelRect> getMemoRects(HWND excluded) const = 0;
    // Every memo window, the asking one among them.
    virtual std::vector<HWND> getMemoWindows() const = 0;

protected:
    ~MemoOwner() = default;
};
