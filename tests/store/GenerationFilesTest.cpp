// Generations on disk, natively: which saves keep one, what it holds, that it
// never fails a save, and retention in the backup folder.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <algorithm>
#include <map>
#include <set>
#include "store/DataFile.h"
#include "store/FileIO.h"
#include "store/Generations.h"
#include "store/MemoFile.h"
#include "tests/store/TestFiles.h"
#include "tests/support/SaveMemoFile.h"

using namespace generations;

namespace {

LocalTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return {y, mo, d, h, mi, s}; }

// The file's last-write time, set as the clock of the zone TZ reads it.
void setLastWrite(const char* name, const LocalTime& t) {
    struct tm local {};
    local.tm_year = t.year - 1900, local.tm_mon = t.month - 1, local.tm_mday = t.day;
    local.tm_hour = t.hour, local.tm_min = t.minute, local.tm_sec = t.second, local.tm_isdst = -1;
    struct timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, name, times, 0), 0);
}

ino_t inodeOf(const std::string& name) {
    struct stat st {};
    EXPECT_EQ(stat(name.c_str(), &st), 0) << name;
    return st.st_ino;
}

// Made by computer "PC" as its `sequence`th; 0: named without an owner.
std::string inBackup(const LocalTime& t, uint32_t sequence = 0, bool kept = false) {
    return std::string("backup/") + generationName(sequence ? GenerationName{t, "PC", sequence, kept} : GenerationName{t});
}

std::vector<std::string> backupNames() {
    std::vector<std::string> names = fileio::filesIn("backup");
    std::sort(names.begin(), names.end());
    return names;
}

StoredMemo memoWithText(const std::string& text) {
    StoredMemo memo;
    memo.CAPTION = L"caption";
    memo.tabs = {{std::wstring(text.begin(), text.end()) + L"\r\n", L"title"}};
    return memo;
}

class Generations : public InTempDir {
protected:
    void SetUp() override {
        InTempDir::SetUp();
        const char* tz = getenv("TZ");
        oldTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        setTz("UTC0");
    }
    void TearDown() override {
        if (oldTz_) setenv("TZ", oldTz_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
        fileio::failStepForTest(0);
        InTempDir::TearDown();
    }
    static void setTz(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

    LocalTime now_ = at(2026, 12, 8, 10, 0, 0);
    GenerationRun run_{[this] { return now_; }, "PC"};

    bool save(const std::string& text, bool deleted = false) {
        return run_.save(MEMO_FILE_NAME, formatMemos({memoWithText(text)}), deleted);
    }

private:
    std::optional<std::string> oldTz_;
};

}  // namespace

TEST_F(Generations, NamedAfterTheLastWriteTimeInLocalTime) {
    struct Row {
        const char* tz;
        LocalTime expected;
    } rows[] = {
        {"UTC0", at(2026, 1, 1, 20, 0, 0)},
        {"JST-9", at(2026, 1, 2, 5, 0, 0)},  // the next day, and the next year in the row below
        {"NZST-12", at(2026, 1, 2, 8, 0, 0)},
        {"EST5", at(2026, 1, 1, 15, 0, 0)},
    };
    uint32_t sequence = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.tz);
        writeFile(MEMO_FILE_NAME, r.tz);
        setTz("UTC0");
        setLastWrite(MEMO_FILE_NAME, at(2026, 1, 1, 20, 0, 0));
        setTz(r.tz);
        ASSERT_EQ(run_.keepNow(MEMO_FILE_NAME), KeepResult::Made);
        EXPECT_EQ(readFile(inBackup(r.expected, ++sequence)), r.tz);
    }
    setTz("UTC0");
}

