// Long notes in the real memo windows: a tab of 1 MB is loaded, shown, edited
// at its end and saved without losing a byte, and typing goes on past the
// edit control's default limit of about 32,000 characters.
#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <string>
#include "TestSupport.h"
#include "res/resource.h"
#include "store/MemoFile.h"
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
    memo.tabs = {MemoTab{text, "長い"}};
    memo.CAPTION = "long";
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
    EXPECT_TRUE(memo.getTabs()[0].text == edited) << "differs at " << firstDifference(memo.getTabs()[0].text, edited);
    const std::string expected = formatMemos({memoWith(edited)}), saved = readFile("Quillpad.dat");
    EXPECT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected) << "differs at " << firstDifference(saved, expected);
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
    const std::string& text = memo.getTabs()[0].text;
    EXPECT_EQ(text.size(), pasted.size() + 4);
    EXPECT_TRUE(text == pasted + "more") << "differs at " << firstDifference(text, pasted + "more");
    EXPECT_NE(readFile("Quillpad.dat").find("\r\nmore\r\n[MEMO_END]"), std::string::npos);
}

}  // namespace
