// The find window over the memos of the real resident window.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "tray/TrayWnd.h"
#include "win/Dialog.h"

using namespace testing_support;

namespace {

StoredMemo memo(const std::string& caption, int left) {
    StoredMemo m;
    m.CAPTION = caption;
    m.tabs = {{"a word in " + caption, "tab"}};
    m.RECT_LEFT = left, m.RECT_TOP = 100, m.RECT_RIGHT = left + 200, m.RECT_BOTTOM = 250;
    return m;
}

// The find window from the tray menu, with `typed` in its text.
HWND openFind(CTrayWnd& tray, const char* typed) {
    SendMessageA(tray.hwnd(), WM_COMMAND, ID_FIND, 0);
    HWND find = findTopLevel(GetCurrentProcessId(), "#32770", "検索");
    if (find) SetDlgItemTextA(find, IDC_FIND_TEXT, typed);
    return find;
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
};

std::vector<HWND> activated;
LRESULT CALLBACK recordActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) activated.push_back(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The second of three matching memos is deleted while its line is selected:
// Enter then brings no memo forward, and the list no longer has the line.
TEST_F(FindTest, ALineWhoseMemoWasDeletedGoesNowhere) {
    writeFile("Quillpad.ini", "DEL_CHECK_FLAG-0\r\n");
    writeFile("Quillpad.dat", formatMemos({memo("A", 50), memo("B", 300), memo("C", 550)}));
    ASSERT_TRUE(tray.createWindow());
    HWND find = openFind(tray, "WORD");
    ASSERT_NE(find, nullptr);
    HWND list = GetDlgItem(find, IDC_FIND_LIST);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(itemText(find, IDC_FIND_COUNT), "3 件 (3 個のメモ)");

    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(tray.memoWindows()[1]->hwnd(), WM_COMMAND, ID_DELETE_MEMO, 0);
    activated.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, recordActivation, nullptr, GetCurrentThreadId());
    SendMessageA(find, WM_COMMAND, IDOK, 0);
    UnhookWindowsHookEx(hook);
    for (const auto& slot : tray.memoWindows()) {
        EXPECT_EQ(std::count(activated.begin(), activated.end(), slot->hwnd()), 0) << slot->getCaption();
    }
    pumpFor(200);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(itemText(find, IDC_FIND_COUNT), "2 件 (2 個のメモ)");
}

// Whether row `y` of the window shows the highlight colour.
bool highlightIn(HWND window, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    bool found = false;
    for (int x = 0; x < r.right && !found; ++x) found = GetPixel(dc, x, y) == GetSysColor(COLOR_HIGHLIGHT);
    ReleaseDC(window, dc);
    return found;
}

// A match on the second tab of a collapsed memo: the memo comes expanded on
// that tab, its line in view and marked until the next key in the memo.
TEST_F(FindTest, GoingToAMatchShowsItsLineMarked) {
    StoredMemo stored = memo("A", 100);
    stored.tabs.push_back({"", "long"});
    for (int i = 0; i < 200; ++i) {
        stored.tabs[1].text += (i == 150 ? "the needle " : "line ") + std::to_string(i) + "\r\n";
    }
    stored.appearance.COMPACT_FLAG = true;
    writeFile("Quillpad.dat", formatMemos({stored}));
    ASSERT_TRUE(tray.createWindow());
    CMemoDlg& memo = *tray.memoWindows()[0];
    SendMessageA(openFind(tray, "needle"), WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(memo.getAppearance().COMPACT_FLAG);
    EXPECT_EQ(memo.getSelectedTab(), 1);
    HWND view = GetDlgItem(memo.hwnd(), IDC_MEMO_TEXT);
    TEXTMETRICA font = {};
    HDC dc = GetDC(view);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(view, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &font);
    ReleaseDC(view, dc);
    RECT r;
    GetClientRect(view, &r);
    const int shown = 150 - GetScrollPos(view, SB_VERT);
    ASSERT_GE(shown, 0);
    ASSERT_LT(shown, r.bottom / font.tmHeight);
    EXPECT_TRUE(highlightIn(view, shown * font.tmHeight + font.tmHeight / 2));
    MSG key = {view, WM_KEYDOWN, VK_SHIFT, 0, 0, {}};
    win::Dialog::routeToModeless(key);
    EXPECT_FALSE(highlightIn(view, shown * font.tmHeight + font.tmHeight / 2));
}

}  // namespace
