// The hidden resident window: tray icon and menu, the three global hot keys,
// loading and saving of the memo data file, the registry of memo windows and
// the find window over them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "dialogs/FindDlg.h"
#include "memo/MemoDlg.h"
#include "memo/MemoOwner.h"
#include "memo/PixelRect.h"
#include "res/Texts.h"
#include "store/DataFile.h"
#include "store/MemoFile.h"
#include "store/MemoSync.h"
#include "store/Settings.h"
#include "win/Dialog.h"
#include "win/Window.h"

class CTrayWnd : public win::Window, public MemoOwner, public FindSource {
public:
    // `endsProcess`: a close that has saved everything ends the process at
    // once (the program's own window; a test's ends as a window does).
    explicit CTrayWnd(bool endsProcess = false);
    ~CTrayWnd() override;

    // Creates the window and brings the program up; false when the window
    // could not be created.
    bool createWindow();

    HMENU trayMenu() const { return trayMenu_; }
    static UINT taskbarCreatedMessage();

    // Memo registry: slots in creation order that never reorder. A memo that
    // deleted itself is let go at the save it asks for.
    using MemoSlots = std::vector<win::Owned<CMemoDlg>>;
    const MemoSlots& memoWindows() const { return memoWindows_; }
    static bool isLive(const win::Owned<CMemoDlg>& slot) { return slot && slot->hwnd(); }
    CMemoDlg& createMemoWindow();
    void addNewMemo();
    // `besideOthers`: see CMemoDlg::addMemo.
    void createMemoFromData(const StoredMemo& memo, bool besideOthers = false);
    void bringAllToFront();
    void deleteAllMemos();
    void reloadAllMemoSettings();
    void teardownMemos();
    std::vector<PixelRect> getMemoRects(HWND excluded) const override;
    std::vector<HWND> getMemoWindows() const override;

    // The find window, brought to the front; one at a time.
    void openFind();
    void forEachMemo(const MemoVisitor& visit) const override;
    std::vector<ReminderMemo> reminderMemos() const override;
    bool showHit(const FindHit& hit) override;

