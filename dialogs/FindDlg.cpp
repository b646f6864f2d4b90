#include "dialogs/FindDlg.h"
#include <algorithm>
#include <stdexcept>
#include "res/Messages.h"
#include "res/resource.h"
#include "win/Centring.h"
#include "win/Screen.h"

namespace {

// Where the list's columns start, in dialog units: caption, tab title, line.
const RECT LIST_TAB_STOPS = {70, 0, 130, 0};

}  // namespace

CFindDlg::CFindDlg(FindSource& source) : win::Dialog(IDD_FIND), source_(source) {}

const win::MessageTable* CFindDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onControl(IDC_FIND_TEXT, EN_CHANGE, &CFindDlg::OnTextChange),
        win::onControl(IDC_FIND_LIST, LBN_DBLCLK, &CFindDlg::OnListDoubleClick),
        win::onMessage(WM_DRAWITEM, &CFindDlg::OnDrawItem),
        win::onMessage(WM_FIND_REFRESH, &CFindDlg::OnRefresh),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CFindDlg::OnInitDialog() {
    RECT stops = LIST_TAB_STOPS;
    MapDialogRect(hwnd(), &stops);
    tabStops_[0] = stops.left;
    tabStops_[1] = stops.right;
    TEXTMETRICA font = {};
    HDC dc = GetDC(hwnd());
    HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &font);
    SelectObject(dc, before);
    ReleaseDC(hwnd(), dc);
    SendDlgItemMessageA(hwnd(), IDC_FIND_LIST, LB_SETITEMHEIGHT, 0, font.tmHeight + 1);
    RECT own;
    GetWindowRect(hwnd(), &own);
    const RECT area = win::workArea();
    SetWindowPos(hwnd(), nullptr,
                 win::centredStart(own.right - own.left, area.left, area.right, area.left, area.right),
                 win::centredStart(own.bottom - own.top, area.top, area.bottom, area.top, area.bottom), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

// A hidden window has not followed the memos: it searches again as it shows.
void CFindDlg::open(HWND owner) {
    if (!hwnd() && !createModeless(owner)) throw std::runtime_error("find window");
    if (!IsWindowVisible(hwnd())) search();
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    HWND text = item(IDC_FIND_TEXT);
    SetFocus(text);
    SendMessageA(text, EM_SETSEL, 0, -1);
}

// Several changes in one handler (a restore, 全削除) search once.
void CFindDlg::memosChanged() {
    if (!hwnd() || !IsWindowVisible(hwnd()) || refreshPosted_) return;
    refreshPosted_ = true;
    PostMessageA(hwnd(), WM_FIND_REFRESH, 0, 0);
}

void CFindDlg::OnRefresh() {
    refreshPosted_ = false;
    search();
}

void CFindDlg::OnTextChange() {
    SendDlgItemMessageA(hwnd(), IDC_FIND_LIST, LB_SETCURSEL, 0, 0);
    search();
}

void CFindDlg::search() {
    FindResults results(itemText(IDC_FIND_TEXT));
    source_.forEachMemo([&](uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs) {
        results.addMemo(id, caption, tabs);
    });
    HWND list = item(IDC_FIND_LIST);
    const int place = std::max(selected(), 0);
    hits_ = results.hits();
    SendMessageA(list, LB_SETCOUNT, hits_.size(), 0);
    if (!hits_.empty()) SendMessageA(list, LB_SETCURSEL, std::min<size_t>(place, hits_.size() - 1), 0);
    InvalidateRect(list, nullptr, FALSE);
    SetDlgItemTextA(hwnd(), IDC_FIND_COUNT, results.countLine().c_str());
}

// The list holds no strings and draws the lines it shows from the hits:
// filled line by line, it took Wine longer than the search.
LRESULT CFindDlg::OnDrawItem(WPARAM, LPARAM item) {
    const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(item);
    const bool selected = draw.itemState & ODS_SELECTED;
    SetBkColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ExtTextOutW(draw.hDC, 0, 0, ETO_OPAQUE, &draw.rcItem, L"", 0, nullptr);
    if (draw.itemID < hits_.size()) {
        const std::wstring& line = hits_[draw.itemID].line;
        const int left = draw.rcItem.left + 2;
        TabbedTextOutW(draw.hDC, left, draw.rcItem.top, line.c_str(), int(line.size()), 2, tabStops_, left);
    }
    if (draw.itemState & ODS_FOCUS) DrawFocusRect(draw.hDC, &draw.rcItem);
    return TRUE;
}

int CFindDlg::selected() const {
    const LRESULT i = SendDlgItemMessageA(hwnd(), IDC_FIND_LIST, LB_GETCURSEL, 0, 0);
    return i >= 0 && i < LRESULT(hits_.size()) ? int(i) : -1;
}

// A line whose memo or tab is gone goes nowhere: the list is searched again
// without it.
void CFindDlg::goToSelected() {
    const int i = selected();
    if (i >= 0 && !source_.showHit(hits_[i]) && hwnd()) search();
}

void CFindDlg::goToNext(bool forward) {
    runHandler("goToNext", [&] {
        if (hits_.empty()) return;
        const int count = int(hits_.size()), i = selected();
        const int next = i < 0 ? (forward ? 0 : count - 1) : (i + (forward ? 1 : count - 1)) % count;
        SendDlgItemMessageA(hwnd(), IDC_FIND_LIST, LB_SETCURSEL, next, 0);
        goToSelected();
    });
}

void CFindDlg::OnOK() { goToSelected(); }

void CFindDlg::OnCancel() { ShowWindow(hwnd(), SW_HIDE); }

void CFindDlg::OnListDoubleClick() { goToSelected(); }

// F3 anywhere in the window; Up and Down in the text move through the list.
bool CFindDlg::preTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_F3) {
        goToNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    if ((msg.wParam == VK_UP || msg.wParam == VK_DOWN) && msg.hwnd == item(IDC_FIND_TEXT) && !hits_.empty()) {
        const int next = std::clamp(selected() + (msg.wParam == VK_DOWN ? 1 : -1), 0, int(hits_.size()) - 1);
        SendDlgItemMessageA(hwnd(), IDC_FIND_LIST, LB_SETCURSEL, next, 0);
        return true;
    }
    return false;
}
