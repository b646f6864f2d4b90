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

using namespace testing_support;

namespace {

StoredMemo memo(const std::string& caption, int left) {
    StoredMemo m;
    m.CAPTION = caption;
    m.tabs = {{"a word in " + caption, "tab"}};
    m.RECT_LEFT = left, m.RECT_TOP = 100, m.RECT_RIGHT = left + 200, m.RECT_BOTTOM = 250;
    return m;
}

std::vector<HWND> activated;
LRESULT CALLBACK recordActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) activated.push_back(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The second of three matching memos is deleted while its line is selected:
// Enter then brings no memo forward, and the list no longer has the line.
TEST(FindTest, ALineWhoseMemoWasDeletedGoesNowhere) {
    TempDir dir;
    writeFile("Quillpad.ini", "DEL_CHECK_FLAG-0\r\n");
    writeFile("Quillpad.dat", formatMemos({memo("A", 50), memo("B", 300), memo("C", 550)}));
    CTrayWnd tray;
    ASSERT_TRUE(tray.createWindow());
    SendMessageA(tray.hwnd(), WM_COMMAND, ID_FIND, 0);
    HWND find = findTopLevel(GetCurrentProcessId(), "#32770", "検索");
    ASSERT_NE(find, nullptr);
    SetDlgItemTextA(find, IDC_FIND_TEXT, "WORD");
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
    SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

}  // namespace
