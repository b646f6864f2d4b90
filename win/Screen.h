// Where windows may lie: the primary screen's work area (without the
// taskbar) and the virtual screen of all monitors.
#pragma once
#include <windows.h>

namespace win {

RECT workArea();
RECT virtualScreen();

}  // namespace win
