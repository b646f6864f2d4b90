// The application object: start-up through InitInstance, then the message loop
// until the main window ends it.
#pragma once
#include <windows.h>
#include "win/SystemLibrary.h"

namespace win {

// The process's first call, in WinMain: failures from here on show
// `failureText`, then the DLL search is limited to the system folder. A
// kernel32 without SetDefaultDllDirectories (`lookup` finds it) is such a
// failure, and the message names that function.
void startProcess(const char* failureText, FunctionLookup lookup = kernel32Function);

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
