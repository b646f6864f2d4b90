// The memo windows, created for real by the resident window in this process
// and driven with the messages a user's actions produce.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "memo/MemoView.h"
#include "res/resource.h"
#include "res/Messages.h"
#include "store/MemoFile.h"
#include "tray/TrayWnd.h"
#include "win/MessageBox.h"

using namespace testing_support;

namespace {

void writeFile(const char* name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }
std::string readFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* const kNoDeleteQuestions = "DEL_CHECK_FLAG-0\r\n";

// A stored memo with two tabs, the second selected, off the screen to the left.
std::string storedMemo(const char* flags, const char* caption = "stored") {
    return std::string("[MEMO_TAB_START]\r\nRECT_TOP-100\r\nRECT_LEFT--500\r\nRECT_BOTTOM-300\r\nRECT_RIGHT--200\r\n"
                       "BACK_CAPTION_COLOR-255\r\nTEXT_CAPTION_COLOR-1\r\nBACK_MEMO_COLOR-65280\r\nTEXT_MEMO_COLOR-2\r\n"
                       "MEMO_SELECT_INDEX-1\r\nCAPTION-") +
           caption + "\r\n" + flags +
           "[MEMO_START]\r\nMEMO_TAB_TITLE-one\r\nfirst\r\n[MEMO_END]\r\n"
           "[MEMO_START]\r\nMEMO_TAB_TITLE-two\r\nsecond\r\n[MEMO_END]\r\n[MEMO_TAB_END]\r\n";
}

class MemoTest : public ::testing::Test {
protected:
    TempDir dir;
    CTrayWnd tray;

