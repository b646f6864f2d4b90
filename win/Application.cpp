#include "win/Application.h"
#include <windows.h>
#include "win/Dialog.h"

namespace win {

int Application::run() { return InitInstance() ? runMessageLoop() : 0; }

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
