#include "common/sampling.h"

namespace qv {

namespace {

constexpr int friday = 5;

bool is_short_month(int month) { return month == 4 || month == 6 || month == 9 || month == 11; }

}  // namespace

bool closes_month(const Date& date, int weekday_from_sunday) {
    const int day = date.day;
    const int month = date.month;
    const bool on_friday = weekday_from_sunday == friday;
    if (day < 26) return false;
    if (day == 31) return true;
    if (day == 30 && is_short_month(month)) return true;
    if (on_friday && (day == 29 || day == 30)) return true;
    if (month == 2 && (day == 28 || day == 29)) return true;
    if (on_friday && day == 28 && is_short_month(month)) return true;
    if (on_friday && month == 2 && (day == 26 || day == 27)) return true;
    return false;
}

bool is_sampling_day(DayNumber day, char period, const HolidayTable& holidays) {
    if (period == 'D') return true;
    if (period == 'M') return closes_month(lotus_to_date(day), weekday(day) - 1);
    if (period != 'W' && (period < '1' || period > '6')) return false;
    const int target = period == 'W' ? friday : period - '0';
    if (weekday(day) - 1 == target) return true;
    const DayNumber next = static_cast<DayNumber>(day + 1);
    return holidays.contains(next) && weekday(next) - 1 == target;
}

}  // namespace qv
