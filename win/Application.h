// The application object: start-up through InitInstance, then the message loop
// until the main window ends it.
#pragma once
#include <windows.h>

namespace win {

class Application {
public:
    Application() = default;
    virtual ~Application() = default;

    // True enters the message loop; false ends the program at once.
    virtual bool InitInstance() = 0;
    // InitInstance and the message loop; returns the process exit code.
    int run();

protected:
    // The window whose end ends the message loop, made by InitInstance.
    virtual HWND mainWindow() const = 0;
};

// The message loop, with IsDialogMessage for modeless dialogs; returns the
// exit code of WM_QUIT, or 0 once the main window (when one is given) is gone.
int runMessageLoop(HWND mainWindow = nullptr);

}  // namespace win
