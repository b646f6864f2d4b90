// The hidden resident window: tray icon and menu, the two global hot keys,
// loading and saving of the memo data file, and the registry of memo windows.
#pragma once
#include <vector>
#include "memo/MemoDlg.h"
#include "memo/PixelRect.h"
#include "store/MemoFile.h"
#include "store/Settings.h"
#include "win/Window.h"

class CTrayWnd : public win::Window {
public:
    CTrayWnd();
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
    virtual void addNewMemo();
    void createMemoFromData(const StoredMemo& memo);
    virtual void bringAllToFront();
    void deleteAllMemos();
    void reloadAllMemoSettings();
    void teardownMemos();
    // Rectangles a moving memo snaps to: the other memos, then the primary screen.
    std::vector<PixelRect> getMemoRects(HWND excluded) const;

    bool loadMemos();
    bool saveMemos();

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
    void OnDeleteAll();
    void OnOption();
    void OnVersion();
    LRESULT OnTrayCallback(WPARAM, LPARAM);
    LRESULT OnHotKey(WPARAM, LPARAM);
    void OnSaveRequest();
    void OnSaveFailed();
    void OnTaskbarCreated();

    void addTrayIcon();
    void removeTrayIcon();
    void registerHotKeys();
    void unregisterHotKeys();
    void showTrayMenu();
    void releaseEndedMemos();
    HMENU trayPopup() const { return GetSubMenu(trayMenu_, 0); }

    HICON appIcon_;
    HMENU trayMenu_ = nullptr;
    AppSettings settings_;
    MemoSlots memoWindows_;
    bool loading_ = false;  // the data file is being read: no save may write it
    bool saveFailureShown_ = false;  // told once; quiet until a save succeeds again
};
