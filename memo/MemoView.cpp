#include "memo/MemoView.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include "win/Gdi.h"
#include "win/SystemLibrary.h"

namespace {

// A font's average character width, as dialog units and the edit control's
// tab stops reckon it.
int32_t averageCharWidth(HDC dc) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    return (size.cx / 26 + 1) / 2;
}

// The widths of `font`, kept once for the process: the dialog manager makes
// a font for each memo, all alike, and most memos hold the same characters.
CharWidths& widthsOf(HWND window, HFONT font) {
    static std::vector<std::pair<LOGFONTA, std::unique_ptr<CharWidths>>> known;
    LOGFONTA f = {};
    GetObjectA(font, sizeof f, &f);
    for (auto& [k, widths] : known) {
        if (k.lfHeight == f.lfHeight && k.lfWidth == f.lfWidth && k.lfWeight == f.lfWeight &&
            k.lfItalic == f.lfItalic && k.lfCharSet == f.lfCharSet && lstrcmpA(k.lfFaceName, f.lfFaceName) == 0) {
            return *widths;
        }
    }
    win::FontDC dc(window, font);
    auto widths = std::make_unique<CharWidths>();
    widths->tab = std::max(1, TAB_STOP_UNITS * averageCharWidth(dc.get()) / 4);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc.get(), &metrics);
    widths->lineHeight = std::max<int>(1, metrics.tmHeight);
    known.emplace_back(f, std::move(widths));
    return *known.back().second;
}

}  // namespace

// The characters of `text` that the widths do not know yet are measured in one call.
CharWidths& measuredWidths(HWND window, HFONT font, std::wstring_view text) {
    CharWidths& widths = widthsOf(window, font);
    const std::vector<CharCode> codes = widths.unknown(text);
    if (codes.empty()) return widths;
    win::FontDC dc(window, font);
    std::wstring wide;
    std::vector<size_t> ends;  // where each character ends in `wide`
    for (CharCode c : codes) {
        wide += wchar_t(c);
        if ((c & 0xFC00) == 0xD800) {  // the pair it first came in
            const size_t at = text.find(wchar_t(c));
            wide += at + 1 < text.size() ? text[at + 1] : L'\xDC00';
        }
        ends.push_back(wide.size());
    }
    std::vector<int> extents(wide.size() + 1);
    SIZE size;
    GetTextExtentExPointW(dc.get(), wide.data(), int(wide.size()), 0, nullptr, extents.data() + 1, &size);
    size_t start = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        // A pair is one glyph as it is drawn (drawText), not one a unit as GDI measures it.
        const int pair = (codes[i] & 0xFC00) == 0xD800 ? win::scriptText(dc.get(), wide.data() + start, 2, false) : -1;
        widths.set(codes[i], pair >= 0 ? pair : extents[ends[i]] - extents[start]);
        start = ends[i];
    }
    return widths;
}

namespace {

// Draws as the editor does: a surrogate pair as one glyph, a mark on its
// character, what the font lacks from another. GDI alone would draw a pair
// as two boxes; plain text takes the short way.
void drawText(HDC dc, int32_t x, int32_t y, const wchar_t* text, uint32_t length) {
    bool plain = true;
    for (uint32_t i = 0; i < length && plain; ++i) {
        plain = (CharCode(text[i]) & 0xF800) != 0xD800 && !isMark(CharCode(text[i]));
    }
    if (plain || win::scriptText(dc, text, int(length), true, x, y) < 0) {
        ExtTextOutW(dc, x, y, 0, nullptr, text, length, nullptr);
    }
}

// The pixels of the characters from `from` to `to` of a run, which holds no tab.
int32_t runWidth(std::wstring_view text, uint32_t from, uint32_t to, const CharWidths& widths) {
    int32_t width = 0;
    for (uint32_t i = from; i < to;) {
        const TextChar c = charAt(text, i);
        width += widths.width(c.code);
        i += c.size;
    }
    return width;
}

}  // namespace

