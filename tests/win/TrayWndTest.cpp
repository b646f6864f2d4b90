// The resident window, created for real in this process and driven with the
// messages that the shell, the hot keys and the user's clicks produce.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "res/resource.h"
#include "tray/Messages.h"
#include "tray/TrayWnd.h"

using namespace testing_support;

namespace {

// Records the memo operations that the dispatch calls.
class RecordingTray : public CTrayWnd {
public:
    std::vector<std::string> calls;
    void addNewMemo() override { calls.push_back("add"); }
    void bringAllToFront() override { calls.push_back("front"); }
};

bool trayIconPresent(HWND hwnd) {
    NOTIFYICONDATAA data = {};
    data.cbSize = 88;
    data.hWnd = hwnd;
    data.uFlags = NIF_TIP;
    lstrcpyA(data.szTip, "probe");
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Whether another window can take this key combination, i.e. nobody holds it.
bool hotKeyFree(UINT modifiers, UINT key) {
    HWND probe = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(probe, 0x7001, modifiers, key) != FALSE;
    if (free) UnregisterHotKey(probe, 0x7001);
    DestroyWindow(probe);
    return free;
}

class TrayWndTest : public ::testing::Test {
protected:
    TempDir dir;
    RecordingTray tray;

    void SetUp() override { ASSERT_TRUE(tray.createWindow()); }
    void TearDown() override {
        if (IsWindow(tray.hwnd())) {
            SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
        }
    }
    void exitThroughMenu() {
        SendMessageA(tray.hwnd(), WM_COMMAND, ID_EXIT, 0);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(tray.hwnd()); }));
    }
};

// Runs `check` once the modal dialog that `command` opens is up, then closes
// that dialog with `button`.
std::function<void(HWND)> pendingCheck;
int closeWith;

void CALLBACK checkOpenDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = findTopLevel(GetCurrentProcessId(), "#32770");
    if (!dialog || !pendingCheck) return;
    KillTimer(nullptr, id);
    pendingCheck(dialog);
    pendingCheck = nullptr;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(closeWith, BN_CLICKED), 0);
}

void whileDialogOpen(HWND tray, UINT command, int button, const std::function<void(HWND)>& check) {
    pendingCheck = check;
    closeWith = button;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, checkOpenDialog);
    SendMessageA(tray, WM_COMMAND, command, 0);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(pendingCheck) << "the dialog never appeared";
}

TEST_F(TrayWndTest, ResidentWindowIsHiddenPopupAsCreated) {
    HWND hwnd = tray.hwnd();
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ(title, "クイルパッド");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & ~WS_CLIPSIBLINGS, static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetClassLongA(hwnd, GCL_STYLE), CS_HREDRAW | CS_VREDRAW);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 10);
    EXPECT_EQ(r.bottom - r.top, 10);
    HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0)), appIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0)), appIcon);
    EXPECT_NE(CTrayWnd::taskbarCreatedMessage(), 0u);
}

TEST_F(TrayWndTest, TrayMenuHasItsSevenItems) {
    std::vector<MenuItem> top = menuItems(tray.trayMenu());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].text, "システム");
    EXPECT_TRUE(top[0].popup);
    struct Expected {
        UINT id;
        const char* text;
    } expected[] = {
        {ID_DELETE_ALL, "全削除(&D)"}, {ID_ADD_MEMO, "メモの追加(&A)"}, {0, nullptr},
        {ID_OPTION, "オプション(&O)"}, {0, nullptr},           {ID_VERSION, "バージョン情報(&V)"},
        {ID_EXIT, "終了(&X)"},
    };
    std::vector<MenuItem> items = menuItems(GetSubMenu(tray.trayMenu(), 0));
    ASSERT_EQ(items.size(), 7u);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].separator, expected[i].text == nullptr);
        if (!expected[i].text) continue;
        EXPECT_EQ(items[i].id, expected[i].id);
        EXPECT_EQ(items[i].text, expected[i].text);
    }
    EXPECT_EQ(ID_DELETE_ALL, 32784);
    EXPECT_EQ(ID_ADD_MEMO, 32774);
    EXPECT_EQ(ID_OPTION, 32781);
    EXPECT_EQ(ID_VERSION, 32777);
    EXPECT_EQ(ID_EXIT, 32775);
}

