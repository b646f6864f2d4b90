// Opening the restore dialog with 121 generations of a 5 MB data file (the
// most retention keeps), under Wine: the time until the dialog is up with the
// newest generation previewed, and until every line names its memos, against
// reading and parsing every generation once (what opening the dialog cost when
// it read them all first). Target: the dialog is up within about a second.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "bench/wine/BenchSupport.h"
#include "dialogs/RestoreDlg.h"
#include "res/resource.h"
#include "store/DataFile.h"
#include "tests/support/SaveMemoFile.h"

namespace {

const int GENERATIONS = benchOnce() ? 3 : 121;
constexpr size_t FILE_BYTES = 5 * 1024 * 1024;

std::vector<StoredMemo> fiveMegabytes() {
    std::vector<StoredMemo> memos;
    size_t bytes = 0;
    for (int i = 0; bytes < FILE_BYTES; ++i) {
        memos.push_back(benchMemo(i));
        for (const MemoTab& tab : memos.back().tabs) bytes += tab.text.size() + 64;
    }
    return memos;
}

}  // namespace

int main() {
    CreateDirectoryA("backup", nullptr);
    if (!saveMemoFile("backup\\Quillpad-20260101-000000.dat", fiveMegabytes())) return 1;
    for (int i = 1; i < GENERATIONS; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "backup\\Quillpad-2026%02d%02d-000000.dat", 1 + i / 28, 1 + i % 28);
        if (!CopyFileA("backup\\Quillpad-20260101-000000.dat", name, FALSE)) return 1;
    }
    DataFile file(MEMO_FILE_NAME);
    double start = seconds();
    size_t memos = 0;
    for (const generations::Generation& g : file.generations()) {
        loadMemoFile(g.path.c_str(), {}, [&](const StoredMemo&) { ++memos; });
    }
    const double readAll = seconds() - start;

    start = seconds();
    CRestoreDlg dialog(file, [] { return false; });
    if (!dialog.createModeless(nullptr)) return 1;
    ShowWindow(dialog.hwnd(), SW_SHOW);
    UpdateWindow(dialog.hwnd());
    const double open = seconds() - start;
    HWND list = dialog.item(IDC_RESTORE_LIST);
    auto complete = [&] {
        for (int i = 0; i < GENERATIONS; ++i) {
            if (SendMessageA(list, LB_GETTEXTLEN, i, 0) <= 20) return false;  // the time alone
        }
        return true;
    };
    MSG msg;
    while (!complete() && GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    const double filled = seconds() - start;
    std::printf("restore dialog with %d generations of %zu bytes (%zu memos each):\n", GENERATIONS, FILE_BYTES,
                memos / GENERATIONS);
    std::printf("  reading every generation:      %.0f ms\n", readAll * 1000);
    std::printf("  the dialog up, newest previewed: %.0f ms\n", open * 1000);
    std::printf("  every line complete:             %.0f ms\n", filled * 1000);
    dialog.endDialog(IDCANCEL);
    return 0;
}
