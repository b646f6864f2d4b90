// One save of 500 memos under Wine with and without a generation (a hard link
// of the old file and the retention's appearance at the backup folder): the median
// of many saves each, taken in blocks in turns, since a save's flush also pays
// for the folder changes of the save before it; and the generation alone.
// Target: the generation adds almost nothing. Last, the program's own save
// (store/DataFile.h: the change check, then the replace) in turns with the
// plain one: target at most 2x.
#include <windows.h>
#include <cstdio>
#include <vector>
#include "bench/wine/BenchSupport.h"
#include "store/DataFile.h"
#include "store/Generations.h"
#include "store/MemoFile.h"
#include "tests/support/SaveMemoFile.h"

namespace {

constexpr int MEMOS = 500;
constexpr int BLOCKS = 8;
constexpr int BLOCK_SAVES = 10;

// A new last-write time for every save, a second apart, so that each
// generation gets a name of its own; retention keeps the folder near 31 files.
void stampDataFile(int n) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wHour = 0, now.wMinute = WORD(n / 60 % 60), now.wSecond = WORD(n % 60), now.wMilliseconds = 0;
    SYSTEMTIME utc;
    FILETIME time;
    TzSpecificLocalTimeToSystemTime(nullptr, &now, &utc);
    SystemTimeToFileTime(&utc, &time);
    HANDLE h = CreateFileA(MEMO_FILE_NAME, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
}

}  // namespace

int main() {
    std::vector<StoredMemo> memos;
    for (int i = 0; i < MEMOS; ++i) memos.push_back(benchMemo(i));
    if (!saveMemoFile(MEMO_FILE_NAME, memos)) return 1;
    generations::GenerationRun run;
    std::vector<double> plain, kept, alone;
    int made = 0, stamp = 0;
    for (int i = 0; i < BLOCKS * BLOCK_SAVES; ++i) {
        const bool keep = i / BLOCK_SAVES % 2;
        stampDataFile(stamp++);
        memos[0].CAPTION = std::to_wstring(i);  // a state of its own: a generation of the same bytes is made once
        const double start = seconds();
        const bool saved = keep ? run.save(MEMO_FILE_NAME, formatMemos(memos), true) : saveMemoFile(MEMO_FILE_NAME, memos);
        const double ms = (seconds() - start) * 1000;
        if (!saved) return 1;
        (keep ? kept : plain).push_back(ms);
        made += keep && run.lastKeep() == generations::KeepResult::Made;
    }
    for (int i = 0; i < BLOCKS * BLOCK_SAVES / 2; ++i) {
        stampDataFile(stamp++);
        memos[0].CAPTION = L"alone " + std::to_wstring(i);
        if (!saveMemoFile(MEMO_FILE_NAME, memos)) return 1;
        stampDataFile(stamp);
        const double start = seconds();
        made += run.keepNow(MEMO_FILE_NAME) == generations::KeepResult::Made;
        alone.push_back((seconds() - start) * 1000);
    }
    // A file written now and a fresh backup folder: after the run's first save,
    // which keeps a generation, none is due, as at a commit.
    const size_t earlier = generations::listGenerations(MEMO_FILE_NAME).size();
    MoveFileA("backup", "backup-earlier");
    if (!saveMemoFile(MEMO_FILE_NAME, memos)) return 1;
    DataFile dataFile(MEMO_FILE_NAME);
    dataFile.load({}, [](const StoredMemo&) {});
    const std::string bytes = formatMemos(memos);
    if (!dataFile.save(bytes, false)) return 1;
    std::vector<double> plainTurns, program;
    for (int i = 0; i < BLOCKS * BLOCK_SAVES; ++i) {
        const bool ours = i / BLOCK_SAVES % 2;
        const double start = seconds();
        if (!(ours ? dataFile.save(bytes, false) : fileio::replaceFile(MEMO_FILE_NAME, bytes))) return 1;
        (ours ? program : plainTurns).push_back((seconds() - start) * 1000);
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExA(MEMO_FILE_NAME, GetFileExInfoStandard, &data);
    std::printf("save of %d memos (%lu bytes), median of %zu each:\n", MEMOS, data.nFileSizeLow, plain.size());
    std::printf("  without a generation: %.2f ms\n", median(plain));
    std::printf("  with a generation:    %.2f ms (%+.2f ms)\n", median(kept), median(kept) - median(plain));
    std::printf("  the generation alone: %.2f ms (%d of %zu made, %zu in backup)\n", median(alone), made,
                kept.size() + alone.size(), earlier);
    std::printf("the program's save, change check included: %.2f ms against the plain replace's %.2f ms, ratio %.2f"
                " (target <= 2)\n", median(program), median(plainTurns), median(program) / median(plainTurns));
    return 0;
}
