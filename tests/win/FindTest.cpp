// The find window over the memos of the real resident window.
#include <gtest/gtest.h>
#include <string>
#include "TestSupport.h"
#include <commctrl.h>
#include "dialogs/FindResults.h"
#include "res/Messages.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "tray/TrayWnd.h"

using namespace testing_support;

namespace {

StoredMemo memo(const std::string& caption, int left) {
    StoredMemo m;
    m.CAPTION = wide(caption);
    m.tabs = {{wide("a word in " + caption), L"tab"}};
    m.RECT_LEFT = left, m.RECT_TOP = 100, m.RECT_RIGHT = left + 200, m.RECT_BOTTOM = 250;
    return m;
}

void selectLine(HWND list, int line) {
    LVITEMA state = {};
    state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, line, reinterpret_cast<LPARAM>(&state));
}

// What a screen reader reads of a line's column.
std::string lineText(HWND list, int line, int column) {
    char text[64] = {};
    LVITEMA item = {};
    item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, line, reinterpret_cast<LPARAM>(&item));
    return text;
}

class FindTest : public ::testing::Test {
protected:
    TempDir dir;
    CTrayWnd tray;
    void TearDown() override {
        if (IsWindow(tray.hwnd())) SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    // The find window from the tray menu, with `typed` in its text.
    HWND find(const char* typed) {
        SendMessageA(tray.hwnd(), WM_COMMAND, ID_FIND, 0);
        HWND window = findTopLevel(GetCurrentProcessId(), "#32770", "検索");
        SetDlgItemTextA(window, IDC_FIND_TEXT, typed);
        return window;
    }
};

// The second of three matching memos is deleted while its line is selected:
// Enter then brings no memo forward, and the list no longer has the line.
TEST_F(FindTest, ALineWhoseMemoWasDeletedGoesNowhere) {
    writeFile("Quillpad.ini", "DEL_CHECK_FLAG-0\r\n");
    writeFile("Quillpad.dat", formatMemos({memo("A", 50), memo("B", 300), memo("C", 550)}));
    ASSERT_TRUE(tray.createWindow());
    HWND window = find("WORD"), list = GetDlgItem(window, IDC_FIND_LIST);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(lineText(list, 1, FIND_CAPTION) + "|" + lineText(list, 1, FIND_LINE), "B|a word in B");
    selectLine(list, 1);
    SendMessageA(tray.memoWindows()[1]->hwnd(), WM_COMMAND, ID_DELETE_MEMO, 0);
    SendMessageA(window, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(GetForegroundWindow(), window);
    pumpFor(200);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(itemText(window, IDC_FIND_COUNT), "2 件 (2 個のメモ)");
}

// Whether the window shows the highlight colour.
bool showsMark(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    int i = 0;
    while (i < r.right * r.bottom && GetPixel(dc, i % r.right, i / r.right) != GetSysColor(COLOR_HIGHLIGHT)) i += 2;
    ReleaseDC(window, dc);
    return i < r.right * r.bottom;
}

// A match far down the second tab of a collapsed memo: the memo comes
// expanded on that tab, the match in view and marked until the next key.
TEST_F(FindTest, GoingToAMatchShowsItMarked) {
    StoredMemo stored = memo("A", 100);
    stored.tabs.push_back({wide(std::string(150, '\n') + "the needle\r\n" + std::string(50, '\n')), L"long"});
    stored.appearance.COMPACT_FLAG = true;
    writeFile("Quillpad.dat", formatMemos({stored}));
    ASSERT_TRUE(tray.createWindow());
    CMemoDlg& memo = *tray.memoWindows()[0];
    SendMessageA(find("needle"), WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(memo.getAppearance().COMPACT_FLAG);
    EXPECT_EQ(memo.getSelectedTab(), 1);
    HWND view = GetDlgItem(memo.hwnd(), IDC_MEMO_TEXT);
    EXPECT_TRUE(showsMark(view));
    MSG key = {view, WM_KEYDOWN, VK_SHIFT, 0, 0, {}};
    win::Dialog::routeToModeless(key);
    EXPECT_FALSE(showsMark(view));
}

// F3 from the first memo's match to the second's: only the second is marked.
TEST_F(FindTest, OneMatchIsMarkedAtATime) {
    writeFile("Quillpad.dat", formatMemos({memo("A", 50), memo("B", 300)}));
    ASSERT_TRUE(tray.createWindow());
    SendMessageA(find("word"), WM_COMMAND, IDOK, 0);
    SendMessageA(tray.hwnd(), WM_FIND_KEY, FIND_NEXT, 0);
    EXPECT_FALSE(showsMark(GetDlgItem(tray.memoWindows()[0]->hwnd(), IDC_MEMO_TEXT)));
    EXPECT_TRUE(showsMark(GetDlgItem(tray.memoWindows()[1]->hwnd(), IDC_MEMO_TEXT)));
}

// Text from the web is kept with look-alikes (～ for 〜) and found, after the restart that reads it,
// by what the user typed. The first F3 goes to the first match, the next one on from there. A long
// caption widens its column to a third of the list, and the line's tip holds it whole.
TEST_F(FindTest, TheFirstF3GoesToTheFirstMatch) {
    StoredMemo a = memo(std::string(80, 'A'), 50), b = memo("B", 300);
    a.tabs[0].text = b.tabs[0].text = L"価格\u301C1000円 \u2014 税込";
    writeFile("Quillpad.dat", formatMemos({a, b}));
    ASSERT_TRUE(tray.createWindow());
    HWND window = find(""), list = GetDlgItem(window, IDC_FIND_LIST);
    SetDlgItemTextW(window, IDC_FIND_TEXT, L"\u301C1000円 \u2014 税");
    for (int marked : {0, 1}) {
        SendMessageA(tray.hwnd(), WM_FIND_KEY, FIND_NEXT, 0);
        EXPECT_TRUE(showsMark(GetDlgItem(tray.memoWindows()[marked]->hwnd(), IDC_MEMO_TEXT))) << marked;
        EXPECT_FALSE(showsMark(GetDlgItem(tray.memoWindows()[1 - marked]->hwnd(), IDC_MEMO_TEXT))) << marked;
    }
    wchar_t text[256] = L"";
    NMLVGETINFOTIPW tip = {{list, IDC_FIND_LIST, LVN_GETINFOTIPW}, 0, text, 256, 0, 0, 0};
    SendMessageW(window, WM_NOTIFY, IDC_FIND_LIST, reinterpret_cast<LPARAM>(&tip));
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(narrow(text), std::string(80, 'A') + "\r\ntab");
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, FIND_CAPTION, 0), client.right / 3);
}

}  // namespace
