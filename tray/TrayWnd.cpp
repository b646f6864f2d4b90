#include "tray/TrayWnd.h"
#include "base/ReadBatch.h"
#include <shellapi.h>
#include <algorithm>
#include <cwchar>
#include <stdexcept>
#include "dialogs/OptionDlg.h"
#include "dialogs/RestoreDlg.h"
#include "dialogs/RestoreText.h"
#include "dialogs/VersionDlg.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "store/Reminder.h"
#include "store/ShiftJis.h"
#include "tray/HotKeyId.h"
#include "res/Messages.h"
#include "win/Controls.h"
#include "win/Failure.h"
#include "win/MessageBox.h"
#include "win/Screen.h"
#include "win/SystemLibrary.h"

namespace {

UINT taskbarCreated = 0;
const UINT_PTR SAVE_FAILED_LATER = 1;  // the timer of a failure message put off
const UINT_PTR RETRY_SAVE = 2;         // the timer that tries a failed save again
const UINT RETRY_SAVE_MS = 30000;
const UINT_PTR REMINDER_TICK = 4;     // after the watch's timer (TrayWnd.h)

// The form of NOTIFYICONDATAA with a tip of 128 bytes, which every shell since
// Windows 2000 understands.
const DWORD kNotifyIconDataSize = NOTIFYICONDATAA_V2_SIZE;

NOTIFYICONDATAA trayIconData(HWND hwnd) {
    NOTIFYICONDATAA data = {};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = hwnd;
    data.uID = 0;
    return data;
}

const char* saveFailureText(fileio::SaveFailure failure) {
    switch (failure) {
    case fileio::SaveFailure::ReadOnly: return texts::SAVE_READ_ONLY;
    case fileio::SaveFailure::Held: return texts::SAVE_HELD;
    case fileio::SaveFailure::DiskFull: return texts::SAVE_DISK_FULL;
    case fileio::SaveFailure::NoAccess: return texts::SAVE_NO_ACCESS;
    case fileio::SaveFailure::FolderMissing: return texts::SAVE_FOLDER_MISSING;
    case fileio::SaveFailure::OtherVersionNotKept: return texts::SAVE_OTHER_VERSION_NOT_KEPT;
    case fileio::SaveFailure::None:
    case fileio::SaveFailure::Other: break;
    }
    return texts::SAVE_OTHER;
}

// At most `bytes` - 1 bytes of `text`, never half a double-byte character; a
// cut end becomes "...".
std::string fitted(const std::string& text, size_t bytes) {
    if (text.size() < bytes) return text;
    size_t end = 0;
    for (size_t next; end < text.size(); end = next) {
        next = end + (IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1);
        if (next + 3 >= bytes) break;
    }
    return text.substr(0, end) + "...";
}

// What a balloon or the find window shows of a memo's text.
std::wstring firstLine(const std::vector<MemoTab>& tabs) {
    return tabs.empty() ? std::wstring() : tabs[0].text.substr(0, tabs[0].text.find_first_of(L"\r\n"));
}

std::string cannotSaveText(fileio::SaveFailure failure) {
    return std::string(texts::CANNOT_SAVE) + "\n" + saveFailureText(failure);
}

// The folder that holds the data file, as the user would look for it.
std::string dataFolder(const std::string& dataFile) {
    char full[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(dataFile.c_str(), sizeof full, full, &name);
    if (length == 0 || length >= sizeof full || !name || name == full) return ".";
    return std::string(full, name - full - 1);
}

}  // namespace

CTrayWnd::CTrayWnd(bool endsProcess)
    : appIcon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))),
      trayTip_("クイルパッド"),
      endsProcess_(endsProcess) {}

