#include "memo/MemoEdit.h"
#include <algorithm>
#include "memo/MemoView.h"
#include "memo/TextLines.h"

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

namespace {
// The editor whose message the edit control is handling: its word-break
// procedure takes no argument to tell.
CMemoEdit* handling = nullptr;
}  // namespace

LRESULT CMemoEdit::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CMemoEdit* outer = handling;
    handling = this;
    LRESULT result = Window::DefWindowProc(message, wParam, lParam);
    handling = outer;
    return result;
}

void CMemoEdit::breakLinesAsTheView() {
    SendMessageW(hwnd(), EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(&CMemoEdit::wordBreak));
}

// `text` is the edit control's text from the start of a line. To wrap a
// line, the control asks for a place to break left of a guess and takes the
// first that fits: Wine's guess may lie well left of where the line is full,
// so that the editor would break early. Asked for a whole text line that does
// not fit, the procedure answers where the view ends the shown line; asked
// again left of that answer (the editor measured it wider), the place to
// break before it.
int CALLBACK CMemoEdit::wordBreak(LPWSTR text, int index, int count, int action) {
    static const wchar_t* lastText = nullptr;
    static int lastAnswer = -1;
    const std::wstring_view line(text, size_t(std::max(count, 0)));
    switch (action) {
    case WB_ISDELIMITER:
        return index >= 0 && index < count && (text[index] == L' ' || text[index] == L'\t');
    case WB_RIGHT:
        while (index < count && !(index > 0 && mayBreakBefore(line, size_t(index)))) ++index;
        return index;
    case WB_LEFT: {
        int answer = index > 0 ? index - 1 : 0;
        while (answer > 0 && !mayBreakBefore(line, size_t(answer))) --answer;
        if (handling && !(text == lastText && index == lastAnswer - 1)) {
            RECT format;
            SendMessageW(handling->hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
            HFONT font = reinterpret_cast<HFONT>(SendMessageW(handling->hwnd(), WM_GETFONT, 0, 0));
            const CharWidths& widths = measuredWidths(handling->hwnd(), font, line);
            const size_t end = line.find(L'\r');
            const size_t shown = wrapEnd(line, 0, std::min(end, line.size()), widths, format.right - format.left);
            // A line that fits is a caret's word move (Ctrl+Left), not wrapping.
            if (shown < std::min(end, line.size())) answer = int(shown);
        }
        lastText = text;
        lastAnswer = answer;
        return answer;
    }
    default:
        return 0;
    }
}
