#include "store/Reminder.h"
#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <vector>
#include "store/LineFormat.h"

namespace {

// Between two checks a second apart, more than this of real time means the
// program did not watch: the PC slept or the program stood still.
constexpr int64_t WATCH_GAP_SECONDS = 120;

constexpr std::array<std::string_view, 5> REPEAT_NAMES{"once", "daily", "weekdays", "weekly", "monthly"};

std::string formatTime(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::optional<LocalTime> parseTime(std::string_view text) {
    LocalTime t;
    char tail = 0;
    if (text.size() != 19 || std::sscanf(std::string(text).c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month,
                                         &t.day, &t.hour, &t.minute, &t.second, &tail) != 6 ||
        !isValidLocalTime(t)) {
        return std::nullopt;
    }
    return t;
}

// The schedule's time after `t`, one step on.
LocalTime nextOf(const Reminder& r, const LocalTime& t) {
    switch (r.repeat) {
    case Repeat::None: break;
    case Repeat::Daily: return addDays(t, 1);
    case Repeat::Weekly: return addDays(t, 7);
    case Repeat::Weekdays: {
        LocalTime next = addDays(t, 1);
        while (dayOfWeek(next) == 0 || dayOfWeek(next) == 6) next = addDays(next, 1);
        return next;
    }
    case Repeat::Monthly: {
        LocalTime next = t;
        next.month = t.month % 12 + 1;
        next.year = t.year + (t.month == 12 ? 1 : 0);
        next.day = r.monthDay;
        while (next.day > 28 && !isValidLocalTime(next)) --next.day;
        return next;
    }
    }
    return t;
}

}  // namespace

int dayOfWeek(const LocalTime& t) { return int(((dayNumber(t) + 4) % 7 + 7) % 7); }  // 1970-01-01 was a Thursday

LocalTime addMinutes(const LocalTime& t, int minutes) {
    const int64_t total = int64_t(t.hour) * 60 + t.minute + minutes;
    const int64_t days = (total >= 0 ? total : total - 1439) / 1440;
    LocalTime out = addDays(t, int(days));
    out.hour = int((total - days * 1440) / 60);
    out.minute = int((total - days * 1440) % 60);
    return out;
}

Reminder makeReminder(const LocalTime& at, Repeat repeat) {
    Reminder r;
    r.at = at;
    r.repeat = repeat;
    r.monthDay = at.day;
    return r;
}

LocalTime ringTime(const Reminder& r) { return r.snoozedUntil ? *r.snoozedUntil : r.at; }

DueCheck checkReminder(const Reminder& r, const std::optional<ClockReading>& previous, const ClockReading& now) {
    DueCheck check;
    const LocalTime due = ringTime(r);
    if (r.ringing || now.local < due) return check;
    check.rings = true;
    if (!previous) {
        check.late = true;
        return check;
    }
    // Real time, not the wall clock's: a daylight-saving change moves the
    // wall clock by an hour between two checks a second apart.
    const int64_t realGap = secondsBetween(previous->local, now.local) -
                            int64_t(now.utcOffsetMinutes - previous->utcOffsetMinutes) * 60;
    check.late = realGap > WATCH_GAP_SECONDS || !(previous->local < due);
    return check;
}

std::optional<Reminder> completeReminder(const Reminder& r, const LocalTime& now) {
    if (r.repeat == Repeat::None) return std::nullopt;
    Reminder next = r;
    next.snoozedUntil.reset();
    next.ringing = false;
    const LocalTime after = std::max(r.at, now);
    do {
        next.at = nextOf(r, next.at);
    } while (!(after < next.at));
    return next;
}

Reminder snoozeReminder(const Reminder& r, Snooze snooze, const LocalTime& now) {
    static const int MINUTES[] = {5, 10, 30, 60};
    Reminder next = r;
    next.ringing = false;
    if (snooze == Snooze::Tomorrow) {
        LocalTime t = addDays(now, 1);
        const LocalTime rang = ringTime(r);
        t.hour = rang.hour, t.minute = rang.minute, t.second = rang.second;
        next.snoozedUntil = t;
    } else {
        next.snoozedUntil = addMinutes(now, MINUTES[int(snooze)]);
    }
    return next;
}

std::wstring reminderTimeText(const LocalTime& t) {
    wchar_t text[40];
    std::swprintf(text, 40, L"%d/%d/%d %d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

std::string formatReminder(const Reminder& r) {
    std::string out = formatTime(r.at) + ' ' + std::string(REPEAT_NAMES[int(r.repeat)]);
    if (r.repeat == Repeat::Monthly && r.monthDay != r.at.day) out += '/' + std::to_string(r.monthDay);
    if (r.snoozedUntil) out += " snooze " + formatTime(*r.snoozedUntil);
    if (r.ringing) out += " ringing";
    return out;
}

std::optional<Reminder> parseReminder(std::string_view value) {
    const std::vector<std::string_view> words = lineformat::words(value);
    if (words.size() < 2) return std::nullopt;
    const std::optional<LocalTime> at = parseTime(words[0]);
    std::string_view repeat = words[1];
    const size_t slash = repeat.find('/');
    const auto name = std::find(REPEAT_NAMES.begin(), REPEAT_NAMES.end(), repeat.substr(0, slash));
    if (!at || name == REPEAT_NAMES.end()) return std::nullopt;
    Reminder r = makeReminder(*at, Repeat(name - REPEAT_NAMES.begin()));
    if (slash != std::string_view::npos) {  // a monthly one's day, when not its time's
        int day = 0;
        if (r.repeat != Repeat::Monthly) return std::nullopt;
        if (std::sscanf(std::string(repeat.substr(slash + 1)).c_str(), "%d", &day) != 1 || day < 1 || day > 31) {
            return std::nullopt;
        }
        r.monthDay = day;
    }
    for (size_t i = 2; i < words.size(); ++i) {
        if (words[i] == "ringing") {
            r.ringing = true;
        } else if (words[i] == "snooze" && i + 1 < words.size() && (r.snoozedUntil = parseTime(words[i + 1]))) {
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return r;
}
