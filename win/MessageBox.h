// Every message box of the program goes through here: its caption is the
// executable's file name without extension.
#pragma once
#include <string>
#include <windows.h>

namespace win {

std::string appDisplayName();

// A message box with the program's caption; returns the button pressed.
// Unicode, as it may name a memo or a tab.
int showMessage(const std::wstring& text, UINT type, HWND owner = nullptr);
int showMessage(const char* text, UINT type, HWND owner = nullptr);

// The exclamation box of an expected condition (a file that cannot be written...).
inline void showWarning(const char* text, HWND owner = nullptr) {
    showMessage(text, MB_OK | MB_ICONEXCLAMATION, owner);
}
// The information box of something the user should know (nothing was lost).
inline void showNotice(const char* text, HWND owner = nullptr) {
    showMessage(text, MB_OK | MB_ICONINFORMATION, owner);
}
// A Yes/No question; true for Yes. No is the default button: every question
// asks before something is lost, and a stray Enter must lose nothing.
inline bool askYesNo(const std::wstring& text, HWND owner = nullptr) {
    return showMessage(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, owner) == IDYES;
}
inline bool askYesNo(const char* text, HWND owner = nullptr) {
    return showMessage(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, owner) == IDYES;
}

}  // namespace win