    bool loadMemos();
    // Another PC's version of the data file, brought by a sync engine, and
    // the engines' conflict copies are merged memo by memo into the open
    // memos: when the watched folder changes, and before every save.
    void watchDataFile();
    // `causedByDelete`: the save removes a deleted tab or memo (store/Generations.h).
    // The tray icon shows whether it failed until the next save.
    bool saveMemos(bool causedByDelete = false);
    // The tray icon's tip: the program's name and the next reminder, or while
    // the last save failed, that the notes are not saved, why, and the data
    // file's folder.
    const std::string& trayTip() const { return trayTip_; }

protected:
    const win::MessageTable* messageTable() const override;
    // The first stage of WM_CREATE: "TaskbarCreated" and the hot keys.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The resident window's end is the end of the message loop.
    void OnFinalMessage() override;

private:
    LRESULT OnCreate(WPARAM, LPARAM);
    void OnClose();
    void OnDestroy();
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    void OnExit();
    void OnAddMemo();
    void OnFind();
    LRESULT OnFindKey(WPARAM key, LPARAM);
    void OnDeleteAll();
    void OnOption();
    void OnRestore();
    void OnVersion();
    LRESULT OnTrayCallback(WPARAM, LPARAM);
    LRESULT OnHotKey(WPARAM, LPARAM);
    LRESULT OnSaveRequest(WPARAM, LPARAM);
    void OnSaveFailed();
    LRESULT OnUntold(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM id, LPARAM);
    void OnTaskbarCreated();
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM);
    void OnWatchTick();

    void addTrayIcon();
    void removeTrayIcon();
    void releaseSystemHolds();  // the tray icon and the hot keys
    // The icon and tip for the last save's outcome, and the retry while it failed.
    void showSaveState();
    // Answers the names of the entries whose key could not be registered.
    std::vector<std::string> registerHotKeys();
    void unregisterHotKeys();
    void showTrayMenu();
    // Rings the memos whose reminders came due, together, and names the next
    // reminder in the tip: every second, at the start and at a resume.
    void checkReminders();
    // Says it once, from the tray icon: nothing waits for an answer.
    void showBalloon(const std::wstring& title, const std::wstring& text);
    std::optional<INT_PTR> runGreyed(UINT command, win::Dialog& dialog);
    void releaseEndedMemos();
    void commitAllEdits();
    // Memos were added, changed or deleted: the find window follows.
    void memosChanged();
    // Saves, and tells a failure once from a posted message.
    void saveTellingFailure(bool causedByDelete);
    // The failure box with why the last save failed, unless it is open already.
    void showSaveFailure();
    // Tells the other programs' versions that saves kept and nobody told yet,
    // unless that box is open already; false when there was nothing to tell.
    bool tellOtherVersionsKept();
    // "終了(&X)" when the data file cannot be written: true when the user
    // chose to end with the notes in a rescue file and they are in one.
    bool endWithRescue();
    // Shows stored memos as at a start: their own save requests write nothing.
    void showStoredMemos(const std::function<void()>& create);
    // Before a restore replaces the memos: their edits and the file as it
    // then stands are kept; false when they could not be.
    bool keepCurrentState();
    // After the restore dialog: replaces every memo with `memos` or adds them.
    void restoreMemos(const std::vector<StoredMemo>& memos, bool replace);
    HMENU trayPopup() const { return GetSubMenu(trayMenu_, 0); }
    // A menu or a drag holds the pointer: a box now would wait for it, a merge would move under it.
    static bool pointerHeld();

    // Sharing the data file with other PCs (SyncMemos.cpp). The memos shown
    // and another PC's version of the file, or `copy`, a conflict copy, are
    // merged; the file is written when it lacks something. `userChange`: a
    // memo changed here (a save); otherwise the watch looks. False when a
    // write failed or the file could not be taken yet.
    // `again`: merges already made for this write.
    bool syncMemos(bool userChange, bool causedByDelete = false, const SyncFile* copy = nullptr, int again = 0);
    bool mergeConflictCopies();
    // Writes the file as the merge left it; the tray icon shows whether it failed.
    bool writeMemoFile(bool causedByDelete);
    void applyPlan(const MemoSync::Plan& plan, const std::vector<size_t>& slots);
    ScreenSize screenSize() const;
    std::vector<StoredMemo> parsedMemos(const std::string& bytes) const;
    void tellBothChanged(const std::vector<std::wstring>& captions);

    HICON appIcon_;
    HMENU trayMenu_ = nullptr;
    AppSettings settings_;
    MemoSlots memoWindows_;
    win::Owned<CFindDlg> find_;  // made when first opened; hidden, not ended, by Escape
    const PcIdentity thisPc_ = thisPc();
    // Its backups and notice marks are named by the computer and this PC's id:
    // two PCs of one name share neither.
    DataFile dataFile_{MEMO_FILE_NAME, fileio::localNow, fileio::computerName() + "-" + thisPc_.id.substr(0, 4)};
    std::string saveBuffer_;  // the bytes of the last save, as room for the next
    MemoSync sync_{thisPc_, fileio::computerName(), keepPc, texts::OTHER_PC};
    static const UINT_PTR WATCH_FOLDER_TIMER = 3;  // after TrayWnd.cpp's timers
    HANDLE folderWatch_ = INVALID_HANDLE_VALUE;
    bool folderChanged_ = false;  // seen by the watch and not yet merged
    unsigned watchTicks_ = 0;
    std::string trayTip_;
    std::string reminderTip_;  // the tip's line of the next reminder
    std::optional<ClockReading> lastCheck_;  // none at the start and after a resume
    const bool endsProcess_;
    bool deleteAllOwed_ = false;  // "全削除" emptied the registry; the next save removes those memos
    bool loading_ = false;  // the data file is being read: no save may write it
    bool saveFailureShown_ = false;  // told once; quiet until a save succeeds again
    bool saveFailureOpen_ = false;  // the failure box is up (its loop runs our handlers)
    bool untoldOpen_ = false;  // the box that tells the other programs' versions is up
};