    void start() { ASSERT_TRUE(tray.createWindow()); }
    // "終了(&X)": saves and ends the window, whose end posts the quit
    // message; that one would end the next message box at once. The notice
    // of a file that a test wrote meanwhile comes first, and is answered.
    static void exit(CTrayWnd& window) {
        MessageBoxWatcher notices;
        if (IsWindow(window.hwnd())) SendMessageA(window.hwnd(), WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    void TearDown() override { exit(tray); }
    CMemoDlg& addMemo() {
        SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0);
        return *tray.memoWindows().back();
    }
    static HWND item(CMemoDlg& m, int id) { return GetDlgItem(m.hwnd(), id); }
    static std::string text(HWND hwnd) {
        char buf[256] = {};
        GetWindowTextA(hwnd, buf, sizeof buf);
        return buf;
    }
    static RECT rectOf(HWND hwnd) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return r;
    }
    // A double-click where the user's pointer is: on the caption strip or the body.
    static void doubleClick(CMemoDlg& m, bool onCaption) {
        RECT r = rectOf(item(m, onCaption ? IDC_MEMO_CAPTION : IDC_MEMO_TEXT));
        SetCursorPos((r.left + r.right) / 2, onCaption ? r.top + 2 : (r.top + r.bottom) / 2);
        SendMessageA(m.hwnd(), WM_LBUTTONDBLCLK, 0, 0);
    }
    static void command(CMemoDlg& m, UINT id) { SendMessageA(m.hwnd(), WM_COMMAND, id, 0); }
    static bool checked(CMemoDlg& m, UINT id) { return GetMenuState(m.menu(), id, MF_BYCOMMAND) & MF_CHECKED; }
    static bool grey(CMemoDlg& m, UINT id) { return GetMenuState(m.menu(), id, MF_BYCOMMAND) & MF_GRAYED; }
    static int tabCount(CMemoDlg& m) { return (int)SendMessageA(item(m, IDC_MEMO_TABS), TCM_GETITEMCOUNT, 0, 0); }
    // Collapsed, the window ends at the caption strip's lower edge (and its own border).
    static bool collapsed(CMemoDlg& m) {
        LONG below = rectOf(m.hwnd()).bottom - rectOf(item(m, IDC_MEMO_CAPTION)).bottom;
        return below >= 0 && below <= 2;
    }
};

// The first save holds the memo as the user sees it. A compact flag in the
// settings leaves the memo expanded, with a height to expand to.
TEST_F(MemoTest, NewMemoIsCentredOwnedAndSavedAtOnce) {
    writeFile("Quillpad.ini", "COMPACT_FLAG-1\r\n");
    start();
    CMemoDlg& memo = addMemo();
    RECT r = rectOf(memo.hwnd());
    const LONG left = (GetSystemMetrics(SM_CXSCREEN) - 300) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - 150) / 2;
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(GetWindow(memo.hwnd(), GW_OWNER), tray.hwnd());  // no taskbar button
    EXPECT_EQ(text(item(memo, IDC_MEMO_CAPTION)), "新規メモ");
    EXPECT_EQ(text(item(memo, IDC_MEMO_TEXT)), "ダブルクリックで編集");
    ASSERT_EQ(memo.getTabs().size(), 1u);
    EXPECT_EQ(narrow(memo.getTabs()[0].title), "新規タブ");
    std::string file = readFile("Quillpad.dat");
    for (std::string line : {std::string("CAPTION-新規メモ"), "RECT_LEFT-" + std::to_string(left),
                             "RECT_BOTTOM-" + std::to_string(top + 150), std::string("COMPACT_FLAG-1")}) {
        EXPECT_NE(file.find(line + "\r\n"), std::string::npos) << line;
    }
    SendMessageA(memo.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
    EXPECT_TRUE(IsWindowVisible(memo.hwnd()));
    doubleClick(memo, true);  // expands the memo that was never collapsed
    EXPECT_EQ(rectOf(memo.hwnd()).bottom - rectOf(memo.hwnd()).top, 150);
}

// A save request answers at once: the failure message waits until every memo
// handler has returned, since its message loop would run them all, and a
// memo deleted or edited meanwhile would be used or overwritten afterwards.
TEST_F(MemoTest, FailedSaveIsToldAfterTheMemoHandlerReturns) {
    writeFile("Quillpad.ini", kNoDeleteQuestions);
    start();
    CMemoDlg& memo = addMemo();
    command(memo, ID_ADD_TAB);
    struct Case {
        const char* name;
        std::function<void()> act;
    } cases[] = {
        {"new memo by a double click on the icon",
         [&] { SendMessageA(tray.hwnd(), WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK); }},
        {"commit", [&] { doubleClick(memo, false); command(memo, IDOK); }},
        {"tab added", [&] { command(memo, ID_ADD_TAB); }},
        {"tab deleted", [&] { command(memo, ID_DELETE_TAB); }},
        {"memo deleted", [&] { command(*tray.memoWindows().back(), ID_DELETE_MEMO); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_READONLY);
        MessageBoxWatcher boxes;
        c.act();
        EXPECT_TRUE(boxes.seen().empty());
        ASSERT_TRUE(boxes.waitFor(1));
        EXPECT_EQ(boxes.seen()[0].text, "ファイルに保存できません。\nファイルが読み取り専用です。");
        SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_NORMAL);
        SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
    }
}

// Enter in view mode reaches the memo as "OK": there is nothing to commit,
// before and after the first edit alike.
TEST_F(MemoTest, EnterInViewModeCommitsNothing) {
    start();
    CMemoDlg& memo = addMemo();
    for (bool editedBefore : {false, true}) {
        SCOPED_TRACE(editedBefore);
        if (editedBefore) {
            doubleClick(memo, false);
            command(memo, IDCANCEL);
        }
        writeFile("Quillpad.dat", "untouched");
        command(memo, IDOK);
        EXPECT_EQ(readFile("Quillpad.dat"), "untouched");
    }
}

TEST_F(MemoTest, ModesShowTheirControlsAndLayThemOut) {
    start();
    CMemoDlg& memo = addMemo();
    const int ids[] = {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL, IDC_MEMO_CAPTION,
                       IDC_MEMO_TEXT, IDC_MEMO_TABS, IDC_MEMO_TAB_LABEL, IDC_MEMO_EDITOR};
    using Ids = std::set<int>;
    struct Case {
        bool edit, tabsHidden;
        Ids visible;
    } cases[] = {
        {false, false, {IDC_MEMO_CAPTION, IDC_MEMO_TEXT, IDC_MEMO_TABS}},
        {false, true, {IDC_MEMO_CAPTION, IDC_MEMO_TEXT}},
        {true, false, {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_EDITOR, IDC_MEMO_TAB_LABEL, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL}},
        {true, true, {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_EDITOR, IDOK, IDCANCEL}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "edit " << c.edit << ", tabs hidden " << c.tabsHidden);
        if (memo.getAppearance().NOT_SHOW_TAB_FLAG != c.tabsHidden) command(memo, ID_SHOW_TAB);
        if (c.edit) doubleClick(memo, false);
        EXPECT_EQ(memo.editMode(), c.edit);
        Ids visible;
        for (int id : ids) {
            if (IsWindowVisible(item(memo, id))) visible.insert(id);
        }
        EXPECT_EQ(visible, c.visible);
        RECT client;
        GetClientRect(memo.hwnd(), &client);
        MapWindowPoints(memo.hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        LONG textBottom = c.tabsHidden ? client.bottom : rectOf(item(memo, IDC_MEMO_TABS)).top;
        EXPECT_EQ(rectOf(item(memo, IDC_MEMO_TEXT)).bottom, textBottom);
        if (c.edit) {
            EXPECT_EQ(rectOf(item(memo, IDC_MEMO_EDITOR)).bottom, rectOf(item(memo, IDCANCEL)).top);
        }
        command(memo, IDCANCEL);
    }
}

TEST_F(MemoTest, TogglesKeepTheirMenuMarks) {
    start();
    CMemoDlg& memo = addMemo();
    struct Case {
        UINT command;
        std::function<bool()> state;
    } cases[] = {
        {ID_SHOW_TAB, [&] { return checked(memo, ID_SHOW_TAB) && !grey(memo, ID_DELETE_TAB) &&
                                   IsWindowVisible(item(memo, IDC_MEMO_TABS)); }},
        {ID_WORDWRAP, [&] { return checked(memo, ID_WORDWRAP) &&
                                   !(GetWindowLongA(item(memo, IDC_MEMO_TEXT), GWL_STYLE) & SS_LEFTNOWORDWRAP); }},
        {ID_TOPMOST, [&] { return checked(memo, ID_TOPMOST) && (GetWindowLongA(memo.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST); }},
        {ID_FIX_POSITION, [&] { return checked(memo, ID_FIX_POSITION) && memo.getAppearance().NON_MOVE_FLAG; }},
    };
    bool initially[] = {true, false, false, false};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].command);
        EXPECT_EQ(cases[i].state(), initially[i]);
        command(memo, cases[i].command);
        EXPECT_EQ(cases[i].state(), !initially[i]);
        command(memo, cases[i].command);
        EXPECT_EQ(cases[i].state(), initially[i]);
    }
    // Collapsed: only the caption strip, no sizing border, "タブの表示(&H)" grey.
    RECT full = rectOf(memo.hwnd());
    doubleClick(memo, true);
    EXPECT_TRUE(collapsed(memo));
    EXPECT_FALSE(GetWindowLongA(memo.hwnd(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_TRUE(grey(memo, ID_SHOW_TAB));
    EXPECT_FALSE(IsWindowEnabled(item(memo, IDC_MEMO_TABS)));
    // Moved while collapsed: it stores and expands to its full height at the new place.
    SetWindowPos(memo.hwnd(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT saved = memo.getSaveRect();
    EXPECT_EQ(saved.bottom - saved.top, full.bottom - full.top);
    doubleClick(memo, true);
    RECT expanded = rectOf(memo.hwnd());
    EXPECT_EQ(expanded.left, 40);
    EXPECT_EQ(expanded.bottom - expanded.top, full.bottom - full.top);
    EXPECT_FALSE(grey(memo, ID_SHOW_TAB));
}

TEST_F(MemoTest, CommitKeepsAndCancelDropsTheEdits) {
    start();
    CMemoDlg& memo = addMemo();
    struct Case {
        UINT button;
        const char* text;
    } cases[] = {{IDCANCEL, "ダブルクリックで編集"}, {IDOK, "line\r\n\tJapanese 日本語"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        doubleClick(memo, false);
        ASSERT_TRUE(memo.editMode());
        // The whole text is selected: typing replaces it.
        SendMessageA(item(memo, IDC_MEMO_EDITOR), EM_REPLACESEL, TRUE, (LPARAM) "line\r\n\tJapanese 日本語");
        EXPECT_EQ(text(item(memo, IDC_MEMO_EDITOR)), "line\r\n\tJapanese 日本語");
        SetWindowTextA(item(memo, IDC_MEMO_CAPTION_EDIT), "見出し");
        SetWindowTextA(item(memo, IDC_MEMO_TAB_TITLE), "題");
        command(memo, c.button);
        EXPECT_FALSE(memo.editMode());
        EXPECT_EQ(text(item(memo, IDC_MEMO_TEXT)), c.text);
        EXPECT_EQ(narrow(memo.getTabs()[0].text), c.text);
    }
    EXPECT_EQ(narrow(memo.getCaption()), "見出し");
    EXPECT_NE(readFile("Quillpad.dat").find("MEMO_TAB_TITLE-題\r\nline\r\n\tJapanese 日本語\r\n"), std::string::npos);
    // Exit and start again: the same Shift-JIS bytes come back.
    exit(tray);
    CTrayWnd again;
    ASSERT_TRUE(again.createWindow());
    ASSERT_EQ(again.memoWindows().size(), 1u);
    const CMemoDlg& restored = *again.memoWindows()[0];
    EXPECT_EQ(hex(narrow(restored.getCaption())), hex("見出し"));
    EXPECT_EQ(hex(narrow(restored.getTabs()[0].text)), hex("line\r\n\tJapanese 日本語\r\n"));
    exit(again);
}

TEST_F(MemoTest, DeleteQuestionsFollowTheSetting) {
    struct Case {
        const char* name;
        bool ask;
        UINT command;
        int answer;
        std::vector<std::string> questions;
        int tabsLeft;  // -1: the memo is gone
    } cases[] = {
        {"tab, asked, No", true, ID_DELETE_TAB, IDNO, {"タブ [新規タブ] を削除します。\nよろしいですか？"}, 2},
        {"tab, asked, Enter", true, ID_DELETE_TAB, ENTER_KEY, {"タブ [新規タブ] を削除します。\nよろしいですか？"}, 2},
        {"tab, asked, Yes", true, ID_DELETE_TAB, IDYES, {"タブ [新規タブ] を削除します。\nよろしいですか？"}, 1},
        {"tab, not asked", false, ID_DELETE_TAB, IDNO, {}, 1},
        {"memo, asked, No", true, ID_DELETE_MEMO, IDNO, {"メモ [新規メモ] を削除します。\nよろしいですか？"}, 2},
        {"memo, asked, Enter", true, ID_DELETE_MEMO, ENTER_KEY, {"メモ [新規メモ] を削除します。\nよろしいですか？"}, 2},
        {"memo, asked, Yes", true, ID_DELETE_MEMO, IDYES, {"メモ [新規メモ] を削除します。\nよろしいですか？"}, -1},
        {"memo, not asked", false, ID_DELETE_MEMO, IDNO, {}, -1},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("Quillpad.ini", c.ask ? "" : kNoDeleteQuestions);
        tray.teardownMemos();
        CMemoDlg& memo = addMemo();
        HWND window = memo.hwnd();
        command(memo, ID_ADD_TAB);
        MessageBoxWatcher boxes(GetCurrentProcessId(), c.answer);
        command(memo, c.command);
        std::vector<std::string> questions;
        for (const MessageBoxSeen& box : boxes.seen()) questions.push_back(box.text);
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(IsWindow(window) ? tabCount(memo) : -1, c.tabsLeft);
        SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
        size_t stored = 0;
        for (size_t at = 0; (at = readFile("Quillpad.dat").find("[MEMO_START]", at)) != std::string::npos; ++at) ++stored;
        EXPECT_EQ(stored, size_t(c.tabsLeft < 0 ? 0 : c.tabsLeft));
    }
}

// "全削除(&D)" asks whatever the setting says; a stray Enter deletes nothing.
TEST_F(MemoTest, DeleteAllAsksAndEnterKeepsTheMemos) {
    struct Case {
        int answer;
        bool kept;
    } cases[] = {{ENTER_KEY, true}, {IDNO, true}, {IDYES, false}};
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        HWND window = addMemo().hwnd();
        MessageBoxWatcher boxes(GetCurrentProcessId(), c.answer);
        SendMessageA(tray.hwnd(), WM_COMMAND, ID_DELETE_ALL, 0);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].text, "全てのメモを削除します。\nよろしいですか？");
        EXPECT_EQ(bool(IsWindow(window)), c.kept);
    }
}

TEST_F(MemoTest, OnlyTabDeletedDeletesTheMemoAfterOneQuestion) {
    start();
    CMemoDlg& memo = addMemo();
    HWND window = memo.hwnd();
    MessageBoxWatcher boxes(GetCurrentProcessId(), IDYES);
    command(memo, ID_DELETE_TAB);
    EXPECT_EQ(boxes.seen().size(), 1u);
    EXPECT_FALSE(IsWindow(window));
}

// A deleted memo's slot goes with its object, its menu and its brush.
TEST_F(MemoTest, RegistryKeepsItsOrderAfterASingleDelete) {
    writeFile("Quillpad.ini", kNoDeleteQuestions);
    start();
    CMemoDlg* memos[3];
    for (int i = 0; i < 3; ++i) {
        memos[i] = &addMemo();
        SetWindowPos(memos[i]->hwnd(), nullptr, 100 * i, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        doubleClick(*memos[i], false);
        SetWindowTextA(item(*memos[i], IDC_MEMO_CAPTION_EDIT), std::to_string(i).c_str());
        command(*memos[i], IDOK);
    }
    HMENU menu = memos[1]->menu();
    command(*memos[1], ID_DELETE_MEMO);
    EXPECT_EQ(tray.memoWindows().size(), 2u);
    EXPECT_FALSE(IsMenu(menu));
    std::vector<PixelRect> rects = tray.getMemoRects(memos[0]->hwnd());
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].left, 200);
    SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
    std::string file = readFile("Quillpad.dat");
    EXPECT_LT(file.find("CAPTION-0"), file.find("CAPTION-2"));
    EXPECT_EQ(file.find("CAPTION-1"), std::string::npos);
}

// Adding a tab shows hidden tabs, also on a collapsed memo: its tab strip
// stays disabled there, or real clicks on the caption strip would reach it.
TEST_F(MemoTest, TabAddedToACollapsedMemoLeavesItsStripDisabled) {
    writeFile("Quillpad.ini", kNoDeleteQuestions);
    start();
    CMemoDlg& memo = addMemo();
    command(memo, ID_SHOW_TAB);
    doubleClick(memo, true);
    ASSERT_TRUE(collapsed(memo));
    command(memo, ID_ADD_TAB);
    EXPECT_TRUE(IsWindowVisible(item(memo, IDC_MEMO_TABS)));
    EXPECT_FALSE(IsWindowEnabled(item(memo, IDC_MEMO_TABS)));
    doubleClick(memo, true);
    EXPECT_FALSE(collapsed(memo));
    EXPECT_TRUE(IsWindowEnabled(item(memo, IDC_MEMO_TABS)));
}

// The edit-mode controls are made at the first edit: made then, they hold the
// caption, the text and the title, take the tab order and the default button
// of the template, and the dialog's font.
TEST_F(MemoTest, EditControlsMadeLateHoldWhatTheViewShows) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-0\r\nWORDWRAP_FLAG-0\r\nCOMPACT_FLAG-0\r\nNON_MOVE_FLAG-0\r\n"));
    writeFile("Quillpad.ini", kNoDeleteQuestions);
    start();
    CMemoDlg& memo = *tray.memoWindows()[0];
    EXPECT_EQ(item(memo, IDOK), nullptr);
    doubleClick(memo, false);
    EXPECT_EQ(text(item(memo, IDC_MEMO_CAPTION_EDIT)), "stored");
    EXPECT_EQ(text(item(memo, IDC_MEMO_EDITOR)), "second\r\n");
    EXPECT_EQ(text(item(memo, IDC_MEMO_TAB_TITLE)), "two");
    HWND order[4] = {GetNextDlgTabItem(memo.hwnd(), nullptr, FALSE)};
    for (int i = 1; i < 4; ++i) order[i] = GetNextDlgTabItem(memo.hwnd(), order[i - 1], FALSE);
    const int expected[4] = {IDC_MEMO_CAPTION_EDIT, IDC_MEMO_TAB_TITLE, IDOK, IDCANCEL};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(GetDlgCtrlID(order[i]), expected[i]) << "tab stop " << i;
    EXPECT_EQ(LOWORD(SendMessageA(memo.hwnd(), DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_EQ(SendMessageA(item(memo, IDOK), WM_GETFONT, 0, 0), SendMessageA(memo.hwnd(), WM_GETFONT, 0, 0));
    EXPECT_EQ(text(item(memo, IDCANCEL)), "×");
}

// A memo whose tabs are hidden has no tab control until they are shown: made
// then, it holds the memo's tabs and selection below the text, and selects.
TEST_F(MemoTest, TabControlMadeLateHoldsTheTabs) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-1\r\n", "a") + storedMemo("NOT_SHOW_TAB_FLAG-1\r\n", "b"));
    start();
    const struct {
        const char* name;
        UINT command;
        int tabs, selected;
    } cases[] = {{"tabs shown", ID_SHOW_TAB, 2, 1}, {"a tab added", ID_ADD_TAB, 3, 2}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        CMemoDlg& memo = *tray.memoWindows()[i];
        EXPECT_EQ(item(memo, IDC_MEMO_TABS), nullptr);
        command(memo, cases[i].command);
        HWND tabs = item(memo, IDC_MEMO_TABS);
        ASSERT_NE(tabs, nullptr);
        EXPECT_TRUE(IsWindowVisible(tabs));
        EXPECT_EQ(tabCount(memo), cases[i].tabs);
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), cases[i].selected);
        EXPECT_EQ(rectOf(item(memo, IDC_MEMO_TEXT)).bottom, rectOf(tabs).top);
        EXPECT_EQ(SendMessageA(tabs, WM_GETFONT, 0, 0), SendMessageA(memo.hwnd(), WM_GETFONT, 0, 0));
        SendMessageA(tabs, TCM_SETCURFOCUS, 0, 0);
        EXPECT_EQ(memo.getSelectedTab(), 0);
        EXPECT_EQ(text(item(memo, IDC_MEMO_TEXT)), "first\r\n");
    }
}

TEST_F(MemoTest, StoredMemoIsRestoredWithItsAppearance) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-0\r\nWORDWRAP_FLAG-1\r\nCOMPACT_FLAG-1\r\nNON_MOVE_FLAG-1\r\n"));
    writeFile("Quillpad.ini", std::string("TAB_MODE_FLAG-1\r\n") + kNoDeleteQuestions);
    start();
    ASSERT_EQ(tray.memoWindows().size(), 1u);
    CMemoDlg& memo = *tray.memoWindows()[0];
    EXPECT_EQ(memo.getSelectedTab(), 1);
    EXPECT_EQ(text(item(memo, IDC_MEMO_TEXT)), "second\r\n");
    RECT r = rectOf(memo.hwnd());
    EXPECT_EQ(r.left, 0);  // it lay wholly left of the screen
    EXPECT_TRUE(collapsed(memo));
    RECT saved = memo.getSaveRect();
    EXPECT_EQ(saved.right - saved.left, 300);
    EXPECT_EQ(saved.bottom - saved.top, 200);
    EXPECT_TRUE(checked(memo, ID_FIX_POSITION));
    EXPECT_TRUE(checked(memo, ID_WORDWRAP));
    EXPECT_FALSE(checked(memo, ID_TOPMOST));
    EXPECT_EQ(memo.getAppearance().colors, (MemoColors{255, 1, 65280, 2}));
    // Several rows of tabs with two tabs, one row with one.
    EXPECT_TRUE(GetWindowLongA(item(memo, IDC_MEMO_TABS), GWL_STYLE) & TCS_MULTILINE);
    doubleClick(memo, true);
    command(memo, ID_DELETE_TAB);
    EXPECT_FALSE(GetWindowLongA(item(memo, IDC_MEMO_TABS), GWL_STYLE) & TCS_MULTILINE);
}

