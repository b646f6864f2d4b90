#include "memo/MemoDlg.h"
#include <commctrl.h>
#include <cwchar>
#include <stdexcept>
#include "dialogs/ColorSetDlg.h"
#include "memo/Layout.h"
#include "memo/TextLines.h"
#include "res/Messages.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/MemoSync.h"
#include "win/MessageBox.h"
#include "win/Controls.h"
#include "win/Gdi.h"
#include "win/SplitTemplate.h"
#include "win/SystemLibrary.h"

namespace {

std::wstring deleteQuestion(const wchar_t* what, const std::wstring& name) {
    return what + (L" [" + name + L"] ") + win::widen(texts::DELETE_QUESTION_END);
}

uint32_t lastMemoId = 0;
uint32_t lastActivation = 0;

}  // namespace

// The edit-mode controls are made when a memo first enters edit mode: most
// memos are only ever read, and each control is a window to make and to end.
// The tab control is made when the tabs are first shown. The text static's
// place is the view's.
const win::SplitTemplate& CMemoDlg::memoTemplate() {
    static const win::SplitTemplate split(IDD_MEMO,
                                          {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL, IDC_MEMO_TAB_LABEL},
                                          {IDC_MEMO_TEXT, IDC_MEMO_TABS});
    return split;
}

CMemoDlg::CMemoDlg() : win::Dialog(IDD_MEMO), id_(++lastMemoId), memoId_(newMemoId()) {
    initDialogOperation = "OnInitDialog";
    templateInMemory = memoTemplate().withoutLater();
}

CMemoDlg::~CMemoDlg() {
    if (menu_) DestroyMenu(menu_);
}

const win::MessageTable* CMemoDlg::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_ACTIVATE, &CMemoDlg::OnActivate),
        win::onContextMenu(&CMemoDlg::OnContextMenu),
        win::onMessage(WM_LBUTTONDOWN, &CMemoDlg::OnLButtonDown),
        win::onMessage(WM_LBUTTONDBLCLK, &CMemoDlg::OnLButtonDblClk),
        win::onMessage(WM_SIZE, &CMemoDlg::OnSize),
        win::onMessage(WM_WINDOWPOSCHANGED, &CMemoDlg::OnWindowPosChanged),
        win::onCtlColor(WM_CTLCOLORSTATIC, &CMemoDlg::OnCtlColor),
        win::onMessage(WM_MOUSEWHEEL, &CMemoDlg::OnMouseWheel),
        win::onMessage(WM_GETMINMAXINFO, &CMemoDlg::OnGetMinMaxInfo),
        win::onMessage(WM_SYSCOMMAND, &CMemoDlg::OnSysCommand),
        win::onMessage(WM_ENTERSIZEMOVE, &CMemoDlg::OnEnterSizeMove),
        win::onMessage(WM_MOVING, &CMemoDlg::OnMoving, "OnMoving"),
        win::onMessage(WM_EXITSIZEMOVE, &CMemoDlg::OnExitSizeMove),
        win::onNotify(IDC_MEMO_TABS, TCN_SELCHANGE, &CMemoDlg::OnSelChangeTab),
        win::onNotify(IDC_MEMO_TABS, NM_RCLICK, &CMemoDlg::OnRClickTab),
        win::onMessage(WM_RELOAD_SETTINGS, &CMemoDlg::OnReloadSettings),
        win::onCommand(ID_ADD_TAB, &CMemoDlg::OnAddTab),
        win::onCommand(ID_DELETE_TAB, &CMemoDlg::OnDeleteTab),
        win::onCommand(ID_DELETE_MEMO, &CMemoDlg::OnDeleteMemo),
        win::onCommand(ID_CHANGE_COLOR, &CMemoDlg::OnChangeColor),
        win::onCommand(ID_SHOW_TAB, &CMemoDlg::OnShowTabs),
        win::onCommand(ID_WORDWRAP, &CMemoDlg::OnWordWrap),
        win::onCommand(ID_TOPMOST, &CMemoDlg::OnTopMost),
        win::onCommand(ID_FIX_POSITION, &CMemoDlg::OnFixPosition),
        win::onCommand(ID_REMINDER, &CMemoDlg::OnReminder),
        win::onMessage(WM_DUE_MENU, &CMemoDlg::OnDueMenu),
        win::onMessage(WM_TIMER, &CMemoDlg::OnTimer),
    };
    static const win::MessageTable table(rows, Dialog::messageTable());
    return &table;
}

