// A memo's reminder and the rules of when it rings. The time is the wall
// clock's: a reminder set for 9:00 rings at 9:00 after a daylight-saving
// change or a move to another time zone. No clock of its own: every rule
// takes the reading it works on.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include "store/LocalTime.h"

enum class Repeat { None, Daily, Weekdays, Weekly, Monthly };

struct Reminder {
    LocalTime at;  // when the schedule is next due
    Repeat repeat = Repeat::None;
    // A monthly reminder's day of the month: the 31st rings on the 30th in
    // April and on the 31st again in May.
    int monthDay = 1;
    std::optional<LocalTime> snoozedUntil;
    bool ringing = false;  // came due and waits for 完了 or a snooze
    bool operator==(const Reminder& o) const {
        return at == o.at && repeat == o.repeat && monthDay == o.monthDay && snoozedUntil == o.snoozedUntil &&
               ringing == o.ringing;
    }
    bool operator!=(const Reminder& o) const { return !(*this == o); }
};

// A reading of the clock: the wall time and how far it is ahead of UTC.
struct ClockReading {
    LocalTime local;
    int utcOffsetMinutes = 0;
};

// The one source of the time: the system's, or a test's that moves it.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual ClockReading now() const = 0;
};
// The system's clock (store/FileIO.cpp).
const WallClock& systemClock();

// A new reminder at `at`, not snoozed, not ringing.
Reminder makeReminder(const LocalTime& at, Repeat repeat);

// When it rings next: the snooze's time, or the schedule's.
LocalTime ringTime(const Reminder& r);

struct DueCheck {
    bool rings = false;
    // It came due while nothing watched: the program was not running, the
    // PC slept, or it came from another PC already past.
    bool late = false;
};

// The check at each tick. `previous`: the reading of the check before in
// this run, none at the start and after a resume. A reminder rings once:
// from then on it is ringing until 完了 or a snooze, whatever the clock does.
DueCheck checkReminder(const Reminder& r, const std::optional<ClockReading>& previous, const ClockReading& now);

// 完了: none for a reminder that does not repeat; otherwise its schedule's
// first time after both its last one and now (the days missed are skipped).
std::optional<Reminder> completeReminder(const Reminder& r, const LocalTime& now);

enum class Snooze { Minutes5, Minutes10, Minutes30, Hour1, Tomorrow };
// Rings again after that time from now; "Tomorrow": tomorrow at the clock
// time it rang for.
Reminder snoozeReminder(const Reminder& r, Snooze snooze, const LocalTime& now);

// The memo file's value: "<at> <repeat>[ snooze <time>][ ringing]", times as
// 2026-12-10T09:00:00. None for a value that is not one.
std::string formatReminder(const Reminder& r);
std::optional<Reminder> parseReminder(std::string_view value);

// As the user reads a reminder's time: "2026/12/10 9:05".
std::wstring reminderTimeText(const LocalTime& t);

// 0 Sunday to 6 Saturday.
int dayOfWeek(const LocalTime& t);
// `t` moved by whole minutes of the wall clock.
LocalTime addMinutes(const LocalTime& t, int minutes);
