#include "tray/TrayWnd.h"
#include <shellapi.h>
#include <algorithm>
#include <stdexcept>
#include "dialogs/OptionDlg.h"
#include "dialogs/VersionDlg.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "tray/HotKeyId.h"
#include "tray/Messages.h"
#include "win/Failure.h"
#include "win/MessageBox.h"

namespace {

UINT taskbarCreated = 0;

// The 88-byte form of NOTIFYICONDATAA that every shell understands.
const DWORD kNotifyIconDataSize = 88;

NOTIFYICONDATAA trayIconData(HWND hwnd) {
    NOTIFYICONDATAA data = {};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = hwnd;
    data.uID = 0;
    return data;
}

}  // namespace

CTrayWnd::CTrayWnd() : appIcon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))) {}

CTrayWnd::~CTrayWnd() {
    if (trayMenu_) DestroyMenu(trayMenu_);
}

UINT CTrayWnd::taskbarCreatedMessage() { return taskbarCreated; }

const win::MessageTable* CTrayWnd::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_CREATE, &CTrayWnd::OnCreate),
        win::onMessage(WM_CLOSE, &CTrayWnd::OnClose),
        win::onMessage(WM_DESTROY, &CTrayWnd::OnDestroy),
        win::onMessage(WM_QUERYENDSESSION, &CTrayWnd::OnQueryEndSession),
        win::onCommand(ID_DELETE_ALL, &CTrayWnd::OnDeleteAll),
        win::onCommand(ID_ADD_MEMO, &CTrayWnd::OnAddMemo),
        win::onCommand(ID_OPTION, &CTrayWnd::OnOption),
        win::onCommand(ID_VERSION, &CTrayWnd::OnVersion),
        win::onCommand(ID_EXIT, &CTrayWnd::OnExit),
        win::onMessage(WM_TRAY_CALLBACK, &CTrayWnd::OnTrayCallback),
        win::onMessage(WM_HOTKEY, &CTrayWnd::OnHotKey),
        win::onMessage(WM_SAVE_REQUEST, &CTrayWnd::OnSaveRequest),
        win::onMessage(WM_SAVE_FAILED, &CTrayWnd::OnSaveFailed),
        win::onRegistered(taskbarCreated, &CTrayWnd::OnTaskbarCreated),
    };
    static const win::MessageTable table(rows, Window::messageTable());
    return &table;
}

bool CTrayWnd::createWindow() {
    return win::guarded(nullptr, [this] {
        if (!create(0, "クイルパッド", WS_POPUP, 10, 10, 10, 10, nullptr, CS_HREDRAW | CS_VREDRAW)) return false;
        ShowWindow(hwnd(), SW_HIDE);
        addTrayIcon();
        teardownMemos();
        trayMenu_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
        loadMemos();
        return true;
    });
}

LRESULT CTrayWnd::OnCreate(WPARAM wParam, LPARAM lParam) {
    if (DefWindowProc(WM_CREATE, wParam, lParam) == -1) return -1;
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
    return 0;
}

LRESULT CTrayWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
        registerHotKeys();
    }
    return win::Window::DefWindowProc(message, wParam, lParam);
}

void CTrayWnd::OnFinalMessage() { PostQuitMessage(0); }

LRESULT CTrayWnd::OnHotKey(WPARAM wParam, LPARAM) {
    const std::vector<HotKeyEntry>& keys = settings_.general.hotKeys;
    if (static_cast<int>(wParam) == hotKeyId(keys[0])) {
        bringAllToFront();
    } else if (static_cast<int>(wParam) == hotKeyId(keys[1])) {
        addNewMemo();
        bringAllToFront();
    }
    return 0;
}

// A double click arrives as down, up, double click, up: front, then add.
LRESULT CTrayWnd::OnTrayCallback(WPARAM, LPARAM lParam) {
    switch (lParam) {
    case WM_LBUTTONDOWN: bringAllToFront(); break;
    case WM_LBUTTONDBLCLK: addNewMemo(); break;
    case WM_RBUTTONDOWN: showTrayMenu(); break;
    }
    return 0;
}

