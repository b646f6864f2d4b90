#include "memo/MemoDlg.h"
#include <commctrl.h>
#include <stdexcept>
#include "dialogs/ColorSetDlg.h"
#include "memo/Layout.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "tray/Messages.h"
#include "tray/TrayWnd.h"
#include "win/MessageBox.h"
#include "win/SplitTemplate.h"

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

void show(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
    EnableWindow(control, visible);
}

bool visible(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

void setStyle(HWND control, DWORD bits, bool on) {
    DWORD style = GetWindowLongA(control, GWL_STYLE);
    SetWindowLongA(control, GWL_STYLE, on ? style | bits : style & ~bits);
}

void check(HMENU menu, UINT id, bool on) { CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); }
void enable(HMENU menu, UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); }

std::string deleteQuestion(const char* what, const std::string& name) {
    return std::string(what) + " [" + name + "] " + texts::DELETE_QUESTION_END;
}

// The edit-mode controls are made when a memo first enters edit mode: most
// memos are only ever read, and each control is a window to make and to end.
const win::SplitTemplate& memoTemplate() {
    static const win::SplitTemplate split(
        IDD_MEMO, {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL, IDC_MEMO_TAB_LABEL});
    return split;
}

}  // namespace

CMemoDlg::CMemoDlg() : win::Dialog(IDD_MEMO) {
    initDialogOperation = "OnInitDialog";
    templateInMemory = memoTemplate().withoutLater();
}

CMemoDlg::~CMemoDlg() {
    if (menu_) DestroyMenu(menu_);
}

const win::MessageTable* CMemoDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_CONTEXTMENU, &CMemoDlg::OnContextMenu),
        win::onMessage(WM_LBUTTONDOWN, &CMemoDlg::OnLButtonDown),
        win::onMessage(WM_LBUTTONDBLCLK, &CMemoDlg::OnLButtonDblClk),
        win::onMessage(WM_SIZE, &CMemoDlg::OnSize),
        win::onCtlColor(WM_CTLCOLORSTATIC, &CMemoDlg::OnCtlColor),
        win::onMessage(WM_MOVING, &CMemoDlg::OnMoving, "OnMoving"),
        win::onNotify(IDC_MEMO_TABS, TCN_SELCHANGE, &CMemoDlg::OnSelChangeTab),
        win::onNotify(IDC_MEMO_TABS, NM_RCLICK, &CMemoDlg::OnRClickTab),
        win::onMessage(WM_RELOAD_SETTINGS, &CMemoDlg::OnReloadSettings),
        win::onCommand(ID_ADD_TAB, &CMemoDlg::OnAddTab),
        win::onCommand(ID_DELETE_TAB, &CMemoDlg::OnDeleteTab),
        win::onCommand(ID_DELETE_MEMO, &CMemoDlg::OnDeleteMemo),
        win::onCommand(ID_CHANGE_COLOR, &CMemoDlg::OnChangeColor),
        win::onCommand(ID_SHOW_TAB, &CMemoDlg::toggleShowTabs),
        win::onCommand(ID_WORDWRAP, &CMemoDlg::toggleWordWrap),
        win::onCommand(ID_TOPMOST, &CMemoDlg::OnTopMost),
        win::onCommand(ID_FIX_POSITION, &CMemoDlg::OnFixPosition),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CMemoDlg::OnInitDialog() {
    menu_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MEMO_MENU));
    loadSettings(settings_.general, settings_.look);
    appearance_ = settings_.look;  // a new memo takes the default look
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    tabs_.clear();
    SetWindowTextA(hwnd(), "クイルパッド");
    return TRUE;
}

// The edit-mode controls, made once, filled with what they would hold had
// they been there from the start: the caption, the displayed text and the
// selected tab's title. Both callers lay them out afterwards.
void CMemoDlg::createEditControls() {
    if (edit_.hwnd()) return;
    if (!memoTemplate().createLater(hwnd())) throw std::runtime_error("edit controls");
    HWND title = item(IDC_MEMO_TAB_TITLE);
    DWORD style = GetWindowLongA(title, GWL_STYLE) | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN;
    if (!edit_.createControl("EDIT", style & ~(WS_TABSTOP | WS_VISIBLE), hwnd(), IDC_MEMO_EDITOR)) {
        throw std::runtime_error("text editor");
    }
    SendMessageA(edit_.hwnd(), WM_SETFONT, SendMessageA(title, WM_GETFONT, 0, 0), TRUE);
    // The default limit stops typing at about 32,000 characters without a
    // word to the user; a note may be as long as the data file holds.
    SendMessageA(edit_.hwnd(), EM_SETLIMITTEXT, 0, 0);
    SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION_EDIT, caption_.c_str());
    SetWindowTextA(edit_.hwnd(), itemText(IDC_MEMO_TEXT).c_str());
    int i = getSelectedTab();
    if (i >= 0 && i < static_cast<int>(tabs_.size())) SetDlgItemTextA(hwnd(), IDC_MEMO_TAB_TITLE, tabs_[i].title.c_str());
}

