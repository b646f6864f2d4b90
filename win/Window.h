// A window object bound to its HWND, with a static message table per class.
#pragma once
#include <cstddef>
#include <windows.h>

namespace win {

class Window;
using Handler = LRESULT (Window::*)(WPARAM, LPARAM);

// One row of a class's message table. WM_COMMAND rows also match the control
// or command id and the notification code; WM_NOTIFY rows match idFrom and code.
struct MessageEntry {
    UINT message;
    UINT id;
    UINT code;
    Handler handler;
    const char* operation;  // named in the failure message, or null
};

template <class T>
MessageEntry onMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM), const char* operation = nullptr) {
    return {message, 0, 0, static_cast<Handler>(handler), operation};
}
// A menu command or a button click.
template <class T>
MessageEntry onCommand(UINT id, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {WM_COMMAND, id, 0, static_cast<Handler>(handler), nullptr};
}
// A control's WM_COMMAND notification such as CBN_DROPDOWN.
template <class T>
MessageEntry onControl(UINT id, UINT code, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {WM_COMMAND, id, code, static_cast<Handler>(handler), nullptr};
}
template <class T>
MessageEntry onNotify(UINT id, UINT code, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {WM_NOTIFY, id, code, static_cast<Handler>(handler), nullptr};
}

struct MessageTable {
    const MessageEntry* entries = nullptr;
    std::size_t count = 0;
    MessageTable() = default;
    template <std::size_t N>
    MessageTable(const MessageEntry (&table)[N]) : entries(table), count(N) {}
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    static Window* fromHandle(HWND hwnd);

    // Default processing: every message that no table row takes, and every
    // message whose handler asks for it, passes through here.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual MessageTable messageTable() const { return {}; }

    // Creates a top-level or child window of a private class with `classStyle`.
    bool create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
                HWND parent, UINT classStyle);

    // A message that the table does not take.
    virtual LRESULT unlisted(UINT message, WPARAM wParam, LPARAM lParam);

    // Binds the object to a window created elsewhere and, when `subclass` is set,
    // routes the window's messages through the message table.
    void attach(HWND hwnd, bool subclass);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const MessageEntry* find(UINT message, WPARAM wParam, LPARAM lParam) const;
    void detach();

    HWND hwnd_ = nullptr;
    WNDPROC superProc_ = nullptr;  // the procedure of a subclassed window
};

}  // namespace win
