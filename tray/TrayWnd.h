// The hidden resident window: tray icon and menu, the two global hot keys,
// loading and saving of the memo data file, and the registry of memo windows.
#pragma once
#include <vector>
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

    // Memo registry.
    virtual void addNewMemo();
    virtual void bringAllToFront();
    void deleteAllMemos();
    void reloadAllMemoSettings();
    void teardownMemos();
    // Rectangles a moving memo snaps to: the other memos, then the primary screen.
    std::vector<RECT> getMemoRects(HWND excluded) const;

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
    void OnTaskbarCreated();

    void addTrayIcon();
    void removeTrayIcon();
    void registerHotKeys();
    void unregisterHotKeys();
    void showTrayMenu();
    HMENU trayPopup() const { return GetSubMenu(trayMenu_, 0); }

    HICON appIcon_;
    HMENU trayMenu_ = nullptr;
    AppSettings settings_;
    bool loading_ = false;  // the data file is being read: no save may write it
};
