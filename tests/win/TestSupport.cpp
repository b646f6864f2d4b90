#include "TestSupport.h"
#include <cstdio>

namespace testing_support {

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    char name[MAX_PATH];
    for (;;) {
        snprintf(name, sizeof name, "%squillpad-test-%lu-%u-%lu", base, GetCurrentProcessId(), ++counter,
                 GetTickCount());
        if (CreateDirectoryA(name, nullptr)) break;
    }
    path_ = name;
    SetCurrentDirectoryA(path_.c_str());
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

namespace {
const int kMessageBoxText = 0xFFFF;  // the id of a message box's text

struct Search {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
    bool messageBox;  // only dialogs with a message box's text static
};

BOOL CALLBACK matchTopLevel(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != s->pid) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, s->className) != 0) return TRUE;
    if (s->title) {
        // InternalGetWindowText sends no message: the window's thread may be
        // waiting for this one.
        wchar_t text[256] = {}, wanted[256] = {};
        InternalGetWindowText(hwnd, text, 256);
        MultiByteToWideChar(CP_ACP, 0, s->title, -1, wanted, 256);
        if (lstrcmpW(text, wanted) != 0) return TRUE;
    } else if (!IsWindowVisible(hwnd)) {
        return TRUE;
    }
    if (s->messageBox && !GetDlgItem(hwnd, kMessageBoxText)) return TRUE;
    s->found = hwnd;
    return FALSE;
}
}  // namespace

HWND findTopLevel(DWORD pid, const char* className, const char* title) {
    Search search{pid, className, title, nullptr, false};
    EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findMessageBox(DWORD pid) {
    Search search{pid, "#32770", nullptr, nullptr, true};
    EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window's text without sending it a message, in the ANSI code page.
std::string windowText(HWND hwnd) {
    wchar_t wide[1024] = {};
    InternalGetWindowText(hwnd, wide, 1024);
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

namespace {
std::function<void(HWND)> pendingAct;

void CALLBACK actOnOpenDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = findTopLevel(GetCurrentProcessId(), "#32770");
    if (!dialog || !pendingAct) return;
    KillTimer(nullptr, id);
    std::function<void(HWND)> act = std::move(pendingAct);
    pendingAct = nullptr;
    act(dialog);
}
}  // namespace

bool actOnDialog(const std::function<void()>& open, const std::function<void(HWND)>& act) {
    pendingAct = act;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, actOnOpenDialog);
    open();
    KillTimer(nullptr, timer);
    bool acted = !pendingAct;
    pendingAct = nullptr;
    return acted;
}

MessageBoxSeen readMessageBox(HWND box) {
    return {windowText(box), windowText(GetDlgItem(box, kMessageBoxText))};
}

MessageBoxWatcher::MessageBoxWatcher(DWORD pid, int button, std::function<void(const MessageBoxSeen&)> onSeen)
    : pid_(pid), button_(button), onSeen_(std::move(onSeen)) {
    InitializeCriticalSection(&lock_);
    thread_ = std::thread([this] {
        while (!stop_) {
            if (HWND box = findMessageBox(pid_)) {
                MessageBoxSeen seen = readMessageBox(box);
                EnterCriticalSection(&lock_);
                seen_.push_back(seen);
                LeaveCriticalSection(&lock_);
                if (onSeen_) onSeen_(seen);
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
                // Wait until that box is gone before looking for the next.
                for (int i = 0; i < 500 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(10);
            }
            Sleep(20);
        }
    });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
    DeleteCriticalSection(&lock_);
}

std::vector<MessageBoxSeen> MessageBoxWatcher::seen() const {
    EnterCriticalSection(&lock_);
    std::vector<MessageBoxSeen> copy = seen_;
    LeaveCriticalSection(&lock_);
    return copy;
}

bool MessageBoxWatcher::waitFor(size_t count, DWORD timeoutMs) const {
    return pumpUntil([&] { return seen().size() >= count; }, timeoutMs);
}

std::vector<MenuItem> menuItems(HMENU menu) {
    std::vector<MenuItem> items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0, info.hSubMenu != nullptr});
    }
    return items;
}

std::string hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        snprintf(buf, sizeof buf, "%02X", c);
        out += buf;
    }
    return out;
}

}  // namespace testing_support