// "色変更(&C)": the colour dialog starts from the memo's colours; its OK
// repaints the memo at once, its Cancel changes nothing.
TEST_F(MemoTest, ColourDialogChangesTheMemosColours) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-0\r\nCOMPACT_FLAG-0\r\n"));
    start();
    CMemoDlg& memo = *tray.memoWindows()[0];
    const MemoColors stored{255, 1, 65280, 2}, factory;
    MessageBoxWatcher resetQuestion(GetCurrentProcessId(), IDYES);
    SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);  // the memo's block is kept from here on
    for (int end : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(end);
        bool acted = actOnDialog([&] { command(memo, ID_CHANGE_COLOR); },
                                 [&](HWND d) {
                                     SendMessageA(d, WM_COMMAND, IDC_COLOR_RESET, 0);
                                     PostMessageA(d, WM_COMMAND, end, 0);
                                 },
                                 dialogWith(IDC_COLOR_RESET));
        EXPECT_TRUE(acted);
        EXPECT_EQ(memo.getAppearance().colors, end == IDOK ? factory : stored);
    }
    EXPECT_EQ(readFile("Quillpad.dat"), formatMemos({memo.stored()}));
    pumpFor(300);  // the closed dialog's place is painted again
    HWND text = item(memo, IDC_MEMO_TEXT);
    RECT r;
    GetClientRect(text, &r);
    HDC dc = GetDC(text);
    EXPECT_EQ(GetPixel(dc, r.right - 3, r.bottom - 3), factory.BACK_MEMO_COLOR);
    ReleaseDC(text, dc);
}