// A direct call of the resident window: counted like a handler, so that a
// memo deleted meanwhile outlives the call.
void CMemoDlg::createMemo(const std::string& text, const std::string& title, const std::string& caption) {
    runHandler("createMemo", [&] {
        tabs_.clear();
        appendTab(MemoTab{text, title});
        setDisplayedText(text);
        caption_ = caption;
        SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION, caption_.c_str());
        SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION_EDIT, caption_.c_str());
        PixelRect r = newMemoRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        // Shown once, at the end, with its look applied: a memo that is not yet
        // shown costs no hide and show of its own.
        SetWindowPos(hwnd(), HWND_TOP, r.left, r.top, r.width(), r.height(), SWP_NOACTIVATE);
        // A compact flag from the settings stays on an expanded window: its
        // first expand opens it at this height.
        fullRect_ = rect(r);
        // Inverted first: the toggles invert the flag back and apply it.
        appearance_.NOT_SHOW_TAB_FLAG = !appearance_.NOT_SHOW_TAB_FLAG;
        toggleShowTabs();
        applyTabMode(settings_.general.TAB_MODE_FLAG);
        appearance_.WORDWRAP_FLAG = !appearance_.WORDWRAP_FLAG;
        toggleWordWrap();
        appearance_.NON_MOVE_FLAG = false;
        ShowWindow(hwnd(), SW_SHOW);
        // Saved once complete: a kill right after it restores the memo as shown.
        requestSave();
    });
}

void CMemoDlg::appendTab(const MemoTab& tab) {
    tabs_.push_back(tab);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tab.title.c_str());
    HWND tabsControl = this->item(IDC_MEMO_TABS);
    SendMessageA(tabsControl, TCM_INSERTITEMA, tabs_.size() - 1, reinterpret_cast<LPARAM>(&item));
    selectTab(tabCount() - 1);
    SetDlgItemTextA(hwnd(), IDC_MEMO_TAB_TITLE, tab.title.c_str());
}

void CMemoDlg::addMemo(const MemoTab& tab) {
    appendTab(tab);
    requestSave();
}

// The memos of the data file, as it is read: nothing to save.
void CMemoDlg::addMemo(const StoredMemo& memo) {
    runHandler("addMemo", [&] {
        tabs_.clear();
        for (const MemoTab& tab : memo.tabs) appendTab(tab);
        // The reader hands on only memos with tabs and an index among them;
        // anything else shows the first tab.
        if (tabs_.empty()) return;
        int index = memo.MEMO_SELECT_INDEX;
        if (index < 0 || index >= static_cast<int>(tabs_.size())) index = 0;
        selectTab(index);
        setDisplayedText(tabs_[index].text);
        caption_ = memo.CAPTION;
        SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION, caption_.c_str());
        SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION_EDIT, caption_.c_str());
        PixelRect r = keepOnScreen({memo.RECT_LEFT, memo.RECT_TOP, memo.RECT_RIGHT, memo.RECT_BOTTOM},
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        SetWindowPos(hwnd(), HWND_TOP, r.left, r.top, r.width(), r.height(), SWP_NOACTIVATE);
        fullRect_ = rect(r);
        appearance_.colors = memo.look.colors;
        appearance_.NOT_SHOW_TAB_FLAG = !memo.look.NOT_SHOW_TAB_FLAG;
        toggleShowTabs();
        appearance_.WORDWRAP_FLAG = !memo.look.WORDWRAP_FLAG;
        toggleWordWrap();
        applyTabMode(settings_.general.TAB_MODE_FLAG);
        appearance_.COMPACT_FLAG = !memo.look.COMPACT_FLAG;
        toggleCompact();
        appearance_.NON_MOVE_FLAG = !memo.look.NON_MOVE_FLAG;
        OnFixPosition();
        ShowWindow(hwnd(), SW_SHOW);
    });
}

