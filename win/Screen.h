// Where windows may lie: the primary screen's work area (without the
// taskbar), the virtual screen of all monitors, and each monitor's work area.
#pragma once
#include <windows.h>
#include <vector>

namespace win {

RECT workArea();
RECT virtualScreen();

// The work area of every monitor of the desktop, the primary's first; within
// a ReadBatch (base/ReadBatch.h) the monitors are read once.
std::vector<RECT> workAreas();

}  // namespace win