// A memo sends this from inside its handlers: it answers at once, and a
// failure is told from a posted message, once every memo handler has
// returned, since the message box's loop would run them all meanwhile. A
// failure is told once, not at every commit; the next success makes the
// next failure speak again.
void CTrayWnd::OnSaveRequest() {
    releaseEndedMemos();
    if (saveMemos()) {
        saveFailureShown_ = false;
    } else if (!loading_ && !saveFailureShown_) {
        saveFailureShown_ = true;
        PostMessageA(hwnd(), WM_SAVE_FAILED, 0, 0);
    }
}

void CTrayWnd::OnSaveFailed() { win::showWarning(texts::CANNOT_SAVE); }

// The shell has been restarted.
void CTrayWnd::OnTaskbarCreated() { addTrayIcon(); }

void CTrayWnd::showTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(hwnd());
    TrackPopupMenu(trayPopup(), TPM_RIGHTALIGN, cursor.x, cursor.y, 0, hwnd(), nullptr);
    // Lets the menu close when the user clicks elsewhere.
    PostMessageA(hwnd(), WM_NULL, 0, 0);
}

void CTrayWnd::addTrayIcon() {
    NOTIFYICONDATAA data = trayIconData(hwnd());
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY));
    lstrcpynA(data.szTip, "クイルパッド", sizeof data.szTip);
    Shell_NotifyIconA(NIM_ADD, &data);
}

void CTrayWnd::removeTrayIcon() {
    NOTIFYICONDATAA data = trayIconData(hwnd());
    Shell_NotifyIconA(NIM_DELETE, &data);
}

void CTrayWnd::registerHotKeys() {
    loadSettings(settings_.general, settings_.look);
    for (const HotKeyEntry& entry : settings_.general.hotKeys) {
        RegisterHotKey(hwnd(), hotKeyId(entry), entry.modifiers, entry.key);
    }
}

void CTrayWnd::unregisterHotKeys() {
    for (const HotKeyEntry& entry : settings_.general.hotKeys) UnregisterHotKey(hwnd(), hotKeyId(entry));
}

void CTrayWnd::OnExit() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }

void CTrayWnd::OnAddMemo() { addNewMemo(); }

void CTrayWnd::OnDeleteAll() { deleteAllMemos(); }

// Each dialog greys its own menu item while it is open, so that it cannot be
// opened twice from the nested message loop.
void CTrayWnd::OnVersion() {
    CVersionDlg dialog;
    EnableMenuItem(trayPopup(), ID_VERSION, MF_BYCOMMAND | MF_GRAYED);
    dialog.doModal();
    if (!hwnd()) return;  // "終了(&X)" was chosen meanwhile
    EnableMenuItem(trayPopup(), ID_VERSION, MF_BYCOMMAND | MF_ENABLED);
}

void CTrayWnd::OnOption() {
    COptionDlg dialog;
    EnableMenuItem(trayPopup(), ID_OPTION, MF_BYCOMMAND | MF_GRAYED);
    INT_PTR result = dialog.doModal();
    if (!hwnd()) return;  // "終了(&X)" was chosen meanwhile
    EnableMenuItem(trayPopup(), ID_OPTION, MF_BYCOMMAND | MF_ENABLED);
    if (result == IDCANCEL) return;
    // Whatever the dialog's save wrote, the hot keys and every memo take what
    // the settings files hold now, from one reading.
    SettingsReadBatch oneReading;
    unregisterHotKeys();
    registerHotKeys();
    reloadAllMemoSettings();
}

void CTrayWnd::OnClose() {
    if (!saveMemos()) {
        win::showWarning(texts::CANNOT_SAVE);
        return;
    }
    teardownMemos();
    defaultProcessing();  // destroys the window
}

// Every road that destroys the window releases what the system holds for it.
void CTrayWnd::OnDestroy() {
    removeTrayIcon();
    unregisterHotKeys();
}

