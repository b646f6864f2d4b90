#include "win/Application.h"
#include <windows.h>
#include "win/Dialog.h"

namespace win {

namespace {
Application* theInstance = nullptr;
}

Application::Application() { theInstance = this; }
Application::~Application() {
    if (theInstance == this) theInstance = nullptr;
}

Application* Application::instance() { return theInstance; }

int Application::run() {
    if (!InitInstance()) {
        if (mainWindow && mainWindow->hwnd()) DestroyWindow(mainWindow->hwnd());
        return 0;
    }
    return runMessageLoop();
}

int runMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        auto* dialog = dynamic_cast<Dialog*>(root ? Window::fromHandle(root) : nullptr);
        if (dialog && dialog->isModeless() && IsDialogMessageA(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace win