// The memo owns its colour dialog: the dialog opens centred over it, keeps it
// disabled (no second dialog from it) and ends with it, when 全削除 takes the
// memo meanwhile; the gone memo gets nothing.
TEST_F(MemoTest, ColourDialogIsOwnedByItsMemoAndEndsWithIt) {
    start();
    CMemoDlg& memo = addMemo();
    HWND window = memo.hwnd();
    MoveWindow(window, 100, 120, 200, 150, TRUE);
    HWND owner = nullptr;
    BOOL memoEnabled = TRUE, endedWithTheMemo = FALSE;
    RECT r = {};
    MessageBoxWatcher yes(GetCurrentProcessId(), IDYES);  // the reset, then 全削除
    bool acted = actOnDialog([&] { command(memo, ID_CHANGE_COLOR); },
                             [&](HWND d) {
                                 owner = GetWindow(d, GW_OWNER);
                                 memoEnabled = IsWindowEnabled(window);
                                 GetWindowRect(d, &r);
                                 SendMessageA(d, WM_COMMAND, IDC_COLOR_RESET, 0);
                                 SendMessageA(tray.hwnd(), WM_COMMAND, ID_DELETE_ALL, 0);
                                 endedWithTheMemo = !IsWindow(d);
                                 if (!endedWithTheMemo) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                             },
                             dialogWith(IDC_COLOR_RESET));
    EXPECT_TRUE(acted);
    EXPECT_EQ(owner, window);
    EXPECT_FALSE(memoEnabled);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - 200), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - 195), 1);
    EXPECT_EQ(yes.seen().size(), 2u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(endedWithTheMemo);
}