BOOL CMemoDlg::OnInitDialog() {
    loadSettings(settings_.general, settings_.appearance);
    appearance_ = settings_.appearance;  // a new memo takes the default appearance
    if (!view_.createView(hwnd(), IDC_MEMO_TEXT, memoTemplate().laterRect(hwnd(), IDC_MEMO_TEXT),
                          memoTemplate().laterExStyle(IDC_MEMO_TEXT))) {
        throw std::runtime_error("text view");
    }
    // Laid out once, when the memo is complete (present): its size, text and
    // wrapping each change while it is made.
    SendMessageA(view_.hwnd(), WM_SETREDRAW, FALSE, 0);
    captionStrip_.subclass(item(IDC_MEMO_CAPTION));
    tabs_.clear();
    SetWindowTextA(hwnd(), "クイルパッド");
    return TRUE;
}

// The tab control, made once, when the tabs are first shown, with the tabs,
// the selection and the row mode it would have had from the start, after the
// text in the order of the controls, as in the template.
void CMemoDlg::makeTabs() {
    if (item(IDC_MEMO_TABS)) return;
    win::initCommonControls(ICC_TAB_CLASSES);
    HWND tabsControl = memoTemplate().createOne(hwnd(), IDC_MEMO_TABS);
    if (!tabsControl) throw std::runtime_error("tab control");
    SetWindowPos(tabsControl, view_.hwnd(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (size_t i = 0; i < tabs_.size(); ++i) win::insertTab(tabsControl, static_cast<int>(i), tabs_[i].title);
    SendMessageA(tabsControl, TCM_SETCURSEL, selected_, 0);
    EnableWindow(tabsControl, !appearance_.COMPACT_FLAG);
    applyTabMode(settings_.general.TAB_MODE_FLAG);
}

// The edit-mode controls, made once, filled with what they would hold had
// they been there from the start: the caption and the selected tab's title.
// The caller fills the editor and lays them out.
void CMemoDlg::createEditControls() {
    if (edit_.hwnd()) return;
    if (!memoTemplate().createLater(hwnd())) throw std::runtime_error("edit controls");
    makeEditor();
    setItemText(IDC_MEMO_CAPTION_EDIT, caption_);
    int i = getSelectedTab();
    if (i >= 0 && i < static_cast<int>(tabs_.size())) setItemText(IDC_MEMO_TAB_TITLE, tabs_[i].title);
}

// An edit control takes ES_AUTOHSCROLL only when it is made: switching
// wrapping makes it anew, with the text, selection, first shown line and
// focus of the one before (its undo is lost).
void CMemoDlg::makeEditor() {
    HWND old = edit_.hwnd();
    std::wstring text;
    DWORD start = 0, end = 0;
    CMemoView::Place place;
    const bool shown = old && win::hasVisibleStyle(old), focused = old && GetFocus() == old;
    if (old) {
        text = itemText(IDC_MEMO_EDITOR);
        SendMessageA(old, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        place = editorPlace();
        DestroyWindow(old);
    }
    HWND title = item(IDC_MEMO_TAB_TITLE);
    // Last in the Tab order, after "×".
    DWORD style = GetWindowLongA(title, GWL_STYLE) | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
    style &= ~(WS_VISIBLE | ES_AUTOHSCROLL);
    if (!appearance_.WORDWRAP_FLAG) style |= ES_AUTOHSCROLL;
    if (!edit_.createControl("EDIT", style, hwnd(), IDC_MEMO_EDITOR)) throw std::runtime_error("text editor");
    edit_.breakLinesAsTheView();
    SendMessageA(edit_.hwnd(), WM_SETFONT, SendMessageA(title, WM_GETFONT, 0, 0), TRUE);
    // The default limit stops typing at about 32,000 characters without a
    // word to the user; a note may be as long as the data file holds.
    SendMessageA(edit_.hwnd(), EM_SETLIMITTEXT, 0, 0);
    int tabStop = TAB_STOP_UNITS;
    SendMessageA(edit_.hwnd(), EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    if (!old) return;
    win::setWindowText(edit_.hwnd(), text);
    win::showAndEnable(edit_.hwnd(), shown);
    layoutControls();
    SendMessageA(edit_.hwnd(), EM_SETSEL, start, end);
    scrollEditorTo(place);
    if (focused) SetFocus(edit_.hwnd());
}

std::pair<LRESULT, int> CMemoDlg::editorShows() const {
    HWND editor = edit_.hwnd();
    const LRESULT first = SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0);
    RECT format;
    SendMessageA(editor, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    LRESULT at = SendMessageA(editor, EM_POSFROMCHAR, SendMessageA(editor, EM_LINEINDEX, first, 0), 0);
    return {first, at == -1 ? 0 : format.left - static_cast<short>(LOWORD(at))};
}

// The editor breaks lines a little otherwise than the view, and scrolls
// sideways by characters: while it shows what it was scrolled to, the view
// goes back exactly where it was.
CMemoView::Place CMemoDlg::editorPlace() const {
    const std::pair<LRESULT, int> shows = editorShows();
    if (shows == editShows_) return editFrom_;
    // A Unicode edit control counts in code units, as the view does.
    return {uint32_t(SendMessageA(edit_.hwnd(), EM_LINEINDEX, shows.first, 0)), shows.second};
}

void CMemoDlg::scrollEditorTo(const CMemoView::Place& place) {
    HWND editor = edit_.hwnd();
    const std::pair<LRESULT, int> shows = editorShows();
    LRESULT line = SendMessageA(editor, EM_LINEFROMCHAR, place.offset, 0);
    const int average = std::max<int>(1, win::textMetrics(editor).tmAveCharWidth);
    SendMessageA(editor, EM_LINESCROLL, (place.x - shows.second + average / 2) / average, line - shows.first);
    editFrom_ = place;
    editShows_ = editorShows();
}

// Direct calls of the resident window: counted like handlers, so that a memo
// deleted meanwhile outlives the call.
void CMemoDlg::createMemo(const std::wstring& text, const std::wstring& title, const std::wstring& caption) {
    runHandler("createMemo", [&] {
        tabs_.clear();
        appendTab(MemoTab{text, title});
        showTab(0);
        MemoAppearance appearance = appearance_;  // the settings' appearance, never fixed, shown expanded
        appearance.NON_MOVE_FLAG = false;
        appearance.COMPACT_FLAG = false;
        PixelRect place = newMemoRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        present(caption, cascade(place, ownerRects(), captionHeight(), workAreaOf(place, workAreas())), appearance);
        // A compact flag from the settings stays, on the expanded window; the
        // first expand keeps its height.
        appearance_.COMPACT_FLAG = settings_.appearance.COMPACT_FLAG;
        markChanged();
        // Saved once complete: a kill right after it restores the memo as shown.
        requestSave();
    });
}

void CMemoDlg::appendTab(const MemoTab& tab) {
    tabs_.push_back(tab);
    markChanged();
    if (HWND tabsControl = item(IDC_MEMO_TABS)) win::insertTab(tabsControl, tabCount() - 1, tab.title);
    selectTab(tabCount() - 1);
    setItemText(IDC_MEMO_TAB_TITLE, tab.title);
}

// The save holds the tabs shown, as the memo now shows them.
void CMemoDlg::addMemo(const MemoTab& tab) {
    appendTab(tab);
    setShowTabs(true);
    applyTabMode(settings_.general.TAB_MODE_FLAG);
    requestSave();
}

// The memos of the data file, as it is read: nothing to save.
void CMemoDlg::addMemo(const StoredMemo& memo, bool besideOthers) {
    runHandler("addMemo", [&] {
        // The reader hands on only memos with tabs and an index among them;
        // anything else shows the first tab.
        if (memo.tabs.empty()) return;
        // One that joins memos already shown may be a copy of one of them: it is a memo of its own.
        if (!besideOthers && !memo.MEMO_ID.empty()) memoId_ = memo.MEMO_ID, memoVersion_ = memo.MEMO_VERSION;
        tabs_ = memo.tabs;
        markChanged();
        // Selected once, without the change that would show each tab's text;
        // the tab control, made as the memo is presented, takes the tabs.
        int index = memo.MEMO_SELECT_INDEX;
        if (index < 0 || index >= static_cast<int>(tabs_.size())) index = 0;
        selected_ = index;
        showTab(index);
        const std::vector<PixelRect> areas = workAreas();
        const PixelRect stored{memo.RECT_LEFT, memo.RECT_TOP, memo.RECT_RIGHT, memo.RECT_BOTTOM};
        PixelRect place = keepOnMonitors(stored, areas);
        const bool monitorAway = !(place == stored);
        if (besideOthers) place = cascade(place, ownerRects(), captionHeight(), workAreaOf(place, areas));
        present(memo.CAPTION, place, memo.appearance);
        reminder_ = memo.REMINDER;
        showClock();
        setFlashing(reminder_ && reminder_->ringing);  // still waiting for an answer
        const RECT shown = getSaveRect();
        if (monitorAway) away_ = AwayPlace{stored, {shown.left, shown.top, shown.right, shown.bottom}};
    });
}

void CMemoDlg::showMatch(int tab, const TextMatch& mark) {
    runHandler("showMatch", [&] {
        if (editMode()) OnOK();
        if (!hwnd()) return;
        if (appearance_.COMPACT_FLAG) {
            setCompact(false);
            requestSave();
        }
        if (tab >= 0 && tab < tabCount()) selectTab(tab);
        view_.clearMark();
        if (mark.length > 0) view_.showMark(mark);
        SetForegroundWindow(hwnd());
    });
}

void CMemoDlg::reloadSettings() {
    runHandler("reloadSettings", [this] {
        loadSettings(settings_.general, settings_.appearance);
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
    if (away_ && away_->shown == PixelRect{r.left, r.top, r.right, r.bottom}) {
        return {away_->stored.left, away_->stored.top, away_->stored.right, away_->stored.bottom};
    }
    return r;
}

int CMemoDlg::getSelectedTab() const { return selected_; }

StoredMemo CMemoDlg::stored() const {
    StoredMemo memo;
    memo.tabs = tabs_;
    memo.CAPTION = caption_;
    RECT r = getSaveRect();
    memo.RECT_LEFT = r.left;
    memo.RECT_TOP = r.top;
    memo.RECT_RIGHT = r.right;
    memo.RECT_BOTTOM = r.bottom;
    memo.appearance = appearance_;
    memo.MEMO_SELECT_INDEX = getSelectedTab();
    memo.MEMO_ID = memoId_;
    memo.MEMO_VERSION = memoVersion_;
    memo.REMINDER = reminder_;
    return memo;
}

const std::string& CMemoDlg::fileBlock() {
    if (blockStale_) {
        std::string block;
        appendMemoBlock(block, stored());
        block_ = block;  // only as long as it is: 500 memos hold their blocks
        blockStale_ = false;
    }
    return block_;
}

bool CMemoDlg::editMode() const { return win::hasVisibleStyle(edit_.hwnd()); }

int CMemoDlg::tabCount() const { return static_cast<int>(tabs_.size()); }

// The tab control, when there is one, shows the selection without a notice:
// each change of it, ours or the user's, shows the tab in tabSelected.
void CMemoDlg::selectTab(int index) {
    if (index == selected_) return;
    selected_ = index;
    if (HWND tabsControl = item(IDC_MEMO_TABS)) SendMessageA(tabsControl, TCM_SETCURSEL, index, 0);
    tabSelected();
}

// The editor takes the text when edit mode begins: a long one costs it time.
void CMemoDlg::showTab(int i) {
    places_.resize(tabs_.size());
    if (shownTab_ >= 0 && shownTab_ < static_cast<int>(places_.size())) places_[shownTab_] = view_.place();
    setItemText(IDC_MEMO_TEXT, tabs_[i].text);
    view_.setPlace(places_[i]);
    shownTab_ = i;
}

void CMemoDlg::requestSave(WPARAM cause) { SendMessageA(GetParent(hwnd()), WM_SAVE_REQUEST, cause, 0); }

// Commands and mouse

// The memo's keys: each works in view mode, in edit mode or in both, with
// exactly its Ctrl and Shift. Enter, Tab and Escape otherwise are the dialog
// manager's. A match's mark goes at the next click or key. Ctrl+F and F3 are
// the resident window's: it opens the find window or goes on.
bool CMemoDlg::preTranslateMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN:
        view_.clearMark();
    }
    // A key typed into an edit that the reminder came during is the edit's:
    // only one in view mode answers the reminder.
    if ((msg.message == WM_LBUTTONDOWN || (msg.message == WM_KEYDOWN && !editMode())) && touched()) return true;
    if (msg.message != WM_KEYDOWN) return false;
    enum Mode { VIEW, EDIT, BOTH };
    struct Key {
        WPARAM key;
        bool ctrl, shift;
        Mode mode;
        void (CMemoDlg::*action)();
    };
    static const Key keys[] = {
        {VK_RETURN, false, false, VIEW, &CMemoDlg::OnEditKey},
        {VK_F2, false, false, VIEW, &CMemoDlg::OnEditKey},
        {VK_TAB, true, false, EDIT, &CMemoDlg::focusNextControl},
        {VK_TAB, true, true, EDIT, &CMemoDlg::focusPreviousControl},
        {VK_TAB, true, false, VIEW, &CMemoDlg::selectNextTab},
        {VK_TAB, true, true, VIEW, &CMemoDlg::selectPreviousTab},
        {VK_NEXT, true, false, BOTH, &CMemoDlg::selectNextTab},
        {VK_PRIOR, true, false, BOTH, &CMemoDlg::selectPreviousTab},
        {'A', true, false, EDIT, &CMemoDlg::selectAll},
        {VK_RETURN, true, false, EDIT, &CMemoDlg::OnOK},
        {VK_F6, true, false, BOTH, &CMemoDlg::activateNextMemo},
        {VK_F6, true, true, BOTH, &CMemoDlg::activatePreviousMemo},
        {'F', true, false, BOTH, &CMemoDlg::openFind},
        {VK_F3, false, false, BOTH, &CMemoDlg::findNext},
        {VK_F3, false, true, BOTH, &CMemoDlg::findPrevious},
    };
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    const Mode mode = editMode() ? EDIT : VIEW;
    for (const Key& k : keys) {
        if (k.key == msg.wParam && k.ctrl == ctrl && k.shift == shift && (k.mode == BOTH || k.mode == mode)) {
            (this->*k.action)();
            return true;
        }
    }
    return false;
}

void CMemoDlg::openFind() { PostMessageA(GetParent(hwnd()), WM_FIND_KEY, FIND_OPEN, 0); }
void CMemoDlg::findNext() { PostMessageA(GetParent(hwnd()), WM_FIND_KEY, FIND_NEXT, 0); }
void CMemoDlg::findPrevious() { PostMessageA(GetParent(hwnd()), WM_FIND_KEY, FIND_PREVIOUS, 0); }

// As a double-click on the text; a collapsed memo opens first.
void CMemoDlg::OnEditKey() {
    if (appearance_.COMPACT_FLAG) {
        setCompact(false);
        requestSave();
    }
    enterEditMode();
}

void CMemoDlg::focusNextControl() { SendMessageA(hwnd(), WM_NEXTDLGCTL, 0, FALSE); }
void CMemoDlg::focusPreviousControl() { SendMessageA(hwnd(), WM_NEXTDLGCTL, 1, FALSE); }
void CMemoDlg::activateNextMemo() { activateNeighbour(false); }
void CMemoDlg::activatePreviousMemo() { activateNeighbour(true); }
void CMemoDlg::selectNextTab() { selectNeighbourTab(false); }
void CMemoDlg::selectPreviousTab() { selectNeighbourTab(true); }

// Not every edit control selects all at Ctrl+A (Windows XP's and Wine's do not).
void CMemoDlg::selectAll() { win::selectAllText(GetFocus()); }

void CMemoDlg::selectNeighbourTab(bool backwards) {
    const int count = tabCount(), i = getSelectedTab();
    if (count < 2 || i < 0) return;
    const bool editing = editMode();
    if (editing) OnOK();
    if (!hwnd()) return;
    selectTab((i + (backwards ? count - 1 : 1)) % count);
    if (editing) enterEditMode();
}

// The active memo wears a frame in its caption strip.
LRESULT CMemoDlg::OnActivate(WPARAM state, LPARAM) {
    LRESULT result = defaultProcessing();
    const bool active = LOWORD(state) != WA_INACTIVE;
    if (active) activation_ = ++lastActivation;
    captionStrip_.setFramed(active);
    return result;
}

// Enter in view mode has nothing to commit, whether the edit-mode controls
// were made yet or not.
void CMemoDlg::OnOK() {
    if (editMode() && commit()) requestSave();
}

// A direct call of the resident window before it saves at its end.
void CMemoDlg::commitEdits() {
    runHandler("commitEdits", [this] {
        if (editMode()) commit();
    });
}

// Keeps what the edit-mode controls hold and leaves edit mode; false when no
// tab was selected and nothing was kept.
bool CMemoDlg::commit() {
    bool kept = false;
    markChanged();
    caption_ = itemText(IDC_MEMO_CAPTION_EDIT);
    setItemText(IDC_MEMO_CAPTION, caption_);
    int i = getSelectedTab();
    if (i >= 0) {
        MemoTab& tab = tabs_[i];
        tab.text = itemText(IDC_MEMO_EDITOR);
        tab.title = itemText(IDC_MEMO_TAB_TITLE);
        setItemText(IDC_MEMO_TEXT, tab.text);
        if (HWND tabsControl = item(IDC_MEMO_TABS)) win::setTabTitle(tabsControl, i, tab.title);
        kept = true;
    }
    leaveEditMode();
    layoutControls();
    return kept;
}

// Dropped edits leave the editor's place in a text no longer shown (one key
// may have replaced the whole note): the view stays where it was read.
void CMemoDlg::OnCancel() {
    const int i = getSelectedTab();
    const bool changed = editMode() && i >= 0 && i < static_cast<int>(tabs_.size()) &&
                         itemText(IDC_MEMO_EDITOR) != tabs_[i].text;
    leaveEditMode(!changed);
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
            setCompact(!appearance_.COMPACT_FLAG);
            requestSave();
        } else {
            enterEditMode();
        }
    }
    defaultProcessing();
}

// The editor shows the part of the text that was being read, with the caret
// at its start, or with all of the text selected.
void CMemoDlg::enterEditMode() {
    createEditControls();
    setItemText(IDC_MEMO_CAPTION_EDIT, itemText(IDC_MEMO_CAPTION));
    int i = getSelectedTab();
    if (i < 0) return;
    win::setWindowText(edit_.hwnd(), tabs_[i].text);
    setItemText(IDC_MEMO_TAB_TITLE, tabs_[i].title);
    const CMemoView::Place place = view_.place();
    showEditControls();
    layoutControls();  // the editor wraps at its width before it scrolls
    if (settings_.general.TEXT_SELECT_FLAG) {
        SendMessageA(edit_.hwnd(), EM_SETSEL, 0, -1);
    } else {
        SendMessageA(edit_.hwnd(), EM_SETSEL, place.offset, place.offset);
    }
    scrollEditorTo(place);
    SetFocus(edit_.hwnd());
}

LRESULT CMemoDlg::OnSelChangeTab(const NMHDR&) {
    selected_ = static_cast<int>(SendMessageA(item(IDC_MEMO_TABS), TCM_GETCURSEL, 0, 0));
    tabSelected();
    return 0;
}

// Every change of the selection, by the user or by selectTab, passes here.
void CMemoDlg::tabSelected() {
    markChanged();
    int i = getSelectedTab();
    if (i >= 0 && i < static_cast<int>(tabs_.size())) {
        showTab(i);
        setItemText(IDC_MEMO_TAB_TITLE, tabs_[i].title);
        ShowWindow(item(IDC_MEMO_TEXT), SW_SHOW);
        ShowWindow(edit_.hwnd(), SW_HIDE);
    }
}

// From the keyboard the menu opens at the memo, at the top left of its text.
void CMemoDlg::OnContextMenu(const POINT* pointer) {
    RECT text;
    GetWindowRect(item(IDC_MEMO_TEXT), &text);
    POINT at = pointer ? *pointer : POINT{text.left, text.top};
    SetForegroundWindow(hwnd());
    TrackPopupMenu(GetSubMenu(menu(), 0), 0, at.x, at.y, 0, hwnd(), nullptr);
}

HMENU CMemoDlg::menu() {
    if (!menu_) menu_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MEMO_MENU));
    const bool tabsShown = !appearance_.NOT_SHOW_TAB_FLAG;
    win::checkMenuItem(menu_, ID_SHOW_TAB, tabsShown);
    win::enableMenuItem(menu_, ID_SHOW_TAB, !appearance_.COMPACT_FLAG);
    win::enableMenuItem(menu_, ID_DELETE_TAB, tabsShown);
    win::checkMenuItem(menu_, ID_WORDWRAP, appearance_.WORDWRAP_FLAG);
    win::checkMenuItem(menu_, ID_FIX_POSITION, appearance_.NON_MOVE_FLAG);
    win::checkMenuItem(menu_, ID_TOPMOST, topmost());
    // The reminder's time stands where a shortcut would.
    wchar_t item[64] = L"";
    GetMenuStringW(menu_, ID_REMINDER, item, 64, MF_BYCOMMAND);
    std::wstring text(item, std::wcscspn(item, L"\t"));
    if (reminder_) text += L'\t' + reminderTimeText(ringTime(*reminder_));
    ModifyMenuW(menu_, ID_REMINDER, MF_BYCOMMAND | MF_STRING, ID_REMINDER, text.c_str());
    return menu_;
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
}

