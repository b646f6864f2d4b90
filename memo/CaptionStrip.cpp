#include "memo/CaptionStrip.h"
#include "win/Gdi.h"

const win::MessageTable* CCaptionStrip::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_PAINT, &CCaptionStrip::OnPaint),
    };
    static const win::MessageTable table(rows, Window::messageTable());
    return &table;
}

void CCaptionStrip::setFramed(bool framed) {
    if (framed == framed_) return;
    framed_ = framed;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The static paints itself first; its parent's colour answer gives the frame
// the colour of the text.
void CCaptionStrip::OnPaint() {
    defaultProcessing();
    if (!framed_) return;
    HDC dc = GetDC(hwnd());
    SendMessageA(GetParent(hwnd()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd()));
    win::Brush frame(CreateSolidBrush(GetTextColor(dc)));
    RECT r;
    GetClientRect(hwnd(), &r);
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, frame.get());
    ReleaseDC(hwnd(), dc);
}
