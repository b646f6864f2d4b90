#include "app/MemoApp.h"
#include "res/Texts.h"
#include "win/MessageBox.h"

bool CMemoApp::InitInstance() {
    // The mutex marks a running copy in this logon session; its handle stays
    // open until the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Quillpad");
    if (!mutex) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        win::showWarning(texts::ALREADY_RUNNING);
        return false;
    }
    trayWnd_.reset(new CTrayWnd(true));
    return trayWnd_->createWindow();
}
