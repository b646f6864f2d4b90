#include "store/LocalTime.h"
#include <cstdio>

namespace {

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : DAYS[m - 1];
}

// Eras of 400 years repeat the calendar exactly: 146,097 days each, counted
// from March so that a leap day ends its year.
constexpr int64_t DAYS_PER_ERA = 146097;
constexpr int64_t DAYS_TO_1970_03 = 719468;

}  // namespace

bool isValidLocalTime(const LocalTime& t) {
    return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
           t.second >= 0 && t.second < 60;
}

int64_t dayNumber(const LocalTime& t) {
    const int64_t y = t.month <= 2 ? t.year - 1 : t.year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (t.month > 2 ? t.month - 3 : t.month + 9) + 2) / 5 + t.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * DAYS_PER_ERA + dayOfEra - DAYS_TO_1970_03;
}

LocalTime addDays(const LocalTime& t, int days) {
    const int64_t z = dayNumber(t) + days + DAYS_TO_1970_03;
    const int64_t era = (z >= 0 ? z : z - DAYS_PER_ERA + 1) / DAYS_PER_ERA;
    const int64_t dayOfEra = z - era * DAYS_PER_ERA;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    LocalTime out = t;
    out.day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    out.month = int(mp < 10 ? mp + 3 : mp - 9);
    out.year = int(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
    return out;
}

int64_t secondsBetween(const LocalTime& from, const LocalTime& to) {
    auto seconds = [](const LocalTime& t) { return dayNumber(t) * 86400 + t.hour * 3600 + t.minute * 60 + t.second; };
    return seconds(to) - seconds(from);
}

std::string timeStamp(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::optional<LocalTime> parseTimeStamp(std::string_view text) {
    if (text.size() != 15 || text[8] != '-') return std::nullopt;
    int v[6];
    const size_t at[6][2] = {{0, 4}, {4, 2}, {6, 2}, {9, 2}, {11, 2}, {13, 2}};
    for (int i = 0; i < 6; ++i) {
        v[i] = 0;
        for (char c : text.substr(at[i][0], at[i][1])) {
            if (c < '0' || c > '9') return std::nullopt;
            v[i] = v[i] * 10 + (c - '0');
        }
    }
    const LocalTime t{v[0], v[1], v[2], v[3], v[4], v[5]};
    if (!isValidLocalTime(t)) return std::nullopt;
    return t;
}
