// A date and clock time to the second as the user's clock shows it (local
// time), with the calendar arithmetic that the generations' rules need.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

struct LocalTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;

    auto fields() const { return std::tie(year, month, day, hour, minute, second); }
    bool operator==(const LocalTime& o) const { return fields() == o.fields(); }
    bool operator!=(const LocalTime& o) const { return fields() != o.fields(); }
    bool operator<(const LocalTime& o) const { return fields() < o.fields(); }
};

// A real date of the Gregorian calendar (years 1 to 9999) and a time of day.
bool isValidLocalTime(const LocalTime& t);

// Days from 1970-01-01 to t's date (negative before it), Gregorian leap years.
int64_t dayNumber(const LocalTime& t);

// t moved by `days` calendar days (negative: back), at the same clock time.
LocalTime addDays(const LocalTime& t, int days);

// Seconds from `from` to `to` as the clock reads them (a day is 86,400 s).
int64_t secondsBetween(const LocalTime& from, const LocalTime& to);

// "YYYYMMDD-HHMMSS", as backup file names and the data file's delete marks
// write a time; none for text that is not one, or no real time.
std::string timeStamp(const LocalTime& t);
std::optional<LocalTime> parseTimeStamp(std::string_view text);
