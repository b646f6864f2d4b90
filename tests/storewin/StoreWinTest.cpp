// The store's file handling against Windows itself (run under Wine): the
// read-only attribute, files held by another program, folders in the way.
#include <windows.h>
#include <gtest/gtest.h>
#include <chrono>
#include <thread>
#include "store/FileIO.h"
#include "store/Generations.h"
#include "store/MemoFile.h"
#include "store/Settings.h"
#include "tests/store/TestFiles.h"
#include "tests/support/SaveMemoFile.h"

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class StoreOnWindows : public InTempDir {
protected:
    const std::string tempName_ = std::string(MEMO_FILE_NAME) + ".tmp";

    // Opens the data file the way another program might: no sharing at all.
    HANDLE holdDataFile() {
        HANDLE h = CreateFileA(MEMO_FILE_NAME, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        return h;
    }

    LoadResult load(std::vector<StoredMemo>& memos) {
        return loadMemoFile(MEMO_FILE_NAME, {}, [&](const StoredMemo& m) { memos.push_back(m); });
    }
};

StoredMemo someMemo(const std::string& text = "text") {
    StoredMemo memo;
    memo.CAPTION = L"新規メモ";
    memo.tabs = {{std::wstring(text.begin(), text.end()) + L"\r\n", L"title"}};
    return memo;
}

// Sets the file's last-write time to this local time.
void setLastWrite(const char* name, WORD y, WORD mo, WORD d, WORD hour, WORD mi, WORD s) {
    SYSTEMTIME local{y, mo, 0, d, hour, mi, s, 0}, utc;
    FILETIME time;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &time));
    HANDLE h = CreateFileA(name, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &time));
    CloseHandle(h);
}

// The volume's number of the file: equal for two names of one file.
unsigned long long fileIndex(const char* name) {
    HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(GetFileInformationByHandle(h, &info));
    CloseHandle(h);
    return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

}  // namespace

TEST_F(StoreOnWindows, ReadOnlyFileIsNotReplaced) {
    writeFile(MEMO_FILE_NAME, "old");
    ASSERT_TRUE(SetFileAttributesA(MEMO_FILE_NAME, FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(saveMemoFile(MEMO_FILE_NAME, {someMemo()}));
    EXPECT_EQ(readFile(MEMO_FILE_NAME), "old");
    EXPECT_FALSE(fileExists(tempName_));
    ASSERT_TRUE(SetFileAttributesA(MEMO_FILE_NAME, FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(saveMemoFile(MEMO_FILE_NAME, {someMemo()}));
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({someMemo()}));
}

TEST_F(StoreOnWindows, HeldFileIsTriedAgainThenKept) {
    writeFile(MEMO_FILE_NAME, "old");
    HANDLE held = holdDataFile();
    auto start = Clock::now();
    EXPECT_FALSE(saveMemoFile(MEMO_FILE_NAME, {someMemo()}));
    long long waited = msSince(start);
    EXPECT_GE(waited, 250);
    EXPECT_LT(waited, 3000);
    CloseHandle(held);
    EXPECT_EQ(readFile(MEMO_FILE_NAME), "old");
    EXPECT_FALSE(fileExists(tempName_));
}

TEST_F(StoreOnWindows, FileHeldBrieflyIsReplacedOnceReleased) {
    writeFile(MEMO_FILE_NAME, "old");
    HANDLE held = holdDataFile();
    std::thread release([held] {
        Sleep(100);
        CloseHandle(held);
    });
    EXPECT_TRUE(saveMemoFile(MEMO_FILE_NAME, {someMemo()}));
    release.join();
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({someMemo()}));
    EXPECT_FALSE(fileExists(tempName_));
}

TEST_F(StoreOnWindows, MissingAndUnreadableDataFile) {
    std::vector<StoredMemo> memos;
    auto start = Clock::now();
    EXPECT_EQ(load(memos), LoadResult::Missing);
    EXPECT_LT(msSince(start), 500);  // nothing to wait for

    ASSERT_TRUE(CreateDirectoryA(MEMO_FILE_NAME, nullptr));
    EXPECT_EQ(load(memos), LoadResult::Unreadable);
    EXPECT_FALSE(saveMemoFile(MEMO_FILE_NAME, {someMemo()}));
    EXPECT_FALSE(fileExists(tempName_));
    ASSERT_TRUE(RemoveDirectoryA(MEMO_FILE_NAME));

    writeFile(MEMO_FILE_NAME, formatMemos({someMemo()}));
    HANDLE held = holdDataFile();
    start = Clock::now();
    EXPECT_EQ(load(memos), LoadResult::Unreadable);
    EXPECT_GE(msSince(start), 900);  // tried again for about a second
    CloseHandle(held);
    EXPECT_TRUE(memos.empty());

    held = holdDataFile();
    std::thread release([held] {
        Sleep(300);
        CloseHandle(held);
    });
    EXPECT_EQ(load(memos), LoadResult::Loaded);
    release.join();
    EXPECT_EQ(memos, std::vector<StoredMemo>{someMemo()});
}

TEST_F(StoreOnWindows, SettingsRoundTrip) {
    GeneralSettings general;
    MemoAppearance appearance;
    general.ABSORB = -7;
    general.hotKeys[0].key = 0x41;
    appearance.WORDWRAP_FLAG = true;
    ASSERT_TRUE(saveSettings(general, appearance));
    EXPECT_EQ(readFile(HOTKEY_FILE_NAME), std::string("\x41\0\x04\0\x2D\0\x06\0", 8));
    GeneralSettings g;
    MemoAppearance c;
    ASSERT_TRUE(loadSettings(g, c));
    EXPECT_EQ(formatSettings(g, c), formatSettings(general, appearance));
    EXPECT_EQ(g.hotKeys[0].key, 0x41);
    // The Windows build holds the names as Shift-JIS: 全メモを最前面へ表示, メモ追加.
    EXPECT_EQ(g.hotKeys[0].name, "\x91\x53\x83\x81\x83\x82\x82\xF0\x8D\xC5\x91\x4F\x96\xCA\x82\xD6\x95\x5C\x8E\xA6");
    EXPECT_EQ(g.hotKeys[1].name, "\x83\x81\x83\x82\x92\xC7\x89\xC1");

    ASSERT_TRUE(SetFileAttributesA(SETTINGS_FILE_NAME, FILE_ATTRIBUTE_READONLY));
    writeFile(HOTKEY_FILE_NAME, "keys");
    EXPECT_FALSE(saveSettings(GeneralSettings(), MemoAppearance()));
    EXPECT_EQ(readFile(HOTKEY_FILE_NAME), "keys");  // not touched when the settings file failed
    ASSERT_TRUE(SetFileAttributesA(SETTINGS_FILE_NAME, FILE_ATTRIBUTE_NORMAL));
}

TEST_F(StoreOnWindows, GenerationIsTheOldFileAsALinkOrACopy) {
    const std::string old = formatMemos({someMemo("old")});
    struct Row {
        const char* what;
        unsigned long failStep;  // 5: the link, after creating, writing, flushing and closing the new file
        bool linked;
        const char* name;
    } rows[] = {
        {"a hard link", 0, true, "backup\\Quillpad-20260102-030405-PC-1.dat"},
        {"a copy where the link fails", 5, false, "backup\\Quillpad-20261231-235959-PC-2.dat"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        writeFile(MEMO_FILE_NAME, old + r.what);
        if (r.linked) setLastWrite(MEMO_FILE_NAME, 2026, 1, 2, 3, 4, 5);
        else setLastWrite(MEMO_FILE_NAME, 2026, 12, 31, 23, 59, 59);
        const unsigned long long oldFile = fileIndex(MEMO_FILE_NAME);
        generations::GenerationRun run(fileio::localNow, "PC");
        fileio::failStepForTest(r.failStep);
        EXPECT_TRUE(run.save(MEMO_FILE_NAME, formatMemos({someMemo("new")}), false));
        fileio::failStepForTest(0);
        EXPECT_EQ(run.lastKeep(), generations::KeepResult::Made);
        EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({someMemo("new")}));
        EXPECT_EQ(readFile(r.name), old + r.what);
        EXPECT_EQ(fileIndex(r.name) == oldFile, r.linked);
        EXPECT_TRUE(saveMemoFile(MEMO_FILE_NAME, {someMemo("newer")}));
        EXPECT_EQ(readFile(r.name), old + r.what);
        EXPECT_FALSE(fileExists(tempName_));
    }
    const std::vector<generations::Generation> all = generations::listGenerations(MEMO_FILE_NAME);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].path, rows[1].name);
    EXPECT_EQ(all[1].path, rows[0].name);
}

