// The memo window's geometry and appearance: its layout in either mode, the
// switches of its appearance (tabs, wrapping, collapsing, fixing), snapping
// while it moves and the colours of its caption strip and text.
#include "memo/MemoDlg.h"
#include <commctrl.h>
#include <algorithm>
#include "memo/Layout.h"
#include "memo/MemoOwner.h"
#include "win/Controls.h"
#include "win/Screen.h"

namespace {

PixelRect pixels(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT rect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// A control's rectangle in its parent's client pixels.
RECT childRect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void moveTo(HWND control, const PixelRect& r) { MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE); }

}  // namespace

// Shown once, at the end, with its appearance applied: a memo that is not yet shown
// costs no hide and show of its own.
void CMemoDlg::present(const std::wstring& caption, const PixelRect& place, const MemoAppearance& appearance) {
    caption_ = caption;
    markChanged();
    setItemText(IDC_MEMO_CAPTION, caption_);
    // One layout for the place and the switches, each of which would lay the memo out.
    layoutHeld_ = true;
    SetWindowPos(hwnd(), HWND_TOP, place.left, place.top, place.width(), place.height(), SWP_NOACTIVATE);
    fullRect_ = rect(place);
    appearance_.colors = appearance.colors;
    setShowTabs(!appearance.NOT_SHOW_TAB_FLAG);
    setWordWrap(appearance.WORDWRAP_FLAG);
    applyTabMode(settings_.general.TAB_MODE_FLAG);
    layoutHeld_ = false;
    layoutControls();
    setFixed(appearance.NON_MOVE_FLAG);
    setCompact(appearance.COMPACT_FLAG);
    SendMessageA(item(IDC_MEMO_TEXT), WM_SETREDRAW, TRUE, 0);
    ShowWindow(hwnd(), SW_SHOW);
}

const MemoOwner* CMemoDlg::owner() const {
    return dynamic_cast<const MemoOwner*>(win::Window::fromHandle(GetParent(hwnd())));
}

std::vector<PixelRect> CMemoDlg::ownerRects() const {
    return owner() ? owner()->getMemoRects(hwnd()) : std::vector<PixelRect>();
}

void CMemoDlg::activateNeighbour(bool backwards) {
    const std::vector<HWND> memos = owner() ? owner()->getMemoWindows() : std::vector<HWND>();
    std::vector<PixelRect> places;
    size_t self = memos.size();
    for (HWND memo : memos) {
        if (memo == hwnd()) self = places.size();
        RECT r;
        GetWindowRect(memo, &r);
        places.push_back(pixels(r));
    }
    if (self < memos.size()) SetForegroundWindow(memos[nextInPlaceOrder(places, self, backwards)]);
}

int32_t CMemoDlg::captionHeight() const { return pixels(childRect(item(IDC_MEMO_CAPTION))).height(); }

std::vector<PixelRect> CMemoDlg::workAreas() {
    std::vector<PixelRect> areas;
    for (const RECT& area : win::workAreas()) areas.push_back(pixels(area));
    return areas;
}

bool CMemoDlg::pullBackOnScreen() {
    return runHandler("pullBackOnScreen", [this] {
        RECT w;
        GetWindowRect(hwnd(), &w);
        PixelRect kept = keepOnMonitors(pixels(w), workAreas());
        if (kept == pixels(w)) return false;
        SetWindowPos(hwnd(), nullptr, kept.left, kept.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
    }) != 0;
}

// Every drag starts afresh. Its end reaches the file, as a resize's does; a
// click on the body is a drag that moves nothing, and saves nothing.
void CMemoDlg::OnEnterSizeMove() {
    GetWindowRect(hwnd(), &dragStart_);
    snap_.beginDrag(pixels(dragStart_));
    defaultProcessing();
}

void CMemoDlg::OnExitSizeMove() {
    defaultProcessing();
    RECT now;
    GetWindowRect(hwnd(), &now);
    if (EqualRect(&now, &dragStart_)) return;
    away_.reset();
    requestSave();
}

LRESULT CMemoDlg::OnMoving(WPARAM, LPARAM lParam) {
    defaultProcessing();
    auto* r = reinterpret_cast<RECT*>(lParam);
    PixelRect proposed = pixels(*r);
    std::vector<PixelRect> obstacles = ownerRects();
    for (const PixelRect& area : workAreas()) obstacles.push_back(area);
    // Wherever the pointer goes, a caption strip's height of the memo stays
    // on the screen, where it can be grabbed again.
    snap_.onMoving(proposed, settings_.general.ABSORB, obstacles, Reach{pixels(win::virtualScreen()), captionHeight()});
    *r = rect(proposed);
    return TRUE;
}

// A border dragged by the user: the size it starts from is the minimum's
// while the drag lasts.
LRESULT CMemoDlg::OnSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) != SC_SIZE) return defaultProcessing();
    GetWindowRect(hwnd(), &dragStart_);
    sizing_ = true;
    LRESULT result = defaultProcessing();
    sizing_ = false;
    return result;
}

