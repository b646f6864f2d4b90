// A rectangle in pixels for the window-free memo code. Laid out as Win32's
// RECT (four 32-bit ints in this order); the window code converts.
#pragma once
#include <algorithm>
#include <cstdint>
#include <limits>

// A value computed in 64 bits, brought back into 32: clamping keeps a
// rectangle ordered where wrapping would turn it inside out.
inline int32_t clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

struct PixelRect {
    int32_t left, top, right, bottom;
    // The edges may lie further apart than 32 bits reach.
    int32_t width() const { return clamp32(int64_t(right) - left); }
    int32_t height() const { return clamp32(int64_t(bottom) - top); }
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
