// Small operations on controls and menus that several windows share.
#pragma once
#include <string>
#include <windows.h>

namespace win {

// The text of a window or control.
std::string windowText(HWND window);

// A tab control's item: inserted at `index`, or given a new title.
void insertTab(HWND tabs, int index, const std::string& title);
void setTabTitle(HWND tabs, int index, const std::string& title);

// Shown and enabled, or hidden and disabled: a hidden control takes no
// dialog keys (Enter on a hidden default button, a hidden tab stop).
void showAndEnable(HWND control, bool on);
// Whether the control's own visible style is set, whatever its parent's state.
bool hasVisibleStyle(HWND control);
void setStyle(HWND window, DWORD bits, bool on);

// Ctrl+A: all of the text of `control` selected, when it is an edit control.
void selectAllText(HWND control);

void checkMenuItem(HMENU menu, UINT id, bool on);
void enableMenuItem(HMENU menu, UINT id, bool on);

}  // namespace win