bool CMemoView::createView(HWND parent, int id, const RECT& rect, DWORD exStyle) {
    if (!create(exStyle | WS_EX_NOPARENTNOTIFY, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, parent, 0, id)) {
        return false;
    }
    SendMessageA(hwnd(), WM_SETFONT, SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
    return true;
}

const win::MessageTable* CMemoView::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_SETTEXT, &CMemoView::OnSetText),
        win::onMessage(WM_GETTEXT, &CMemoView::OnGetText),
        win::onMessage(WM_GETTEXTLENGTH, &CMemoView::OnGetTextLength),
        win::onMessage(WM_SETFONT, &CMemoView::OnSetFont),
        win::onMessage(WM_GETFONT, &CMemoView::OnGetFont),
        win::onMessage(WM_NCHITTEST, &CMemoView::OnNcHitTest),
        win::onMessage(WM_GETDLGCODE, &CMemoView::OnGetDlgCode),
        win::onMessage(WM_KEYDOWN, &CMemoView::OnKeyDown),
        win::onMessage(WM_MOUSEWHEEL, &CMemoView::OnMouseWheel),
        win::onMessage(WM_VSCROLL, &CMemoView::OnVScroll),
        win::onMessage(WM_HSCROLL, &CMemoView::OnHScroll),
        win::onMessage(WM_SIZE, &CMemoView::OnSize),
        win::onMessage(WM_SETREDRAW, &CMemoView::OnSetRedraw),
        win::onMessage(WM_STYLECHANGED, &CMemoView::OnStyleChanged),
        win::onMessage(WM_ERASEBKGND, &CMemoView::OnEraseBkgnd),
        win::onMessage(WM_PAINT, &CMemoView::OnPaint),
    };
    static const win::MessageTable table(rows, Window::messageTable());
    return &table;
}

CMemoView::Place CMemoView::place() const { return {lines_.starts[size_t(place_.top)], place_.x}; }

void CMemoView::setPlace(const Place& place) {
    scrollTo(clampPlace({int64_t(lineOf(lines_, place.offset)), place.x}, extent_));
}

void CMemoView::showMark(const TextMatch& mark) {
    mark_ = mark;
    ScrollPlace p = place_;
    const int64_t line = int64_t(lineOf(lines_, mark.offset));
    if (line < p.top || line >= p.top + extent_.page()) p.top = line - extent_.page() / 3;
    // Without wrapping, the mark is shown across too, from its start.
    for (const TextRun& run : lineRuns(text_, lines_, size_t(line), *widths_, 0, INT32_MAX)) {
        const uint32_t runEnd = run.offset + run.length;
        if (mark.offset < run.offset || mark.offset > runEnd) continue;
        const int32_t x = run.x + runWidth(text_, run.offset, mark.offset, *widths_);
        const int32_t width = runWidth(text_, mark.offset, std::min(mark.offset + mark.length, runEnd), *widths_);
        if (x < p.x || x + width > p.x + extent_.width) {
            p.x = x - std::clamp(extent_.width - width, 0, extent_.width / 4);
        }
        break;
    }
    scrollTo(clampPlace(p, extent_));
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void CMemoView::clearMark() {
    if (mark_.length == 0) return;
    mark_ = {};
    InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT CMemoView::OnSetText(WPARAM, LPARAM text) {
    text_ = text ? reinterpret_cast<const wchar_t*>(text) : L"";
    mark_ = {};
    measure();
    lines_ = TextLines{{0}, 0};
    place_ = {};
    layOut();
    return TRUE;
}

LRESULT CMemoView::OnGetText(WPARAM size, LPARAM buffer) {
    if (size == 0 || !buffer) return 0;
    const size_t n = std::min<size_t>(size - 1, text_.size());
    std::copy_n(text_.data(), n, reinterpret_cast<wchar_t*>(buffer));
    reinterpret_cast<wchar_t*>(buffer)[n] = L'\0';
    return LRESULT(n);
}

LRESULT CMemoView::OnGetTextLength(WPARAM, LPARAM) { return LRESULT(text_.size()); }

LRESULT CMemoView::OnSetFont(WPARAM font, LPARAM) {
    font_ = reinterpret_cast<HFONT>(font);
    measure();
    layOut();
    return 0;
}

LRESULT CMemoView::OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(font_); }

HFONT CMemoView::font() const { return font_ ? font_ : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

void CMemoView::measure() {
    widths_ = &measuredWidths(hwnd(), font(), text_);
}

// The text lets clicks through to the memo; the bars keep theirs.
LRESULT CMemoView::OnNcHitTest(WPARAM, LPARAM) {
    LRESULT hit = defaultProcessing();
    return hit == HTVSCROLL || hit == HTHSCROLL ? hit : HTTRANSPARENT;
}

// The dialog manager would move the focus with the arrow keys.
LRESULT CMemoView::OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTARROWS; }

LRESULT CMemoView::OnKeyDown(WPARAM key, LPARAM) {
    static const std::pair<WPARAM, ScrollKey> keys[] = {
        {VK_UP, ScrollKey::Up},         {VK_DOWN, ScrollKey::Down}, {VK_PRIOR, ScrollKey::PageUp},
        {VK_NEXT, ScrollKey::PageDown}, {VK_HOME, ScrollKey::Home}, {VK_END, ScrollKey::End},
        {VK_LEFT, ScrollKey::Left},     {VK_RIGHT, ScrollKey::Right},
    };
    for (const auto& [k, scrollKey] : keys) {
        if (k != key) continue;
        scrollTo(afterKey(place_, scrollKey, extent_));
        return 0;
    }
    return defaultProcessing();
}

LRESULT CMemoView::OnMouseWheel(WPARAM wParam, LPARAM) {
    UINT perNotch = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    scrollTo(afterWheel(place_, GET_WHEEL_DELTA_WPARAM(wParam), wheelRest_, perNotch, extent_));
    return 0;
}

// The thumb's place while it is dragged, in 32 bits (the message carries 16).
int32_t CMemoView::trackPosition(int bar) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(hwnd(), bar, &info);
    return info.nTrackPos;
}