void CMemoDlg::reloadSettings() {
    runHandler("reloadSettings", [this] {
        loadSettings(settings_.general, settings_.look);
        applyTabMode(settings_.general.TAB_MODE_FLAG);
    });
}

void CMemoDlg::OnReloadSettings() {
    reloadSettings();
    defaultProcessing();
}

RECT CMemoDlg::getSaveRect() const {
    RECT r;
    GetWindowRect(hwnd(), &r);
    if (appearance_.COMPACT_FLAG) r.bottom = r.top + (fullRect_.bottom - fullRect_.top);
    return r;
}

int CMemoDlg::getSelectedTab() const {
    return static_cast<int>(SendMessageA(item(IDC_MEMO_TABS), TCM_GETCURSEL, 0, 0));
}

StoredMemo CMemoDlg::stored() const {
    StoredMemo memo;
    memo.tabs = tabs_;
    memo.CAPTION = caption_;
    RECT r = getSaveRect();
    memo.RECT_LEFT = r.left;
    memo.RECT_TOP = r.top;
    memo.RECT_RIGHT = r.right;
    memo.RECT_BOTTOM = r.bottom;
    memo.look = appearance_;
    memo.MEMO_SELECT_INDEX = getSelectedTab();
    return memo;
}

bool CMemoDlg::editMode() const { return visible(edit_.hwnd()); }

int CMemoDlg::tabCount() const {
    return static_cast<int>(SendMessageA(item(IDC_MEMO_TABS), TCM_GETITEMCOUNT, 0, 0));
}

// Selecting through the focus sends TCN_SELCHANGE, which shows the tab's text.
void CMemoDlg::selectTab(int index) { SendMessageA(item(IDC_MEMO_TABS), TCM_SETCURFOCUS, index, 0); }

void CMemoDlg::setDisplayedText(const std::string& text) {
    SetDlgItemTextA(hwnd(), IDC_MEMO_TEXT, text.c_str());
    SetWindowTextA(edit_.hwnd(), text.c_str());
}

std::string CMemoDlg::itemText(int id) const {
    HWND control = item(id);
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], static_cast<int>(text.size())));
    return text;
}

void CMemoDlg::requestSave() { SendMessageA(GetParent(hwnd()), WM_SAVE_REQUEST, 0, 0); }

// Commands and mouse

// Enter in view mode has nothing to commit, whether the edit-mode controls
// were made yet or not.
void CMemoDlg::OnOK() {
    if (!editMode()) return;
    caption_ = itemText(IDC_MEMO_CAPTION_EDIT);
    SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION, caption_.c_str());
    int i = getSelectedTab();
    if (i >= 0) {
        MemoTab& tab = tabs_[i];
        tab.text = itemText(IDC_MEMO_EDITOR);
        tab.title = itemText(IDC_MEMO_TAB_TITLE);
        SetDlgItemTextA(hwnd(), IDC_MEMO_TEXT, tab.text.c_str());
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tab.title.c_str());
        SendMessageA(this->item(IDC_MEMO_TABS), TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
        requestSave();
    }
    leaveEditMode();
    layoutControls();
}

void CMemoDlg::OnCancel() {
    leaveEditMode();
    layoutControls();
}

void CMemoDlg::OnLButtonDown() {
    // A press anywhere on the body starts the system's move drag.
    if (!appearance_.NON_MOVE_FLAG) SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    defaultProcessing();
}

void CMemoDlg::OnLButtonDblClk() {
    POINT cursor;
    GetCursorPos(&cursor);
    RECT cap;
    GetWindowRect(item(IDC_MEMO_CAPTION), &cap);
    bool onCaption = cursor.x >= cap.left && cursor.x <= cap.right && cursor.y >= cap.top && cursor.y <= cap.bottom;
    if (!editMode()) {
        if (onCaption) {
            toggleCompact();
        } else {
            enterEditMode();
        }
    }
    defaultProcessing();
}

void CMemoDlg::enterEditMode() {
    createEditControls();
    SetDlgItemTextA(hwnd(), IDC_MEMO_CAPTION_EDIT, itemText(IDC_MEMO_CAPTION).c_str());
    SetWindowTextA(edit_.hwnd(), itemText(IDC_MEMO_TEXT).c_str());
    int i = getSelectedTab();
    if (i < 0) return;
    SetDlgItemTextA(hwnd(), IDC_MEMO_TAB_TITLE, tabs_[i].title.c_str());
    showEditControls();
    if (settings_.general.TEXT_SELECT_FLAG) {
        SendMessageA(edit_.hwnd(), EM_SETSEL, 0, -1);
        SendMessageA(edit_.hwnd(), EM_SCROLLCARET, 0, 0);
    }
    SetFocus(edit_.hwnd());
    layoutControls();
}