TEST_F(TrayWndTest, TrayClicksAndHotKeysReachTheirOperations) {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Case {
        const char* name;
        std::vector<Message> messages;
        std::vector<std::string> calls;
    } cases[] = {
        {"left click", {{WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN}, {WM_TRAY_CALLBACK, 0, WM_LBUTTONUP}}, {"front"}},
        {"double click: front first, then add",
         {{WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN},
          {WM_TRAY_CALLBACK, 0, WM_LBUTTONUP},
          {WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK},
          {WM_TRAY_CALLBACK, 0, WM_LBUTTONUP}},
         {"front", "add"}},
        {"other mouse messages",
         {{WM_TRAY_CALLBACK, 0, WM_MOUSEMOVE},
          {WM_TRAY_CALLBACK, 0, WM_RBUTTONUP},
          {WM_TRAY_CALLBACK, 0, WM_MBUTTONDOWN}},
         {}},
        {"hot key Shift+F2", {{WM_HOTKEY, 0x0471, MAKELPARAM(MOD_SHIFT, VK_F2)}}, {"front"}},
        {"hot key Ctrl+Shift+Insert", {{WM_HOTKEY, 0x062D, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_INSERT)}},
         {"add", "front"}},
        {"unknown hot key", {{WM_HOTKEY, 0x0472, 0}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tray.calls.clear();
        for (const Message& m : c.messages) SendMessageA(tray.hwnd(), m.message, m.wParam, m.lParam);
        EXPECT_EQ(tray.calls, c.calls);
    }
}

bool menuSeen;
RECT menuRect;

void CALLBACK closeOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    menuSeen = true;
    GetWindowRect(menu, &menuRect);
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(TrayWndTest, RightClickOpensTheTrayMenuAtTheCursor) {
    menuSeen = false;
    SetCursorPos(600, 400);
    UINT_PTR timer = SetTimer(nullptr, 0, 100, closeOpenMenu);
    SendMessageA(tray.hwnd(), WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(menuSeen);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(menuRect.right, cursor.x);  // right-aligned at the cursor
    EXPECT_EQ(menuRect.top, cursor.y);
    EXPECT_TRUE(tray.calls.empty());
}

TEST_F(TrayWndTest, DefaultHotKeysAreHeldUntilExit) {
    EXPECT_FALSE(hotKeyFree(MOD_SHIFT, VK_F2));
    EXPECT_FALSE(hotKeyFree(MOD_CONTROL | MOD_SHIFT, VK_INSERT));
    exitThroughMenu();
    // Wine's server may take a moment to release them.
    EXPECT_TRUE(pumpUntil([] { return hotKeyFree(MOD_SHIFT, VK_F2); }, 3000));
    EXPECT_TRUE(pumpUntil([] { return hotKeyFree(MOD_CONTROL | MOD_SHIFT, VK_INSERT); }, 3000));
}

TEST_F(TrayWndTest, ExitRemovesIconAndDestroysWindow) {
    ASSERT_TRUE(trayIconPresent(tray.hwnd()));
    HWND hwnd = tray.hwnd();
    exitThroughMenu();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(trayIconPresent(hwnd));
}

TEST_F(TrayWndTest, ShellRestartAddsTheIconAgain) {
    NOTIFYICONDATAA data = {};
    data.cbSize = 88;
    data.hWnd = tray.hwnd();
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_FALSE(trayIconPresent(tray.hwnd()));
    SendMessageA(tray.hwnd(), CTrayWnd::taskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(trayIconPresent(tray.hwnd()));
}

TEST_F(TrayWndTest, MenuItemIsGreyWhileItsDialogIsOpen) {
    struct Case {
        UINT command;
        UINT otherItem;
        int button;
    } cases[] = {{ID_VERSION, ID_OPTION, IDOK}, {ID_OPTION, ID_VERSION, IDCANCEL}, {ID_OPTION, ID_VERSION, IDOK}};
    HMENU popup = GetSubMenu(tray.trayMenu(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        UINT stateWhileOpen = 0, otherWhileOpen = 0;
        whileDialogOpen(tray.hwnd(), c.command, c.button, [&](HWND) {
            stateWhileOpen = GetMenuState(popup, c.command, MF_BYCOMMAND);
            otherWhileOpen = GetMenuState(popup, c.otherItem, MF_BYCOMMAND);
        });
        EXPECT_TRUE(stateWhileOpen & MF_GRAYED);
        EXPECT_FALSE(otherWhileOpen & MF_GRAYED);
        EXPECT_FALSE(GetMenuState(popup, c.command, MF_BYCOMMAND) & MF_GRAYED);
    }
    // After the options dialog's OK the keys were registered again.
    EXPECT_FALSE(hotKeyFree(MOD_SHIFT, VK_F2));
}

TEST_F(TrayWndTest, EndOfSessionSavesWithoutMessageAndTearsNothingDown) {
    MessageBoxWatcher boxes;
    EXPECT_EQ(SendMessageA(tray.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    pumpFor(200);
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_TRUE(IsWindow(tray.hwnd()));
    EXPECT_TRUE(trayIconPresent(tray.hwnd()));
}

}  // namespace