TEST_F(Generations, WhichSavesKeepOne) {
    writeFile(MEMO_FILE_NAME, "v0");
    setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 30, 0));
    // Each save's file is dated by the clock, so that the names follow it.
    struct Step {
        const char* what;
        LocalTime now;
        bool deleted, keeps;
    } steps[] = {
        {"first save of the run", at(2026, 12, 8, 10, 0, 0), false, true},
        {"forty minutes after the newest", at(2026, 12, 8, 10, 10, 0), false, false},
        {"an hour after the newest, exactly", at(2026, 12, 8, 10, 30, 0), false, false},
        {"an hour and a second", at(2026, 12, 8, 10, 30, 1), false, true},
        {"a delete", at(2026, 12, 8, 10, 31, 0), true, true},
        {"right after", at(2026, 12, 8, 10, 32, 0), false, false},
        {"the clock put back two hours", at(2026, 12, 8, 8, 32, 0), false, true},
        {"ten minutes on: the newest is still from before", at(2026, 12, 8, 8, 42, 0), false, true},
        {"ten minutes on: the newest is dated by this clock", at(2026, 12, 8, 8, 52, 0), false, false},
    };
    std::vector<std::string> expected;
    std::string previous = "v0";
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE(s.what);
        LocalTime before;
        ASSERT_TRUE(fileio::lastWriteTime(MEMO_FILE_NAME, before));
        now_ = s.now;
        ASSERT_TRUE(save("s" + std::to_string(i), s.deleted));
        if (s.keeps) {
            expected.push_back(generationName({before, "PC", uint32_t(expected.size() + 1)}));
            EXPECT_EQ(readFile("backup/" + expected.back()), previous);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(backupNames(), expected);
        setLastWrite(MEMO_FILE_NAME, s.now);
        previous = formatMemos({memoWithText("s" + std::to_string(i))});
    }
}

TEST_F(Generations, TheGenerationIsTheOldFileAndLaterSavesLeaveItAlone) {
    const std::string old = formatMemos({memoWithText("old")});
    struct Row {
        const char* what;
        unsigned long failStep;  // 5: the link (after creating, writing, flushing and closing the new file)
        bool linked;
    } rows[] = {{"a hard link", 0, true}, {"a copy where the link fails", 5, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        GenerationRun run([this] { return now_; }, "PC");
        std::filesystem::remove_all("backup");
        writeFile(MEMO_FILE_NAME, old);
        setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, r.linked ? 1 : 2));
        const ino_t oldFile = inodeOf(MEMO_FILE_NAME);
        fileio::failStepForTest(r.failStep);
        ASSERT_TRUE(run.save(MEMO_FILE_NAME, formatMemos({memoWithText("new")}), false));
        fileio::failStepForTest(0);
        const std::string generation = inBackup(at(2026, 12, 8, 9, r.linked ? 1 : 2), 1);
        EXPECT_EQ(readFile(generation), old);
        EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({memoWithText("new")}));
        EXPECT_EQ(inodeOf(generation) == oldFile, r.linked);
        EXPECT_EQ(run.lastKeep(), KeepResult::Made);
        for (const char* text : {"newer", "newest"}) ASSERT_TRUE(saveMemoFile(MEMO_FILE_NAME, {memoWithText(text)}));
        EXPECT_EQ(readFile(generation), old);
        EXPECT_FALSE(fileExists(std::string(MEMO_FILE_NAME) + ".tmp"));
    }
}

