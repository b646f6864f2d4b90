// The options dialog run modally in this process, with real input on its
// pages, and the general page alone for its snap-width reading.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include "TestSupport.h"
#include "dialogs/GeneralPage.h"
#include "dialogs/OptionDlg.h"
#include "res/resource.h"

using namespace testing_support;

namespace {

// The hot-key control's value: virtual key, HOTKEYF_ flags in the byte above.
WORD shownKey(BYTE key, BYTE flags) { return MAKEWORD(key, flags); }
const BYTE SHIFT = HOTKEYF_SHIFT, CTRL = HOTKEYF_CONTROL, ALT = HOTKEYF_ALT;

struct OptionsWindow {
    HWND dialog, tabs, general, memo;
    HWND item(int id) const { return GetDlgItem(GetDlgItem(general, id) ? general : memo, id); }
    WORD hotKeyShown() const { return LOWORD(SendMessageA(item(IDC_GENERAL_HOTKEY), HKM_GETHOTKEY, 0, 0)); }
    void clickTab(int index) const {
        RECT r;
        SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
        POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        dragMouse(centre, centre);
    }
};

OptionsWindow optionsWindow(HWND dialog) {
    OptionsWindow w{dialog, GetDlgItem(dialog, IDC_OPTION_TABS), nullptr, nullptr};
    for (HWND page = GetWindow(dialog, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        if (GetDlgItem(page, IDC_GENERAL_ABSORB)) w.general = page;
        if (GetDlgItem(page, IDC_MEMOPAGE_SET_COLORS)) w.memo = page;
    }
    return w;
}

// Runs the options dialog: `act` once it is open, then `end` is pressed.
INT_PTR runOptions(const std::function<void(const OptionsWindow&)>& act, int end = IDOK) {
    COptionDlg dialog;
    INT_PTR result = 0;
    bool acted = actOnDialog([&] { result = dialog.doModal(); },
                             [&](HWND d) {
                                 OptionsWindow w = optionsWindow(d);
                                 EXPECT_TRUE(w.general && w.memo);
                                 if (w.general && w.memo) act(w);
                                 PostMessageA(d, WM_COMMAND, end, 0);
                             });
    EXPECT_TRUE(acted);
    return result;
}

COLORREF backgroundOf(HWND preview) {
    HDC dc = GetDC(preview);
    COLORREF pixel = GetPixel(dc, 2, 2);
    ReleaseDC(preview, dc);
    return pixel;
}

class OptionDlgTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(OptionDlgTest, OpensWithBothPagesFilledFromTheFilesAndOkWritesThemBack) {
    writeFile("Quillpad.ini",
              "BACK_CAPTION_COLOR-1122867\r\nTEXT_CAPTION_COLOR-4\r\nBACK_MEMO_COLOR-6636321\r\nTEXT_MEMO_COLOR-5\r\n"
              "TEXT_SELECT_FLAG-0\r\nDEL_CHECK_FLAG-1\r\nNOT_SHOW_TAB_FLAG-1\r\nTAB_MODE_FLAG-2\r\nWORDWRAP_FLAG-0\r\n"
              "COMPACT_FLAG-1\r\nABSORB-65566\r\n");
    writeFile("key.ini", std::string("\x74\0\x01\0\x75\0\x02\0", 8));  // Alt+F5, Ctrl+F6
    INT_PTR result = runOptions([](const OptionsWindow& w) {
        ASSERT_EQ(SendMessageA(w.tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        const char* const titles[] = {"全般", "メモ"};
        for (int i = 0; i < 2; ++i) {
            char title[32] = {};
            TCITEMA tab = {TCIF_TEXT, 0, 0, title, sizeof title, 0, 0};
            SendMessageA(w.tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&tab));
            EXPECT_STREQ(title, titles[i]);
        }
        EXPECT_EQ(SendMessageA(w.tabs, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(IsWindowVisible(w.general));
        EXPECT_FALSE(IsWindowVisible(w.memo));
        // Inside the tab control's frame.
        RECT tabs, page;
        GetClientRect(w.tabs, &tabs);
        GetWindowRect(w.general, &page);
        MapWindowPoints(nullptr, w.tabs, reinterpret_cast<POINT*>(&page), 2);
        EXPECT_EQ(page.left, 10);
        EXPECT_EQ(page.top, 40);
        EXPECT_EQ(page.right, tabs.right - 10);
        EXPECT_EQ(page.bottom, tabs.bottom - 10);
        // The Tab key goes from the dialog's buttons into the shown page, to
        // the page tabs and back.
        bool pageReached = false, tabsReached = false;
        HWND control = GetDlgItem(w.dialog, IDOK);
        for (int i = 0; i < 20 && !(pageReached && tabsReached); ++i) {
            control = GetNextDlgTabItem(w.dialog, control, FALSE);
            pageReached |= IsChild(w.general, control) != FALSE;
            tabsReached |= control == w.tabs;
        }
        EXPECT_TRUE(pageReached);
        EXPECT_TRUE(tabsReached);

        struct Box {
            int id;
            bool checked;
        } boxes[] = {
            {IDC_GENERAL_TEXT_SELECT, false}, {IDC_GENERAL_DEL_CHECK, true},
            {IDC_GENERAL_TAB_MODE, false},  // the file says 2: only 1 is on
            {IDC_MEMOPAGE_NOT_SHOW_TAB, true}, {IDC_MEMOPAGE_WORDWRAP, false},
        };
        for (const Box& b : boxes) {
            SCOPED_TRACE(b.id);
            EXPECT_EQ(SendMessageA(w.item(b.id), BM_GETCHECK, 0, 0), b.checked ? BST_CHECKED : BST_UNCHECKED);
        }
        EXPECT_EQ(itemText(w.general, IDC_GENERAL_ABSORB), "65566");  // beyond the arrows' 0 to 100
        HWND list = w.item(IDC_GENERAL_HOTKEY_LIST);
        ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 3);
        char name[64] = {};
        SendMessageA(list, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(name));
        EXPECT_STREQ(name, "メモ追加");
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(w.hotKeyShown(), shownKey(VK_F5, ALT));

        w.clickTab(1);
        EXPECT_FALSE(IsWindowVisible(w.general));
        EXPECT_TRUE(IsWindowVisible(w.memo));
        EXPECT_EQ(backgroundOf(w.item(IDC_MEMOPAGE_CAPTION_PREVIEW)), 0x112233u);
        EXPECT_EQ(backgroundOf(w.item(IDC_MEMOPAGE_MEMO_PREVIEW)), 0x654321u);
    });
    EXPECT_EQ(result, IDOK);
    // The 2 goes back as 0; COMPACT_FLAG, which no control shows, as it came.
    EXPECT_EQ(readFile("Quillpad.ini"),
              "BACK_CAPTION_COLOR-1122867\r\nTEXT_CAPTION_COLOR-4\r\nBACK_MEMO_COLOR-6636321\r\nTEXT_MEMO_COLOR-5\r\n"
              "TEXT_SELECT_FLAG-0\r\nDEL_CHECK_FLAG-1\r\nNOT_SHOW_TAB_FLAG-1\r\nTAB_MODE_FLAG-0\r\nWORDWRAP_FLAG-0\r\n"
              "COMPACT_FLAG-1\r\nABSORB-65566\r\n");
    EXPECT_EQ(readFile("key.ini"), std::string("\x74\0\x01\0\x75\0\x02\0", 8));
}

// The hot-key control edits the entry chosen in the list; what is typed is
// stored when the list opens, when the page is hidden, when the selection
// moves and at OK, and shown again when its entry is chosen.
TEST_F(OptionDlgTest, HotKeysTypedForBothEntriesAreKeptAndSaved) {
    runOptions([](const OptionsWindow& w) {
        HWND list = w.item(IDC_GENERAL_HOTKEY_LIST);
        HWND control = w.item(IDC_GENERAL_HOTKEY);
        auto typeInto = [](HWND target, WORD key, std::initializer_list<WORD> modifiers) {
            SetFocus(target);
            typeKey(key, modifiers);
        };
        struct Step {
            const char* name;
            std::function<void()> act;
            WORD shown;
        } steps[] = {
            {"type Shift+F9", [&] { typeInto(control, VK_F9, {VK_SHIFT}); }, shownKey(VK_F9, SHIFT)},
            {"open the list, choose メモ追加",
             [&] {
                 typeInto(list, VK_F4, {});
                 typeKey(VK_DOWN);
                 typeKey(VK_RETURN);
             },
             shownKey(VK_INSERT, CTRL | SHIFT | HOTKEYF_EXT)},
            {"open the list, come back",
             [&] {
                 typeInto(list, VK_F4, {});
                 typeKey(VK_UP);
                 typeKey(VK_RETURN);
             },
             shownKey(VK_F9, SHIFT)},
            {"type Ctrl+Alt+Shift+Insert", [&] { typeInto(control, VK_INSERT, {VK_CONTROL, VK_MENU, VK_SHIFT}); },
             shownKey(VK_INSERT, CTRL | ALT | SHIFT)},
            {"switch to メモ and back",
             [&] {
                 w.clickTab(1);
                 w.clickTab(0);
             },
             shownKey(VK_INSERT, CTRL | ALT | SHIFT)},
            {"arrow key on the closed list", [&] { typeInto(list, VK_DOWN, {}); },
             shownKey(VK_INSERT, CTRL | SHIFT | HOTKEYF_EXT)},
            // Wine's control never reports HOTKEYF_EXT; Windows' does for the arrow keys.
            {"the control reports the left arrow as extended",
             [&] { SendMessageA(control, HKM_SETHOTKEY, shownKey(VK_LEFT, HOTKEYF_EXT), 0); },
             shownKey(VK_LEFT, HOTKEYF_EXT)},
            {"arrow key back", [&] { typeInto(list, VK_UP, {}); }, shownKey(VK_INSERT, CTRL | ALT | SHIFT | HOTKEYF_EXT)},
            {"arrow key again", [&] { typeInto(list, VK_DOWN, {}); }, shownKey(VK_LEFT, HOTKEYF_EXT)},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.name);
            s.act();
            EXPECT_EQ(w.hotKeyShown(), s.shown);
        }
    });
    // Ctrl+Alt+Shift+Insert is 0x2D with 0x0007; the arrow keeps no extended flag.
    EXPECT_EQ(readFile("key.ini"), std::string("\x2D\0\x07\0\x25\0\x00\0", 8));
}

// Shift+Tab out of the control leaves "Shift +" in it: the key typed stays.
TEST_F(OptionDlgTest, ShiftTabOutOfTheHotKeyKeepsItsKey) {
    WORD shown = 0;
    runOptions([&](const OptionsWindow& w) {
        SetFocus(w.item(IDC_GENERAL_HOTKEY));
        typeKey(VK_F9, {VK_SHIFT});
        typeKey(VK_TAB, {VK_SHIFT});
        w.clickTab(1);
        w.clickTab(0);
        shown = w.hotKeyShown();
    });
    EXPECT_EQ(shown, shownKey(VK_F9, SHIFT));
    EXPECT_EQ(readFile("key.ini"), std::string("\x78\0\x04\0\x2D\0\x06\0", 8));
}

TEST_F(OptionDlgTest, KeyTypedThenMemoPageThenOkIsSaved) {
    runOptions([](const OptionsWindow& w) {
        SetFocus(w.item(IDC_GENERAL_HOTKEY));
        typeKey(VK_F5, {VK_MENU});
        w.clickTab(1);
    });
    EXPECT_EQ(readFile("key.ini"), std::string("\x74\0\x01\0\x2D\0\x06\0", 8));
}

TEST_F(OptionDlgTest, CancelAndTheCloseBoxWriteNothing) {
    struct Case {
        const char* name;
        int end;
        UINT message;
    } cases[] = {{"Cancel", IDCANCEL, WM_COMMAND}, {"close box", 0, WM_CLOSE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COptionDlg dialog;
        INT_PTR result = 0;
        actOnDialog([&] { result = dialog.doModal(); },
                    [&](HWND d) {
                        OptionsWindow w = optionsWindow(d);
                        SetWindowTextA(w.item(IDC_GENERAL_ABSORB), "55");
                        click(w.item(IDC_GENERAL_TAB_MODE));
                        PostMessageA(d, c.message, c.end, 0);
                    });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(GetFileAttributesA("Quillpad.ini"), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesA("key.ini"), INVALID_FILE_ATTRIBUTES);
    }
}

// "設定" hands the page's colours to the colour dialog, which the options
// dialog owns, and takes them back unless it was cancelled; they reach the
// file with the options' OK.
TEST_F(OptionDlgTest, ColourButtonOpensTheColourDialogForThePagesColours) {
    writeFile("Quillpad.ini", "BACK_CAPTION_COLOR-1\r\nTEXT_CAPTION_COLOR-2\r\nBACK_MEMO_COLOR-3\r\nTEXT_MEMO_COLOR-4\r\n");
    const COLORREF factoryCaption = 0x00AA5500, factoryMemo = 0x00B3FDF8;
    struct Case {
        const char* name;
        int end;  // of the colour dialog, after a confirmed reset
        COLORREF caption, memo;
    } cases[] = {
        {"Cancel", IDCANCEL, 1, 3},
        {"OK", IDOK, factoryCaption, factoryMemo},
    };
    runOptions([&](const OptionsWindow& w) {
        w.clickTab(1);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            MessageBoxWatcher yes(GetCurrentProcessId(), IDYES);
            COLORREF shownThere = CLR_INVALID;
            BOOL optionsEnabled = TRUE;
            EXPECT_TRUE(actOnDialog([&] { click(w.item(IDC_MEMOPAGE_SET_COLORS)); },
                                    [&](HWND colors) {
                                        optionsEnabled = IsWindowEnabled(w.dialog);
                                        shownThere = backgroundOf(GetDlgItem(colors, IDC_COLOR_MEMO_PREVIEW));
                                        click(GetDlgItem(colors, IDC_COLOR_RESET));
                                        yes.waitFor(1);
                                        PostMessageA(colors, WM_COMMAND, c.end, 0);
                                    },
                                    dialogWith(IDC_COLOR_RESET)));
            EXPECT_EQ(shownThere, 3u);
            EXPECT_FALSE(optionsEnabled);  // its OK would save before the colours came back
            EXPECT_TRUE(IsWindowEnabled(w.dialog));
            EXPECT_EQ(backgroundOf(w.item(IDC_MEMOPAGE_CAPTION_PREVIEW)), c.caption);
            EXPECT_EQ(backgroundOf(w.item(IDC_MEMOPAGE_MEMO_PREVIEW)), c.memo);
        }
    });
    const std::string factory = "BACK_CAPTION_COLOR-11162880\r\nTEXT_CAPTION_COLOR-16777215\r\n"
                                "BACK_MEMO_COLOR-11795960\r\nTEXT_MEMO_COLOR-0\r\n";
    EXPECT_EQ(readFile("Quillpad.ini").substr(0, factory.size()), factory);
}

// The settings files are the way a change reaches the other windows: when
// they cannot be written the user is told, and the run ends with IDOK all the
// same, so that the opener takes what they hold.
// The opener tells the failure once it has applied what the files hold.
TEST_F(OptionDlgTest, FailedSaveEndsAsOkAndLeavesTheFile) {
    writeFile("Quillpad.ini", "ABSORB-7\r\n");
    SetFileAttributesA("Quillpad.ini", FILE_ATTRIBUTE_READONLY);
    INT_PTR result = runOptions([](const OptionsWindow&) {});
    SetFileAttributesA("Quillpad.ini", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(readFile("Quillpad.ini"), "ABSORB-7\r\n");
}

// Counts the options dialogs shown, and cancels them.
int optionsShown = 0;
LRESULT CALLBACK countOptionsShown(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_SHOWWINDOW && msg->wParam && GetDlgItem(msg->hwnd, IDC_OPTION_TABS)) {
        ++optionsShown;
        PostMessageA(msg->hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Settings files held by another program: defaults in their place would be
// saved over them at OK, so the dialog says so and is never shown.
TEST_F(OptionDlgTest, HeldSettingsFileIsToldAndTheDialogNotShown) {
    const std::string keys("\x74\0\x01\0\x75\0\x02\0", 8);
    writeFile("Quillpad.ini", "ABSORB-7\r\n");
    writeFile("key.ini", keys);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, countOptionsShown, nullptr, GetCurrentThreadId());
    for (const char* held : {"Quillpad.ini", "key.ini"}) {
        SCOPED_TRACE(held);
        HANDLE other = CreateFileA(held, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        MessageBoxWatcher boxes;
        COptionDlg dialog;
        optionsShown = 0;
        EXPECT_EQ(dialog.doModal(), IDCANCEL);
        CloseHandle(other);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].text, "ファイルを読み込めません。");
        EXPECT_EQ(optionsShown, 0);
        EXPECT_EQ(readFile("Quillpad.ini"), "ABSORB-7\r\n");
        EXPECT_EQ(readFile("key.ini"), keys);
    }
    UnhookWindowsHookEx(hook);
}

// The page alone, inside a hidden popup: its snap width as stored, shown in
// full whatever the arrows' range, and as typed.
TEST(GeneralPage, SnapWidthIsKeptUnlessTypedThenTheLeadingNumberOfTheEditsText) {
    HWND host = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr, nullptr, nullptr);
    CGeneralPage page;
    ASSERT_TRUE(page.createModeless(host));
    struct Case {
        int32_t stored;
        const char* typed;  // null: left alone
        int32_t absorb;
    } cases[] = {
        {250, nullptr, 250}, {65566, nullptr, 65566}, {-5, nullptr, -5}, {INT32_MIN, nullptr, INT32_MIN},
        {20, "", 0}, {20, "250", 250}, {20, " -7", 7}, {20, "abc", 0}, {20, "12abc", 12},
        {20, "12345678901234567890", INT32_MAX}, {-5, "-5", -5}, {-5, "-6", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored) + " " + (c.typed ? c.typed : "left alone"));
        GeneralSettings stored;
        stored.ABSORB = c.stored;
        page.setSettings(stored);
        EXPECT_EQ(itemText(page.hwnd(), IDC_GENERAL_ABSORB), std::to_string(c.stored));
        if (c.typed) SetWindowTextA(page.item(IDC_GENERAL_ABSORB), c.typed);
        GeneralSettings read;
        page.getSettings(read);
        EXPECT_EQ(read.ABSORB, c.absorb);
    }
    DestroyWindow(host);
}

}  // namespace
