#include "bench/wine/BenchSupport.h"
#include "tests/support/SaveMemoFile.h"
#include <windows.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include "store/ShiftJis.h"

namespace {

const char* const kLines[] = {
    "明日の打ち合わせ 10:00 会議室B",
    "- 牛乳、パン、卵 (eggs x10)",
    "TODO: review the pull request before Friday",
    "電話: 03-1234-5678 (山田さん、午後のみ)",
    "見積書を金曜までに送付すること",
    "Meeting notes: budget, schedule, staffing",
    "http://example.com/wiki/メモの書き方",
    "パスワードの変更期限は来月末です。",
};
const char* const kTitles[] = {"予定", "TODO", "買い物", "連絡先", "メモ", "notes", "アイデア"};
const char* const kCaptions[] = {"今週の予定", "Project 進捗", "買い物リスト", "電話メモ", "アイデア帳"};

template <class T, size_t N>
const char* pick(T (&texts)[N], int i) { return texts[i % N]; }

}  // namespace

StoredMemo benchMemo(int index) {
    StoredMemo memo;
    for (int t = 0; t < 3; ++t) {
        std::string text;
        for (int line = 0, lines = 3 + (index + t) % 6; line < lines; ++line) {
            if (line) text += "\r\n";
            text += pick(kLines, index * 7 + t * 3 + line);
        }
        memo.tabs.push_back({sjis::decode(text), sjis::decode(pick(kTitles, index + t * 2))});
    }
    memo.CAPTION = sjis::decode(std::string(pick(kCaptions, index)) + " " + std::to_string(index + 1));
    const int width = 180 + index * 7 % 5 * 20, height = 110 + index * 3 % 4 * 15;
    memo.RECT_LEFT = index * 389 % (1024 - width);
    memo.RECT_TOP = index * 211 % (768 - height);
    memo.RECT_RIGHT = memo.RECT_LEFT + width;
    memo.RECT_BOTTOM = memo.RECT_TOP + height;
    memo.MEMO_SELECT_INDEX = index % 3;
    return memo;
}

bool writeBenchMemos(const char* fileName, int count) {
    std::vector<StoredMemo> memos;
    for (int i = 0; i < count; ++i) memos.push_back(benchMemo(i));
    return saveMemoFile(fileName, memos);
}

bool benchOnce() { return std::getenv("QUILLPAD_BENCH_ONCE") != nullptr; }

double seconds() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

double median(std::vector<double> figures) {
    if (figures.empty()) return 0;
    std::sort(figures.begin(), figures.end());
    size_t mid = figures.size() / 2;
    return figures.size() % 2 ? figures[mid] : (figures[mid - 1] + figures[mid]) / 2;
}