LRESULT CMemoView::OnVScroll(WPARAM request, LPARAM) {
    ScrollPlace p = place_;
    switch (LOWORD(request)) {
        case SB_LINEUP: p = afterKey(p, ScrollKey::Up, extent_); break;
        case SB_LINEDOWN: p = afterKey(p, ScrollKey::Down, extent_); break;
        case SB_PAGEUP: p = afterKey(p, ScrollKey::PageUp, extent_); break;
        case SB_PAGEDOWN: p = afterKey(p, ScrollKey::PageDown, extent_); break;
        case SB_TOP: p = afterKey(p, ScrollKey::Home, extent_); break;
        case SB_BOTTOM: p = afterKey(p, ScrollKey::End, extent_); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: p.top = trackPosition(SB_VERT); break;
    }
    scrollTo(clampPlace(p, extent_));
    return 0;
}

LRESULT CMemoView::OnHScroll(WPARAM request, LPARAM) {
    ScrollPlace p = place_;
    switch (LOWORD(request)) {
        case SB_LINELEFT: p = afterKey(p, ScrollKey::Left, extent_); break;
        case SB_LINERIGHT: p = afterKey(p, ScrollKey::Right, extent_); break;
        case SB_PAGELEFT: p.x -= extent_.width; break;
        case SB_PAGERIGHT: p.x += extent_.width; break;
        case SB_LEFT: p.x = 0; break;
        case SB_RIGHT: p.x = extent_.widest; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: p.x = trackPosition(SB_HORZ); break;
    }
    scrollTo(clampPlace(p, extent_));
    return 0;
}

// The range always exceeds the page: SetScrollInfo would hide the bar otherwise.
void CMemoView::setBar(int bar, int last, int page, int position, bool redraw) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = last;
    info.nPage = UINT(std::max(0, page));
    info.nPos = position;
    SetScrollInfo(hwnd(), bar, &info, redraw);
}

