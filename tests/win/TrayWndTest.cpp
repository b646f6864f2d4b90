// The resident window, created for real in this process and driven with the
// messages that the shell, the hot keys and the user's clicks produce.
#include <gtest/gtest.h>
#include <algorithm>
#include <windows.h>
#include <shellapi.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "res/resource.h"
#include "res/Messages.h"
#include "tray/TrayWnd.h"

using namespace testing_support;

namespace {

// What a message did to the memos: how many it added, and whether it brought
// the first memo (there before) to the front.
struct Effect {
    int added;
    bool front;
    bool operator==(const Effect& o) const { return added == o.added && front == o.front; }
};
std::ostream& operator<<(std::ostream& out, const Effect& e) {
    return out << "added " << e.added << (e.front ? ", front" : "");
}

std::vector<HWND> activated;
LRESULT CALLBACK recordActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) activated.push_back(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

Effect effectOf(CTrayWnd& tray, UINT message, WPARAM wParam, LPARAM lParam) {
    if (tray.memoWindows().empty()) SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0);
    static HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    size_t before = tray.memoWindows().size();
    activated.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, recordActivation, nullptr, GetCurrentThreadId());
    SendMessageA(tray.hwnd(), message, wParam, lParam);
    UnhookWindowsHookEx(hook);
    HWND first = tray.memoWindows()[0]->hwnd();
    return {int(tray.memoWindows().size() - before),
            std::find(activated.begin(), activated.end(), first) != activated.end()};
}

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

// The settings file as the options dialog writes it with the defaults.
const char* const kDefaultSettingsFile =
    "BACK_CAPTION_COLOR-11162880\r\nTEXT_CAPTION_COLOR-16777215\r\nBACK_MEMO_COLOR-11795960\r\n"
    "TEXT_MEMO_COLOR-0\r\nTEXT_SELECT_FLAG-1\r\nDEL_CHECK_FLAG-1\r\nNOT_SHOW_TAB_FLAG-0\r\n"
    "TAB_MODE_FLAG-0\r\nWORDWRAP_FLAG-0\r\nCOMPACT_FLAG-0\r\nABSORB-20\r\n";

class TrayWndTest : public ::testing::Test {
protected:
    TempDir dir;
    CTrayWnd tray;

    // Files that a test's fixture writes before the window reads them.
    std::vector<std::pair<const char*, std::string>> files;
    void SetUp() override {
        for (const auto& file : files) writeFile(file.first, file.second);
        ASSERT_TRUE(tray.createWindow());
    }
    void TearDown() override {
        if (IsWindow(tray.hwnd())) {
            SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
        }
        // The resident window's end posts the quit message: not for the next test.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
};

// Runs `check` once the modal dialog that `command` opens is up, then closes
// that dialog with `button`.
void whileDialogOpen(HWND tray, UINT command, int button, const std::function<void(HWND)>& check) {
    bool acted = actOnDialog([&] { SendMessageA(tray, WM_COMMAND, command, 0); },
                             [&](HWND dialog) {
                                 check(dialog);
                                 PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                             });
    EXPECT_TRUE(acted) << "the dialog never appeared";
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

TEST_F(TrayWndTest, TrayMenuHasItsNineItems) {
    std::vector<MenuItem> top = menuItems(tray.trayMenu());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].text, "システム");
    EXPECT_TRUE(top[0].popup);
    struct Expected {
        UINT id;
        const char* text;
    } expected[] = {
        {ID_DELETE_ALL, "全削除(&D)"}, {ID_ADD_MEMO, "メモの追加(&A)"}, {0, nullptr}, {ID_FIND, "検索(&F)..."},
        {ID_OPTION, "オプション(&O)"}, {ID_RESTORE, "バックアップから復元(&R)..."}, {0, nullptr},
        {ID_VERSION, "バージョン情報(&V)"}, {ID_EXIT, "終了(&X)"},
    };
    std::vector<MenuItem> items = menuItems(GetSubMenu(tray.trayMenu(), 0));
    ASSERT_EQ(items.size(), 9u);
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
    EXPECT_EQ(ID_RESTORE, 32800);
    EXPECT_EQ(ID_VERSION, 32777);
    EXPECT_EQ(ID_EXIT, 32775);
}

