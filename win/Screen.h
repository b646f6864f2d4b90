// Where windows may lie: the primary screen's work area (without the
// taskbar), the virtual screen of all monitors, and each monitor's work area.
#pragma once
#include <windows.h>
#include <vector>

namespace win {

RECT workArea();
RECT virtualScreen();

// The work area of every monitor of the desktop, the primary's first.
std::vector<RECT> workAreas();

// While one lives, workAreas() answers from one reading of the monitors: each
// memo of a load asks, and each asking costs Wine several server calls.
class WorkAreasOnce {
public:
    WorkAreasOnce();
    ~WorkAreasOnce();
    WorkAreasOnce(const WorkAreasOnce&) = delete;
    WorkAreasOnce& operator=(const WorkAreasOnce&) = delete;
};

}  // namespace win
