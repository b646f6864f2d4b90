// A memo's text in view mode, control 1002 in the text static's place: a view
// of our own that paints the text in the colours its parent gives a static
// (WM_CTLCOLORSTATIC), wraps it unless its style has SS_LEFTNOWORDWRAP, and
// scrolls it with its own bars, the wheel and, with the focus, the keys.
// Clicks on the text go through to the memo (a drag, a double-click, its
// menu); only the bars take clicks of their own.
#pragma once
#include <string>
#include "memo/Scrolling.h"
#include "memo/TextLines.h"
#include "store/TextMatch.h"
#include "win/Window.h"

// The widths of `font`'s characters, kept once for the process and shared by
// the views and the editors, with those of `text` measured.
CharWidths& measuredWidths(HWND window, HFONT font, std::wstring_view text);

class CMemoView : public win::Window {
public:
    // Where the reader is: the first shown line's first code unit, and how far
    // the text is scrolled to the left.
    struct Place {
        uint32_t offset = 0;
        int32_t x = 0;
    };

    // Made in `parent` at `rect` (its client pixels), with the parent's font.
    bool createView(HWND parent, int id, const RECT& rect, DWORD exStyle);
    Place place() const;
    void setPlace(const Place& place);
    // Marks a match of the find window in the highlight colours and scrolls
    // it into view: its line a third down the page when it was not shown.
    // A new text ends the mark.
    void showMark(const TextMatch& mark);
    void clearMark();

protected:
    const win::MessageTable* messageTable() const override;

private:
    LRESULT OnSetText(WPARAM, LPARAM);
    LRESULT OnGetText(WPARAM, LPARAM);
    LRESULT OnGetTextLength(WPARAM, LPARAM);
    LRESULT OnSetFont(WPARAM, LPARAM);
    LRESULT OnGetFont(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnMouseWheel(WPARAM, LPARAM);
    LRESULT OnVScroll(WPARAM, LPARAM);
    LRESULT OnHScroll(WPARAM, LPARAM);
    void OnSize();
    LRESULT OnSetRedraw(WPARAM, LPARAM);
    void OnStyleChanged();
    LRESULT OnEraseBkgnd(WPARAM, LPARAM);
    void OnPaint();

    // Breaks the text into lines for the view's size and wrapping, shows the
    // bars it needs and keeps the first shown line.
    void layOut();
    // The font's line height and the widths of the text's characters.
    void measure();
    HFONT font() const;
    void scrollTo(ScrollPlace place);
    void setBar(int bar, int last, int page, int position, bool redraw);
    // Characters `from` to `to` of the mark, at `x`, `y` of the view.
    void paintMark(HDC dc, int32_t x, int32_t y, uint32_t from, uint32_t to) const;
    int32_t trackPosition(int bar) const;

    std::wstring text_;  // a Unicode window: WM_SETTEXT and WM_GETTEXT carry UTF-16
    TextMatch mark_;  // none while empty
    HFONT font_ = nullptr;
    CharWidths* widths_ = nullptr;  // shared by the views of one font
    bool wrap_ = true;
    TextLines lines_{{0}, 0};
    ViewExtent extent_;
    ScrollPlace place_;
    int32_t wheelRest_ = 0;
    bool layingOut_ = false;
    bool held_ = false;  // WM_SETREDRAW FALSE: neither laid out nor painted until TRUE
};
