// A process killed at a random moment while it saves leaves either the old
// or the new complete memo set on disk, never anything in between.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <random>
#include <thread>
#include "store/MemoFile.h"
#include "tests/store/TestFiles.h"
#include "tests/support/SaveMemoFile.h"

namespace {

std::vector<StoredMemo> memoSet(int memoCount, char fill) {
    std::vector<StoredMemo> memos(memoCount);
    for (int i = 0; i < memoCount; ++i) {
        memos[i].CAPTION = L"memo " + std::to_wstring(i);
        memos[i].RECT_LEFT = i;
        for (int t = 0; t < 4; ++t) memos[i].tabs.push_back({std::wstring(4000, wchar_t(fill)) + L"\r\n", std::to_wstring(t)});
    }
    return memos;
}

class KillWhileSaving : public InTempDir {};

}  // namespace

TEST_F(KillWhileSaving, FileIsAlwaysTheOldOrTheNewSet) {
    const std::vector<StoredMemo> sets[2] = {memoSet(8, 'a'), memoSet(20, 'b')};
    ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, sets[0]));

    // How long one save takes here, to spread the kills over a few saves.
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, sets[i % 2]));
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start) / 10;

    std::mt19937 rng(std::random_device{}());
    std::uniform_int_distribution<long> delayUs(0, 3 * saveTime.count() + 500);
    int kills = 0, midSave = 0, seen[2] = {0, 0};
    const auto giveUp = Clock::now() + std::chrono::seconds(60);
    while (kills < 240 && Clock::now() < giveUp) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i) saveMemoFile(MEMO_FILE_NAME, sets[i % 2]);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        ++kills;
        if (fileExists(std::string(MEMO_FILE_NAME) + ".tmp")) ++midSave;

        std::vector<StoredMemo> loaded;
        ASSERT_EQ(loadMemoFile(MEMO_FILE_NAME, {}, [&](const StoredMemo& m) { loaded.push_back(m); }),
                  LoadResult::Loaded);
        const int which = loaded == sets[0] ? 0 : loaded == sets[1] ? 1 : -1;
        ASSERT_NE(which, -1) << "after kill " << kills << ": " << loaded.size() << " memos";
        ++seen[which];
    }
    std::printf("kills %d (killed during a save %d), one save %lld us; read back: old/new set %d/%d\n", kills, midSave,
                static_cast<long long>(saveTime.count()), seen[0], seen[1]);
    EXPECT_GE(kills, 200);
    EXPECT_GT(midSave, 0);  // the kills did hit saves in progress
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}
