#include "store/ShiftJis.h"
#include "TestSupport.h"
#include <cstdio>
#include <fstream>
#include <iterator>
#include "res/resource.h"

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

std::string itemText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string readFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const char* name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Keys for a dialog go where its own modal loop would send them:
            // Enter to the default button, Escape to Cancel, Tab to the next control.
            HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            char cls[16] = {};
            if (root) GetClassNameA(root, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") == 0 && IsDialogMessageA(root, &msg)) continue;
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
std::function<bool(HWND)> pendingWhich;

struct DialogSearch {
    DWORD pid;
    const std::function<bool(HWND)>& which;
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<DialogSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (owner != s->pid || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    if (!s->which || s->which(hwnd)) s->found.push_back(hwnd);
    return TRUE;
}

// The visible dialogs of process `pid` that `which` picks, topmost first.
std::vector<HWND> visibleDialogs(DWORD pid, const std::function<bool(HWND)>& which) {
    DialogSearch search{pid, which, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findDialog(const std::function<bool(HWND)>& which) {
    std::vector<HWND> dialogs = visibleDialogs(GetCurrentProcessId(), which);
    return dialogs.empty() ? nullptr : dialogs.front();
}

void CALLBACK actOnOpenDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = findDialog(pendingWhich);
    if (!dialog || !pendingAct) return;
    KillTimer(nullptr, id);
    std::function<void(HWND)> act = std::move(pendingAct);
    pendingAct = nullptr;
    pendingWhich = nullptr;
    act(dialog);
}

// From a thread of its own, one input at a time, while this thread handles
// them: a press on a caption runs the system's move loop until the release.
void send(std::vector<INPUT> inputs) {
    std::atomic<bool> done{false};
    std::thread sender([&] {
        for (INPUT& input : inputs) {
            SendInput(1, &input, sizeof input);
            Sleep(15);
        }
        done = true;
    });
    pumpUntil([&] { return done.load(); });
    sender.join();
    pumpFor(50);
}
}  // namespace

bool actOnDialog(const std::function<void()>& open, const std::function<void(HWND)>& act,
                 const std::function<bool(HWND)>& which) {
    pendingAct = act;
    pendingWhich = which;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, actOnOpenDialog);
    open();
    KillTimer(nullptr, timer);
    bool acted = !pendingAct;
    pendingAct = nullptr;
    pendingWhich = nullptr;
    return acted;
}

std::function<bool(HWND)> dialogWith(int controlId) {
    return [controlId](HWND dialog) { return GetDlgItem(dialog, controlId) != nullptr; };
}

void typeKey(WORD key, std::initializer_list<WORD> modifiers) {
    auto keyInput = [](WORD vk, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
        input.ki.dwFlags = flags;
        return input;
    };
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(keyInput(m, 0));
    inputs.push_back(keyInput(key, 0));
    inputs.push_back(keyInput(key, KEYEVENTF_KEYUP));
    for (auto m = modifiers.end(); m != modifiers.begin();) inputs.push_back(keyInput(*--m, KEYEVENTF_KEYUP));
    send(inputs);
}

void dragMouse(POINT from, POINT to) {
    auto mouseInput = [](POINT at, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return input;
    };
    POINT half = {(from.x + to.x) / 2, (from.y + to.y) / 2};
    send({mouseInput(from, 0), mouseInput(from, MOUSEEVENTF_LEFTDOWN), mouseInput(half, 0), mouseInput(to, 0),
          mouseInput(to, MOUSEEVENTF_LEFTUP)});
}

std::string quillpadExe() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    for (int i = 0; i < 3; ++i) p = p.substr(0, p.find_last_of('\\'));
    return p + "\\app\\Quillpad.exe";
}

Program::Program(const std::string& exe) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    started_ = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
}

Program::~Program() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

HWND Program::trayWindow(DWORD timeoutMs) const {
    HWND found = nullptr;
    pumpUntil([&] { return (found = findTopLevel(pid(), "Quillpad:3", "クイルパッド")) != nullptr; }, timeoutMs);
    return found;
}

DWORD Program::waitExit(DWORD timeoutMs) const {
    WaitForSingleObject(pi_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

namespace {
// A message to another process's window that gives up after `timeoutMs`.
bool sendWithin(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR ignored;
    return SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

// Moves the pointer there and waits until it reads back there a while later.
// The program behind the window learns of the move through X motion events:
// one of an earlier move handled late would put the pointer back, for it,
// where it was, and a double-click meant for a memo's text would collapse
// the memo whose caption strip lay there.
void placePointer(POINT to) {
    auto there = [&] {
        POINT now;
        return GetCursorPos(&now) && now.x == to.x && now.y == to.y;
    };
    SetCursorPos(to.x, to.y);
    for (int i = 0; i < 100; ++i) {
        Sleep(60);
        if (there()) return;
        SetCursorPos(to.x, to.y);
    }
}
}  // namespace

std::vector<HWND> memoWindows(DWORD pid) {
    return visibleDialogs(pid, [](HWND dialog) { return windowText(dialog) == "クイルパッド"; });
}

std::string controlText(HWND window, int id) {
    char text[1024] = {};
    sendWithin(GetDlgItem(window, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), 5000);
    return text;
}

bool commitMemoText(HWND memo, const std::string& text, DWORD timeoutMs) {
    // The memo looks at the pointer to tell its text from its caption strip.
    RECT r;
    GetWindowRect(GetDlgItem(memo, IDC_MEMO_TEXT), &r);
    placePointer({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return sendWithin(memo, WM_LBUTTONDBLCLK, 0, 0, timeoutMs) &&
           sendWithin(GetDlgItem(memo, IDC_MEMO_EDITOR), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      timeoutMs) &&
           sendWithin(memo, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, timeoutMs);
}

MessageBoxSeen readMessageBox(HWND box) {
    return {windowText(box), windowText(GetDlgItem(box, kMessageBoxText))};
}

MessageBoxWatcher::MessageBoxWatcher(DWORD pid, int button, std::function<void(const MessageBoxSeen&)> onSeen)
    : pid_(pid), button_(button), onSeen_(std::move(onSeen)) {
    InitializeCriticalSection(&lock_);
    // The constructor returns once the thread runs: under load, Wine could hang
    // a thread that starts while this one loads a library for its first dialog.
    HANDLE running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, running] {
        for (bool first = true; !stop_; first = false) {
            HWND box = findMessageBox(pid_);
            if (first) SetEvent(running);
            if (box) {
                MessageBoxSeen seen = readMessageBox(box);
                EnterCriticalSection(&lock_);
                seen_.push_back(seen);
                LeaveCriticalSection(&lock_);
                if (onSeen_) onSeen_(seen);
                if (button_ == ENTER_KEY) {
                    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
                } else {
                    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
                }
                // Wait until that box is gone before looking for the next.
                for (int i = 0; i < 500 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(10);
            }
            Sleep(20);
        }
    });
    WaitForSingleObject(running, INFINITE);
    CloseHandle(running);
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

std::wstring wide(const std::string& text) { return sjis::decode(text); }
std::string narrow(const std::wstring& text) { return sjis::encode(text); }

std::string hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        snprintf(buf, sizeof buf, "%02X", c);
        out += buf;
    }
    return out;
}

void click(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    dragMouse(centre, centre);
}

}  // namespace testing_support
