#include "win/Window.h"
#include <string>
#include "win/Controls.h"

namespace win {

namespace {
const char* const kObjectProp = "Quillpad.Window";
}

Window::~Window() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    detach();
}

Window::Busy::~Busy() {
    if (--window_.running_ == 0 && window_.deleteWhenIdle_) delete &window_;
}

// A window of our own class keeps its object in its extra bytes, which are
// read without a round trip to Wine's server, unlike a property, and it is
// asked at every message; a subclassed window keeps it in a property.
bool Window::ownClass(HWND hwnd) {
    return GetClassLongPtrW(hwnd, GCLP_WNDPROC) == reinterpret_cast<ULONG_PTR>(&Window::windowProc);
}

Window* Window::fromHandle(HWND hwnd) {
    if (ownClass(hwnd)) return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, 0));
    return static_cast<Window*>(GetPropA(hwnd, kObjectProp));
}

void Window::destroyAndDelete(Window* window) {
    if (!window) return;
    // The window goes first, while the object is whole: its handlers see WM_DESTROY.
    if (window->hwnd_) DestroyWindow(window->hwnd_);
    if (window->running_ > 0) {
        window->deleteWhenIdle_ = true;
    } else {
        delete window;
    }
}

bool Window::create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
                    HWND parent, UINT classStyle, int id) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::wstring className = L"Quillpad:" + std::to_wstring(classStyle);
    WNDCLASSW wc;
    if (!GetClassInfoW(instance, className.c_str(), &wc)) {
        wc = WNDCLASSW();
        wc.style = classStyle;
        wc.lpfnWndProc = windowProc;
        wc.cbWndExtra = sizeof(Window*);
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = className.c_str();
        if (!RegisterClassW(&wc)) return false;
    }
    const std::wstring wideTitle = widen(title);
    return CreateWindowExW(exStyle, className.c_str(), wideTitle.c_str(), style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this) != nullptr;
}

bool Window::createControl(const char* className, DWORD style, HWND parent, int id) {
    const std::wstring wideClass = widen(className);
    HWND control = CreateWindowExW(0, wideClass.c_str(), L"", style | WS_CHILD, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (!control) return false;
    subclass(control);
    return true;
}

void Window::subclass(HWND control) { attach(control, true); }

void Window::attach(HWND hwnd, bool subclass) {
    hwnd_ = hwnd;
    if (ownClass(hwnd)) {
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(this));
    } else {
        SetPropA(hwnd, kObjectProp, this);
    }
    // A Unicode procedure, also over an ANSI control: the system translates
    // between them, and our handlers always see text as UTF-16.
    if (subclass) {
        superProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::windowProc)));
    }
}

void Window::detach() {
    if (hwnd_ && IsWindow(hwnd_)) {
        if (ownClass(hwnd_)) {
            SetWindowLongPtrW(hwnd_, 0, 0);
        } else {
            RemovePropA(hwnd_, kObjectProp);
        }
        // Someone may have subclassed the window after us: putting our
        // predecessor back would cut them off.
        if (superProc_ && GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Window::windowProc)) {
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
        }
    }
    hwnd_ = nullptr;
    superProc_ = nullptr;
}

LRESULT CALLBACK Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* self = static_cast<Window*>(cs->lpCreateParams)) self->attach(hwnd, false);
    }
    Window* self = fromHandle(hwnd);
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->dispatch(message, wParam, lParam);
}

const MessageEntry* Window::find(UINT message, WPARAM wParam, LPARAM lParam) const {
    for (const MessageTable* table = messageTable(); table; table = table->base) {
        for (std::size_t i = 0; i < table->count; ++i) {
            const MessageEntry& e = table->entries[i];
            if (e.registered ? (*e.registered == 0 || *e.registered != message) : e.message != message) continue;
            if (message == WM_COMMAND) {
                UINT code = HIWORD(wParam);
                if (e.id != LOWORD(wParam)) continue;
                // A menu or a button says 0; an accelerator says 1 and, unlike
                // a control's notification 1, names no control.
                bool command = code == 0 || (code == 1 && lParam == 0);
                if (e.code == ANY_COMMAND_CODE ? !command : e.code != code) continue;
            }
            if (message == WM_NOTIFY) {
                auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
                if (e.id != hdr->idFrom || e.code != hdr->code) continue;
            }
            return &e;
        }
    }
    return nullptr;
}

// The one dispatch point: any exception escaping a handler ends the process.
LRESULT Window::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // The superclass's procedure, not our hook: nothing of ours runs now.
    if (failing()) return Window::DefWindowProc(message, wParam, lParam);
    Busy busy(*this);  // the object outlives this message, even if released meanwhile
    const MessageEntry* entry = find(message, wParam, lParam);
    Current current{message, wParam, lParam};
    const Current* outer = current_;
    current_ = &current;
    LRESULT result = runHandler(entry ? entry->operation : nullptr, [&]() -> LRESULT {
        return entry ? entry->crack(*this, entry->handler, wParam, lParam) : DefWindowProc(message, wParam, lParam);
    });
    current_ = outer;
    if (message == WM_NCDESTROY) {
        detach();
        runHandler(nullptr, [this]() -> LRESULT {
            OnFinalMessage();
            return 0;
        });
    }
    return result;
}

LRESULT Window::defaultProcessing() {
    return DefWindowProc(current_->message, current_->wParam, current_->lParam);
}

LRESULT Window::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd_) return 0;
    if (superProc_) return CallWindowProcW(superProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace win
