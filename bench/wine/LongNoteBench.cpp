// Loading about 10 MB of notes through the real resident window and memo
// windows, under Wine: as long notes (1 MB a tab) and as the same bytes in
// 1,000 small memos of 10 KB. Prints, for each, the time until the
// end of loadMemos, until every memo is painted, and the exit (a save and the
// windows' end); the median of three runs. Target: long notes load in at most
// twice the time of the small memos. Then, reading a memo of ten wrapped 1 MB
// tabs: a wheel step and a switch of tabs, each until the memo is painted
// again. Targets: at most 16 ms and 50 ms.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>
#include "bench/wine/BenchSupport.h"
#include "res/resource.h"
#include "store/MemoFile.h"
#include "store/ShiftJis.h"
#include "tray/TrayWnd.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Layout {
    const char* name;
    int memos, tabs;
    size_t tabBytes;
};

// Lines of Shift-JIS and ASCII, CR LF each.
std::string tabText(size_t size) {
    const std::string line = "日本語のメモ 0123456789 long note text\r\n";
    std::string text;
    while (text.size() + line.size() <= size) text += line;
    return text;
}

std::string dataFile(const Layout& layout, bool wrap = false) {
    std::vector<StoredMemo> memos(layout.memos);
    const std::string text = tabText(layout.tabBytes);
    for (int i = 0; i < layout.memos; ++i) {
        StoredMemo& m = memos[i];
        m.CAPTION = L"memo " + std::to_wstring(i);
        m.RECT_LEFT = i % 700, m.RECT_TOP = i % 600;
        m.RECT_RIGHT = m.RECT_LEFT + 300, m.RECT_BOTTOM = m.RECT_TOP + 150;
        m.tabs.assign(layout.tabs, MemoTab{sjis::decode(text), L"tab"});
        m.appearance.WORDWRAP_FLAG = wrap;
    }
    return formatMemos(memos);
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Times {
    double loaded, painted, exited;
};

// One start and exit of the resident window in the current directory.
Times run() {
    Times t;
    auto start = Clock::now();
    CTrayWnd tray;
    if (!tray.createWindow()) {
        std::fprintf(stderr, "the resident window was not created\n");
        std::exit(1);
    }
    t.loaded = msSince(start);
    for (const auto& memo : tray.memoWindows()) {
        RedrawWindow(memo->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    t.painted = msSince(start);
    auto exitStart = Clock::now();
    SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
    t.exited = msSince(exitStart);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    return t;
}

// Milliseconds of `act` and the memo's painting after it.
template <class F>
double paintedAfter(HWND memo, F act) {
    auto start = Clock::now();
    act();
    RedrawWindow(memo, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return msSince(start);
}

void printFigures(const char* what, std::vector<double> ms, double target) {
    const double slowest = *std::max_element(ms.begin(), ms.end());
    std::printf("%-44s median %6.1f ms, slowest %6.1f ms (target at most %.0f ms: %s)\n", what, median(ms), slowest,
                target, slowest <= target ? "met" : "MISSED");
}

void reading() {
    std::ofstream("Quillpad.dat", std::ios::binary) << dataFile({"", 1, 10, 1 << 20}, true);
    CTrayWnd tray;
    if (!tray.createWindow() || tray.memoWindows().empty()) std::exit(1);
    HWND memo = tray.memoWindows()[0]->hwnd();
    HWND view = GetDlgItem(memo, IDC_MEMO_TEXT), tabs = GetDlgItem(memo, IDC_MEMO_TABS);
    RedrawWindow(memo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<double> wheel, switched;
    for (int i = 0; i < 30; ++i) {
        WPARAM notch = MAKEWPARAM(0, i < 20 ? -WHEEL_DELTA : WHEEL_DELTA);
        wheel.push_back(paintedAfter(memo, [&] { SendMessageA(view, WM_MOUSEWHEEL, notch, 0); }));
    }
    for (int i = 1; i < 10; ++i) {
        switched.push_back(paintedAfter(memo, [&] { SendMessageA(tabs, TCM_SETCURFOCUS, i, 0); }));
    }
    printFigures("A wheel step on a wrapped 1 MB tab:", wheel, 16);
    printFigures("A switch to another wrapped 1 MB tab:", switched, 50);
    SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "long_note_bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());

    const Layout layouts[] = {
        {"10 memos, one 1 MB tab each", 10, 1, 1 << 20},
        {"1 memo, ten 1 MB tabs", 1, 10, 1 << 20},
        {"1,000 memos, one 10 KB tab each", 1000, 1, 10 << 10},
    };
    std::printf("%-34s %8s %10s %10s %10s\n", "data file", "MB", "loaded ms", "shown ms", "exit ms");
    std::vector<double> shown;
    for (const Layout& layout : layouts) {
        const std::string bytes = dataFile(layout);
        std::vector<double> loaded, painted, exited;
        for (int i = 0; i < (benchOnce() ? 1 : 3); ++i) {
            std::ofstream("Quillpad.dat", std::ios::binary) << bytes;
            Times t = run();
            loaded.push_back(t.loaded);
            painted.push_back(t.painted);
            exited.push_back(t.exited);
        }
        std::printf("%-34s %8.1f %10.0f %10.0f %10.0f\n", layout.name, bytes.size() / 1048576.0, median(loaded),
                    median(painted), median(exited));
        shown.push_back(median(painted));
    }
    std::printf("long notes against small memos, until shown: %.2fx and %.2fx (target at most 2x)\n",
                shown[0] / shown[2], shown[1] / shown[2]);
    reading();
    DeleteFileA("Quillpad.dat");
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(folder.c_str());
    return 0;
}