// A size is shown as it is stored, however small. Only a user's resize keeps
// the room edit mode needs (its caption strip, a line of text and its bottom
// row), or the size the memo had when it began where that is smaller; a
// collapsed memo has no border to drag.
LRESULT CMemoDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    defaultProcessing();
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = {0, 0};
    if (!sizing_ || appearance_.COMPACT_FLAG) return 0;
    LayoutInput in;
    in.caption = pixels(childRect(item(IDC_MEMO_CAPTION)));
    in.label = pixels(memoTemplate().laterRect(hwnd(), IDC_MEMO_TAB_LABEL));
    in.ok = pixels(memoTemplate().laterRect(hwnd(), IDOK));
    in.cancel = pixels(memoTemplate().laterRect(hwnd(), IDCANCEL));
    RECT oneLine = {0, 0, 0, 8};  // a dialog font's line is 8 vertical dialog units
    MapDialogRect(hwnd(), &oneLine);
    PixelRect client = minimumClient(in, oneLine.bottom);
    RECT window = rect(client);
    AdjustWindowRectEx(&window, GetWindowLongA(hwnd(), GWL_STYLE), FALSE, GetWindowLongA(hwnd(), GWL_EXSTYLE));
    info->ptMinTrackSize.x = std::min(window.right - window.left, dragStart_.right - dragStart_.left);
    info->ptMinTrackSize.y = std::min(window.bottom - window.top, dragStart_.bottom - dragStart_.top);
    return 0;
}

// The wheel reaches the memo when it has the focus itself, or where the
// system sends it to the window under the pointer (the text lets the pointer through).
LRESULT CMemoDlg::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    if (editMode()) return defaultProcessing();
    return SendMessageA(view_.hwnd(), WM_MOUSEWHEEL, wParam, lParam);
}

void CMemoDlg::OnSize() {
    defaultProcessing();
    layoutControls();
}

// Every move and resize, however made, changes the rectangle a save writes;
// a change of the order alone (a click, every memo brought to the front) does not.
LRESULT CMemoDlg::OnWindowPosChanged(WPARAM, LPARAM lParam) {
    const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
    if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) markChanged();
    return defaultProcessing();
}