TEST_F(Generations, AGenerationThatCannotBeMadeFailsNothingAndTheNextSaveTriesAgain) {
    writeFile(MEMO_FILE_NAME, "v0");
    writeFile("backup", "a file in the way");
    ASSERT_TRUE(save("first"));
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({memoWithText("first")}));
    EXPECT_EQ(readFile("backup"), "a file in the way");
    EXPECT_EQ(run_.lastKeep(), KeepResult::Failed);

    std::filesystem::remove("backup");
    setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 59, 0));
    now_ = at(2026, 12, 8, 10, 0, 0);
    ASSERT_TRUE(save("second"));  // a minute after, but still owed
    EXPECT_EQ(readFile(inBackup(at(2026, 12, 8, 9, 59, 0), 1)), formatMemos({memoWithText("first")}));

    // A delete's generation that cannot be made is owed too.
    std::filesystem::rename("backup", "kept");
    writeFile("backup", "a file in the way");
    setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 10, 0, 30));
    now_ = at(2026, 12, 8, 10, 1, 0);
    ASSERT_TRUE(save("third", true));
    EXPECT_EQ(run_.lastKeep(), KeepResult::Failed);
    EXPECT_EQ(readFile(MEMO_FILE_NAME), formatMemos({memoWithText("third")}));
    std::filesystem::remove("backup");
    std::filesystem::rename("kept", "backup");
    setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 10, 1, 30));
    now_ = at(2026, 12, 8, 10, 2, 0);
    ASSERT_TRUE(save("fourth"));
    EXPECT_EQ(readFile(inBackup(at(2026, 12, 8, 10, 1, 30), 2)), formatMemos({memoWithText("third")}));
    EXPECT_EQ(backupNames().size(), 2u);
}

TEST_F(Generations, AnExistingNameIsKept) {
    writeFile(MEMO_FILE_NAME, "new");
    setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 0, 0));
    std::filesystem::create_directory("backup");
    writeFile(inBackup(at(2026, 12, 8, 9, 0, 0)), "there first");
    ASSERT_TRUE(save("x"));
    EXPECT_EQ(run_.lastKeep(), KeepResult::Made);  // as "-2"
    EXPECT_EQ(readFile(inBackup(at(2026, 12, 8, 9, 0, 0))), "there first");
}

// A keep with a wrong clock, in the hour the autumn clock change repeats, or a third in one second deletes nothing.
TEST_F(Generations, EveryStateSurvivesAWrongClock) {
    std::vector<std::string> old;  // 30 of one morning, then one a day for 60 days
    for (int i = 0; i < 90; ++i)
        old.push_back(generationName({addDays(at(2026, 12, 8, 0, i % 30), std::min(0, 29 - i))}));
    struct Row { const char *what, *tz; std::vector<std::string> onDisk; LocalTime written, now; std::string made; };
    const Row rows[] = {
        {"clock set back years", "UTC0", old, at(2026, 12, 8, 10), at(2010, 1, 1), "Quillpad-20261208-100000-PC-1.dat"},
        {"clock set months ahead", "UTC0", old, at(2026, 12, 8, 10), at(2027, 6, 1), "Quillpad-20261208-100000-PC-1.dat"},
        {"the one made older than all", "UTC0", old, at(2001, 1, 1), at(2026, 12, 8), "Quillpad-20010101-000000-PC-1.dat"},
        {"a third in one second", "UTC0", {"Quillpad-20261208-100000.dat", "Quillpad-20261208-100000-2.dat"},
         at(2026, 12, 8, 10), at(2026, 12, 8, 10), "Quillpad-20261208-100000-PC-1.dat"},
        {"the hour repeated (last: the zone stays)", "CET-1CEST,M3.5.0,M10.5.0/3", {"Quillpad-20261025-023000.dat"},
         at(2026, 10, 25, 1, 30), at(2026, 10, 25, 2, 40), "Quillpad-20261025-023000-PC-1.dat"},  // written in UTC
    };
    writeFile(MEMO_FILE_NAME, "current");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::filesystem::remove_all("backup");
        std::filesystem::create_directory("backup");
        for (const std::string& name : r.onDisk) writeFile("backup/" + name, "old");
        setLastWrite(MEMO_FILE_NAME, r.written);
        setTz(r.tz);
        now_ = r.now;
        ASSERT_EQ(run_.keepNow(MEMO_FILE_NAME), KeepResult::Made);
        EXPECT_EQ(readFile("backup/" + r.made), "current");
        EXPECT_EQ(listGenerations(MEMO_FILE_NAME).size(), r.onDisk.size() + 1);
    }
}

