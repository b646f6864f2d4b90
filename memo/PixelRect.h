// A rectangle in pixels for the window-free memo code. Laid out as Win32's
// RECT (four 32-bit ints in this order); the window code converts.
#pragma once
#include <cstdint>

struct PixelRect {
    int32_t left, top, right, bottom;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