// The options' OK makes every open memo read the settings again: several
// rows of tabs at once, the memo's own colours kept. Also when "key.ini"
// could not be replaced: "Quillpad.ini" was, and the memos follow it.
TEST_F(MemoTest, OptionsOkReachesTheOpenMemos) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-0\r\nCOMPACT_FLAG-0\r\n"));
    writeFile("key.ini", std::string("\x71\0\x04\0\x2D\0\x06\0", 8));
    start();
    CMemoDlg& memo = *tray.memoWindows()[0];
    HWND tabs = item(memo, IDC_MEMO_TABS);
    ASSERT_FALSE(GetWindowLongA(tabs, GWL_STYLE) & TCS_MULTILINE);
    struct Case {
        const char* name;
        bool multiRow;
        DWORD keyFile;
    } cases[] = {
        {"saved", true, FILE_ATTRIBUTE_NORMAL},
        {"key.ini read-only", false, FILE_ATTRIBUTE_READONLY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // As another copy of the options would leave it.
        writeFile("Quillpad.ini", c.multiRow ? "TAB_MODE_FLAG-1\r\n" : "TAB_MODE_FLAG-0\r\n");
        SetFileAttributesA("key.ini", c.keyFile);
        // The failure is told once the memos follow the files: nothing acts
        // on the old settings while the message is up.
        bool followedWhenTold = false;
        MessageBoxWatcher boxes(GetCurrentProcessId(), IDOK, [&](const MessageBoxSeen&) {
            followedWhenTold = bool(GetWindowLongA(tabs, GWL_STYLE) & TCS_MULTILINE) == c.multiRow;
        });
        EXPECT_TRUE(actOnDialog([&] { SendMessageA(tray.hwnd(), WM_COMMAND, ID_OPTION, 0); },
                                [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }, dialogWith(IDC_OPTION_TABS)));
        SetFileAttributesA("key.ini", FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(boxes.seen().size(), c.keyFile == FILE_ATTRIBUTE_READONLY ? 1u : 0u);
        if (!boxes.seen().empty()) {
            EXPECT_EQ(boxes.seen()[0].text, "ファイルに保存できません。");
            EXPECT_TRUE(followedWhenTold);
        }
        EXPECT_EQ(bool(GetWindowLongA(tabs, GWL_STYLE) & TCS_MULTILINE), c.multiRow);
        EXPECT_EQ(memo.getAppearance().colors, (MemoColors{255, 1, 65280, 2}));
    }
}

TEST_F(MemoTest, RightClickOnATabSelectsIt) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-0\r\n"));
    start();
    CMemoDlg& memo = *tray.memoWindows()[0];
    RECT first;
    SendMessageA(item(memo, IDC_MEMO_TABS), TCM_GETITEMRECT, 0, (LPARAM)&first);
    MapWindowPoints(item(memo, IDC_MEMO_TABS), nullptr, reinterpret_cast<POINT*>(&first), 2);
    SetCursorPos(first.left + 3, first.top + 3);
    NMHDR hdr = {item(memo, IDC_MEMO_TABS), IDC_MEMO_TABS, NM_RCLICK};
    EXPECT_EQ(SendMessageA(memo.hwnd(), WM_NOTIFY, IDC_MEMO_TABS, (LPARAM)&hdr), 0);
    EXPECT_EQ(memo.getSelectedTab(), 0);
    EXPECT_EQ(text(item(memo, IDC_MEMO_TEXT)), "first\r\n");
}

// A failed save after a commit is told once, not at every commit; the file stays.
TEST_F(MemoTest, ReadOnlyDataFileIsReportedOnce) {
    writeFile("Quillpad.dat", storedMemo("NOT_SHOW_TAB_FLAG-0\r\n"));
    start();
    std::string before = readFile("Quillpad.dat");  // the load's own save requests wrote nothing
    EXPECT_EQ(before, storedMemo("NOT_SHOW_TAB_FLAG-0\r\n"));
    SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_READONLY);
    CMemoDlg& memo = *tray.memoWindows()[0];
    MessageBoxWatcher boxes;
    for (int commit = 0; commit < 2; ++commit) {
        doubleClick(memo, false);
        command(memo, IDOK);
    }
    pumpFor(200);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, "ファイルに保存できません。\nファイルが読み取り専用です。");
    EXPECT_EQ(readFile("Quillpad.dat"), before);
    // Until a save lands, the tray icon's tip says that the notes are not saved, why, and where.
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    EXPECT_EQ(tray.trayTip(), std::string("メモが保存されていません\nファイルが読み取り専用です。\n") + folder);
    SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_NORMAL);
    doubleClick(memo, false);
    command(memo, IDOK);
    EXPECT_EQ(tray.trayTip(), "クイルパッド");
}