CTrayWnd::~CTrayWnd() {
    if (trayMenu_) DestroyMenu(trayMenu_);
    if (folderWatch_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(folderWatch_);
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
        win::onCommand(ID_FIND, &CTrayWnd::OnFind),
        win::onCommand(ID_OPTION, &CTrayWnd::OnOption),
        win::onCommand(ID_RESTORE, &CTrayWnd::OnRestore),
        win::onCommand(ID_VERSION, &CTrayWnd::OnVersion),
        win::onCommand(ID_EXIT, &CTrayWnd::OnExit),
        win::onMessage(WM_TRAY_CALLBACK, &CTrayWnd::OnTrayCallback),
        win::onMessage(WM_HOTKEY, &CTrayWnd::OnHotKey),
        win::onMessage(WM_SAVE_REQUEST, &CTrayWnd::OnSaveRequest),
        win::onMessage(WM_FIND_KEY, &CTrayWnd::OnFindKey),
        win::onMessage(WM_SAVE_FAILED, &CTrayWnd::OnSaveFailed),
        win::onMessage(WM_TELL_UNTOLD, &CTrayWnd::OnUntold),
        win::onMessage(WM_TIMER, &CTrayWnd::OnTimer),
        win::onMessage(WM_POWERBROADCAST, &CTrayWnd::OnPowerBroadcast),
        win::onRegistered(taskbarCreated, &CTrayWnd::OnTaskbarCreated),
    };
    static const win::MessageTable table(rows, Window::messageTable());
    return &table;
}