TEST_F(TrayWndTest, TrayClicksAndHotKeysReachTheirOperations) {
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        Effect effect;
    } cases[] = {
        // A double click arrives as down, up, double click, up: front, then add.
        {"button down", WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN, {0, true}},
        {"button up", WM_TRAY_CALLBACK, 0, WM_LBUTTONUP, {0, false}},
        {"double click", WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK, {1, false}},
        {"mouse move", WM_TRAY_CALLBACK, 0, WM_MOUSEMOVE, {0, false}},
        {"right button up", WM_TRAY_CALLBACK, 0, WM_RBUTTONUP, {0, false}},
        {"middle button", WM_TRAY_CALLBACK, 0, WM_MBUTTONDOWN, {0, false}},
        {"hot key Shift+F2", WM_HOTKEY, 0x0471, MAKELPARAM(MOD_SHIFT, VK_F2), {0, true}},
        {"hot key Ctrl+Shift+Insert", WM_HOTKEY, 0x062D, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_INSERT), {1, true}},
        {"unknown hot key", WM_HOTKEY, 0x0472, 0, {0, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(effectOf(tray, c.message, c.wParam, c.lParam), c.effect);
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
}

TEST_F(TrayWndTest, IconAndHotKeysAreHeldUntilTheWindowEndsByAnyRoad) {
    struct Case {
        const char* name;
        std::function<void(HWND)> end;
    } cases[] = {
        {"終了(&X)", [](HWND hwnd) { SendMessageA(hwnd, WM_COMMAND, ID_EXIT, 0); }},
        {"DestroyWindow", [](HWND hwnd) { DestroyWindow(hwnd); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!IsWindow(tray.hwnd())) {
            ASSERT_TRUE(tray.createWindow());
        }
        HWND hwnd = tray.hwnd();
        ASSERT_TRUE(trayIconPresent(hwnd));
        EXPECT_FALSE(hotKeyFree(MOD_SHIFT, VK_F2));
        EXPECT_FALSE(hotKeyFree(MOD_CONTROL | MOD_SHIFT, VK_INSERT));
        c.end(hwnd);
        ASSERT_TRUE(pumpUntil([&] { return !IsWindow(hwnd); }));
        EXPECT_FALSE(trayIconPresent(hwnd));
        // Wine's server may take a moment to release them.
        EXPECT_TRUE(pumpUntil([] { return hotKeyFree(MOD_SHIFT, VK_F2); }, 3000));
        EXPECT_TRUE(pumpUntil([] { return hotKeyFree(MOD_CONTROL | MOD_SHIFT, VK_INSERT); }, 3000));
    }
}

// "終了(&X)" chosen while a dialog is open ends the dialog as cancelled; its
// run returns before the resident window goes, which then saves and ends.
TEST_F(TrayWndTest, ExitEndsTheOpenDialogFirst) {
    TearDown();  // each row brings its own resident window
    for (UINT command : {ID_OPTION, ID_VERSION}) {
        SCOPED_TRACE(command);
        DeleteFileA("Quillpad.dat");
        CTrayWnd window;
        ASSERT_TRUE(window.createWindow());
        HWND hwnd = window.hwnd(), dialog = nullptr;
        RECT r = {}, work;
        bool acted = actOnDialog([&] { SendMessageA(hwnd, WM_COMMAND, command, 0); },
                                 [&](HWND d) {
                                     dialog = d;
                                     GetWindowRect(d, &r);
                                     PostMessageA(hwnd, WM_COMMAND, ID_EXIT, 0);
                                 });
        EXPECT_TRUE(acted);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);  // opened centred on it
        EXPECT_LE(std::abs(r.left + r.right - work.left - work.right), 1);
        EXPECT_LE(std::abs(r.top + r.bottom - work.top - work.bottom), 1);
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_TRUE(IsWindow(hwnd));
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(hwnd); }, 3000));
        EXPECT_EQ(window.hwnd(), nullptr);
        EXPECT_EQ(GetFileAttributesA("Quillpad.dat") != INVALID_FILE_ATTRIBUTES, true);
        EXPECT_EQ(GetFileAttributesA("Quillpad.ini"), INVALID_FILE_ATTRIBUTES);  // cancelled: nothing written
        EXPECT_TRUE(hotKeyFree(MOD_SHIFT, VK_F2));
        EXPECT_TRUE(hotKeyFree(MOD_CONTROL | MOD_SHIFT, VK_INSERT));
        TearDown();
    }
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
    } cases[] = {{ID_VERSION, ID_OPTION, IDOK},
                 {ID_OPTION, ID_VERSION, IDCANCEL},
                 {ID_OPTION, ID_RESTORE, IDOK},
                 {ID_RESTORE, ID_VERSION, IDCANCEL}};
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

