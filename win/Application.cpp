#include "win/Application.h"
#include <windows.h>
#include "win/Dialog.h"
#include "win/Failure.h"

namespace win {

void startProcess(const char* failureText, FunctionLookup lookup) {
    setFailureText(failureText);
    guarded("SetDefaultDllDirectories", [lookup] { restrictDllSearch(lookup); });
}

int Application::run() { return InitInstance() ? runMessageLoop(mainWindow()) : 0; }

int runMessageLoop(HWND mainWindow) {
    MSG msg;
    for (;;) {
        // The main window's end posts the quit message, but a nested loop may
        // have taken it: Wine's move loop does, and does not post it again.
        if (mainWindow && !IsWindow(mainWindow)) return 0;
        // Unicode all the way: a typed character reaches the editors as it was typed.
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        if (Dialog::routeToModeless(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace win
