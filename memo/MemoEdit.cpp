#include "memo/MemoEdit.h"

const win::MessageTable* CMemoEdit::messageTable() const {
    static const win::MessageEntry rows[] = {
        win::onMessage(WM_GETDLGCODE, &CMemoEdit::OnGetDlgCode),
        win::onMessage(WM_KEYDOWN, &CMemoEdit::OnKeyDown),
    };
    static const win::MessageTable table(rows, Window::messageTable());
    return &table;
}

// The default answer also tells the edit control that it is in a dialog,
// so that the WM_CHAR of the same Tab press inserts nothing more.
LRESULT CMemoEdit::OnGetDlgCode(WPARAM, LPARAM) { return defaultProcessing() | DLGC_WANTTAB; }

// Shift and Ctrl are not looked at: every Tab press types one tab, as one undoable edit.
LRESULT CMemoEdit::OnKeyDown(WPARAM key, LPARAM) {
    if (key != VK_TAB) return defaultProcessing();
    SendMessageA(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\t"));
    return 0;
}