LRESULT CTrayWnd::OnQueryEndSession(WPARAM wParam, LPARAM lParam) {
    if (!DefWindowProc(WM_QUERYENDSESSION, wParam, lParam)) return FALSE;
    saveMemos();
    return TRUE;
}

// Memo registry

CMemoDlg& CTrayWnd::createMemoWindow() {
    memoWindows_.emplace_back(new CMemoDlg());
    CMemoDlg& memo = *memoWindows_.back();
    // Owned by this window: no taskbar button, and gone at the latest with it.
    if (!memo.createModeless(hwnd())) throw std::runtime_error("memo window");
    return memo;
}

void CTrayWnd::addNewMemo() { createMemoWindow().createMemo(texts::NEW_TAB_TEXT, texts::NEW_TAB_TITLE, texts::NEW_MEMO_CAPTION); }

void CTrayWnd::createMemoFromData(const StoredMemo& memo) { createMemoWindow().addMemo(memo); }

// The last live memo ends up in front with the focus.
void CTrayWnd::bringAllToFront() {
    for (const auto& slot : memoWindows_) {
        if (isLive(slot)) SetForegroundWindow(slot->hwnd());
    }
}

void CTrayWnd::reloadAllMemoSettings() {
    for (const auto& slot : memoWindows_) {
        if (isLive(slot)) slot->reloadSettings();
    }
}

// A memo's object, menu and brush go with its window; one whose handler is
// still running is deleted when that handler returns.
void CTrayWnd::releaseEndedMemos() {
    memoWindows_.erase(std::remove_if(memoWindows_.begin(), memoWindows_.end(),
                                      [](const win::Owned<CMemoDlg>& slot) { return !isLive(slot); }),
                       memoWindows_.end());
}

// Asked every time, whatever DEL_CHECK_FLAG says; saves nothing.
void CTrayWnd::deleteAllMemos() {
    if (!win::askYesNo(texts::DELETE_ALL_QUESTION)) return;
    if (!hwnd()) return;
    teardownMemos();
}

// A memo whose handler waits in a nested loop (a question, a dialog) is
// deleted once that handler has returned.
void CTrayWnd::teardownMemos() { MemoSlots().swap(memoWindows_); }

std::vector<PixelRect> CTrayWnd::getMemoRects(HWND excluded) const {
    std::vector<PixelRect> rects;
    rects.reserve(memoWindows_.size() + 1);
    for (const auto& slot : memoWindows_) {
        if (!isLive(slot) || slot->hwnd() == excluded) continue;
        RECT r;
        GetWindowRect(slot->hwnd(), &r);
        rects.push_back({r.left, r.top, r.right, r.bottom});
    }
    rects.push_back({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    return rects;
}

// Loading and saving

bool CTrayWnd::loadMemos() {
    ScreenSize screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    LoadResult result;
    {
        // Every restored memo reads the settings: one reading serves them all.
        SettingsReadBatch settingsOnce;
        loading_ = true;
        result = loadMemoFile(MEMO_FILE_NAME, screen, [this](const StoredMemo& memo) { createMemoFromData(memo); });
        loading_ = false;
    }
    if (result == LoadResult::Unreadable) {
        // The stored memos exist but could not be read: end before any save can
        // replace them with this run's empty set.
        win::showWarning(texts::CANNOT_READ);
        removeTrayIcon();
        ExitProcess(0);
    }
    return true;
}

// Writes the live memos in registry order. The saves that restored memos
// request while the file is being read write nothing and cost nothing.
bool CTrayWnd::saveMemos() {
    if (loading_) return false;
    std::vector<StoredMemo> memos;
    memos.reserve(memoWindows_.size());
    for (const auto& slot : memoWindows_) {
        if (isLive(slot) && !slot->getTabs().empty()) memos.push_back(slot->stored());
    }
    return saveMemoFile(MEMO_FILE_NAME, memos);
}