LRESULT CMemoDlg::OnSelChangeTab(const NMHDR&) {
    int i = getSelectedTab();
    if (i >= 0 && i < static_cast<int>(tabs_.size())) {
        setDisplayedText(tabs_[i].text);
        SetDlgItemTextA(hwnd(), IDC_MEMO_TAB_TITLE, tabs_[i].title.c_str());
        ShowWindow(item(IDC_MEMO_TEXT), SW_SHOW);
        ShowWindow(edit_.hwnd(), SW_HIDE);
    }
    return 0;
}

void CMemoDlg::OnContextMenu() {
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(hwnd());
    TrackPopupMenu(properties(), 0, at.x, at.y, 0, hwnd(), nullptr);
}

// Selects the tab under the cursor; the rest of the right click is the tab
// control's own, which ends in WM_CONTEXTMENU.
LRESULT CMemoDlg::OnRClickTab(const NMHDR&) {
    HWND tabsControl = item(IDC_MEMO_TABS);
    TCHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(tabsControl, &hit.pt);
    int index = static_cast<int>(SendMessageA(tabsControl, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index >= 0) selectTab(index);
    return 0;
}

void CMemoDlg::OnAddTab() {
    if (editMode()) OnOK();
    addMemo(MemoTab{texts::NEW_TAB_TEXT, texts::NEW_TAB_TITLE});
    if (!hwnd()) return;
    if (appearance_.NOT_SHOW_TAB_FLAG) toggleShowTabs();
    applyTabMode(settings_.general.TAB_MODE_FLAG);
}

void CMemoDlg::OnDeleteTab() {
    if (editMode()) OnOK();
    int i = getSelectedTab();
    if (i < 0) return;
    if (settings_.general.DEL_CHECK_FLAG && !win::askYesNo(deleteQuestion("タブ", tabs_[i].title), hwnd())) return;
    if (!hwnd()) return;  // every memo was deleted while the question was open
    SendMessageA(item(IDC_MEMO_TABS), TCM_DELETEITEM, i, 0);
    tabs_.erase(tabs_.begin() + i);
    int count = tabCount();
    if (count <= 0) {
        OnDeleteMemo();
        return;
    }
    selectTab(i >= count ? count - 1 : i);
    requestSave();
    applyTabMode(settings_.general.TAB_MODE_FLAG);
}

void CMemoDlg::OnDeleteMemo() {
    if (editMode()) OnOK();
    if (getSelectedTab() >= 0 && settings_.general.DEL_CHECK_FLAG &&
        !win::askYesNo(deleteQuestion("メモ", caption_), hwnd())) {
        return;
    }
    if (!hwnd()) return;
    HWND owner = GetParent(hwnd());
    DestroyWindow(hwnd());
    // The owner's save leaves this memo out and lets go of it: the object is
    // deleted once this handler has returned.
    SendMessageA(owner, WM_SAVE_REQUEST, 0, 0);
}

// The colours reach the data file with the next save.
void CMemoDlg::OnChangeColor() {
    CColorSetDlg dialog;
    dialog.setColors(appearance_.colors);
    if (dialog.doModal() == IDCANCEL || !hwnd()) return;
    appearance_.colors = dialog.getColors();
    repaintNow(hwnd());
}

void CMemoDlg::OnTopMost() {
    bool topmost = (GetMenuState(menu_, ID_TOPMOST, MF_BYCOMMAND) & MF_CHECKED) != 0;
    check(menu_, ID_TOPMOST, !topmost);
    SetWindowPos(hwnd(), topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void CMemoDlg::OnFixPosition() {
    appearance_.NON_MOVE_FLAG = !appearance_.NON_MOVE_FLAG;
    check(menu_, ID_FIX_POSITION, appearance_.NON_MOVE_FLAG);
}

LRESULT CMemoDlg::OnMoving(WPARAM, LPARAM lParam) {
    defaultProcessing();
    auto* tray = dynamic_cast<CTrayWnd*>(win::Window::fromHandle(GetParent(hwnd())));
    if (!tray) return TRUE;
    auto* r = reinterpret_cast<RECT*>(lParam);
    PixelRect proposed = pixels(*r);
    snap_.onMoving(proposed, settings_.general.ABSORB, tray->getMemoRects(hwnd()));
    *r = rect(proposed);
    return TRUE;
}

// Layout and painting

void CMemoDlg::OnSize() {
    defaultProcessing();
    layoutControls();
}

void CMemoDlg::layoutControls() {
    for (int id : {IDC_MEMO_CAPTION, IDC_MEMO_TEXT, IDC_MEMO_TABS}) {
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
    for (int id : {IDC_MEMO_EDITOR, IDOK, IDCANCEL, IDC_MEMO_CAPTION_EDIT}) show(item(id), true);
    for (int id : {IDC_MEMO_TABS, IDC_MEMO_CAPTION, IDC_MEMO_TEXT}) show(item(id), false);
    for (int id : {IDC_MEMO_TAB_LABEL, IDC_MEMO_TAB_TITLE}) show(item(id), !appearance_.NOT_SHOW_TAB_FLAG);
}

void CMemoDlg::leaveEditMode() {
    if (!editMode()) return;
    for (int id : {IDC_MEMO_CAPTION, IDC_MEMO_TEXT}) show(item(id), true);
    if (!appearance_.NOT_SHOW_TAB_FLAG) show(item(IDC_MEMO_TABS), true);
    for (int id : {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_TAB_LABEL, IDC_MEMO_EDITOR, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL}) {
        show(item(id), false);
    }
}

void CMemoDlg::toggleShowTabs() {
    bool showTabs = appearance_.NOT_SHOW_TAB_FLAG;
    // Whether the strip is enabled is layoutControls' to say: a tab added to a
    // collapsed memo shows the tabs, but there an enabled strip would lie over
    // the caption strip and take the double-click that expands the memo.
    ShowWindow(item(IDC_MEMO_TABS), showTabs ? SW_SHOW : SW_HIDE);
    check(properties(), ID_SHOW_TAB, showTabs);
    enable(properties(), ID_DELETE_TAB, showTabs);
    appearance_.NOT_SHOW_TAB_FLAG = !showTabs;
    if (editMode()) showEditControls();
    layoutControls();
}

void CMemoDlg::toggleWordWrap() {
    bool wrap = !appearance_.WORDWRAP_FLAG;
    check(properties(), ID_WORDWRAP, wrap);
    // SS_LEFTNOWORDWRAP holds SS_LEFT's bits: without it the text wraps.
    setStyle(item(IDC_MEMO_TEXT), SS_LEFTNOWORDWRAP, !wrap);
    appearance_.WORDWRAP_FLAG = wrap;
    if (editMode()) showEditControls();
    layoutControls();
}

void CMemoDlg::applyTabMode(bool multiRow) {
    HWND tabsControl = item(IDC_MEMO_TABS);
    bool multi = multiRow && tabCount() > 1;
    // The tab control takes a new row mode only when it is shown afresh; a
    // memo not shown yet will be.
    bool shown = IsWindowVisible(hwnd());
    if (shown) ShowWindow(hwnd(), SW_HIDE);
    setStyle(tabsControl, TCS_MULTILINE, multi);
    if (shown) ShowWindow(hwnd(), SW_SHOW);
    layoutControls();
}

void CMemoDlg::toggleCompact() {
    RECT cap, w;
    GetWindowRect(item(IDC_MEMO_CAPTION), &cap);
    appearance_.COMPACT_FLAG = !appearance_.COMPACT_FLAG;
    GetWindowRect(hwnd(), &w);
    HWND tabsControl = item(IDC_MEMO_TABS);
    LONG bottom;
    if (appearance_.COMPACT_FLAG) {
        EnableWindow(tabsControl, FALSE);
        fullRect_ = w;
        bottom = cap.bottom;
        setStyle(hwnd(), WS_THICKFRAME, false);
        enable(properties(), ID_SHOW_TAB, false);
    } else {
        if (!appearance_.NOT_SHOW_TAB_FLAG) EnableWindow(tabsControl, TRUE);
        bottom = w.top + (fullRect_.bottom - fullRect_.top);
        setStyle(hwnd(), WS_THICKFRAME, true);
        enable(properties(), ID_SHOW_TAB, true);
    }
    MoveWindow(hwnd(), w.left, w.top, w.right - w.left, bottom - w.top, TRUE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

// The caption strip and the text in the memo's colours; everything else in
// the system's. The one brush is made anew at each request.
HBRUSH CMemoDlg::OnCtlColor(HDC dc, HWND control) {
    auto standard = reinterpret_cast<HBRUSH>(defaultProcessing());
    return colorStatics_.answer(dc, control, appearance_.colors, standard);
}