TEST_F(Generations, OnlySavesThatReplaceTheFileMakeThem) {
    ASSERT_TRUE(save("first"));  // no file to keep yet
    EXPECT_EQ(run_.lastKeep(), KeepResult::NothingToKeep);
    EXPECT_FALSE(fileExists("backup"));
    EXPECT_EQ(run_.keepNow(MEMO_FILE_NAME), KeepResult::Made);

    GenerationRun other([this] { return now_; });
    fileio::failStepForTest(1);  // the new file cannot be created
    EXPECT_FALSE(other.save(MEMO_FILE_NAME, formatMemos({memoWithText("x")}), true));
    EXPECT_EQ(backupNames().size(), 1u);
}

TEST_F(Generations, RetentionWhenOneIsMadeTouchesOnlyGenerations) {
    std::filesystem::create_directory("backup");
    const std::vector<std::string> strangers = {"notes.txt", "Quillpad-2020.dat", "Quillpad-20200101-000000.dat.tmp"};
    for (const std::string& name : strangers) writeFile("backup/" + name, name);
    std::vector<std::string> expected = strangers;
    for (int i = 0; i < 40; ++i) {
        // 40 from 2020 without an owner: their own 30 newest and the newest of their day stay.
        const LocalTime t = at(2020, 1, 1, 12, i, 0);
        writeFile(inBackup(t), "old");
        if (i >= 9) expected.push_back(generationName({t}));
    }
    writeFile(MEMO_FILE_NAME, "v0");
    setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 0, 0));
    expected.push_back(generationName({at(2026, 12, 8, 9, 0, 0), "PC", 1}));
    ASSERT_TRUE(save("x"));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(backupNames(), expected);
}

TEST_F(Generations, ListNewestFirstAndReadWithTheLoader) {
    EXPECT_TRUE(listGenerations(MEMO_FILE_NAME).empty());  // no folder
    std::filesystem::create_directory("backup");
    writeFile(inBackup(at(2026, 12, 7, 8, 0, 0)), formatMemos({memoWithText("a"), memoWithText("b")}));
    writeFile(inBackup(at(2026, 12, 8, 7, 0, 0)), formatMemos({memoWithText("c")}));
    writeFile(inBackup(at(2025, 12, 8, 23, 0, 0)), "");
    writeFile("backup/readme.txt", "x");
    std::filesystem::create_directory("backup/" + generationName({at(2027, 1, 1)}));  // a folder is no generation
    const std::vector<Generation> all = listGenerations(MEMO_FILE_NAME);
    ASSERT_EQ(all.size(), 3u);
    const LocalTime times[] = {at(2026, 12, 8, 7, 0, 0), at(2026, 12, 7, 8, 0, 0), at(2025, 12, 8, 23, 0, 0)};
    const size_t counts[] = {1, 2, 0};
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i].time, times[i]);
        EXPECT_EQ(all[i].path, inBackup(times[i]));
        size_t memos = 0;
        EXPECT_EQ(loadMemoFile(all[i].path.c_str(), {}, [&](const StoredMemo&) { ++memos; }), LoadResult::Loaded);
        EXPECT_EQ(memos, counts[i]);
    }
    // Beside a data file named with a folder.
    std::filesystem::create_directory("sub");
    std::filesystem::rename("backup", "sub/backup");
    EXPECT_EQ(listGenerations("sub/Quillpad.dat").front().path, "sub/" + inBackup(times[0]));
}