void CMemoView::scrollTo(ScrollPlace p) {
    if (p == place_) return;
    place_ = p;
    const DWORD style = GetWindowLongA(hwnd(), GWL_STYLE);
    if (style & WS_VSCROLL) SetScrollPos(hwnd(), SB_VERT, int(p.top), TRUE);
    if (style & WS_HSCROLL) SetScrollPos(hwnd(), SB_HORZ, p.x, TRUE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void CMemoView::OnSize() { layOut(); }

LRESULT CMemoView::OnSetRedraw(WPARAM redraw, LPARAM) {
    held_ = !redraw;
    layOut();
    return 0;
}

void CMemoView::OnStyleChanged() {
    bool wrap = (GetWindowLongA(hwnd(), GWL_STYLE) & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
    if (wrap == wrap_) return;
    wrap_ = wrap;
    layOut();
}

// The room is reckoned without the bars: the client area that showing or
// hiding one changes lays out the same, and its WM_SIZE is not laid out within.
void CMemoView::layOut() {
    if (!widths_ || layingOut_ || held_) return;
    layingOut_ = true;
    RECT client;
    GetClientRect(hwnd(), &client);
    const DWORD style = GetWindowLongA(hwnd(), GWL_STYLE);
    const int32_t barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int32_t width = client.right + (style & WS_VSCROLL ? barWidth : 0);
    const int32_t height = client.bottom + (style & WS_HSCROLL ? barHeight : 0);
    const int32_t lineHeight = widths_->lineHeight;
    const size_t page = size_t(std::max(1, height / lineHeight));
    // Wrapped, the lines are counted only as far as a bar needs.
    TextLines lines = breakLines(text_, *widths_, wrap_ ? std::max(1, width) : 0, wrap_ ? page : SIZE_MAX);
    const ScrollBars bars = barsFor(int64_t(lines.starts.size()), lines.widest, width, height, lineHeight, barWidth,
                                    wrap_);
    if (wrap_ && lines.starts.size() > page) {
        lines = breakLines(text_, *widths_, std::max(1, bars.vertical ? width - barWidth : width));
    }
    // Both bars change the frame at once.
    const DWORD barStyle = (bars.vertical ? WS_VSCROLL : 0) | (bars.horizontal ? WS_HSCROLL : 0);
    if ((style & (WS_VSCROLL | WS_HSCROLL)) != barStyle) {
        SetWindowLongA(hwnd(), GWL_STYLE, (style & ~(WS_VSCROLL | WS_HSCROLL)) | barStyle);
        SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    ViewExtent e;
    e.lines = int64_t(lines.starts.size());
    e.widest = lines.widest;
    e.width = width - (bars.vertical ? barWidth : 0);
    e.height = height - (bars.horizontal ? barHeight : 0);
    e.lineHeight = lineHeight;
    place_ = afterReflow(place_, lines_, lines, e);
    lines_ = std::move(lines);
    extent_ = e;
    // A memo being made is painted once shown: a bar's frame costs more than the text.
    const bool visible = IsWindowVisible(hwnd());
    if (bars.vertical) setBar(SB_VERT, int(e.lines - 1), int(e.page()), int(place_.top), visible);
    if (bars.horizontal) setBar(SB_HORZ, e.widest - 1, e.width, place_.x, visible);
    if (visible) InvalidateRect(hwnd(), nullptr, FALSE);
    layingOut_ = false;
}

void CMemoView::paintMark(HDC dc, int32_t x, int32_t y, uint32_t from, uint32_t to) const {
    const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    const COLORREF back = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetBkMode(dc, OPAQUE);
    drawText(dc, x, y, text_.data() + from, to - from);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, back);
    SetTextColor(dc, text);
}

LRESULT CMemoView::OnEraseBkgnd(WPARAM, LPARAM) { return 1; }  // painted with the text, at once

void CMemoView::OnPaint() {
    win::PaintDC paint(hwnd());
    RECT client;
    GetClientRect(hwnd(), &client);
    if (IsRectEmpty(&client) || !widths_ || held_) return;
    win::OffscreenDC buffer(paint.get(), client.right, client.bottom);
    HDC dc = buffer.get();
    // The colours a static gets: the memo answers its colour request.
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(hwnd()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd())));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ before = SelectObject(dc, font());
    int32_t y = 0;
    for (size_t line = size_t(place_.top); line < lines_.starts.size() && y < client.bottom; ++line, y += widths_->lineHeight) {
        for (const TextRun& run : lineRuns(text_, lines_, line, *widths_, place_.x, place_.x + client.right)) {
            drawText(dc, run.x - place_.x, y, text_.data() + run.offset, run.length);
            const uint32_t from = std::max(run.offset, mark_.offset);
            const uint32_t to = std::min(run.offset + run.length, mark_.offset + mark_.length);
            if (from < to) paintMark(dc, run.x - place_.x + runWidth(text_, run.offset, from, *widths_), y, from, to);
        }
    }
    SelectObject(dc, before);
}