// One brush is replaced at every colour request: more requests than the
// process has GDI handles (about 65,500 under Wine) still paint the memo's colour.
TEST_F(MemoTest, ColourRequestsLeakNoBrush) {
    start();
    CMemoDlg& memo = addMemo();
    HWND caption = item(memo, IDC_MEMO_CAPTION);
    RECT r;
    GetClientRect(caption, &r);
    HDC dc = GetDC(caption);
    for (int i = 0; i < 70000; ++i) SendMessageA(memo.hwnd(), WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)caption);
    ReleaseDC(caption, dc);
    RedrawWindow(memo.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    dc = GetDC(caption);
    EXPECT_EQ(GetPixel(dc, r.right - 3, 3), memo.getAppearance().colors.BACK_CAPTION_COLOR);  // right of the text
    ReleaseDC(caption, dc);
}

}  // namespace

namespace {

// What a memo's WM_MOVING hands back for a proposed rectangle.
RECT moving(CMemoDlg& memo, RECT proposed) {
    SendMessageA(memo.hwnd(), WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&proposed));
    return proposed;
}

// The other memos' real rectangles and the screen are the obstacles; a
// deleted memo is none, a collapsed one counts as it is now.
TEST_F(MemoTest, MovingSnapsToTheOtherMemosAndTheScreen) {
    writeFile("Quillpad.ini", kNoDeleteQuestions);
    start();
    CMemoDlg& moved = addMemo();
    CMemoDlg& other = addMemo();
    CMemoDlg& collapsedOne = addMemo();
    SetWindowPos(other.hwnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);   // 100, 100, 400, 250
    SetWindowPos(collapsedOne.hwnd(), nullptr, 600, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    doubleClick(collapsedOne, true);
    const LONG cb = rectOf(collapsedOne.hwnd()).bottom;
    const LONG cx = GetSystemMetrics(SM_CXSCREEN);
    // A step from a free place 10 pixels further: within reach, the edge snaps.
    struct Case {
        const char* name;
        RECT from, proposed;
        LONG left, top;
    } cases[] = {
        {"docks on the other memo's right", {425, 150, 725, 300}, {415, 150, 715, 300}, 400, 150},
        {"sits below the collapsed memo", {650, cb + 25, 950, cb + 175}, {650, cb + 15, 950, cb + 165}, 650, cb},
        {"left screen edge", {25, 300, 325, 450}, {15, 300, 315, 450}, 0, 300},
        {"right screen edge", {cx - 325, 300, cx - 25, 450}, {cx - 315, 300, cx - 15, 450}, cx - 300, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendMessageA(moved.hwnd(), WM_ENTERSIZEMOVE, 0, 0);  // each case a drag of its own
        EXPECT_EQ(moving(moved, c.from).left, c.from.left);
        RECT r = moving(moved, c.proposed);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.right - r.left, 300);
    }
    command(other, ID_DELETE_MEMO);
    SendMessageA(moved.hwnd(), WM_ENTERSIZEMOVE, 0, 0);
    moving(moved, cases[0].from);
    EXPECT_EQ(moving(moved, cases[0].proposed).left, 415);
}

RECT shownMenu;

void CALLBACK closeShownMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    GetWindowRect(menu, &shownMenu);
    KillTimer(nullptr, id);
    EndMenu();
}

// Shift+F10 and the menu key give the point -1, -1, wherever the pointer is.
TEST_F(MemoTest, MenuOpensAtARightClickOrFromTheKeyboardAtTheText) {
    start();
    CMemoDlg& memo = addMemo();
    RECT text = rectOf(item(memo, IDC_MEMO_TEXT));
    struct Case {
        const char* name;
        POINT pointer, given, opensAt;
    } cases[] = {
        {"right click", {300, 250}, {300, 250}, {300, 250}},
        {"keyboard", {700, 600}, {-1, -1}, {text.left, text.top}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCursorPos(c.pointer.x, c.pointer.y);
        shownMenu = {};
        UINT_PTR timer = SetTimer(nullptr, 0, 100, closeShownMenu);
        SendMessageA(memo.hwnd(), WM_CONTEXTMENU, (WPARAM)memo.hwnd(), MAKELPARAM(c.given.x, c.given.y));
        KillTimer(nullptr, timer);
        EXPECT_EQ(shownMenu.left, c.opensAt.x);
        EXPECT_EQ(shownMenu.top, c.opensAt.y);
    }
}

}  // namespace

