// Owners of GDI objects and paint DCs, so that no path through a handler can
// leak one.
#pragma once
#include <string>
#include <windows.h>

namespace win {

// A brush, font or other GDI object, deleted when replaced or when the owner goes.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(nullptr); }

    void reset(Handle handle) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }
    Handle get() const { return handle_; }

private:
    Handle handle_ = nullptr;
};

using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Pen = GdiObject<HPEN>;

// BeginPaint and EndPaint around one WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(hwnd_, &paint_); }
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

// A bitmap to paint a window's client area into, copied to the screen at
// once when it goes: the user never sees it half painted. The bitmap is kept
// for the thread's later paints, one at a time, and grows as they need:
// making one for each paint costs more than the paint.
class OffscreenDC {
public:
    OffscreenDC(HDC screen, int width, int height) : screen_(screen), width_(width), height_(height) {
        Kept& kept = this->kept();
        if (!kept.dc) kept.dc = CreateCompatibleDC(screen);
        if (width > kept.width || height > kept.height) {
            kept.width = width > kept.width ? width : kept.width;
            kept.height = height > kept.height ? height : kept.height;
            HBITMAP bitmap = CreateCompatibleBitmap(screen, kept.width, kept.height);
            SelectObject(kept.dc, bitmap);
            kept.bitmap.reset(bitmap);
        }
    }
    OffscreenDC(const OffscreenDC&) = delete;
    OffscreenDC& operator=(const OffscreenDC&) = delete;
    ~OffscreenDC() { BitBlt(screen_, 0, 0, width_, height_, kept().dc, 0, 0, SRCCOPY); }
    HDC get() const { return kept().dc; }

private:
    struct Kept {
        HDC dc = nullptr;
        GdiObject<HBITMAP> bitmap;
        int width = 0, height = 0;
        ~Kept() {
            if (dc) DeleteDC(dc);
        }
    };
    static Kept& kept() {
        static Kept kept;
        return kept;
    }
    HDC screen_;
    int width_, height_;
};

// A DC of `window` with `font` selected, to measure text with; by default
// the font the window draws with (WM_GETFONT).
class FontDC {
public:
    explicit FontDC(HWND window, HFONT font = nullptr)
        : window_(window), dc_(GetDC(window)),
          before_(SelectObject(dc_, font ? font : reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)))) {}
    FontDC(const FontDC&) = delete;
    FontDC& operator=(const FontDC&) = delete;
    ~FontDC() {
        SelectObject(dc_, before_);
        ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ before_;
};

// The width in pixels of `text` in the font `window` draws with.
inline int textWidth(HWND window, const std::string& text) {
    FontDC dc(window);
    SIZE size = {};
    GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The metrics of the font `window` draws with.
inline TEXTMETRICA textMetrics(HWND window) {
    FontDC dc(window);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc.get(), &metrics);
    return metrics;
}

}  // namespace win
