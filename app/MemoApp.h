// The application object: one copy per logon session, then the resident window.
#pragma once
#include "tray/TrayWnd.h"
#include "win/Application.h"

class CMemoApp : public win::Application {
public:
    bool InitInstance() override;

protected:
    HWND mainWindow() const override { return trayWnd_ ? trayWnd_->hwnd() : nullptr; }

private:
    win::Owned<CTrayWnd> trayWnd_;
};