void CMemoDlg::OnDeleteTab() {
    if (editMode()) OnOK();
    int i = getSelectedTab();
    if (i < 0) return;
    if (settings_.general.DEL_CHECK_FLAG && !win::askYesNo(deleteQuestion(L"タブ", tabs_[i].title), hwnd())) return;
    if (!hwnd()) return;  // every memo was deleted while the question was open
    SendMessageA(item(IDC_MEMO_TABS), TCM_DELETEITEM, i, 0);
    tabs_.erase(tabs_.begin() + i);
    selected_ = -1;  // the selected tab is gone
    markChanged();
    if (i < static_cast<int>(places_.size())) places_.erase(places_.begin() + i);
    shownTab_ = -1;
    int count = tabCount();
    if (count <= 0) {
        OnDeleteMemo();
        return;
    }
    selectTab(i >= count ? count - 1 : i);
    requestSave(SAVE_AFTER_DELETE);
    applyTabMode(settings_.general.TAB_MODE_FLAG);
}

void CMemoDlg::OnDeleteMemo() {
    if (editMode()) OnOK();
    if (getSelectedTab() >= 0 && settings_.general.DEL_CHECK_FLAG &&
        !win::askYesNo(deleteQuestion(L"メモ", caption_), hwnd())) {
        return;
    }
    if (!hwnd()) return;
    HWND owner = GetParent(hwnd());
    DestroyWindow(hwnd());
    // The owner's save leaves this memo out and lets go of it: the object is
    // deleted once this handler has returned.
    SendMessageA(owner, WM_SAVE_REQUEST, SAVE_AFTER_DELETE, 0);
}

// Owned by the memo, the dialog keeps it disabled, so that it cannot open a
// second one, and goes with it: a memo deleted meanwhile (全削除) gets nothing.
void CMemoDlg::OnChangeColor() {
    CColorSetDlg dialog;
    dialog.setColors(appearance_.colors);
    if (dialog.doModal(hwnd()) == IDCANCEL || !hwnd()) return;
    appearance_.colors = dialog.getColors();
    markChanged();
    repaintNow(hwnd());
    requestSave();
}

// Every change of the appearance reaches the file at once, as a commit does.
void CMemoDlg::OnShowTabs() {
    setShowTabs(appearance_.NOT_SHOW_TAB_FLAG);
    requestSave();
}

void CMemoDlg::OnWordWrap() {
    setWordWrap(!appearance_.WORDWRAP_FLAG);
    requestSave();
}

void CMemoDlg::OnTopMost() {
    SetWindowPos(hwnd(), topmost() ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void CMemoDlg::OnFixPosition() {
    setFixed(!appearance_.NON_MOVE_FLAG);
    requestSave();
}
