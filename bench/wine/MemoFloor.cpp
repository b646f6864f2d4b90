// The floor of the start-up benchmark: a bare program that creates N memo
// windows from the memo template, owned by one hidden window, with the
// memo's tab items, caption and text, shows them and waits. Nothing of the
// program's own work: no settings, no saves, no layout.
//   memo_floor N
#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include "bench/wine/BenchSupport.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK memoProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const int count = atoi(commandLine);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    for (int i = 0; i < count; ++i) {
        const StoredMemo memo = benchMemo(i);
        HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MEMO), owner, memoProc, 0);
        if (!dialog) return 1;
        HWND tabs = GetDlgItem(dialog, IDC_MEMO_TABS);
        for (size_t t = 0; t < memo.tabs.size(); ++t) {
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(memo.tabs[t].title.c_str());
            SendMessageW(tabs, TCM_INSERTITEMW, t, reinterpret_cast<LPARAM>(&item));
        }
        SetDlgItemTextW(dialog, IDC_MEMO_CAPTION, memo.CAPTION.c_str());
        SetDlgItemTextW(dialog, IDC_MEMO_TEXT, memo.tabs[memo.MEMO_SELECT_INDEX].text.c_str());
        SetWindowPos(dialog, HWND_TOP, memo.RECT_LEFT, memo.RECT_TOP, memo.RECT_RIGHT - memo.RECT_LEFT,
                     memo.RECT_BOTTOM - memo.RECT_TOP, SWP_SHOWWINDOW);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