TEST_F(StoreOnWindows, SaveLandsWhenTheBackupFolderCannotBeWritten) {
    writeFile(MEMO_FILE_NAME, "old");
    writeFile("backup", "a file in the way");
    generations::GenerationRun run;
    EXPECT_TRUE(run.save(MEMO_FILE_NAME, formatMemos({someMemo()}), true));
    EXPECT_EQ(run.lastKeep(), generations::KeepResult::Failed);
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({someMemo()}));
    EXPECT_EQ(readFile("backup"), "a file in the way");
    EXPECT_FALSE(fileExists(tempName_));

    ASSERT_TRUE(DeleteFileA("backup"));
    EXPECT_TRUE(run.save(MEMO_FILE_NAME, formatMemos({someMemo("next")}), false));
    ASSERT_EQ(generations::listGenerations(MEMO_FILE_NAME).size(), 1u);
    EXPECT_EQ(readFile(generations::listGenerations(MEMO_FILE_NAME)[0].path), formatMemos({someMemo()}));
}

// Run by tests/faults/full_disk.sh on a small disk of its own: a generation
// that must be copied (no link) finds no room; the save lands all the same and
// no piece of a copy is left in the backup folder.
TEST_F(StoreOnWindows, GenerationCopyFullDisk) {
    char smallDisk[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("QP_SMALL_DISK", smallDisk, MAX_PATH)) {
        GTEST_SKIP() << "needs a small disk of its own in QP_SMALL_DISK (full_disk.sh mounts one)";
    }
    ASSERT_TRUE(SetCurrentDirectoryA(smallDisk));
    ASSERT_TRUE(CreateDirectoryA("backup", nullptr));
    // Under one write piece, so that step 5 is the link.
    const std::vector<StoredMemo> oldMemos{someMemo(std::string(40000, 'o'))}, newMemos{someMemo(std::string(40000, 'n'))};
    ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, oldMemos));
    // Room for the new file, not for a copy of the old one besides.
    ULARGE_INTEGER freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA(".", &freeBytes, nullptr, nullptr));
    const unsigned long long filler = freeBytes.QuadPart - 40000 - 16 * 1024;
    ASSERT_GT(freeBytes.QuadPart, 40000u + 16 * 1024);
    writeFile("filler", std::string(size_t(filler), 'f'));
    generations::GenerationRun run;
    fileio::failStepForTest(5);
    EXPECT_TRUE(run.save(MEMO_FILE_NAME, formatMemos(newMemos), true));
    fileio::failStepForTest(0);
    EXPECT_EQ(run.lastKeep(), generations::KeepResult::Failed);
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos(newMemos));
    EXPECT_TRUE(fileio::filesIn("backup").empty());
    EXPECT_FALSE(fileExists(tempName_));
    DeleteFileA("filler");
}