// The failure box of a failed "終了(&X)" runs the next one in its loop: that
// opens no second box over the first.
TEST_F(TrayWndTest, OneFailureBoxAtATime) {
    SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);  // the file as this run wrote it
    SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_READONLY);
    MessageBoxWatcher boxes;
    for (int exit = 0; exit < 2; ++exit) PostMessageA(tray.hwnd(), WM_COMMAND, ID_EXIT, 0);
    pumpFor(1000);
    SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(boxes.seen().size(), 1u);
}

// key.ini: Alt+F5 for bringing to front, Ctrl+F6 for adding.
const std::string kAltF5CtrlF6("\x74\0\x01\0\x75\0\x02\0", 8);

class StoredHotKeysTest : public TrayWndTest {
public:
    StoredHotKeysTest() { files = {{"Quillpad.ini", kDefaultSettingsFile}, {"key.ini", kAltF5CtrlF6}}; }
};

TEST_F(StoredHotKeysTest, StoredKeysAreRegisteredInsteadOfTheDefaults) {
    EXPECT_FALSE(hotKeyFree(MOD_ALT, VK_F5));
    EXPECT_FALSE(hotKeyFree(MOD_CONTROL, VK_F6));
    EXPECT_TRUE(hotKeyFree(MOD_SHIFT, VK_F2));
    EXPECT_TRUE(hotKeyFree(MOD_CONTROL | MOD_SHIFT, VK_INSERT));
    EXPECT_EQ(effectOf(tray, WM_HOTKEY, 0x0174, 0), (Effect{0, true}));
    EXPECT_EQ(effectOf(tray, WM_HOTKEY, 0x0275, 0), (Effect{1, true}));
    EXPECT_EQ(effectOf(tray, WM_HOTKEY, 0x0471, 0), (Effect{0, false}));
}

// Both entries on Shift+F3: the key does what entry 0 does.
class SameHotKeyTwiceTest : public TrayWndTest {
public:
    SameHotKeyTwiceTest() {
        files = {{"Quillpad.ini", kDefaultSettingsFile}, {"key.ini", std::string("\x72\0\x04\0\x72\0\x04\0", 8)}};
    }
};

TEST_F(SameHotKeyTwiceTest, KeyActsAsTheFirstEntry) {
    EXPECT_FALSE(hotKeyFree(MOD_SHIFT, VK_F3));
    EXPECT_EQ(effectOf(tray, WM_HOTKEY, 0x0472, 0), (Effect{0, true}));
}

// A key.ini without Quillpad.ini is not read.
class HotKeyFileAloneTest : public TrayWndTest {
public:
    HotKeyFileAloneTest() { files = {{"key.ini", kAltF5CtrlF6}}; }
};

TEST_F(HotKeyFileAloneTest, DefaultsStand) {
    EXPECT_FALSE(hotKeyFree(MOD_SHIFT, VK_F2));
    EXPECT_TRUE(hotKeyFree(MOD_ALT, VK_F5));
}

TEST_F(TrayWndTest, OptionsOkWritesTheSettingsFiles) {
    whileDialogOpen(tray.hwnd(), ID_OPTION, IDOK, [](HWND) {});
    EXPECT_EQ(readFile("Quillpad.ini"), kDefaultSettingsFile);
    EXPECT_EQ(readFile("key.ini"), std::string("\x71\0\x04\0\x2D\0\x06\0", 8));
}