void CMemoDlg::layoutControls() {
    if (layoutHeld_) return;
    for (int id : {IDC_MEMO_CAPTION, IDC_MEMO_TEXT}) {
        if (!item(id)) return;  // still being made
    }
    const bool editControls = edit_.hwnd() != nullptr;
    HWND tabsControl = item(IDC_MEMO_TABS);
    LayoutInput in;
    RECT client, tab = {};
    GetClientRect(hwnd(), &client);
    in.client = pixels(client);
    in.caption = pixels(childRect(item(IDC_MEMO_CAPTION)));
    if (editControls) {
        in.label = pixels(childRect(item(IDC_MEMO_TAB_LABEL)));
        in.ok = pixels(childRect(item(IDOK)));
        in.cancel = pixels(childRect(item(IDCANCEL)));
    }
    in.rows = static_cast<int>(SendMessageA(tabsControl, TCM_GETROWCOUNT, 0, 0));
    SendMessageA(tabsControl, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    in.tabHeight = tab.bottom - tab.top;
    in.tabsHidden = appearance_.NOT_SHOW_TAB_FLAG;
    in.editMode = editMode();
    MemoLayout out = layoutMemo(in);

    if (appearance_.NOT_SHOW_TAB_FLAG) {
        EnableWindow(tabsControl, FALSE);
    } else if (!appearance_.COMPACT_FLAG) {
        EnableWindow(tabsControl, TRUE);
    }
    moveTo(item(IDC_MEMO_CAPTION), out.caption);
    moveTo(item(IDC_MEMO_TEXT), out.text);
    moveTo(tabsControl, out.tabs);
    if (editControls) {
        moveTo(item(IDC_MEMO_CAPTION_EDIT), out.caption);
        moveTo(edit_.hwnd(), out.editor);
        moveTo(item(IDC_MEMO_TAB_LABEL), out.label);
        moveTo(item(IDC_MEMO_TAB_TITLE), out.title);
        moveTo(item(IDOK), out.ok);
        moveTo(item(IDCANCEL), out.cancel);
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CMemoDlg::showEditControls() {
    for (int id : {IDC_MEMO_EDITOR, IDOK, IDCANCEL, IDC_MEMO_CAPTION_EDIT}) win::showAndEnable(item(id), true);
    for (int id : {IDC_MEMO_TABS, IDC_MEMO_CAPTION, IDC_MEMO_TEXT}) win::showAndEnable(item(id), false);
    for (int id : {IDC_MEMO_TAB_LABEL, IDC_MEMO_TAB_TITLE}) win::showAndEnable(item(id), !appearance_.NOT_SHOW_TAB_FLAG);
}

// The view goes on where the editor was, or where it was itself.
void CMemoDlg::leaveEditMode(bool followEditor) {
    if (!editMode()) return;
    const CMemoView::Place place = followEditor ? editorPlace() : view_.place();
    for (int id : {IDC_MEMO_CAPTION, IDC_MEMO_TEXT}) win::showAndEnable(item(id), true);
    if (!appearance_.NOT_SHOW_TAB_FLAG) win::showAndEnable(item(IDC_MEMO_TABS), true);
    for (int id : {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_TAB_LABEL, IDC_MEMO_EDITOR, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL}) {
        win::showAndEnable(item(id), false);
    }
    view_.setPlace(place);
}

void CMemoDlg::setShowTabs(bool showTabs) {
    // Whether the strip is enabled is layoutControls' to say: a tab added to a
    // collapsed memo shows the tabs, but there an enabled strip would lie over
    // the caption strip and take the double-click that expands the memo.
    if (showTabs) makeTabs();
    ShowWindow(item(IDC_MEMO_TABS), showTabs ? SW_SHOW : SW_HIDE);
    appearance_.NOT_SHOW_TAB_FLAG = !showTabs;
    markChanged();
    if (editMode()) showEditControls();
    layoutControls();
}

void CMemoDlg::setWordWrap(bool wrap) {
    // SS_LEFTNOWORDWRAP holds SS_LEFT's bits: without it the text wraps.
    win::setStyle(item(IDC_MEMO_TEXT), SS_LEFTNOWORDWRAP, !wrap);
    const bool switched = appearance_.WORDWRAP_FLAG != wrap;
    appearance_.WORDWRAP_FLAG = wrap;
    markChanged();
    if (switched && edit_.hwnd()) makeEditor();
    if (editMode()) showEditControls();
    layoutControls();
}

void CMemoDlg::setFixed(bool fixed) {
    appearance_.NON_MOVE_FLAG = fixed;
    markChanged();
}

void CMemoDlg::applyTabMode(bool multiRow) {
    HWND tabsControl = item(IDC_MEMO_TABS);
    if (!tabsControl) return;  // made with the mode, when it is first needed
    bool multi = multiRow && tabCount() > 1;
    // The tab control takes a new row mode only when it is shown afresh; a
    // memo not shown yet will be.
    bool shown = IsWindowVisible(hwnd());
    if (shown) ShowWindow(hwnd(), SW_HIDE);
    win::setStyle(tabsControl, TCS_MULTILINE, multi);
    if (shown) ShowWindow(hwnd(), SW_SHOW);
    layoutControls();
}

// Collapsing keeps the expanded rectangle; expanding takes its height back
// at the memo's present place.
void CMemoDlg::setCompact(bool compact) {
    RECT cap, w;
    GetWindowRect(item(IDC_MEMO_CAPTION), &cap);
    appearance_.COMPACT_FLAG = compact;
    markChanged();
    GetWindowRect(hwnd(), &w);
    HWND tabsControl = item(IDC_MEMO_TABS);
    LONG bottom;
    if (compact) {
        EnableWindow(tabsControl, FALSE);
        fullRect_ = w;
        bottom = cap.bottom;
    } else {
        if (!appearance_.NOT_SHOW_TAB_FLAG) EnableWindow(tabsControl, TRUE);
        bottom = w.top + (fullRect_.bottom - fullRect_.top);
    }
    win::setStyle(hwnd(), WS_THICKFRAME, !compact);
    // A memo made expanded is already as high as it will be.
    if (bottom == w.bottom) return;
    MoveWindow(hwnd(), w.left, w.top, w.right - w.left, bottom - w.top, TRUE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The caption strip and the text in the memo's colours; everything else in
// the system's, with brushes shared by every memo of those colours.
HBRUSH CMemoDlg::OnCtlColor(HDC dc, HWND control) {
    auto standard = reinterpret_cast<HBRUSH>(defaultProcessing());
    return colorStatics_.answer(dc, control, appearance_.colors, standard);
}