// The data file's owner keeps another program's version (a sync tool, an
// editor) as a generation before a save replaces it, and never replaces one
// it could not keep.
TEST_F(Generations, AnotherProgramsChangeIsKeptBeforeASaveReplacesIt) {
    const std::string ours = formatMemos({memoWithText("ours")});
    struct Row {
        const char* what;
        std::string theirs;  // empty: the file removed
        bool changed, backupBlocked;
    } rows[] = {
        {"the same bytes again", ours, false, false},
        {"other bytes of the same size", formatMemos({memoWithText("them")}), true, false},
        {"more bytes", ours + ours, true, false},
        {"the file removed", "", false, false},
        {"their version cannot be kept", "theirs", true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::filesystem::remove_all("backup");
        writeFile(MEMO_FILE_NAME, "loaded");
        setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 0, 0));
        DataFile data(MEMO_FILE_NAME, [this] { return now_; }, "PC");  // the hourly rule is not due
        ASSERT_EQ(data.load({}, [](const StoredMemo&) {}), LoadResult::Loaded);
        ASSERT_TRUE(data.save(formatMemos({memoWithText("ours")}), false));  // the run's first: keeps "loaded"
        if (r.theirs.empty()) std::filesystem::remove(MEMO_FILE_NAME);
        else writeFile(MEMO_FILE_NAME, r.theirs), setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 30, 0));
        if (r.backupBlocked) std::filesystem::remove_all("backup"), writeFile("backup", "in the way");

        EXPECT_EQ(data.save(formatMemos({memoWithText("later")}), false), !r.backupBlocked);
        EXPECT_EQ(readFile(MEMO_FILE_NAME), r.backupBlocked ? r.theirs : formatMemos({memoWithText("later")}));
        EXPECT_EQ(data.failure(), r.backupBlocked ? fileio::SaveFailure::OtherVersionNotKept : fileio::SaveFailure::None);
        const bool kept = r.changed && !r.backupBlocked;
        if (kept) EXPECT_EQ(readFile(inBackup(at(2026, 12, 8, 9, 30, 0), 2, true)), r.theirs);
        EXPECT_EQ(data.untold(), kept ? std::vector<LocalTime>{at(2026, 12, 8, 9, 30, 0)} : std::vector<LocalTime>{});
        // Untold until told, also for the next run.
        DataFile next(MEMO_FILE_NAME, [this] { return now_; }, "PC");
        next.load({}, [](const StoredMemo&) {});
        EXPECT_EQ(next.untold(), data.untold());
        next.told(1);
        EXPECT_FALSE(fileExists("backup/Quillpad-PC.untold"));
    }
}

// `t` moved by `seconds` as a right clock moves.
LocalTime plus(LocalTime t, int64_t seconds) {
    const int64_t total = t.hour * 3600 + t.minute * 60 + t.second + seconds;
    t = addDays(t, int(total / 86400));
    return {t.year, t.month, t.day, int(total % 86400 / 3600), int(total % 3600 / 60), int(total % 60)};
}

