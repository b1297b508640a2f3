#include "scriptlib/date_time.h"

#include <algorithm>
#include <cstdio>

#include "scriptlib/include/qsleng32.h"

namespace qsl {
namespace {

constexpr int64_t seconds_per_day = 86400;

// Days since 0000:03:01 of a March-based year b (= year + 400 for March to
// December, year + 399 for January and February) and day of that year.
int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

DateTime from_seconds(int64_t seconds) {
    DateTime t = from_julian_day(floor_div(seconds, seconds_per_day));
    int64_t rest = seconds - floor_div(seconds, seconds_per_day) * seconds_per_day;
    t.hour = rest / 3600;
    t.minute = rest / 60 % 60;
    t.second = rest % 60;
    return t;
}

// Years and months first, the day then clipped to the length of the month.
bool shift_months(const DateTime& base, int64_t months, DateTime& out) {
    int64_t total = base.year * 12 + (base.month - 1) + months;
    if (total < 0) return false;
    out = base;
    out.year = total / 12;
    out.month = total % 12 + 1;
    if (out.day > days_in_month(out.year, out.month)) out.day = days_in_month(out.year, out.month);
    return true;
}

}  // namespace

bool leap_year(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t days_in_month(int64_t year, int64_t month) {
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && leap_year(year)) return 29;
    return lengths[(month - 1) % 12];
}

int64_t julian_day(int64_t year, int64_t month, int64_t day) {
    int64_t b = year + (month + 9) / 12 + 399;
    return ((month + 9) % 12 * 153 + 2) / 5 + day + b / 4 + 365 * b + b / 400 - b / 100 - 146037;
}

DateTime from_julian_day(int64_t julian) {
    // The inverse of julian_day: days since the March-based year 0 of the
    // 400-year cycles, then the year of the cycle, the day of that year.
    int64_t days = julian + 146037 - 1;
    int64_t era = floor_div(days, 146097);
    int64_t of_era = days - era * 146097;
    int64_t year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
    int64_t day_of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    int64_t month_index = (5 * day_of_year + 2) / 153;  // 0 = March
    DateTime t;
    t.day = day_of_year - (153 * month_index + 2) / 5 + 1;
    t.month = month_index < 10 ? month_index + 3 : month_index - 9;
    t.year = year_of_era + era * 400 - 400 + (t.month <= 2 ? 1 : 0);
    return t;
}

bool parse_ymdhms(std::string_view text, DateTime& out, int level, bool expand_years) {
    out = DateTime{};
    if (text.find("::") != std::string_view::npos) return false;
    int64_t fields[6] = {};
    int count = 1, digits[6] = {};
    for (char ch : text) {
        if (ch == ':') {
            if (++count > 6) return false;
        } else if (ch >= '0' && ch <= '9') {
            // No field of a valid text has ten digits; stopping there keeps
            // the fields in range.
            if (++digits[count - 1] > 9) return false;
            fields[count - 1] = fields[count - 1] * 10 + (ch - '0');
        } else {
            return false;
        }
    }
    if (count != 3 && count != 6) return false;
    out = {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
    if (level == check_syntax) return true;
    if (out.hour == 24 && level == check_hour_24) out.hour = 0;
    if (level != check_hour_24 && (out.second >= 60 || out.minute >= 60 || out.hour >= 24)) return false;
    if (level == check_time) return true;
    if (out.day == 0 || out.month < 1 || out.month > 12 || digits[0] > 4) return false;
    if (expand_years && digits[0] >= 1 && digits[0] <= 2) out.year += out.year < 50 ? 2000 : 1900;
    return out.day <= days_in_month(out.year, out.month);
}

std::string format_ymdhms(const DateTime& t, bool four_digit_years) {
    char text[96];
    std::snprintf(text, sizeof text, four_digit_years ? "%04lld:%02lld:%02lld:%02lld:%02lld:%02lld"
                                                      : "%02lld:%02lld:%02lld:%02lld:%02lld:%02lld",
                  static_cast<long long>(four_digit_years ? t.year : t.year % 100), static_cast<long long>(t.month),
                  static_cast<long long>(t.day), static_cast<long long>(t.hour), static_cast<long long>(t.minute),
                  static_cast<long long>(t.second));
    return text;
}

int64_t seconds_of(const DateTime& t) {
    return julian_day(t.year, t.month, t.day) * seconds_per_day + t.hour * 3600 + t.minute * 60 + t.second;
}

bool add_date_time(const DateTime& base, DateTime delta, DateTime& out) {
    delta.day += delta.second / seconds_per_day;
    delta.second %= seconds_per_day;
    DateTime shifted;
    if (!shift_months(base, delta.year * 12 + delta.month, shifted)) return false;
    int64_t seconds = seconds_of(shifted) + delta.day * seconds_per_day + delta.hour * 3600 + delta.minute * 60 +
                      delta.second;
    out = from_seconds(seconds);
    return out.year >= 0;
}

bool subtract_date_time(const DateTime& base, DateTime delta, DateTime& out) {
    delta.day += delta.second / seconds_per_day;
    delta.second %= seconds_per_day;
    DateTime shifted;
    if (!shift_months(base, -(delta.year * 12 + delta.month), shifted)) return false;
    int64_t seconds = seconds_of(shifted) - delta.day * seconds_per_day - delta.hour * 3600 - delta.minute * 60 -
                      delta.second;
    if (seconds < seconds_per_day) return false;  // before 0000:01:01
    out = from_seconds(seconds);
    return true;
}

uint32_t dos_date_time(std::time_t when) {
    std::tm t{};
    localtime_r(&when, &t);
    return uint32_t(std::max(0, t.tm_year - 80)) << 25 | uint32_t(t.tm_mon + 1) << 21 | uint32_t(t.tm_mday) << 16 |
           uint32_t(t.tm_hour) << 11 | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_sec / 2);
}

}  // namespace qsl

extern "C" QSL_API int ParseYMDHMS(const char* text, int32_t fields[6], int check_level, int expand_years) {
    if (!text || !fields) return 0;
    qsl::DateTime t;
    bool valid = qsl::parse_ymdhms(text, t, check_level, expand_years != 0);
    const int64_t values[6] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
    for (int i = 0; i < 6; ++i) fields[i] = int32_t(values[i]);
    return valid ? 1 : 0;
}
