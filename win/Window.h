// A window object bound to its HWND, with a static message table per class.
#pragma once
#include <cstddef>
#include <memory>
#include <type_traits>
#include <windows.h>
#include "win/Failure.h"

namespace win {

class Window;

// A handler of any class derived from Window, stored without its type; the
// row's cracker knows the type and the arguments the handler takes.
using AnyHandler = void (Window::*)();
using Cracker = LRESULT (*)(Window&, AnyHandler, WPARAM, LPARAM);

// One row of a class's message table. WM_COMMAND rows also match the control
// or command id and the notification code; WM_NOTIFY rows match idFrom and code.
struct MessageEntry {
    UINT message;
    const UINT* registered;  // a registered message: where its identifier is kept
    UINT id;
    UINT code;
    Cracker crack;
    AnyHandler handler;
    const char* operation;  // named in the failure message, or null
};

// A WM_COMMAND row with this code takes a menu command, an accelerator and a button click.
const UINT ANY_COMMAND_CODE = 0xFFFFFFFF;

namespace detail {
// A member-function pointer cast to another such type and back is the
// original again; only the row's cracker calls it, with its real type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
template <class H, class T>
AnyHandler erase(H T::*handler) {
    return reinterpret_cast<AnyHandler>(handler);
}
template <class H, class T>
H T::*restore(AnyHandler handler) {
    return reinterpret_cast<H T::*>(handler);
}
#pragma GCC diagnostic pop
template <class T>
LRESULT crackRaw(Window& w, AnyHandler h, WPARAM wParam, LPARAM lParam) {
    return (static_cast<T&>(w).*restore<LRESULT(WPARAM, LPARAM), T>(h))(wParam, lParam);
}
template <class T>
LRESULT crackPlain(Window& w, AnyHandler h, WPARAM, LPARAM) {
    (static_cast<T&>(w).*restore<void(), T>(h))();
    return 0;
}
template <class T>
LRESULT crackNotify(Window& w, AnyHandler h, WPARAM, LPARAM lParam) {
    return (static_cast<T&>(w).*restore<LRESULT(const NMHDR&), T>(h))(*reinterpret_cast<const NMHDR*>(lParam));
}
template <class T>
LRESULT crackCtlColor(Window& w, AnyHandler h, WPARAM wParam, LPARAM lParam) {
    HBRUSH brush = (static_cast<T&>(w).*restore<HBRUSH(HDC, HWND), T>(h))(reinterpret_cast<HDC>(wParam),
                                                                          reinterpret_cast<HWND>(lParam));
    return reinterpret_cast<LRESULT>(brush);
}
template <class T>
LRESULT crackContextMenu(Window& w, AnyHandler h, WPARAM, LPARAM lParam) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    bool fromKeyboard = at.x == -1 && at.y == -1;
    (static_cast<T&>(w).*restore<void(const POINT*), T>(h))(fromKeyboard ? nullptr : &at);
    return 0;
}
}  // namespace detail

// A message with its parameters as they come.
template <class T>
MessageEntry onMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM), const char* operation = nullptr) {
    return {message, nullptr, 0, 0, &detail::crackRaw<T>, detail::erase(handler), operation};
}
// A message that carries nothing the handler needs; it answers 0.
template <class T>
MessageEntry onMessage(UINT message, void (T::*handler)(), const char* operation = nullptr) {
    return {message, nullptr, 0, 0, &detail::crackPlain<T>, detail::erase(handler), operation};
}
// WM_CONTEXTMENU: the point in screen coordinates, or null when the menu is
// asked for from the keyboard (Shift+F10, the menu key), which gives none.
template <class T>
MessageEntry onContextMenu(void (T::*handler)(const POINT* at)) {
    return {WM_CONTEXTMENU, nullptr, 0, 0, &detail::crackContextMenu<T>, detail::erase(handler), nullptr};
}
// A message registered at run time (RegisterWindowMessage); `message` is read at each dispatch.
template <class T>
MessageEntry onRegistered(const UINT& message, void (T::*handler)()) {
    return {0, &message, 0, 0, &detail::crackPlain<T>, detail::erase(handler), nullptr};
}
// A menu command, an accelerator or a button click.
template <class T>
MessageEntry onCommand(UINT id, void (T::*handler)()) {
    return {WM_COMMAND, nullptr, id, ANY_COMMAND_CODE, &detail::crackPlain<T>, detail::erase(handler), nullptr};
}
// A control's WM_COMMAND notification such as CBN_DROPDOWN.
template <class T>
MessageEntry onControl(UINT id, UINT code, void (T::*handler)()) {
    return {WM_COMMAND, nullptr, id, code, &detail::crackPlain<T>, detail::erase(handler), nullptr};
}
template <class T>
MessageEntry onNotify(UINT id, UINT code, LRESULT (T::*handler)(const NMHDR&)) {
    return {WM_NOTIFY, nullptr, id, code, &detail::crackNotify<T>, detail::erase(handler), nullptr};
}
// A colour request such as WM_CTLCOLORSTATIC: the control's DC and window.
template <class T>
MessageEntry onCtlColor(UINT message, HBRUSH (T::*handler)(HDC, HWND)) {
    return {message, nullptr, 0, 0, &detail::crackCtlColor<T>, detail::erase(handler), nullptr};
}

