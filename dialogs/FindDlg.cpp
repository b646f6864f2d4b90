#include "dialogs/FindDlg.h"
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include "res/Messages.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "win/Centring.h"
#include "win/Controls.h"
#include "win/Screen.h"

namespace {

// The widths of the caption and title columns in dialog units; the line
// takes the rest.
const RECT COLUMN_WIDTHS = {70, 0, 60, 0};

}  // namespace

CFindDlg::CFindDlg(FindSource& source) : win::Dialog(IDD_FIND), source_(source) {}

const win::MessageTable* CFindDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onControl(IDC_FIND_TEXT, EN_CHANGE, &CFindDlg::OnTextChange),
        win::onNotify(IDC_FIND_LIST, NM_DBLCLK, &CFindDlg::OnListDoubleClick),
        win::onNotify(IDC_FIND_LIST, LVN_GETDISPINFOW, &CFindDlg::OnGetLineText),
        win::onNotify(IDC_FIND_LIST, LVN_ITEMCHANGED, &CFindDlg::OnLineChanged),
        win::onNotify(IDC_FIND_LIST, LVN_ODFINDITEMW, &CFindDlg::OnFindLine),
        win::onNotify(IDC_FIND_LIST, LVN_GETINFOTIPW, &CFindDlg::OnGetTip),
        win::onMessage(WM_FIND_REFRESH, &CFindDlg::OnRefresh),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

// Columns in dialog units follow the font at any DPI.
BOOL CFindDlg::OnInitDialog() {
    HWND list = item(IDC_FIND_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT widths = COLUMN_WIDTHS, client;
    MapDialogRect(hwnd(), &widths);
    GetClientRect(list, &client);
    const int width[FIND_COLUMNS] = {widths.left, widths.right,
                                     client.right - widths.left - widths.right - GetSystemMetrics(SM_CXVSCROLL)};
    for (int i = 0; i < FIND_COLUMNS; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = width[i];
        column.pszText = const_cast<char*>(texts::FIND_HEADINGS[i]);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
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
    walked_ = -1;
    select(0);
    search();
    fromStart_ = true;
}

void CFindDlg::search() {
    FindResults results(itemText(IDC_FIND_TEXT));
    source_.forEachMemo([&](uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs) {
        results.addMemo(id, caption, tabs);
    });
    HWND list = item(IDC_FIND_LIST);
    const int place = std::max(selected(), 0);
    const std::vector<FindHit> before = std::move(hits_);
    hits_ = results.hits();
    total_ = results.total();
    count_ = results.countLine();
    if (count_.empty()) {
        hits_ = reminderLines(source_.reminderMemos());
        total_ = hits_.size();
        char line[64] = "";
        if (total_ > 0) std::snprintf(line, sizeof line, texts::FIND_REMINDERS, unsigned(total_));
        count_ = line;
    }
    if (walked_ >= long(total_)) walked_ = -1;
    // The list asks for the text of the lines it shows (LVN_GETDISPINFO). A
    // new count lays the list and its header out again: only when it changed.
    // Otherwise only the shown lines that show another text are painted
    // again, at once, where the selection scrolled the list: a keystroke that
    // lengthens a word often keeps them all.
    const bool recounted = before.size() != hits_.size();
    if (recounted) SendMessageA(list, LVM_SETITEMCOUNT, hits_.size(), 0);
    if (!hits_.empty() && walked_ < 0) select(std::min<int>(place, int(hits_.size()) - 1));
    fitCaptionColumn();
    if (recounted) {
        InvalidateRect(list, nullptr, FALSE);
    } else {
        const size_t top = size_t(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
        const size_t end = std::min(hits_.size(), top + size_t(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1);
        size_t first = end, last = 0;
        for (size_t i = top; i < end; ++i) {
            if (hits_[i].columns != before[i].columns) first = std::min(first, i), last = i;
        }
        if (first < end) SendMessageA(list, LVM_REDRAWITEMS, first, last);
    }
    showCount();
}

// A listed caption wider than its column widens it, up to a third of the list,
// and the line takes the rest: Wine's list shows no tips.
void CFindDlg::fitCaptionColumn() {
    HWND list = item(IDC_FIND_LIST);
    RECT widths = COLUMN_WIDTHS, client;
    MapDialogRect(hwnd(), &widths);
    GetClientRect(list, &client);
    int width = widths.left;
    const std::wstring* measured = nullptr;  // a memo's lines follow each other
    for (const FindHit& hit : hits_) {
        if (measured && *measured == hit.columns[FIND_CAPTION]) continue;
        measured = &hit.columns[FIND_CAPTION];
        const LRESULT text = SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(measured->c_str()));
        width = std::max(width, int(text) + GetSystemMetrics(SM_CXEDGE) * 6);
    }
    width = std::min(width, int(client.right / 3));
    if (width == SendMessageA(list, LVM_GETCOLUMNWIDTH, FIND_CAPTION, 0)) return;
    SendMessageA(list, LVM_SETCOLUMNWIDTH, FIND_CAPTION, width);
    const int line = int(client.right - width - widths.right - GetSystemMetrics(SM_CXVSCROLL));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, FIND_LINE, std::max(0, line));
}

void CFindDlg::showCount() {
    std::string line = count_;
    if (walked_ >= 0) {
        char at[64];
        std::snprintf(at, sizeof at, texts::FIND_COUNT_AT, unsigned(walked_ + 1));
        line += at;
    }
    SetDlgItemTextA(hwnd(), IDC_FIND_COUNT, line.c_str());
}

LRESULT CFindDlg::OnGetLineText(const NMHDR& header) {
    LVITEMW& line = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
    if ((line.mask & LVIF_TEXT) && line.iItem >= 0 && size_t(line.iItem) < hits_.size() && line.iSubItem >= 0 &&
        line.iSubItem < FIND_COLUMNS) {
        // The list copies the text before the hits change.
        line.pszText = const_cast<wchar_t*>(hits_[line.iItem].columns[line.iSubItem].c_str());
    }
    return 0;
}

// A line the user selects is where F3 goes on from.
LRESULT CFindDlg::OnLineChanged(const NMHDR& header) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!selecting_ && (change.uNewState & LVIS_SELECTED)) fromStart_ = false;
    if (walked_ >= 0 && (change.uNewState & LVIS_SELECTED)) {
        walked_ = -1;
        showCount();
    }
    return 0;
}

