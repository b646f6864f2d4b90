#include "win/Screen.h"
#include "base/ReadBatch.h"

namespace win {

RECT workArea() {
    RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return area;
}

RECT virtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {
BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    auto& all = *reinterpret_cast<std::vector<RECT>*>(list);
    all.insert(info.dwFlags & MONITORINFOF_PRIMARY ? all.begin() : all.end(), info.rcWork);
    return TRUE;
}

ReadBatch::Once<std::vector<RECT>> areas;
}  // namespace

std::vector<RECT> workAreas() {
    return areas.get([] {
        std::vector<RECT> all;
        EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&all));
        if (all.empty()) all.push_back(workArea());
        return all;
    });
}

}  // namespace win