// 40 days of two saves a day, then the row's saves: the states that survive
// in the backup folder with the row's wrong clock and with a right one.
TEST_F(Generations, WhatAWrongClockKeepsIsWhatARightClockKeeps) {
    struct Row { const char* what; int saves, step; bool deleted, restarts, copyBack; LocalTime (*wrong)(LocalTime, int); };
    const Row rows[] = {
        {"a copy put back by hand", 40, 3600, false, false, true, [](LocalTime t, int) { return t; }},
        {"clock six months ahead", 10, 3600, false, false, false, [](LocalTime t, int) { return addDays(t, 182); }},
        {"clock set back to 2010", 10, 3600, false, false, false, [](LocalTime t, int) { return LocalTime{2010, 1, 1, t.hour}; }},
        {"the autumn hour twice", 6, 1200, true, false, false, [](LocalTime t, int i) { return plus(t, i >= 3 ? -3600 : 0); }},
        {"the same second", 5, 1, true, false, false, [](LocalTime t, int i) { return plus(t, -i); }},
        {"1,000 saves in a row", 1000, 1, true, false, false, [](LocalTime t, int i) { return plus(t, -i); }},
        {"a restart between saves", 10, 60, false, true, false, [](LocalTime t, int i) { return plus(t, -60 * i); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::set<std::string> survived[2];  // right clock, wrong clock
        for (int wrong = 0; wrong < 2; ++wrong) {
            std::filesystem::remove_all("backup"), std::filesystem::remove(MEMO_FILE_NAME);
            std::optional<DataFile> data;
            int state = 0;
            auto restart = [&] { data.emplace(MEMO_FILE_NAME, [this] { return now_; }, "PC").load({}, [](const StoredMemo&) {}); };
            auto save = [&](const LocalTime& t, bool deleted) {
                now_ = t;
                ASSERT_TRUE(data->save("state " + std::to_string(++state), deleted));
                setLastWrite(MEMO_FILE_NAME, t);
            };
            for (int day = -40; day < 0; ++day) restart(), save(addDays(at(2026, 12, 8, 10), day), false), save(addDays(at(2026, 12, 8, 12), day), false);
            if (r.copyBack) writeFile(MEMO_FILE_NAME, "June"), setLastWrite(MEMO_FILE_NAME, at(2026, 6, 1, 12));
            restart();
            for (int i = 0; i < r.saves; ++i) {
                if (r.restarts) restart();
                const LocalTime right = plus(at(2026, 12, 8, 9), int64_t(i) * r.step);
                save(wrong ? r.wrong(right, i) : right, r.deleted);
            }
            for (const Generation& g : listGenerations(MEMO_FILE_NAME)) survived[wrong].insert(readFile(g.path));
        }
        std::printf("%-26s %zu generations kept, %zu with a right clock\n", r.what, survived[1].size(), survived[0].size());
        EXPECT_EQ(survived[1], survived[0]);
        EXPECT_EQ(survived[1].count("June"), r.copyBack ? 1u : 0u);
    }
}

// Two computers on one synchronised folder, and generations named before
// they had an owner: each computer thins its own, those without an owner by their names.
TEST_F(Generations, TwoComputersAndOldNamesShareOneFolder) {
    std::filesystem::create_directory("backup");
    for (int i = 0; i < 40; ++i) writeFile(inBackup(at(2026, 1, 1, 0, i)), "old");  // of one day
    GenerationRun a([this] { return now_; }, "A"), b([this] { return now_; }, "A-B");
    for (int i = 0; i < 100; ++i) {
        writeFile(MEMO_FILE_NAME, std::to_string(i)), setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 10));  // one second
        ASSERT_EQ((i % 2 ? b : a).keepNow(MEMO_FILE_NAME), KeepResult::Made);
    }
    std::map<std::string, int> count;
    for (const std::string& name : backupNames()) {
        GenerationName g;
        ASSERT_TRUE(parseGenerationName(name, g));
        ++count[g.computer];
        if (!g.computer.empty()) EXPECT_EQ(readFile("backup/" + name), std::to_string((g.sequence - 1) * 2 + (g.computer == "A-B")));
    }
    // The 30 newest of each and the newest of the day before them.
    EXPECT_EQ(count, (std::map<std::string, int>{{"", 31}, {"A", 31}, {"A-B", 31}}));
}

// Another program's change of the same size is seen, whatever its bytes and
// its last-write time: a FAT or network drive keeps times in 2-second steps.
TEST_F(Generations, AnySameSizeChangeIsSeen) {
    writeFile("backup", "in the way");  // a change seen cannot be kept: the save says so and writes nothing
    for (int b = 0; b < 512; ++b) {
        SCOPED_TRACE(b);
        writeFile(MEMO_FILE_NAME, "0123456A0123456A"), setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9));
        DataFile data(MEMO_FILE_NAME, [this] { return now_; }, "PC");
        ASSERT_EQ(data.load({}, [](const StoredMemo&) {}), LoadResult::Loaded);
        writeFile(MEMO_FILE_NAME, "0123456B0123456" + std::string(1, char(b))), setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 0, b / 256 * 2));
        ASSERT_FALSE(data.save("ours", false));
        ASSERT_EQ(data.failure(), fileio::SaveFailure::OtherVersionNotKept);
    }
}

