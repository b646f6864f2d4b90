// Long notes in the real memo windows: a tab of 1 MB is loaded, shown, edited
// at its end and saved without losing a byte, and typing goes on past the
// edit control's default limit of about 32,000 characters.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <climits>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "memo/MemoView.h"
#include "memo/TextLines.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "store/MemoSync.h"
#include "tray/TrayWnd.h"

using namespace testing_support;

namespace {

// Lines of Shift-JIS and ASCII, CR LF each, up to `size` bytes.
std::string longText(size_t size) {
    const std::string line = "長いメモの一行 0123456789 abcdefghijklmnopqrstuvwxyz\r\n";
    std::string text;
    text.reserve(size);
    while (text.size() + line.size() <= size) text += line;
    return text;
}

StoredMemo memoWith(const std::string& text) {
    StoredMemo memo;
    memo.tabs = {MemoTab{wide(text), L"長い"}};
    memo.CAPTION = L"long";
    memo.RECT_LEFT = 100;
    memo.RECT_TOP = 100;
    memo.RECT_RIGHT = 400;
    memo.RECT_BOTTOM = 300;
    return memo;
}

// A control's whole text (itemText reads a short one).
std::string wholeText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, &text[0], static_cast<int>(text.size())));
    return text;
}

// Where two long strings first differ, for a message shorter than they are.
size_t firstDifference(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

class LongNoteTest : public ::testing::Test {
protected:
    TempDir dir;
    CTrayWnd tray;

    // "終了(&X)" saves; the quit message that the window's end posts is dropped.
    void TearDown() override {
        if (IsWindow(tray.hwnd())) SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    // A double-click on the memo's text opens edit mode; answers its editor.
    static HWND edit(CMemoDlg& memo) {
        RECT r;
        GetWindowRect(GetDlgItem(memo.hwnd(), IDC_MEMO_TEXT), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(memo.hwnd(), WM_LBUTTONDBLCLK, 0, 0);
        return GetDlgItem(memo.hwnd(), IDC_MEMO_EDITOR);
    }
    // Typing at the caret: one character message per character.
    static void type(HWND editor, const char* keys) {
        for (const char* k = keys; *k; ++k) SendMessageA(editor, WM_CHAR, static_cast<unsigned char>(*k), 1);
    }
};

TEST_F(LongNoteTest, MegabyteTabIsShownEditedAtItsEndAndSavedWhole) {
    const std::string text = longText(1 << 20);
    writeFile("Quillpad.dat", formatMemos({memoWith(text)}));
    ASSERT_TRUE(tray.createWindow());
    ASSERT_EQ(tray.memoWindows().size(), 1u);
    CMemoDlg& memo = *tray.memoWindows()[0];
    RedrawWindow(memo.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(wholeText(memo.hwnd(), IDC_MEMO_TEXT) == text);

    HWND editor = edit(memo);
    ASSERT_TRUE(memo.editMode());
    EXPECT_TRUE(wholeText(memo.hwnd(), IDC_MEMO_EDITOR) == text);
    SendMessageA(editor, EM_SETSEL, INT_MAX, INT_MAX);
    SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("末尾"));
    type(editor, "end\r.");
    SendMessageA(memo.hwnd(), WM_COMMAND, IDOK, 0);

    const std::string edited = text + "末尾end\r\n.";
    const std::string kept = narrow(memo.getTabs()[0].text);
    EXPECT_TRUE(kept == edited) << "differs at " << firstDifference(kept, edited);
    // The memo keeps the identity that its place and stored content gave it.
    std::vector<StoredMemo> saved;
    parseMemos(readFile("Quillpad.dat"), {}, [&](const StoredMemo& m) { saved.push_back(m); });
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].MEMO_ID, derivedMemoId(memoWith(text), 0));
    StoredMemo expected = memoWith(edited);
    expected.MEMO_ID = saved[0].MEMO_ID, expected.MEMO_VERSION = saved[0].MEMO_VERSION;
    const std::string file = formatMemos(saved), wanted = formatMemos({expected});
    EXPECT_TRUE(file == wanted) << "differs at " << firstDifference(file, wanted);
}

TEST_F(LongNoteTest, TypingGoesOnPastThirtyTwoThousandCharacters) {
    ASSERT_TRUE(tray.createWindow());
    SendMessageA(tray.hwnd(), WM_COMMAND, ID_ADD_MEMO, 0);
    CMemoDlg& memo = *tray.memoWindows().back();
    HWND editor = edit(memo);
    ASSERT_TRUE(memo.editMode());
    // Beyond the old limits of 32,767 and 65,535 characters.
    const std::string pasted = longText(100000);
    SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
    type(editor, "more");
    SendMessageA(memo.hwnd(), WM_COMMAND, IDOK, 0);
    const std::string text = narrow(memo.getTabs()[0].text);
    EXPECT_EQ(text.size(), pasted.size() + 4);
    EXPECT_TRUE(text == pasted + "more") << "differs at " << firstDifference(text, pasted + "more");
    EXPECT_NE(readFile("Quillpad.dat").find("\r\nmore\r\n[MEMO_END]"), std::string::npos);
}

// Short lines: a line of the view is a line of the editor.
TEST_F(LongNoteTest, PlaceIsKeptPerTabAndThroughEditMode) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    StoredMemo stored = memoWith(text);
    stored.tabs.push_back(MemoTab{wide(text), L"two"});
    writeFile("Quillpad.dat", formatMemos({stored}));
    ASSERT_TRUE(tray.createWindow());
    CMemoDlg& memo = *tray.memoWindows()[0];
    HWND view = GetDlgItem(memo.hwnd(), IDC_MEMO_TEXT), tabs = GetDlgItem(memo.hwnd(), IDC_MEMO_TABS);
    auto top = [&] { return GetScrollPos(view, SB_VERT); };
    EXPECT_TRUE(GetWindowLongA(view, GWL_STYLE) & WS_VSCROLL);
    SendMessageA(memo.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -2 * WHEEL_DELTA), 0);
    SendMessageA(view, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(top(), 7);
    SendMessageA(tabs, TCM_SETCURFOCUS, 1, 0);
    EXPECT_EQ(top(), 0);
    SendMessageA(tabs, TCM_SETCURFOCUS, 0, 0);
    EXPECT_EQ(top(), 7);
    // The whole text is selected, the editor stays where the view was, and
    // the view goes on where the editor was.
    HWND editor = edit(memo);
    EXPECT_EQ(SendMessageA(editor, EM_GETFIRSTVISIBLELINE, 0, 0), 7);
    DWORD start = 1, end = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(end - start, text.size());
    SendMessageA(editor, EM_LINESCROLL, 0, 10);
    SendMessageA(memo.hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(top(), 17);
    // One key replaces the whole note; Escape brings the note back where it was read.
    type(edit(memo), "x");
    SendMessageA(memo.hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(top(), 17);
}

// The first dark column of a window's row `y` (client pixels), its right end being background.
int firstInk(HWND window, int y) {
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    const COLORREF background = GetPixel(dc, r.right - 1, y);
    int x = 0;
    while (x < r.right && GetPixel(dc, x, y) == background) ++x;
    ReleaseDC(window, dc);
    return x;
}

// A tab stop is as wide in both modes; wrapping holds in edit mode too, and
// switching it there keeps the typing and the selection.
TEST_F(LongNoteTest, BothModesShowTheTextAlike) {
    StoredMemo stored = memoWith("\tX\r\n" + longText(1000));
    stored.appearance.WORDWRAP_FLAG = true;
    writeFile("Quillpad.dat", formatMemos({stored}));
    ASSERT_TRUE(tray.createWindow());
    CMemoDlg& memo = *tray.memoWindows()[0];
    HWND view = GetDlgItem(memo.hwnd(), IDC_MEMO_TEXT);
    RedrawWindow(memo.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const int inView = firstInk(view, 6);
    HWND editor = edit(memo);
    SendMessageA(editor, EM_SETSEL, 4, 4);  // neither the selection nor the caret on the first line
    RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT format;
    SendMessageA(editor, EM_GETRECT, 0, (LPARAM)&format);
    EXPECT_GT(inView, 40);
    EXPECT_EQ(firstInk(editor, format.top + 6) - format.left, inView);
    EXPECT_FALSE(GetWindowLongA(editor, GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_TRUE(GetWindowLongA(editor, GWL_STYLE) & WS_VSCROLL);
    SendMessageA(editor, EM_SETSEL, 0, 0);
    type(editor, "typed");
    SendMessageA(editor, EM_SETSEL, 2, 7);
    SendMessageA(memo.hwnd(), WM_COMMAND, ID_WORDWRAP, 0);
    editor = GetDlgItem(memo.hwnd(), IDC_MEMO_EDITOR);
    EXPECT_TRUE(GetWindowLongA(editor, GWL_STYLE) & ES_AUTOHSCROLL);
    DWORD start = 0, end = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(std::vector<DWORD>({start, end}), std::vector<DWORD>({2, 7}));
    EXPECT_EQ(wholeText(memo.hwnd(), IDC_MEMO_EDITOR).substr(0, 8), "typed\tX\r");
    EXPECT_EQ(GetFocus(), editor);
}

}  // namespace

namespace {

// Real text: kana and kanji with their punctuation, brackets, digits, a file
// name and an address in Latin letters.
const wchar_t* const READ_ME =
    L"このメモ帳は、デスクトップに貼る付箋のように使えます。文字を入力すると、その内容はすぐにファイルへ保存され、"
    L"次に起動したときも同じ場所に表示されます。\r\n"
    L"長い文章を書くときは「文字の折返し」を有効にしてください。ウィンドウの幅に合わせて行が折り返され、句読点"
    L"（。や、）が行の先頭に来ないように調整されます。\r\n"
    L"設定ファイルQuillpad.iniには、ホットキーやスナップの幅（初期値は10ピクセル）などが保存されます。"
    L"詳しくはREADMEを参照してください：https://example.com/quillpad/docs?lang=ja 0123456789012345678901234567890\r\n"
    L"コンピューターの電源を切る前に、必ず保存されていることを確認しましょう！バックアップは毎日自動で作られます。";

}  // namespace

// At every width, the editor's lines begin where the view's do.
TEST_F(LongNoteTest, EditorBreaksLinesWhereTheViewDoes) {
    StoredMemo stored = memoWith("");
    stored.tabs = {MemoTab{READ_ME, L"t"}};
    stored.appearance.WORDWRAP_FLAG = true;
    writeFile("Quillpad.dat", formatMemos({stored}));
    ASSERT_TRUE(tray.createWindow());
    CMemoDlg& memo = *tray.memoWindows()[0];
    HWND editor = edit(memo);
    const std::wstring text = memo.getTabs()[0].text;
    const CharWidths& widths =
        measuredWidths(editor, reinterpret_cast<HFONT>(SendMessageW(editor, WM_GETFONT, 0, 0)), text);
    for (int width : {150, 187, 240, 301, 377, 460}) {
        SCOPED_TRACE(width);
        SetWindowPos(memo.hwnd(), nullptr, 0, 0, width, 500, SWP_NOMOVE | SWP_NOZORDER);
        RECT format;
        SendMessageW(editor, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        std::vector<uint32_t> starts;
        for (LRESULT line = 0, count = SendMessageW(editor, EM_GETLINECOUNT, 0, 0); line < count; ++line) {
            const auto start = uint32_t(SendMessageW(editor, EM_LINEINDEX, line, 0));
            if (start < text.size()) starts.push_back(start);  // not the empty line after the last line end
        }
        EXPECT_EQ(starts, breakLines(text, widths, format.right - format.left).starts);
    }
}
