#include "app/MemoApp.h"
#include "win/MessageBox.h"

bool CMemoApp::InitInstance() {
    // The mutex marks a running copy in this logon session; its handle stays
    // open until the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Quillpad");
    if (!mutex) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        win::showMessage("既に起動中です", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    trayWnd_ = new CTrayWnd();
    mainWindow = trayWnd_;
    return trayWnd_->createWindow();
}
