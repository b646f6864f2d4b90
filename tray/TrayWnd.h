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

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

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
    win::MessageTable messageTable() const override;

private:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnExit(WPARAM, LPARAM);
    LRESULT OnAddMemo(WPARAM, LPARAM);
    LRESULT OnDeleteAll(WPARAM, LPARAM);
    LRESULT OnOption(WPARAM, LPARAM);
    LRESULT OnVersion(WPARAM, LPARAM);

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
