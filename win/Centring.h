// Where a dialog opens, window-free: centred over a span, kept inside another.
#pragma once
#include <algorithm>
#include <cstdint>

namespace win {

// The start, along one axis, of a window `size` long centred over [overLow,
// overHigh) and then moved inside [areaLow, areaHigh); one larger than the
// area starts at its low edge, so that its caption stays reachable.
inline int32_t centredStart(int32_t size, int32_t overLow, int32_t overHigh, int32_t areaLow, int32_t areaHigh) {
    int64_t start = (int64_t(overLow) + overHigh - size) / 2;
    start = std::min<int64_t>(start, int64_t(areaHigh) - size);
    return int32_t(std::max<int64_t>(start, areaLow));
}

}  // namespace win