bool CTrayWnd::createWindow() {
    return win::guarded(nullptr, [this] {
        // The hot keys and every memo read the settings: a file held by
        // another program is waited for once.
        ReadBatch settingsOnce;
        if (!create(0, "クイルパッド", WS_POPUP, 10, 10, 10, 10, nullptr, CS_HREDRAW | CS_VREDRAW)) return false;
        ShowWindow(hwnd(), SW_HIDE);
        addTrayIcon();
        trayMenu_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
        loadMemos();
        watchDataFile();
        // The first check comes once the start has shown every memo: a due one then stays in front.
        SetTimer(hwnd(), REMINDER_TICK, 1000, nullptr);
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
    } else if (static_cast<int>(wParam) == hotKeyId(keys[2])) {
        openFind();
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
LRESULT CTrayWnd::OnSaveRequest(WPARAM wParam, LPARAM) {
    releaseEndedMemos();
    saveTellingFailure(wParam == SAVE_AFTER_DELETE);
    memosChanged();
    return 0;
}

void CTrayWnd::saveTellingFailure(bool causedByDelete) {
    if (!saveMemos(causedByDelete) && !loading_ && !saveFailureShown_) {
        saveFailureShown_ = true;
        PostMessageA(hwnd(), WM_SAVE_FAILED, 0, 0);
    }
}

// A box opened inside a menu's loop or a drag's takes no click while they
// hold the pointer: it waits until they have ended. It names why the last
// save failed; when a save has succeeded meanwhile there is nothing to tell.
void CTrayWnd::OnSaveFailed() {
    if (pointerHeld()) {
        SetTimer(hwnd(), SAVE_FAILED_LATER, 200, nullptr);
        return;
    }
    if (dataFile_.failure() != fileio::SaveFailure::None) showSaveFailure();
}

bool CTrayWnd::pointerHeld() {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return GetGUIThreadInfo(GetCurrentThreadId(), &thread) && (thread.flags & (GUI_INMENUMODE | GUI_INMOVESIZE));
}

// The box's loop runs our handlers: a failed "終了(&X)", or a failure after a
// save that succeeded meanwhile (a retry's too), would open the same box again over it.
void CTrayWnd::showSaveFailure() {
    if (saveFailureOpen_) return;
    saveFailureOpen_ = true;
    win::showWarning(cannotSaveText(dataFile_.failure()).c_str());
    saveFailureOpen_ = false;
}

// What a run left untold is told at the next start: rescue files once, the
// other programs' versions until their box has been answered.
LRESULT CTrayWnd::OnUntold(WPARAM, LPARAM) {
    std::string rescued;
    for (const std::string& path : dataFile_.takeRescued()) rescued += path + "\n";
    if (!rescued.empty()) win::showNotice((texts::RESCUED_START + rescued + texts::RESCUED_END).c_str());
    if (hwnd()) tellOtherVersionsKept();
    return 0;
}

// Told versions stay untold until the box is answered: an end meanwhile leaves them to the next start.
bool CTrayWnd::tellOtherVersionsKept() {
    const std::vector<LocalTime> untold = dataFile_.untold();
    if (untold.empty() || untoldOpen_) return false;
    std::string times;
    for (const LocalTime& t : untold) times += (times.empty() ? "" : "」「") + generationTime(t);
    untoldOpen_ = true;
    win::showNotice((texts::OTHER_VERSION_KEPT_START + times + texts::OTHER_VERSION_KEPT_END).c_str());
    untoldOpen_ = false;
    dataFile_.told(untold.size());
    // Saves made while the box was up may have kept more.
    if (!dataFile_.untold().empty() && hwnd()) PostMessageA(hwnd(), WM_TELL_UNTOLD, 0, 0);
    return true;
}

LRESULT CTrayWnd::OnTimer(WPARAM id, LPARAM) {
    if (id == SAVE_FAILED_LATER) {
        KillTimer(hwnd(), SAVE_FAILED_LATER);
        OnSaveFailed();
    } else if (id == RETRY_SAVE) {
        saveMemos();
    } else if (id == WATCH_FOLDER_TIMER) {
        OnWatchTick();
    } else if (id == REMINDER_TICK) {
        checkReminders();
    }
    return 0;
}

// What came due while the PC slept rings now, marked late.
LRESULT CTrayWnd::OnPowerBroadcast(WPARAM event, LPARAM) {
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
        lastCheck_.reset();
        checkReminders();
    }
    return TRUE;
}

void CTrayWnd::checkReminders() {
    const ClockReading now = systemClock().now();
    struct Rung {
        std::wstring caption, firstLine;
        std::optional<LocalTime> lateFrom;
    };
    std::vector<Rung> rung;
    std::vector<CMemoDlg*> ringing;
    const CMemoDlg* next = nullptr;
    for (const auto& slot : memoWindows_) {
        if (!isLive(slot) || !slot->reminder()) continue;
        const Reminder reminder = *slot->reminder();
        const DueCheck check = checkReminder(reminder, lastCheck_, now);
        if (check.rings) {
            rung.push_back({slot->getCaption(), firstLine(slot->getTabs()),
                            check.late ? std::optional<LocalTime>(ringTime(reminder)) : std::nullopt});
            ringing.push_back(slot.get());
        } else if (!reminder.ringing && (!next || ringTime(reminder) < ringTime(*next->reminder()))) {
            next = slot.get();
        }
    }
    lastCheck_ = now;
    // Rung once the registry is walked: a memo moved back on screen may ask
    // for a save, which tidies the registry.
    for (CMemoDlg* memo : ringing) memo->ring();
    std::string tip;
    if (next) {
        tip = sjis::encode(texts::NEXT_REMINDER + reminderTimeText(ringTime(*next->reminder())) + L" " +
                           next->getCaption());
    }
    if (tip != reminderTip_) {
        reminderTip_ = tip;
        showSaveState();
    }
    if (rung.empty()) return;
    // Many at once are one balloon that names them all.
    std::wstring text;
    for (const Rung& r : rung) {
        text += r.caption + L": " + r.firstLine;
        if (r.lateFrom) text += L" " + std::wstring(texts::REMINDER_LATE) + reminderTimeText(*r.lateFrom);
        text += L"\n";
    }
    wchar_t title[64] = L"";
    std::swprintf(title, 64, rung.size() == 1 ? texts::REMINDER_TITLE : texts::REMINDERS_TITLE, unsigned(rung.size()));
    showBalloon(title, text);
    win::playEventSound(texts::REMINDER_SOUND);
    saveTellingFailure(false);
    memosChanged();  // the find window lists due memos first
}

void CTrayWnd::showBalloon(const std::wstring& title, const std::wstring& text) {
    NOTIFYICONDATAW data = {};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = hwnd();
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = 10000;
    lstrcpynW(data.szInfoTitle, title.c_str(), ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

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

// The icon says whether the notes are saved: added with the state of the
// last save, and changed with it.
void CTrayWnd::addTrayIcon() {
    NOTIFYICONDATAA data = trayIconData(hwnd());
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_CALLBACK;
    const bool saved = dataFile_.failure() == fileio::SaveFailure::None;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(saved ? IDI_TRAY : IDI_TRAY_WARNING));
    lstrcpynA(data.szTip, trayTip_.c_str(), sizeof data.szTip);
    Shell_NotifyIconA(NIM_ADD, &data);
}

// A failed save is tried again in the background until it lands, so that
// notes reach the disk once another program lets go of the file.
void CTrayWnd::showSaveState() {
    const fileio::SaveFailure failure = dataFile_.failure();
    std::string tip = reminderTip_.empty() ? "クイルパッド" : fitted("クイルパッド\n" + reminderTip_, sizeof NOTIFYICONDATAA{}.szTip);
    if (failure != fileio::SaveFailure::None) {
        tip = fitted(std::string(texts::NOTES_NOT_SAVED) + "\n" + saveFailureText(failure) + "\n" +
                         dataFolder(dataFile_.path()),
                     sizeof NOTIFYICONDATAA{}.szTip);
        SetTimer(hwnd(), RETRY_SAVE, RETRY_SAVE_MS, nullptr);
    } else {
        KillTimer(hwnd(), RETRY_SAVE);
    }
    if (tip == trayTip_) return;
    trayTip_ = tip;
    NOTIFYICONDATAA data = trayIconData(hwnd());
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr),
                           MAKEINTRESOURCEA(failure == fileio::SaveFailure::None ? IDI_TRAY : IDI_TRAY_WARNING));
    lstrcpynA(data.szTip, trayTip_.c_str(), sizeof data.szTip);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void CTrayWnd::removeTrayIcon() {
    NOTIFYICONDATAA data = trayIconData(hwnd());
    Shell_NotifyIconA(NIM_DELETE, &data);
}

// A key left empty, or the same as an entry before it, is not held by
// another program.
std::vector<std::string> CTrayWnd::registerHotKeys() {
    loadSettings(settings_.general, settings_.appearance);
    const std::vector<HotKeyEntry>& keys = settings_.general.hotKeys;
    std::vector<std::string> failed;
    for (auto entry = keys.begin(); entry != keys.end(); ++entry) {
        int id = hotKeyId(*entry);
        bool ours = std::any_of(keys.begin(), entry, [id](const HotKeyEntry& e) { return hotKeyId(e) == id; });
        if (!RegisterHotKey(hwnd(), id, entry->modifiers, entry->key) && entry->key != 0 && !ours) {
            failed.push_back(entry->name);
        }
    }
    return failed;
}

void CTrayWnd::unregisterHotKeys() {
    for (const HotKeyEntry& entry : settings_.general.hotKeys) UnregisterHotKey(hwnd(), hotKeyId(entry));
}

// The open dialogs end first, as cancelled, and their runs return before the
// posted close comes: no dialog outlives the icon, and none returns into a
// torn-down program.
void CTrayWnd::OnExit() {
    win::Dialog::cancelModalRuns();
    PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void CTrayWnd::OnAddMemo() { addNewMemo(); }

void CTrayWnd::OnDeleteAll() { deleteAllMemos(); }

void CTrayWnd::OnFind() { openFind(); }

// F3 in a memo while the find window is hidden opens it, as Ctrl+F does.
LRESULT CTrayWnd::OnFindKey(WPARAM key, LPARAM) {
    if (key == FIND_OPEN || !find_ || !IsWindowVisible(find_->hwnd())) {
        openFind();
    } else {
        find_->goToNext(key == FIND_NEXT);
    }
    return 0;
}

void CTrayWnd::openFind() {
    if (!find_) find_.reset(new CFindDlg(*this));
    find_->open(hwnd());
}

void CTrayWnd::memosChanged() {
    if (find_) find_->memosChanged();
}

void CTrayWnd::forEachMemo(const MemoVisitor& visit) const {
    for (const auto& slot : memoWindows_) {
        if (isLive(slot)) visit(slot->id(), slot->getCaption(), slot->getTabs());
    }
}

std::vector<ReminderMemo> CTrayWnd::reminderMemos() const {
    std::vector<ReminderMemo> memos;
    for (const auto& slot : memoWindows_) {
        if (!isLive(slot) || !slot->reminder()) continue;
        memos.push_back({slot->id(), slot->getCaption(), firstLine(slot->getTabs()), *slot->reminder()});
    }
    return memos;
}

// The memo is found before it is shown: showing it may commit its edits, and
// the save that asks for lets go of ended memos in the registry.
bool CTrayWnd::showHit(const FindHit& hit) {
    CMemoDlg* memo = nullptr;
    for (const auto& slot : memoWindows_) {
        if (isLive(slot) && slot->id() == hit.memo) memo = slot.get();
    }
    if (!memo || hit.tab >= static_cast<int>(memo->getTabs().size())) return false;
    // One mark at a time: the match shown before may be another memo's.
    for (const auto& slot : memoWindows_) {
        if (isLive(slot) && slot.get() != memo) slot->clearMark();
    }
    memo->showMatch(hit.tab, hit.tab >= 0 && !hit.inTitle ? hit.match : TextMatch{});
    return true;
}

// A dialog's menu item is grey while it is open, so that it cannot be opened
// twice from the nested message loop. No result when the resident window
// ended meanwhile ("終了(&X)" was chosen): nothing of it may be used then.
std::optional<INT_PTR> CTrayWnd::runGreyed(UINT command, win::Dialog& dialog) {
    win::enableMenuItem(trayPopup(), command, false);
    INT_PTR result = dialog.doModal();
    if (!hwnd()) return std::nullopt;
    win::enableMenuItem(trayPopup(), command, true);
    return result;
}

void CTrayWnd::OnVersion() {
    CVersionDlg dialog;
    runGreyed(ID_VERSION, dialog);
}

void CTrayWnd::OnOption() {
    COptionDlg dialog;
    std::optional<INT_PTR> result = runGreyed(ID_OPTION, dialog);
    if (!result || *result == IDCANCEL) return;
    // Whatever the dialog's save wrote, the hot keys and every memo take what
    // the settings files hold now, from one reading. The reading ends before
    // any message: memos made and options saved meanwhile read afresh.
    std::vector<std::string> taken;
    {
        ReadBatch oneReading;
        unregisterHotKeys();
        taken = registerHotKeys();
        reloadAllMemoSettings();
    }
    if (dialog.saveFailed()) win::showWarning(texts::CANNOT_SAVE);
    if (dialog.startFailed() && hwnd()) win::showWarning(texts::CANNOT_SET_START);
    if (taken.empty()) return;
    std::string text;
    for (const std::string& name : taken) text += "「" + name + "」";
    win::showWarning((text + texts::HOT_KEYS_TAKEN_END).c_str());
}

// Typing in edit mode is kept at the end, as "タブの追加" and the deletes keep
// it; only "×" and Escape drop it.
void CTrayWnd::commitAllEdits() {
    for (const auto& slot : memoWindows_) {
        if (isLive(slot)) slot->commitEdits();
    }
}

void CTrayWnd::OnRestore() {
    CRestoreDlg dialog(dataFile_, [this] { return keepCurrentState(); });
    std::optional<INT_PTR> result = runGreyed(ID_RESTORE, dialog);
    if (result && (*result == IDOK || *result == IDC_RESTORE_ADD)) restoreMemos(dialog.chosenMemos(), *result == IDOK);
}

void CTrayWnd::OnClose() {
    commitAllEdits();
    const bool saved = saveMemos();
    if (!saved && !endWithRescue()) return;
    // Another program's version that this save kept is told before the end;
    // the box's loop runs our handlers, so the close starts again after it.
    // After a rescue the end comes at once: the next start tells it.
    if (saved && tellOtherVersionsKept()) {
        PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        return;
    }
    if (endsProcess_) {
        // Everything is saved: the system takes hundreds of memo windows down
        // in a small part of the time that destroying them one by one costs.
        releaseSystemHolds();
        ExitProcess(0);
    }
    teardownMemos();
    find_.reset();
    defaultProcessing();  // destroys the window
}

// Every road that destroys the window, and the close that ends the process,
// releases what the system holds for it.
void CTrayWnd::OnDestroy() { releaseSystemHolds(); }

void CTrayWnd::releaseSystemHolds() {
    removeTrayIcon();
    unregisterHotKeys();
}

// The session ends without asking: notes that cannot reach the data file go
// to a rescue file, and what is untold waits for the next start.
LRESULT CTrayWnd::OnQueryEndSession(WPARAM wParam, LPARAM lParam) {
    if (!DefWindowProc(WM_QUERYENDSESSION, wParam, lParam)) return FALSE;
    commitAllEdits();
    if (!saveMemos()) dataFile_.rescue(saveBuffer_);
    return TRUE;
}

// The box names why and where the rescue file goes; No (the default) stays.
// The data file is left as it is either way.
bool CTrayWnd::endWithRescue() {
    if (saveFailureOpen_) return false;
    saveFailureOpen_ = true;
    const std::string question = cannotSaveText(dataFile_.failure()) + texts::RESCUE_QUESTION_START +
                                 dataFile_.rescueFolder() + texts::RESCUE_QUESTION_END;
    bool rescued = win::askYesNo(question.c_str()) && hwnd();
    // The box's loop may have changed the memos or saved them: the rescue holds them as they are now.
    if (rescued) {
        commitAllEdits();
        rescued = saveMemos() || dataFile_.rescue(saveBuffer_);
        if (!rescued) win::showWarning(texts::RESCUE_FAILED);
    }
    saveFailureOpen_ = false;
    return rescued;
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

void CTrayWnd::createMemoFromData(const StoredMemo& memo, bool besideOthers) {
    createMemoWindow().addMemo(memo, besideOthers);
}

// The memo that was active last (or the last one made) ends up in front
// with the focus, so that the keyboard goes on from there.
// A memo that no monitor shows comes back onto the nearest, as at a start;
// one that any monitor shows stays where it is.
void CTrayWnd::bringAllToFront() {
    HWND last = nullptr;
    uint32_t lastActivation = 0;
    for (const auto& slot : memoWindows_) {
        if (isLive(slot) && slot->activation() >= lastActivation) {
            last = slot->hwnd();
            lastActivation = slot->activation();
        }
    }
    bool moved = false;
    for (const auto& slot : memoWindows_) {
        if (!isLive(slot)) continue;
        moved |= slot->pullBackOnScreen();
        if (slot->hwnd() != last) SetForegroundWindow(slot->hwnd());
    }
    if (last && IsWindow(last)) SetForegroundWindow(last);
    if (moved) saveTellingFailure(false);
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

// Asked every time, whatever DEL_CHECK_FLAG says; saves nothing, but the
// next save counts as one that a delete asked for.
void CTrayWnd::deleteAllMemos() {
    if (!win::askYesNo(texts::DELETE_ALL_QUESTION)) return;
    if (!hwnd()) return;
    teardownMemos();
    deleteAllOwed_ = true;
    memosChanged();
}

// A memo whose handler waits in a nested loop (a question, a dialog) is
// deleted once that handler has returned.
void CTrayWnd::teardownMemos() { MemoSlots().swap(memoWindows_); }

std::vector<PixelRect> CTrayWnd::getMemoRects(HWND excluded) const {
    std::vector<PixelRect> rects;
    rects.reserve(memoWindows_.size());
    for (const auto& slot : memoWindows_) {
        if (!isLive(slot) || slot->hwnd() == excluded) continue;
        RECT r;
        GetWindowRect(slot->hwnd(), &r);
        rects.push_back({r.left, r.top, r.right, r.bottom});
    }
    return rects;
}

std::vector<HWND> CTrayWnd::getMemoWindows() const {
    std::vector<HWND> windows;
    for (const auto& slot : memoWindows_) {
        if (isLive(slot)) windows.push_back(slot->hwnd());
    }
    return windows;
}

// Loading and saving

void CTrayWnd::showStoredMemos(const std::function<void()>& create) {
    // Every restored memo reads the settings and the monitors: one reading serves them all.
    ReadBatch readOnce;
    loading_ = true;
    create();
    loading_ = false;
    // Formatted while the start is under way: the first commit then formats
    // only the memo that changed, as every later one does.
    for (const auto& slot : memoWindows_) {
        if (isLive(slot)) slot->fileBlock();
    }
}

bool CTrayWnd::loadMemos() {
    LoadResult result = LoadResult::Missing;
    SyncFile file;
    std::string bytes;
    result = dataFile_.load(screenSize(), [&](const StoredMemo& memo) { file.memos.push_back(memo); }, &bytes);
    file.tombstones = readTombstones(bytes);
    // A file without identities gives each memo the one that every PC derives from it.
    const std::vector<StoredMemo> memos = sync_.load(file);
    showStoredMemos([&] {
        for (const StoredMemo& memo : memos) createMemoFromData(memo);
    });
    if (result == LoadResult::Unreadable) {
        // The stored memos exist but could not be read: end before any save can
        // replace them with this run's empty set.
        win::showWarning(texts::CANNOT_READ);
        removeTrayIcon();
        ExitProcess(0);
    }
    PostMessageA(hwnd(), WM_TELL_UNTOLD, 0, 0);  // what the last run left untold
    return true;
}

// Writes the live memos in registry order. The saves that restored memos
// request while the file is being read write nothing and cost nothing.
bool CTrayWnd::saveMemos(bool causedByDelete) { return syncMemos(true, causedByDelete); }

bool CTrayWnd::writeMemoFile(bool causedByDelete) {
    saveBuffer_ = sync_.fileBytes();
    const bool saved = dataFile_.save(saveBuffer_, causedByDelete || deleteAllOwed_);
    if (saved) {
        deleteAllOwed_ = false;
        saveFailureShown_ = false;  // whichever save landed, the next failure is told again
    }
    if (!dataFile_.untold().empty()) PostMessageA(hwnd(), WM_TELL_UNTOLD, 0, 0);
    showSaveState();
    return saved;
}