// While the data file cannot be written the notes go to a rescue file in the
// user's folder; the next start on that data folder tells it once, and the
// restore list shows it as a rescue file. A start on another folder does neither.
TEST_F(Generations, ARescueFileIsAnOrdinaryDataFileTheNextStartTells) {
    const std::string home = std::filesystem::current_path() / "home", oldHome = getenv("HOME");
    std::filesystem::create_directory(home), setenv("HOME", home.c_str(), 1);
    std::filesystem::create_directory("other");
    writeFile(MEMO_FILE_NAME, "untouched");
    const std::optional<std::string> path = DataFile(MEMO_FILE_NAME, [this] { return now_; }).rescue("rescued");
    EXPECT_EQ(path.value_or("").rfind(home + "/Quillpad-rescue-20261208-100000-", 0), 0u);
    EXPECT_EQ(readFile(MEMO_FILE_NAME), "untouched");
    for (const bool first : {true, false}) {
        DataFile other("other/" + std::string(MEMO_FILE_NAME));
        other.load({}, [](const StoredMemo&) {});
        EXPECT_TRUE(other.takeRescued().empty());
        EXPECT_TRUE(other.generations().empty());
        DataFile next(MEMO_FILE_NAME);
        next.load({}, [](const StoredMemo&) {});
        EXPECT_EQ(next.takeRescued().size(), first ? 1u : 0u);
        ASSERT_FALSE(next.generations().empty());
        EXPECT_EQ(next.generations().at(0).path, path.value_or(""));
        EXPECT_TRUE(next.generations().at(0).rescue);
    }
    setenv("HOME", oldHome.c_str(), 1);
}

// Another PC's versions through a sync engine: one that arrives while the one
// before is merged is another change; conflict copies are only the engines'
// names, merged once, then thinned like the other generations.
TEST_F(Generations, OtherVersionsAndConflictCopies) {
    writeFile(MEMO_FILE_NAME, "first version"), setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9));
    DataFile data(MEMO_FILE_NAME, [this] { return now_; }, "PC-0a1b");
    ASSERT_EQ(data.load({}, [](const StoredMemo&) {}), LoadResult::Loaded);
    writeFile(MEMO_FILE_NAME, "other version"), setLastWrite(MEMO_FILE_NAME, at(2026, 12, 8, 9, 1));
    EXPECT_FALSE(data.otherVersion(true)) << "taken before it stood still for a look";
    const std::optional<DataFile::Version> other = data.otherVersion(true);
    ASSERT_TRUE(other);
    // The next one lands while that one is merged: same size, a time of its own to the nanosecond.
    writeFile(MEMO_FILE_NAME, "later version");
    data.adopt(*other);
    ASSERT_TRUE(data.otherVersion());
    EXPECT_EQ(data.otherVersion()->bytes, "later version");
    data.adopt(*data.otherVersion());

    ASSERT_TRUE(data.save("ours", false));  // a generation named "PC-0a1b", so OneDrive copies of "PC" are known
    for (const char* name : {"Quillpad.sync-conflict-20261208-090000-ABCDEFG.dat", "Quillpad-PC.dat", "Quillpad-old.dat"})
        writeFile(name, name);
    std::vector<DataFile::ConflictCopy> copies = data.conflictCopies();
    ASSERT_EQ(copies.size(), 2u);
    for (const DataFile::ConflictCopy& copy : copies) data.moveToBackup(copy);
    EXPECT_TRUE(data.conflictCopies().empty());
    EXPECT_EQ(readFile("Quillpad-old.dat"), "Quillpad-old.dat");
    for (const std::string& name : backupNames()) EXPECT_EQ(name.find("-kept"), std::string::npos) << name;
}