// A caption or title cut by its column is read whole in the line's tip.
LRESULT CFindDlg::OnGetTip(const NMHDR& header) {
    NMLVGETINFOTIPW& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
    if (tip.iItem < 0 || size_t(tip.iItem) >= hits_.size() || !tip.pszText || tip.cchTextMax <= 0) return 0;
    const FindHit& hit = hits_[tip.iItem];
    std::wstring text = hit.columns[FIND_CAPTION];
    if (!hit.columns[FIND_TITLE].empty()) text += L"\r\n" + hit.columns[FIND_TITLE];
    lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
    return 0;
}

// Letters typed in the list would select the first line: they find none.
LRESULT CFindDlg::OnFindLine(const NMHDR&) { return -1; }

int CFindDlg::selected() const {
    const LRESULT i = SendDlgItemMessageA(hwnd(), IDC_FIND_LIST, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED);
    return i >= 0 && i < LRESULT(hits_.size()) ? int(i) : -1;
}

// -1 selects no line.
void CFindDlg::select(int line) {
    selecting_ = true;
    HWND list = item(IDC_FIND_LIST);
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    // The line that has the focus or the selection (one at most), not every
    // line: the list would visit each of them.
    for (UINT which : {LVNI_SELECTED, LVNI_FOCUSED}) {
        const LRESULT i = SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), which);
        if (i >= 0) SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
    }
    if (line >= 0) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, line, reinterpret_cast<LPARAM>(&state));
        SendMessageA(list, LVM_ENSUREVISIBLE, line, FALSE);
    }
    selecting_ = false;
}

// A line whose memo or tab is gone goes nowhere: the list is searched again
// without it.
void CFindDlg::goToSelected() {
    fromStart_ = false;
    const int i = selected();
    if (i >= 0 && !source_.showHit(hits_[i]) && hwnd()) search();
}

// A match past the listed lines is found again from the memos as they are.
void CFindDlg::goTo(size_t index) {
    if (index < hits_.size()) {
        select(int(index));  // OnLineChanged forgets the match walked to
        goToSelected();
        return;
    }
    FindResults results(itemText(IDC_FIND_TEXT), index, 1);
    source_.forEachMemo([&](uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs) {
        results.addMemo(id, caption, tabs);
    });
    if (results.hits().empty()) {
        search();
        return;
    }
    select(-1);
    fromStart_ = false;
    walked_ = long(index);
    showCount();
    if (!source_.showHit(results.hits()[0]) && hwnd()) search();
}

void CFindDlg::goToNext(bool forward) {
    runHandler("goToNext", [&] {
        if (total_ == 0) return;
        const long count = long(total_), at = fromStart_ ? -1 : selected() >= 0 ? selected() : walked_;
        goTo(size_t(at < 0 ? (forward ? 0 : count - 1) : (at + (forward ? 1 : count - 1)) % count));
    });
}

void CFindDlg::OnOK() { goToSelected(); }

void CFindDlg::OnCancel() { ShowWindow(hwnd(), SW_HIDE); }

LRESULT CFindDlg::OnListDoubleClick(const NMHDR&) {
    goToSelected();
    return 0;
}

// F3 anywhere in the window; Up and Down in the text move through the list.
bool CFindDlg::preTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_F3) {
        goToNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    const bool inText = msg.hwnd == item(IDC_FIND_TEXT);
    if (inText && msg.wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0) {
        win::selectAllText(msg.hwnd);
        return true;
    }
    if ((msg.wParam == VK_UP || msg.wParam == VK_DOWN) && inText && !hits_.empty()) {
        select(std::clamp(selected() + (msg.wParam == VK_DOWN ? 1 : -1), 0, int(hits_.size()) - 1));
        fromStart_ = false;
        return true;
    }
    return false;
}
