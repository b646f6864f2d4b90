#include <gtest/gtest.h>
#include "store/Reminder.h"

namespace {

// "2026-12-10T09:00:00" (Thursday), optionally followed by "+540": the offset from UTC in minutes.
ClockReading at(const std::string& text) {
    const size_t plus = text.find('+', 19);
    ClockReading reading{parseReminder(text.substr(0, 19) + " once")->at};
    if (plus != std::string::npos) reading.utcOffsetMinutes = std::stoi(text.substr(plus + 1));
    return reading;
}

}  // namespace

// Each row: a stored reminder, what the user does to it (at `actAt`), the
// line it then stores ("" none), and one check of the clock after that.
TEST(Reminder, DueLateRepeatSnoozeAndClockChanges) {
    enum Act { NOTHING, DONE, SNOOZE_5, SNOOZE_HOUR, TOMORROW };
    struct Row {
        const char* what;
        const char* line;
        Act act;
        const char* actAt;
        const char* stored;
        const char* previous;  // "" at the start or after a resume
        const char* now;
        bool rings, late;
    } rows[] = {
        {"due while watched", "2026-12-10T09:00:00 once", NOTHING, "", "2026-12-10T09:00:00 once",
         "2026-12-10T08:59:59", "2026-12-10T09:00:00", true, false},
        {"a second early", "2026-12-10T09:00:00 once", NOTHING, "", "2026-12-10T09:00:00 once",
         "2026-12-10T08:59:58", "2026-12-10T08:59:59", false, false},
        {"missed while not running", "2026-12-10T09:00:00 once", NOTHING, "", "2026-12-10T09:00:00 once", "",
         "2026-12-10T12:00:00", true, true},
        {"missed while the PC slept", "2026-12-10T09:00:00 once", NOTHING, "", "2026-12-10T09:00:00 once",
         "2026-12-10T08:00:00", "2026-12-10T12:00:00", true, true},
        {"rang: never twice", "2026-12-10T09:00:00 once ringing", NOTHING, "", "2026-12-10T09:00:00 once ringing", "",
         "2026-12-10T12:00:00", false, false},
        {"came from another PC already past", "2026-12-10T09:00:00 daily", NOTHING, "", "2026-12-10T09:00:00 daily",
         "2026-12-10T09:59:59", "2026-12-10T10:00:00", true, true},
        {"done, once: gone", "2026-12-10T09:00:00 once ringing", DONE, "2026-12-10T09:01:00", "", "", "", false, false},
        {"done, daily; the clock set back", "2026-12-10T09:00:00 daily ringing", DONE, "2026-12-10T09:01:00",
         "2026-12-11T09:00:00 daily", "2026-12-10T08:59:59", "2026-12-10T09:00:00", false, false},
        {"done, daily, days missed", "2026-12-01T09:00:00 daily ringing", DONE, "2026-12-10T12:00:00",
         "2026-12-11T09:00:00 daily", "2026-12-11T08:59:59", "2026-12-11T09:00:00", true, false},
        {"done, weekdays on a Friday", "2026-12-11T09:00:00 weekdays ringing", DONE, "2026-12-11T09:00:05",
         "2026-12-14T09:00:00 weekdays", "", "2026-12-13T23:59:59", false, false},
        {"done, weekly", "2026-12-10T09:00:00 weekly ringing", DONE, "2026-12-10T09:00:05",
         "2026-12-17T09:00:00 weekly", "", "", false, false},
        {"done, monthly on the 31st", "2027-01-31T09:00:00 monthly ringing", DONE, "2027-01-31T09:00:05",
         "2027-02-28T09:00:00 monthly/31", "", "", false, false},
        {"done, monthly back on the 31st", "2027-02-28T09:00:00 monthly/31 ringing", DONE, "2027-02-28T10:00:00",
         "2027-03-31T09:00:00 monthly", "", "", false, false},
        {"done, monthly over the year's end", "2026-12-15T09:00:00 monthly ringing", DONE, "2026-12-15T09:00:05",
         "2027-01-15T09:00:00 monthly", "", "", false, false},
        {"snoozed 5 minutes", "2026-12-10T09:00:00 once ringing", SNOOZE_5, "2026-12-10T09:00:30",
         "2026-12-10T09:00:00 once snooze 2026-12-10T09:05:30", "2026-12-10T09:05:29", "2026-12-10T09:05:30", true,
         false},
        {"snoozed an hour over midnight", "2026-12-10T23:30:00 daily ringing", SNOOZE_HOUR, "2026-12-10T23:30:10",
         "2026-12-10T23:30:00 daily snooze 2026-12-11T00:30:10", "2026-12-11T00:30:08", "2026-12-11T00:30:09", false,
         false},
        {"snoozed until tomorrow", "2026-12-10T09:00:00 once ringing", TOMORROW, "2026-12-10T12:00:00",
         "2026-12-10T09:00:00 once snooze 2026-12-11T09:00:00", "", "", false, false},
        {"done after a snooze keeps the schedule", "2026-12-10T09:00:00 daily snooze 2026-12-10T09:05:00 ringing", DONE,
         "2026-12-10T09:06:00", "2026-12-11T09:00:00 daily", "", "", false, false},
        {"daylight saving starts: 02:30 does not exist", "2027-03-28T02:30:00 once", NOTHING, "",
         "2027-03-28T02:30:00 once", "2027-03-28T01:59:59+60", "2027-03-28T03:00:00+120", true, false},
        {"daylight saving ends: 01:30 comes twice", "2026-10-25T01:30:00 daily ringing", DONE, "2026-10-25T01:31:00+120",
         "2026-10-26T01:30:00 daily", "2026-10-25T01:59:59+120", "2026-10-25T01:00:00+60", false, false},
        {"after the change, at its wall-clock time", "2026-11-02T09:00:00 daily", NOTHING, "", "2026-11-02T09:00:00 daily",
         "2026-11-02T08:59:59+60", "2026-11-02T09:00:00+60", true, false},
        {"flown west: not at 10:00 in Tokyo", "2026-12-10T10:00:00 once", NOTHING, "", "2026-12-10T10:00:00 once",
         "2026-12-10T18:00:00+540", "2026-12-10T09:00:01+0", false, false},
        {"flown west: at 10:00 in London", "2026-12-10T10:00:00 once", NOTHING, "", "2026-12-10T10:00:00 once",
         "2026-12-10T09:59:59+0", "2026-12-10T10:00:00+0", true, false},
        {"flown east past it, watched", "2026-12-10T12:00:00 once", NOTHING, "", "2026-12-10T12:00:00 once",
         "2026-12-10T09:00:00+0", "2026-12-10T18:00:01+540", true, false},
        {"a line that is none", "at nine", NOTHING, "", "", "", "", false, false},
        {"a day of the month on one not monthly", "2026-12-10T09:00:00 daily/5", NOTHING, "", "", "", "", false, false},
        {"a day that does not exist", "2027-02-29T09:00:00 once", NOTHING, "", "", "", "", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::optional<Reminder> reminder = parseReminder(r.line);
        if (reminder) EXPECT_EQ(formatReminder(*reminder), r.line);
        const LocalTime actAt = *r.actAt ? at(r.actAt).local : LocalTime{};
        switch (r.act) {
        case NOTHING: break;
        case DONE: reminder = completeReminder(*reminder, actAt); break;
        case SNOOZE_5: reminder = snoozeReminder(*reminder, Snooze::Minutes5, actAt); break;
        case SNOOZE_HOUR: reminder = snoozeReminder(*reminder, Snooze::Hour1, actAt); break;
        case TOMORROW: reminder = snoozeReminder(*reminder, Snooze::Tomorrow, actAt); break;
        }
        EXPECT_EQ(reminder ? formatReminder(*reminder) : "", r.stored);
        if (!*r.now) continue;
        std::optional<ClockReading> previous;
        if (*r.previous) previous = at(r.previous);
        const DueCheck check = checkReminder(*reminder, previous, at(r.now));
        EXPECT_EQ(check.rings, r.rings);
        EXPECT_EQ(check.late, r.late);
    }
}
