#include "win/Controls.h"
#include <commctrl.h>

namespace win {

std::wstring widen(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::wstring windowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
    return text;
}

void setWindowText(HWND window, const std::wstring& text) { SetWindowTextW(window, text.c_str()); }

namespace {
TCITEMW titleItem(const std::wstring& title) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(title.c_str());
    return item;
}
}  // namespace

void selectAllText(HWND control) {
    wchar_t name[8] = {};
    GetClassNameW(control, name, 8);
    if (lstrcmpiW(name, L"Edit") == 0) SendMessageW(control, EM_SETSEL, 0, -1);
}

void insertTab(HWND tabs, int index, const std::wstring& title) {
    TCITEMW item = titleItem(title);
    SendMessageW(tabs, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void setTabTitle(HWND tabs, int index, const std::wstring& title) {
    TCITEMW item = titleItem(title);
    SendMessageW(tabs, TCM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void showAndEnable(HWND control, bool on) {
    ShowWindow(control, on ? SW_SHOW : SW_HIDE);
    EnableWindow(control, on);
}

bool hasVisibleStyle(HWND control) { return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

// A style set anew costs a round trip to Wine's server and two messages.
void setStyle(HWND window, DWORD bits, bool on) {
    const DWORD style = GetWindowLongA(window, GWL_STYLE), wanted = on ? style | bits : style & ~bits;
    if (wanted != style) SetWindowLongA(window, GWL_STYLE, wanted);
}

void checkMenuItem(HMENU menu, UINT id, bool on) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void enableMenuItem(HMENU menu, UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

}  // namespace win
