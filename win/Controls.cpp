#include "win/Controls.h"
#include <commctrl.h>

namespace win {

std::string windowText(HWND window) {
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, &text[0], static_cast<int>(text.size())));
    return text;
}

namespace {
TCITEMA titleItem(const std::string& title) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(title.c_str());
    return item;
}
}  // namespace

void selectAllText(HWND control) {
    char name[8] = {};
    GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Edit") == 0) SendMessageA(control, EM_SETSEL, 0, -1);
}

void insertTab(HWND tabs, int index, const std::string& title) {
    TCITEMA item = titleItem(title);
    SendMessageA(tabs, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

void setTabTitle(HWND tabs, int index, const std::string& title) {
    TCITEMA item = titleItem(title);
    SendMessageA(tabs, TCM_SETITEMA, index, reinterpret_cast<LPARAM>(&item));
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
