#include "memo/Scrolling.h"

ScrollBars barsFor(int64_t lines, int32_t widest, int32_t width, int32_t height, int32_t lineHeight, int32_t bar,
                   bool wrap) {
    ScrollBars bars;
    if (height < lineHeight) return bars;
    auto tooHigh = [&](int32_t h) { return lines > std::max(1, h / std::max(1, lineHeight)); };
    bars.vertical = tooHigh(height);
    if (wrap) return bars;
    bars.horizontal = widest > width - (bars.vertical ? bar : 0);
    // The horizontal bar takes a line's room, which may ask for the vertical one.
    if (bars.horizontal && !bars.vertical) bars.vertical = tooHigh(height - bar);
    return bars;
}

ScrollPlace clampPlace(ScrollPlace p, const ViewExtent& e) {
    p.top = std::clamp<int64_t>(p.top, 0, std::max<int64_t>(0, e.lines - e.page()));
    p.x = std::clamp(p.x, 0, std::max(0, e.widest - e.width));
    return p;
}

ScrollPlace afterKey(ScrollPlace p, ScrollKey key, const ViewExtent& e) {
    switch (key) {
        case ScrollKey::Up: --p.top; break;
        case ScrollKey::Down: ++p.top; break;
        case ScrollKey::PageUp: p.top -= e.page(); break;
        case ScrollKey::PageDown: p.top += e.page(); break;
        case ScrollKey::Home: p.top = 0; break;
        case ScrollKey::End: p.top = e.lines; break;
        case ScrollKey::Left: p.x -= e.lineHeight; break;
        case ScrollKey::Right: p.x += e.lineHeight; break;
    }
    return clampPlace(p, e);
}

ScrollPlace afterWheel(ScrollPlace p, int32_t delta, int32_t& rest, uint32_t perNotch, const ViewExtent& e) {
    if (perNotch == 0) return p;
    const int64_t lines = std::min<int64_t>(perNotch, e.page());
    const int32_t unitsPerLine = std::max<int32_t>(1, int32_t(120 / lines));
    rest += delta;
    p.top -= rest / unitsPerLine;
    rest %= unitsPerLine;
    return clampPlace(p, e);
}

ScrollPlace afterReflow(ScrollPlace p, const TextLines& before, const TextLines& after, const ViewExtent& e) {
    const size_t top = size_t(std::clamp<int64_t>(p.top, 0, int64_t(before.starts.size()) - 1));
    p.top = int64_t(lineOf(after, before.starts[top]));
    return clampPlace(p, e);
}
