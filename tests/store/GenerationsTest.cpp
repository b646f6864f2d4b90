// The generations' rules: calendar arithmetic, names, when a save keeps one,
// and which ones retention deletes. The clock is always an argument.
#include <gtest/gtest.h>
#include <algorithm>
#include "store/Generations.h"

using namespace generations;

namespace {

LocalTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return {y, mo, d, h, mi, s}; }

std::string show(const LocalTime& t) { return generationName({t}); }

}  // namespace

TEST(LocalTimeTest, AddDaysAcrossMonthsYearsAndLeapDays) {
    struct Row {
        const char* what;
        LocalTime from;
        int days;
        LocalTime expected;
    } rows[] = {
        {"into February of a common year", at(2026, 3, 1, 7, 8, 9), -1, at(2026, 2, 28, 7, 8, 9)},
        {"into a leap day", at(2024, 3, 1), -1, at(2024, 2, 29)},
        {"400-year rule: leap", at(2000, 3, 1), -1, at(2000, 2, 29)},
        {"100-year rule: no leap", at(2100, 3, 1), -1, at(2100, 2, 28)},
        {"back over a year end", at(2027, 1, 1), -1, at(2026, 12, 31)},
        {"forward over a year end", at(2024, 12, 31), 1, at(2025, 1, 1)},
        {"90 back over a year end", at(2026, 1, 15), -90, at(2025, 10, 17)},
        {"90 back to the last of a month", at(2026, 3, 31), -90, at(2025, 12, 31)},
        {"90 back onto a leap day", at(2024, 5, 29), -90, at(2024, 2, 29)},
        {"90 back, same date a common year", at(2025, 5, 29), -90, at(2025, 2, 28)},
        {"90 back, months of 30 and 31 days", at(2026, 5, 1), -90, at(2026, 1, 31)},
        {"a year back over a leap day", at(2024, 3, 1), -366, at(2023, 3, 1)},
        {"nothing", at(2026, 12, 8, 23, 59, 59), 0, at(2026, 12, 8, 23, 59, 59)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(show(addDays(r.from, r.days)), show(r.expected));
        EXPECT_EQ(dayNumber(r.expected) - dayNumber(r.from), r.days);
    }
    EXPECT_EQ(dayNumber(at(1970, 1, 1)), 0);
    EXPECT_EQ(dayNumber(at(1969, 12, 31)), -1);
    EXPECT_EQ(dayNumber(at(2000, 3, 1)), 11017);
}

TEST(LocalTimeTest, SecondsBetween) {
    struct Row {
        const char* what;
        LocalTime from, to;
        int64_t seconds;
    } rows[] = {
        {"same minute", at(2026, 1, 1, 10, 0, 0), at(2026, 1, 1, 10, 0, 59), 59},
        {"over midnight", at(2026, 1, 1, 23, 30), at(2026, 1, 2, 0, 31), 61 * 60},
        {"over a year end", at(2025, 12, 31, 23, 59, 59), at(2026, 1, 1), 1},
        {"over a leap day", at(2024, 2, 28, 12), at(2024, 3, 1, 12), 2 * 86400},
        {"backwards", at(2026, 1, 1, 1), at(2026, 1, 1), -3600},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(secondsBetween(r.from, r.to), r.seconds);
    }
}

TEST(GenerationNameTest, FormatAndParse) {
    EXPECT_EQ(show(at(2026, 1, 2, 3, 4, 5)), "Quillpad-20260102-030405.dat");
    EXPECT_EQ(show(at(987, 12, 31, 23, 59, 59)), "Quillpad-09871231-235959.dat");
    EXPECT_EQ(generationName({at(2026, 1, 2, 3, 4, 5), "PC-1", 12, true}), "Quillpad-20260102-030405-PC-1-12-kept.dat");
    struct Row {
        const char* name;
        bool valid;
        LocalTime time;
    } rows[] = {
        {"Quillpad-20261208-101500.dat", true, at(2026, 12, 8, 10, 15, 0)},
        {"Quillpad-20240229-235959.dat", true, at(2024, 2, 29, 23, 59, 59)},
        {"Quillpad-20000229-000000.dat", true, at(2000, 2, 29)},
        {"Quillpad-20250229-120000.dat", false, {}},  // no such day
        {"Quillpad-21000229-120000.dat", false, {}},
        {"Quillpad-20260431-120000.dat", false, {}},
        {"Quillpad-20261301-000000.dat", false, {}},
        {"Quillpad-20261200-000000.dat", false, {}},
        {"Quillpad-20261208-240000.dat", false, {}},
        {"Quillpad-20261208-126000.dat", false, {}},
        {"Quillpad-20261208-120060.dat", false, {}},
        {"Quillpad-2026120-8120000.dat", false, {}},
        {"Quillpad-2026120x-120000.dat", false, {}},
        {"Quillpad-20261208_120000.dat", false, {}},
        {"quillpad-20261208-120000.dat", false, {}},
        {"Quillpad-20261208-120000.DAT", false, {}},
        {"Quillpad-20261208-120000.dat.tmp", false, {}},
        {"xQuillpad-20261208-120000.dat", false, {}},
        {"Quillpad-20261208-12000.dat", false, {}},
        {"Quillpad.dat", false, {}},
        {"", false, {}},
        {"Quillpad-20261208-101500-2.dat", true, at(2026, 12, 8, 10, 15, 0)},
        {"Quillpad-20261208-101500-PC-7.dat", true, at(2026, 12, 8, 10, 15, 0)},
        {"Quillpad-20261208-101500-A-B-1-kept.dat", true, at(2026, 12, 8, 10, 15, 0)},
        {"Quillpad-20261208-101500-PC-07.dat", false, {}},
        {"Quillpad-20261208-101500--7.dat", false, {}},
        {"Quillpad-20261208-101500-PC-kept.dat", false, {}},
        {"Quillpad-20261208-101500-10000.dat", false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GenerationName g;
        ASSERT_EQ(parseGenerationName(r.name, g), r.valid);
        if (!r.valid) continue;
        EXPECT_EQ(show(g.time), show(r.time));
        EXPECT_EQ(generationName(g), r.name);
    }
}

TEST(ShouldKeepGenerationTest, Table) {
    const LocalTime now = at(2026, 12, 8, 10, 0, 0);
    struct Row {
        const char* what;
        bool first, deleted;
        std::optional<LocalTime> newest;
        bool keep;
    } rows[] = {
        {"first save of the run", true, false, now, true},
        {"a delete", false, true, now, true},
        {"first save and a delete", true, true, now, true},
        {"no generation yet", false, false, std::nullopt, true},
        {"newest one a minute old", false, false, at(2026, 12, 8, 9, 59, 0), false},
        {"newest exactly an hour old", false, false, at(2026, 12, 8, 9, 0, 0), false},
        {"newest an hour and a second old", false, false, at(2026, 12, 8, 8, 59, 59), true},
        {"newest from yesterday evening", false, false, at(2026, 12, 7, 23, 30, 0), true},
        {"newest from last year", false, false, at(2025, 12, 31, 23, 59, 59), true},
        {"newest two hours ahead (clock put back)", false, false, at(2026, 12, 8, 12, 0, 0), true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(shouldKeepGeneration(r.first, r.deleted, r.newest, now), r.keep);
    }
}

TEST(RetentionTest, Table) {
    struct Row {
        const char* what;
        LocalTime today;
        std::vector<LocalTime> older;      // all older than the 30 newest, which are made on `today`
        std::vector<LocalTime> deleted;    // of `older`
    } rows[] = {
        {"only the 30 newest", at(2026, 12, 8), {}, {}},
        {"older ones of today: the newest of them stays",
         at(2026, 12, 8),
         {at(2026, 12, 8, 1), at(2026, 12, 8, 0, 30), at(2026, 12, 8, 0, 0, 1)},
         {at(2026, 12, 8, 0, 30), at(2026, 12, 8, 0, 0, 1)}},
        {"one a day for several days",
         at(2026, 12, 8),
         {at(2026, 12, 7, 18), at(2026, 12, 7, 9), at(2026, 12, 5, 12), at(2026, 11, 30, 8), at(2026, 11, 30, 7)},
         {at(2026, 12, 7, 9), at(2026, 11, 30, 7)}},
        {"days are counted, not measured back from a date",
         at(2026, 12, 8),
         {at(2026, 9, 9, 23, 59, 59), at(2026, 9, 9, 0, 0, 0), at(2026, 9, 8, 23, 59, 59), at(2020, 1, 1)},
         {at(2026, 9, 9, 0, 0, 0)}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<std::string> names;
        for (int i = 0; i < 30; ++i) names.push_back(show(at(r.today.year, r.today.month, r.today.day, 23, 0, i)));
        for (const LocalTime& t : r.older) names.push_back(show(t));
        // Neither the order of the names nor other files change the answer.
        names.push_back("notes.txt");
        names.push_back("Quillpad-20000101-000000.dat.tmp");
        names.push_back("Quillpad-19991301-000000.dat");
        std::reverse(names.begin(), names.end());
        std::vector<std::string> expected;
        for (const LocalTime& t : r.deleted) expected.push_back(show(t));
        EXPECT_EQ(generationsToDelete(names, "PC"), expected);
    }
}

// A computer's own are ranked by their sequence, whatever their dates: the
// 30 newest, then one a day for 90 days that have one.
TEST(RetentionTest, TheNewestThirtyStayWhateverTheirAge) {
    std::vector<std::string> names;
    for (uint32_t i = 1; i <= 122; ++i) names.push_back(generationName({addDays(at(2000, 1, 1), i % 2 ? int(i) : -int(i)), "PC", i}));
    names.push_back(generationName({at(1990, 1, 1), "PC", 1, true}));  // another program's: never deleted
    names.push_back(generationName({at(1990, 1, 1), "OTHER", 1}));     // another computer's: not ours to delete
    std::vector<std::string> expected;
    for (uint32_t i : {2u, 1u}) expected.push_back(names[i - 1]);
    EXPECT_EQ(generationsToDelete(names, "PC"), expected);
}
