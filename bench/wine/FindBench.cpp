// The find window over 500 memos of 3 tabs (about 10 MB of text) in the real
// resident window, under Wine: each keystroke of four searches typed letter
// by letter (from the text before it), until the list and the count are painted; the search alone; and
// beside them a plain pass (std::wstring_view::find) for the same
// characters over the same texts. Then going to a match, until its memo is
// painted in front. The median of five runs. Targets: a keystroke at most 50 ms, going to a match
// at most 100 ms.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "bench/wine/BenchSupport.h"
#include "res/Messages.h"
#include "res/resource.h"
#include "store/ShiftJis.h"
#include "tray/TrayWnd.h"
#include "tests/support/SaveMemoFile.h"

namespace {

constexpr int MEMOS = 500;
constexpr size_t TAB_UNITS = 7000;
const int RUNS = benchOnce() ? 1 : 5;

// A memo of the set, each tab's lines repeated to about TAB_UNITS characters.
StoredMemo longMemo(int index) {
    StoredMemo memo = benchMemo(index);
    for (MemoTab& tab : memo.tabs) {
        const std::wstring lines = tab.text + L"\r\n";
        tab.text.clear();
        while (tab.text.size() + lines.size() <= TAB_UNITS) tab.text += lines;
    }
    return memo;
}

// The matches of `query` in `text`, unit for unit, none overlapping.
size_t plainCount(std::wstring_view text, std::wstring_view query) {
    size_t count = 0;
    for (size_t at = text.find(query); at != std::wstring_view::npos; at = text.find(query, at + query.size())) ++count;
    return count;
}

// What the change left to paint, painted now.
void paint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

}  // namespace

int main() {
    std::vector<StoredMemo> memos;
    size_t units = 0;
    for (int i = 0; i < MEMOS; ++i) {
        memos.push_back(longMemo(i));
        for (const MemoTab& tab : memos.back().tabs) units += tab.text.size() + tab.title.size();
        units += memos.back().CAPTION.size();
    }
    if (!saveMemoFile(MEMO_FILE_NAME, memos)) return 1;
    CTrayWnd tray;
    if (!tray.createWindow()) return 1;
    SendMessageA(tray.hwnd(), WM_COMMAND, ID_FIND, 0);
    HWND find = FindWindowA("#32770", "検索");
    if (!find) return 1;
    HWND text = GetDlgItem(find, IDC_FIND_TEXT), list = GetDlgItem(find, IDC_FIND_LIST);

    std::printf("%d memos of 3 tabs, %.1f M characters of text (%.1f MB in the data file)\n", MEMOS, units / 1e6,
                double(formatMemos(memos).size()) / 1048576.0);
    std::printf("%-12s %-38s %12s %10s %10s %12s\n", "typed", "count shown", "keystroke ms", "search ms", "memmem ms",
                "memmem hits");
    double slowest = 0, worst = 0;
    for (const char* query : {"budget", "見積書を", "ぱすわーど", "zzz"}) {
        for (const char* end = query; *end;) {
            // A keystroke: from what was typed before it, listed and painted.
            const std::wstring earlier = sjis::decode(std::string(query, end));
            end = CharNextA(end);
            const std::string shown(query, end);
            const std::wstring typed = sjis::decode(shown);
            std::vector<double> listed, searched, plain;
            size_t plainHits = 0;
            for (int run = 0; run < RUNS; ++run) {
                SetWindowTextW(text, earlier.c_str());
                paint(find);
                double start = seconds();
                SetWindowTextW(text, typed.c_str());
                paint(find);
                listed.push_back((seconds() - start) * 1000);
                start = seconds();
                FindResults results(typed);
                tray.forEachMemo([&](uint32_t id, const std::wstring& caption, const std::vector<MemoTab>& tabs) {
                    results.addMemo(id, caption, tabs);
                });
                searched.push_back((seconds() - start) * 1000);
                start = seconds();
                plainHits = 0;
                for (const StoredMemo& memo : memos) {
                    plainHits += plainCount(memo.CAPTION, typed);
                    for (const MemoTab& tab : memo.tabs) {
                        plainHits += plainCount(tab.title, typed) + plainCount(tab.text, typed);
                    }
                }
                plain.push_back((seconds() - start) * 1000);
            }
            char count[64] = {};
            GetDlgItemTextA(find, IDC_FIND_COUNT, count, sizeof count);
            std::printf("%-12s %-38s %12.1f %10.1f %10.1f %12zu\n", shown.c_str(), count, median(listed),
                        median(searched), median(plain), plainHits);
            slowest = std::max(slowest, median(listed));
            worst = std::max(worst, *std::max_element(listed.begin(), listed.end()));
        }
    }

    // Going to lines across the list: each brings another memo forward.
    SetWindowTextA(text, "budget");
    const int lines = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<double> going;
    for (int run = 0; run < 4 * RUNS; ++run) {
        LVITEMA state = {};
        state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, run * (lines - 1) / (4 * RUNS - 1), reinterpret_cast<LPARAM>(&state));
        const double start = seconds();
        SendMessageA(find, WM_COMMAND, IDOK, 0);
        paint(GetForegroundWindow());
        going.push_back((seconds() - start) * 1000);
    }
    // F3 from the last listed line to the match after it, found again in the memos.
    std::vector<double> walking;
    const LRESULT listed = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int run = 0; run < RUNS; ++run) {
        LVITEMA state = {};
        state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, listed - 1, reinterpret_cast<LPARAM>(&state));
        const double start = seconds();
        SendMessageA(tray.hwnd(), WM_FIND_KEY, FIND_NEXT, 0);
        paint(GetForegroundWindow());
        walking.push_back((seconds() - start) * 1000);
    }
    char count[96] = {};
    GetDlgItemTextA(find, IDC_FIND_COUNT, count, sizeof count);
    std::printf("F3 past the %ld listed lines: %s, %.1f ms\n", long(listed), count, median(walking));
    std::printf("slowest keystroke %.1f ms, the worst single one %.1f ms (target at most 50); going to a match %.1f ms"
                " (target at most 100)\n", slowest, worst, median(going));
    SendMessageA(tray.hwnd(), WM_CLOSE, 0, 0);
    DeleteFileA(MEMO_FILE_NAME);
    return 0;
}
