#include "win/Window.h"
#include <string>
#include "win/Application.h"
#include "win/Failure.h"

namespace win {

namespace {
const char* const kObjectProp = "Quillpad.Window";
}

Window::~Window() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    detach();
}

Window* Window::fromHandle(HWND hwnd) {
    return static_cast<Window*>(GetPropA(hwnd, kObjectProp));
}

bool Window::create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
                    HWND parent, UINT classStyle) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::string className = "Quillpad:" + std::to_string(classStyle);
    WNDCLASSA wc;
    if (!GetClassInfoA(instance, className.c_str(), &wc)) {
        wc = WNDCLASSA();
        wc.style = classStyle;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.lpszClassName = className.c_str();
        if (!RegisterClassA(&wc)) return false;
    }
    return CreateWindowExA(exStyle, className.c_str(), title, style, x, y, width, height, parent, nullptr,
                           instance, this) != nullptr;
}

void Window::attach(HWND hwnd, bool subclass) {
    hwnd_ = hwnd;
    SetPropA(hwnd, kObjectProp, this);
    if (subclass) {
        superProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::windowProc)));
    }
}

void Window::detach() {
    if (hwnd_ && IsWindow(hwnd_)) {
        RemovePropA(hwnd_, kObjectProp);
        if (superProc_) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
    }
    hwnd_ = nullptr;
    superProc_ = nullptr;
}

LRESULT CALLBACK Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* self = static_cast<Window*>(cs->lpCreateParams)) self->attach(hwnd, false);
    }
    Window* self = fromHandle(hwnd);
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = self->dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->detach();
        // The main window's end is the end of the message loop.
        if (Application::instance() && Application::instance()->mainWindow == self) PostQuitMessage(0);
    }
    return result;
}

const MessageEntry* Window::find(UINT message, WPARAM wParam, LPARAM lParam) const {
    MessageTable table = messageTable();
    for (std::size_t i = 0; i < table.count; ++i) {
        const MessageEntry& e = table.entries[i];
        if (e.message != message) continue;
        if (message == WM_COMMAND && (e.id != LOWORD(wParam) || e.code != HIWORD(wParam))) continue;
        if (message == WM_NOTIFY) {
            auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (e.id != hdr->idFrom || e.code != hdr->code) continue;
        }
        return &e;
    }
    return nullptr;
}

// The one dispatch point: any exception escaping a handler ends the process.
LRESULT Window::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const MessageEntry* entry = find(message, wParam, lParam);
    return guarded(entry ? entry->operation : nullptr, [&]() -> LRESULT {
        return entry ? (this->*entry->handler)(wParam, lParam) : unlisted(message, wParam, lParam);
    });
}

LRESULT Window::unlisted(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT Window::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (superProc_) return CallWindowProcA(superProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

}  // namespace win
