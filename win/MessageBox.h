// Every message box of the program goes through here: its caption is the
// executable's file name without extension.
#pragma once
#include <string>
#include <windows.h>

namespace win {

std::string appDisplayName();

// MessageBoxA with the program's caption; returns the button pressed.
int showMessage(const char* text, UINT type, HWND owner = nullptr);

}  // namespace win