// A class's rows, and the table of its base class that is searched after them.
struct MessageTable {
    const MessageEntry* entries;
    std::size_t count;
    const MessageTable* base;
    template <std::size_t N>
    MessageTable(const MessageEntry (&rows)[N], const MessageTable* base = nullptr)
        : entries(rows), count(N), base(base) {}
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    static Window* fromHandle(HWND hwnd);

    // Destroys the window and deletes the object; while one of the object's
    // own handlers is still running (in a nested message loop), the delete
    // waits until the last of them has returned.
    static void destroyAndDelete(Window* window);
    // Whether one of the object's own handlers is on the stack: it waits in a
    // nested message loop, or its call out has come back to us.
    bool handlerRunning() const { return running_ > 0; }

    // Routes an existing control's messages through this object's message table.
    void subclass(HWND control);
    // Creates a child control of a system class (such as "EDIT") with this id,
    // subclassed through this object's message table.
    bool createControl(const char* className, DWORD style, HWND parent, int id);

    // Default processing: every message that no table row takes, and every
    // message whose handler asks for it, passes through here.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual const MessageTable* messageTable() const { return nullptr; }
    // The default processing of the message being handled, for typed handlers.
    LRESULT defaultProcessing();
    // Runs after the window's last message (WM_NCDESTROY), when the object is
    // no longer bound to it.
    virtual void OnFinalMessage() {}

    // Creates a top-level or child window of a private class with `classStyle`;
    // a child has the control id `id`.
    bool create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
                HWND parent, UINT classStyle, int id = 0);
    // Binds the object to a window created elsewhere and, when `subclass` is set,
    // routes the window's messages through the message table.
    void attach(HWND hwnd, bool subclass);

    // Runs `f` as one of this object's handlers: behind the failure boundary,
    // and counted, so that the object outlives it. A direct call into a window
    // object from outside its dispatch goes through here too.
    template <class F>
    LRESULT runHandler(const char* operation, F&& f);

private:
    struct Current {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    // Counts a running handler; the last one to return carries out a delete
    // that destroyAndDelete had to put off.
    class Busy {
    public:
        explicit Busy(Window& window) : window_(window) { ++window_.running_; }
        ~Busy();

    private:
        Window& window_;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool ownClass(HWND hwnd);
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const MessageEntry* find(UINT message, WPARAM wParam, LPARAM lParam) const;
    void detach();

    HWND hwnd_ = nullptr;
    WNDPROC superProc_ = nullptr;  // the procedure of a subclassed window
    const Current* current_ = nullptr;
    int running_ = 0;           // this object's handlers on the stack
    bool deleteWhenIdle_ = false;
};

template <class F>
LRESULT Window::runHandler(const char* operation, F&& f) {
    Busy busy(*this);
    if constexpr (std::is_void_v<decltype(f())>) {
        guarded(operation, f);
        return 0;
    } else {
        return guarded(operation, f);
    }
}

// Owns a window object: destroyAndDelete when the owner lets go.
struct DestroyAndDelete {
    void operator()(Window* window) const { Window::destroyAndDelete(window); }
};
template <class T>
using Owned = std::unique_ptr<T, DestroyAndDelete>;

}  // namespace win
