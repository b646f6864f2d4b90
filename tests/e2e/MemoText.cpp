// memo_text: what every memo of the running program shows, read through
// WM_GETTEXT in Unicode and printed as UTF-8: its caption, then its text.
#include <windows.h>
#include <cstdio>
#include <string>
#include "res/resource.h"

namespace {

void print(HWND control) {
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, sizeof text / sizeof *text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        5000, &copied);
    std::string utf8(4 * copied + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text, int(copied), &utf8[0], int(utf8.size()), nullptr, nullptr));
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputs("\n", stdout);
}

BOOL CALLBACK eachWindow(HWND window, LPARAM) {
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    if (IsWindowVisible(window) && std::wstring(title) == L"クイルパッド") {
        print(GetDlgItem(window, IDC_MEMO_CAPTION));
        print(GetDlgItem(window, IDC_MEMO_TEXT));
    }
    return TRUE;
}

}  // namespace

int main() {
    EnumWindows(eachWindow, 0);
    return 0;
}
