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
// so that the WM_CHAR of the same Tab press inserts nothing more. Without
// DLGC_HASSETSEL the dialog manager leaves the selection alone when the
// focus comes back (Ctrl+Tab, the memo activated again): typing never
// replaces the whole note.
LRESULT CMemoEdit::OnGetDlgCode(WPARAM, LPARAM) { return (defaultProcessing() | DLGC_WANTTAB) & ~DLGC_HASSETSEL; }

// Shift is not looked at: every Tab press that reaches the editor types one
// tab, as one undoable edit (Ctrl+Tab is the memo's).
LRESULT CMemoEdit::OnKeyDown(WPARAM key, LPARAM) {
    if (key != VK_TAB) return defaultProcessing();
    SendMessageA(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\t"));
    return 0;
}
