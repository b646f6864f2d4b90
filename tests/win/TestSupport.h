// Helpers for tests that drive real windows under Wine.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// A fresh, empty directory that becomes the current directory, since the
// program opens its files by bare name there.
class TempDir {
public:
    TempDir();
    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// The text of a dialog's control, as WM_GETTEXT gives it.
std::string itemText(HWND dialog, int id);

// A whole file's bytes, read or written in the current directory.
std::string readFile(const char* name);
void writeFile(const char* name, const std::string& bytes);

// Dispatches this thread's messages until `done` answers true or `timeoutMs`
// passes; a dialog's keys go through IsDialogMessage, as in its modal loop.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
void pumpFor(DWORD ms);

// The first visible top-level window of process `pid` with this class (and
// title, when given), or null.
HWND findTopLevel(DWORD pid, const char* className, const char* title = nullptr);

// Runs `open`, which opens a modal dialog, and calls `act` with that dialog
// once it is visible (from a timer, inside the dialog's modal loop). Answers
// whether `act` ran. `which` picks the dialog among the process's visible
// dialogs, as when one is opened from another; by default the topmost.
bool actOnDialog(const std::function<void()>& open, const std::function<void(HWND)>& act,
                 const std::function<bool(HWND)>& which = nullptr);

// For actOnDialog: the dialog that has a control with this id.
std::function<bool(HWND)> dialogWith(int controlId);

// Real keyboard and mouse input (SendInput), handled before they return.
// A key, pressed with the modifier keys held down.
void typeKey(WORD key, std::initializer_list<WORD> modifiers = {});
// Presses the left button at `from` (screen), moves to `to`, releases there.
void dragMouse(POINT from, POINT to);
// A left click at the centre of a window.
void click(HWND window);

// The real program beside the tests in the build: build/win32/app/Quillpad.exe
// (every test program lies two folders below build/win32).
std::string quillpadExe();

// The real program, started as its own process in the current directory;
// ended by force if it still runs when this goes.
class Program {
public:
    explicit Program(const std::string& exe);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool started() const { return started_; }
    DWORD pid() const { return pi_.dwProcessId; }
    // The resident window, once the program is up.
    HWND trayWindow(DWORD timeoutMs = 10000) const;
    // The exit code, or STILL_ACTIVE when it does not end in time.
    DWORD waitExit(DWORD timeoutMs = 10000) const;

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

// The visible memo windows of process `pid`, in no particular order.
std::vector<HWND> memoWindows(DWORD pid);
// The text of a control of another process's window.
std::string controlText(HWND window, int id);
// A user's edit of a memo of another process: a double-click on its text
// opens the selected tab in the editor, the editor's text is replaced, "OK"
// keeps it (and saves). False when the program stopped answering within
// `timeoutMs` at any of the steps (it ended, or a message box waits).
bool commitMemoText(HWND memo, const std::string& text, DWORD timeoutMs = 10000);

// A visible message box of process `pid`, or null.
HWND findMessageBox(DWORD pid);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

// Reads a message box's caption and text; sends no message, so the box's
// thread may be busy.
MessageBoxSeen readMessageBox(HWND box);

// For MessageBoxWatcher: the Enter key instead of a button.
const int ENTER_KEY = 0;

// Watches from a thread of its own for message boxes of process `pid`,
// records each one, tells `onSeen` and closes it with `button`.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD pid = GetCurrentProcessId(), int button = IDOK,
                               std::function<void(const MessageBoxSeen&)> onSeen = nullptr);
    ~MessageBoxWatcher();
    std::vector<MessageBoxSeen> seen() const;
    // Waits until at least `count` boxes were seen.
    bool waitFor(size_t count, DWORD timeoutMs = 10000) const;

private:
    DWORD pid_;
    int button_;
    std::function<void(const MessageBoxSeen&)> onSeen_;
    std::atomic<bool> stop_{false};
    mutable CRITICAL_SECTION lock_;
    std::vector<MessageBoxSeen> seen_;
    std::thread thread_;
};

struct MenuItem {
    UINT id;
    std::string text;  // empty for a separator
    bool separator;
    bool popup;
};
std::vector<MenuItem> menuItems(HMENU menu);

// The bytes of a string as hex, for comparing Shift-JIS texts in messages.
std::string hex(const std::string& bytes);
// A memo text of the tests' narrow (Shift-JIS) literals, and back.
std::wstring wide(const std::string& text);
std::string narrow(const std::wstring& text);

}  // namespace testing_support