namespace {

// A move, a collapse, an appearance switch: each reaches the file at once.
TEST_F(MemoTest, EveryChangeReachesTheFile) {
    writeFile("Quillpad.ini", kNoDeleteQuestions);
    start();
    CMemoDlg& memo = addMemo();
    struct Case {
        const char* name;
        std::function<void()> change;
        bool savesItself = true;
    } cases[] = {
        {"collapse", [&] { doubleClick(memo, true); }},
        {"expand", [&] { doubleClick(memo, true); }},
        {"tabs", [&] { command(memo, ID_SHOW_TAB); }},
        {"wrapping", [&] { command(memo, ID_WORDWRAP); }},
        {"fixed", [&] { command(memo, ID_FIX_POSITION); }},
        {"end of a drag", [&] {
             SendMessageA(memo.hwnd(), WM_ENTERSIZEMOVE, 0, 0);
             SetWindowPos(memo.hwnd(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
             SendMessageA(memo.hwnd(), WM_EXITSIZEMOVE, 0, 0);
         }},
        {"a tab added", [&] { command(memo, ID_ADD_TAB); }},
        {"a tab selected", [&] { SendMessageA(item(memo, IDC_MEMO_TABS), TCM_SETCURFOCUS, 0, 0); }, false},
        {"a resize", [&] { SetWindowPos(memo.hwnd(), nullptr, 0, 0, 250, 180, SWP_NOMOVE | SWP_NOZORDER); }, false},
        {"an edit kept at the end", [&] {
             doubleClick(memo, false);
             SetWindowTextA(item(memo, IDC_MEMO_CAPTION_EDIT), "見出し");
             memo.commitEdits();
         }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("Quillpad.dat", "before");
        c.change();
        if (!c.savesItself) SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
        // The block the memo kept is the one it would format afresh.
        EXPECT_EQ(readFile("Quillpad.dat"), formatMemos({memo.stored()}));
    }
    // A click on the body is a drag that moves nothing: nothing to save.
    writeFile("Quillpad.dat", "before");
    SendMessageA(memo.hwnd(), WM_ENTERSIZEMOVE, 0, 0);
    SendMessageA(memo.hwnd(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(readFile("Quillpad.dat"), "before");
}

// A save of memos as they were read writes the bytes they were read from.
TEST_F(MemoTest, SavedBytesAreThoseOfTheMemosFormatted) {
    StoredMemo plain, rich;
    plain.tabs = {{L"text\r\n", L"one"}};
    plain.RECT_LEFT = 10, plain.RECT_TOP = 20, plain.RECT_RIGHT = 310, plain.RECT_BOTTOM = 170;
    rich = plain;
    rich.tabs = {{L"", L""}, {L"[MEMO_END]\r\nMEMO_TAB_TITLE-x\r\nlone\rCR", L"日本語"}, {L"no line end", L"three"}};
    rich.CAPTION = L"見出し";
    rich.appearance = {{255, 1, 65280, 2}, true, true, true, true};
    rich.MEMO_SELECT_INDEX = 2;
    std::vector<StoredMemo> memos{plain, rich, plain};
    writeFile("Quillpad.dat", formatMemos(memos));
    start();
    SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
    // A file without identities gains them, one line each, and nothing else;
    // the next save writes nothing new.
    const std::string saved = readFile("Quillpad.dat");
    std::vector<StoredMemo> read;
    parseMemos(saved, {}, [&](StoredMemo m) {
        EXPECT_FALSE(m.MEMO_ID.empty() || m.MEMO_VERSION.empty());
        m.MEMO_ID.clear(), m.MEMO_VERSION.clear();
        read.push_back(m);
    });
    std::vector<StoredMemo> expected;
    parseMemos(formatMemos(memos), {}, [&](const StoredMemo& m) { expected.push_back(m); });
    EXPECT_EQ(read, expected);
    SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
    EXPECT_EQ(readFile("Quillpad.dat"), saved);
}

// New memos do not hide each other; the front command brings a memo that
// lies wholly beyond the screen back onto it.
TEST_F(MemoTest, NewMemosCascadeAndFrontBringsThemBack) {
    start();
    CMemoDlg& first = addMemo();
    CMemoDlg& second = addMemo();
    RECT a = rectOf(first.hwnd()), b = rectOf(second.hwnd());
    LONG step = rectOf(item(first, IDC_MEMO_CAPTION)).bottom - rectOf(item(first, IDC_MEMO_CAPTION)).top;
    EXPECT_EQ(b.left - a.left, step);
    EXPECT_EQ(b.top - a.top, step);
    SetWindowPos(first.hwnd(), nullptr, -1000, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(tray.hwnd(), WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(rectOf(first.hwnd()).left, 0);
    EXPECT_NE(readFile("Quillpad.dat").find("RECT_LEFT-0\r\n"), std::string::npos);
    // Only memos count: one added at the screen's corner, where none is, stays there.
    StoredMemo corner;
    corner.tabs = {MemoTab{L"text", L"tab"}};
    corner.RECT_RIGHT = 200, corner.RECT_BOTTOM = 100;
    tray.createMemoFromData(corner, true);
    EXPECT_EQ(rectOf(tray.memoWindows().back()->hwnd()).left, 0);
}

// A user's resize stops where edit mode still has room; collapsed, the memo
// is its caption strip.
TEST_F(MemoTest, MemoIsNeverTooSmallForEditMode) {
    start();
    CMemoDlg& memo = addMemo();
    RECT before = rectOf(memo.hwnd());
    dragMouse({before.right - 1, before.bottom - 1}, {before.left, before.top});
    doubleClick(memo, false);
    ASSERT_TRUE(memo.editMode());
    RECT client = rectOf(memo.hwnd()), editor = rectOf(item(memo, IDC_MEMO_EDITOR));
    RECT caption = rectOf(item(memo, IDC_MEMO_CAPTION_EDIT)), ok = rectOf(item(memo, IDOK));
    RECT title = rectOf(item(memo, IDC_MEMO_TAB_TITLE)), cancel = rectOf(item(memo, IDCANCEL));
    EXPECT_LT(client.right - client.left, before.right - before.left);  // the drag made it smaller
    EXPECT_GE(editor.bottom - editor.top, 10);  // a line of text
    EXPECT_GE(editor.top, caption.bottom);
    EXPECT_GE(ok.top, editor.bottom);
    EXPECT_LE(cancel.right, client.right);
    EXPECT_LE(ok.bottom, client.bottom);
    EXPECT_GE(title.right - title.left, ok.right - ok.left);
    command(memo, IDCANCEL);
    doubleClick(memo, true);
    EXPECT_TRUE(collapsed(memo));
}

// A stored size is shown and saved as stored, however small (memos laid out
// side by side by their user stay so), and edit mode fits in it.
TEST_F(MemoTest, StoredSizeIsShownAndSavedAsStored) {
    for (SIZE size : {SIZE{100, 60}, SIZE{60, 50}}) {
        SCOPED_TRACE(size.cx);
        StoredMemo stored;
        stored.tabs = {MemoTab{L"text", L"tab"}};
        stored.RECT_LEFT = stored.RECT_TOP = 100;
        stored.RECT_RIGHT = 100 + size.cx, stored.RECT_BOTTOM = 100 + size.cy;
        writeFile("Quillpad.dat", formatMemos({stored}));
        CTrayWnd shown;
        ASSERT_TRUE(shown.createWindow());
        CMemoDlg& memo = *shown.memoWindows()[0];
        RECT r = rectOf(memo.hwnd());
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 100, 100 + size.cx, 100 + size.cy}));
        doubleClick(memo, false);
        ASSERT_TRUE(memo.editMode());
        EXPECT_LE(rectOf(item(memo, IDCANCEL)).right, r.right);
        EXPECT_GE(rectOf(item(memo, IDC_MEMO_TAB_TITLE)).left, rectOf(item(memo, IDC_MEMO_TAB_LABEL)).right);
        command(memo, IDOK);
        EXPECT_NE(readFile("Quillpad.dat").find("RECT_BOTTOM-" + std::to_string(100 + size.cy) + "\r\nRECT_RIGHT-" +
                                                std::to_string(100 + size.cx) + "\r\n"),
                  std::string::npos);
        exit(shown);
    }
}

}  // namespace

namespace {

// A message box's loop knows only its own dialog: a memo's Enter and Escape
// still reach the memo while the box is up.
TEST_F(MemoTest, DialogKeysReachAMemoWhileABoxIsUp) {
    start();
    CMemoDlg& memo = addMemo();
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key);
        doubleClick(memo, false);
        ASSERT_TRUE(memo.editMode());
        HWND caption = item(memo, IDC_MEMO_CAPTION_EDIT);
        MessageBoxWatcher boxes(GetCurrentProcessId(), IDOK, [&](const MessageBoxSeen&) {
            PostMessageA(caption, WM_KEYDOWN, key, 0);  // before the box's own close, in the same queue
        });
        win::showWarning("box");
        EXPECT_FALSE(memo.editMode());
    }
}

// A memo's delete question opens inside the IsDialogMessage that gave the memo
// its command: another memo's Escape and Enter still reach that memo.
TEST_F(MemoTest, DialogKeysReachAMemoWhileAnotherMemoAsks) {
    start();
    CMemoDlg& asking = addMemo();
    CMemoDlg& other = addMemo();
    SetWindowPos(other.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // clear of the question
    for (int control : {IDC_MEMO_EDITOR, IDC_MEMO_CAPTION_EDIT}) {  // Escape drops the typing, Enter keeps it
        SCOPED_TRACE(control);
        doubleClick(other, false);
        SetWindowTextA(item(other, IDC_MEMO_EDITOR), "typed");
        MessageBoxWatcher boxes(GetCurrentProcessId(), IDNO, [&](const MessageBoxSeen&) {
            click(item(other, control));
            typeKey(control == IDC_MEMO_EDITOR ? VK_ESCAPE : VK_RETURN);
            for (int i = 0; i < 200 && other.editMode(); ++i) Sleep(10);
        });
        MSG command = {asking.hwnd(), WM_COMMAND, ID_DELETE_MEMO, 0, 0, {}};
        win::Dialog::routeToModeless(command);  // as the message loop gives it the menu's command
        EXPECT_FALSE(other.editMode());
        EXPECT_EQ(other.getTabs()[0].text == L"typed", control == IDC_MEMO_CAPTION_EDIT);
    }
}

struct MenuSteps {
    std::function<void()> whileOpen, beforeClosing;
    int tick = 0;
};
MenuSteps* menuSteps;
void CALLBACK stepInMenu(HWND, UINT, UINT_PTR id, DWORD) {
    if (!FindWindowA("#32768", nullptr)) return;
    if (++menuSteps->tick == 1) menuSteps->whileOpen();
    if (menuSteps->tick < 6) return;
    menuSteps->beforeClosing();
    KillTimer(nullptr, id);
    EndMenu();
}

// A failure told while the tray menu is open would take no click while the
// menu holds the pointer: it waits until the menu has closed.
TEST_F(MemoTest, FailureWaitsForTheTrayMenuToClose) {
    start();
    addMemo();
    MessageBoxWatcher boxes;
    size_t seenWhileOpen = 99;
    MenuSteps steps{[&] {
                        SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_READONLY);
                        SendMessageA(tray.hwnd(), WM_SAVE_REQUEST, 0, 0);
                    },
                    [&] { seenWhileOpen = boxes.seen().size(); }};
    menuSteps = &steps;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, stepInMenu);
    SendMessageA(tray.hwnd(), WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);
    EXPECT_EQ(seenWhileOpen, 0u);
    EXPECT_TRUE(boxes.waitFor(1));
    SetFileAttributesA("Quillpad.dat", FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

namespace {

// The end of the Windows session keeps what is being typed, as "終了(&X)" does.
TEST_F(MemoTest, EndOfSessionKeepsTheTyping) {
    start();
    CMemoDlg& memo = addMemo();
    doubleClick(memo, false);
    SetWindowTextA(item(memo, IDC_MEMO_EDITOR), "typed before the logoff");
    EXPECT_EQ(SendMessageA(tray.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_FALSE(memo.editMode());
    EXPECT_NE(readFile("Quillpad.dat").find("typed before the logoff"), std::string::npos);
}

}  // namespace

namespace {

// While the options' failure is told, a memo made reads the settings afresh,
// not the reading that the memos took after the OK.
TEST_F(MemoTest, MemoMadeWhileAnOptionsFailureIsToldReadsTheSettingsAfresh) {
    writeFile("key.ini", std::string("\x71\0\x04\0\x2D\0\x06\0", 8));
    start();
    addMemo();
    SetFileAttributesA("key.ini", FILE_ATTRIBUTE_READONLY);
    HWND resident = tray.hwnd();
    MessageBoxWatcher boxes(GetCurrentProcessId(), IDOK, [&](const MessageBoxSeen&) {
        writeFile("Quillpad.ini", "WORDWRAP_FLAG-1\r\n");  // as another copy of the options would
        PostMessageA(resident, WM_COMMAND, ID_ADD_MEMO, 0);
    });
    EXPECT_TRUE(actOnDialog([&] { SendMessageA(resident, WM_COMMAND, ID_OPTION, 0); },
                            [](HWND d) { PostMessageA(d, WM_COMMAND, IDOK, 0); }, dialogWith(IDC_OPTION_TABS)));
    SetFileAttributesA("key.ini", FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(boxes.seen().size(), 1u);
    ASSERT_EQ(tray.memoWindows().size(), 2u);
    EXPECT_TRUE(tray.memoWindows().back()->getAppearance().WORDWRAP_FLAG);
}

// The columns from the first to the last dark pixel of a window.
int inkWidth(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    int first = -1, last = -1;
    for (int x = 0; x < 400; ++x) {
        for (int y = 0; y < 40; ++y) {
            const COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300) first = first < 0 ? x : first, last = x;
        }
    }
    ReleaseDC(window, dc);
    return last - first;
}

// A pair, a combining mark and a joined sequence take as much room in the view as in the editor.
TEST(MemoView, DrawsCharactersAsTheEditorDoes) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 400, 120, nullptr, nullptr, nullptr, nullptr);
    HWND editor = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 60, 400, 50, parent, nullptr, nullptr, nullptr);
    CMemoView view;
    ASSERT_TRUE(view.createView(parent, 1, RECT{0, 0, 400, 50}, 0));
    for (const wchar_t* text : {L"a\xD83D\xDE00" L"b", L"ae\u0301b", L"a\xD83D\xDC68\u200D\xD83D\xDC69" L"b"}) {
        SetWindowTextW(view.hwnd(), text), SetWindowTextW(editor, text);
        EXPECT_NEAR(inkWidth(view.hwnd()), inkWidth(editor), 2) << narrow(text);
    }
    DestroyWindow(parent);
}

}  // namespace
