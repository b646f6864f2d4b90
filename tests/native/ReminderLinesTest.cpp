#include <gtest/gtest.h>
#include "dialogs/FindResults.h"

// With nothing typed, the find window lists the due memos first, then the others soonest first.
TEST(ReminderLines, DueFirstThenSoonest) {
    auto memo = [](uint32_t id, const char* line) { return ReminderMemo{id, L"c", L"l", *parseReminder(line)}; };
    const std::vector<FindHit> lines = reminderLines({memo(1, "2027-01-01T09:00:00 once"), memo(2, "2026-12-11T08:00:00 daily"),
                                                      memo(3, "2026-12-01T07:00:00 once ringing"),
                                                      memo(4, "2026-12-01T07:00:00 once snooze 2027-02-01T00:00:00")});
    std::vector<uint32_t> order;
    for (const FindHit& hit : lines) order.push_back(hit.memo);
    EXPECT_EQ(order, (std::vector<uint32_t>{3, 2, 1, 4}));
    EXPECT_EQ(lines[1].columns[FIND_TITLE], L"2026/12/11 8:00 毎日");
    EXPECT_EQ(lines[3].columns[FIND_TITLE], L"2027/2/1 0:00");
}
