#include "memo/CaptionStrip.h"
#include <algorithm>
#include <string>
#include "win/Controls.h"
#include "win/Gdi.h"

namespace {

const COLORREF ALARM_BACK = RGB(220, 30, 30);
const COLORREF ALARM_TEXT = RGB(255, 255, 255);

}  // namespace

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

void CCaptionStrip::setClock(Clock clock) {
    if (clock == clock_) return;
    clock_ = clock;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CCaptionStrip::setLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The static paints itself first; its parent's colour answer gives the frame
// and the clock the colour of the text.
void CCaptionStrip::OnPaint() {
    defaultProcessing();
    if (!framed_ && !lit_ && clock_ == Clock::None) return;
    HDC dc = GetDC(hwnd());
    SendMessageA(GetParent(hwnd()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd()));
    COLORREF text = GetTextColor(dc);
    RECT r;
    GetClientRect(hwnd(), &r);
    if (lit_) {
        win::Brush back(CreateSolidBrush(ALARM_BACK));
        FillRect(dc, &r, back.get());
        text = ALARM_TEXT;
        SetTextColor(dc, text);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
        std::wstring caption = win::windowText(hwnd());
        RECT textRect = r;
        textRect.left += 2;
        DrawTextW(dc, caption.c_str(), int(caption.size()), &textRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, font);
    }
    if (clock_ != Clock::None) paintClock(dc, r, clock_ == Clock::Due && !lit_ ? ALARM_BACK : text);
    if (framed_) {
        win::Brush frame(CreateSolidBrush(text));
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, frame.get());
    }
    ReleaseDC(hwnd(), dc);
}

// A clock face with its two hands, as high as the strip allows.
void CCaptionStrip::paintClock(HDC dc, const RECT& strip, COLORREF color) const {
    const int size = std::max<int>(6, std::min<int>(strip.bottom - strip.top - 4, 12));
    const int right = strip.right - 4, top = (strip.top + strip.bottom - size) / 2;
    win::Pen pen(CreatePen(PS_SOLID, 1, color));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, right - size, top, right, top + size);
    const int cx = right - size / 2, cy = top + size / 2;
    MoveToEx(dc, cx, top + 2, nullptr);
    LineTo(dc, cx, cy);
    LineTo(dc, right - 3, cy);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}