// After OK the keys are registered again; one that another program holds is
// told, in one message naming what the key does.
TEST_F(TrayWndTest, HotKeysHeldByAnotherProgramAreToldAtOk) {
    const std::string taken = "のショートカットキーは\n他のプログラムが使用中のため、\n登録できません。";
    struct Case {
        const char* name;
        std::vector<UINT> held;  // keys held with Alt by "another program"
        std::string keyFile;
        std::vector<std::string> told;
    } cases[] = {
        {"one held", {VK_F8}, std::string("\x71\0\x04\0\x77\0\x01\0", 8), {"「メモ追加」" + taken}},
        {"both held", {VK_F7, VK_F8}, std::string("\x76\0\x01\0\x77\0\x01\0", 8),
         {"「全メモを最前面へ表示」「メモ追加」" + taken}},
        {"the same key twice", {}, std::string("\x78\0\x01\0\x78\0\x01\0", 8), {}},
    };
    writeFile("Quillpad.ini", kDefaultSettingsFile);  // without it "key.ini" is not read
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("key.ini", c.keyFile);
        HWND other = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        for (UINT key : c.held) EXPECT_TRUE(RegisterHotKey(other, key, MOD_ALT, key));
        std::vector<std::string> told;
        {
            MessageBoxWatcher boxes;
            whileDialogOpen(tray.hwnd(), ID_OPTION, IDOK, [](HWND) {});
            for (const MessageBoxSeen& box : boxes.seen()) told.push_back(box.text);
        }
        EXPECT_EQ(told, c.told);
        DestroyWindow(other);  // its keys go with it
    }
}

TEST_F(TrayWndTest, OptionsCancelWritesNothing) {
    whileDialogOpen(tray.hwnd(), ID_OPTION, IDCANCEL, [](HWND) {});
    EXPECT_EQ(GetFileAttributesA("Quillpad.ini"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("key.ini"), INVALID_FILE_ATTRIBUTES);
}

// A settings file that cannot be replaced: the user is told, the file stays.
class ReadOnlySettingsTest : public TrayWndTest {
    void SetUp() override {
        writeFile("Quillpad.ini", "ABSORB-7\r\n");
        SetFileAttributesA("Quillpad.ini", FILE_ATTRIBUTE_READONLY);
        TrayWndTest::SetUp();
    }
    void TearDown() override {
        SetFileAttributesA("Quillpad.ini", FILE_ATTRIBUTE_NORMAL);
        TrayWndTest::TearDown();
    }
};

TEST_F(ReadOnlySettingsTest, FailedSaveAtOkIsReported) {
    MessageBoxWatcher boxes;
    whileDialogOpen(tray.hwnd(), ID_OPTION, IDOK, [](HWND) {});
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, "ファイルに保存できません。");
    EXPECT_EQ(readFile("Quillpad.ini"), "ABSORB-7\r\n");
}

}  // namespace

// Two memos with reminders, the sooner one second; a third rings already.
class RemindersTest : public TrayWndTest {
public:
    RemindersTest() {
        auto memo = [](const char* caption, const char* reminder) {
            return std::string("[MEMO_TAB_START]\r\nCAPTION-") + caption + "\r\nREMINDER-" + reminder +
                   "\r\n[MEMO_START]\r\nt\r\n[MEMO_END]\r\n[MEMO_TAB_END]\r\n";
        };
        files = {{"Quillpad.dat", memo("later", "2099-01-01T09:00:00 daily") + memo("sooner", "2098-05-06T07:08:00 once") +
                                      memo("due", "2020-01-01T09:00:00 once ringing")}};
    }
};

TEST_F(RemindersTest, TheTipNamesTheNextReminder) {
    SendMessageA(tray.hwnd(), WM_TIMER, 4, 0);  // the reminders' tick
    EXPECT_EQ(tray.trayTip(), "クイルパッド\n次のアラーム: 2098/5/6 7:08 sooner");
}
