// Date-time strings "year:month:day:hour:minute:second" (YmdHms) and Julian
// date numbers: the proleptic Gregorian calendar with a year 0, in which
// 0000:01:01 is day 1 and 2000:01:01 day 730486.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace qsl {

struct DateTime {
    int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Check levels of parse_ymdhms.
constexpr int check_syntax = 0;
constexpr int check_full = 1;
constexpr int check_hour_24 = 2;  // hour 24 allowed (as 0), time fields unchecked
constexpr int check_time = 3;

bool parse_ymdhms(std::string_view text, DateTime& out, int level, bool expand_years);

bool leap_year(int64_t year);
int64_t days_in_month(int64_t year, int64_t month);
int64_t julian_day(int64_t year, int64_t month, int64_t day);
DateTime from_julian_day(int64_t julian);  // julian >= 1; time 00:00:00

// The YmdHms text; with two-digit years off, the year is its last two digits.
std::string format_ymdhms(const DateTime& t, bool four_digit_years);

// The date-time that delta (years, months, days, ...) after or before base;
// false when the result falls before year 0.
bool add_date_time(const DateTime& base, DateTime delta, DateTime& out);
bool subtract_date_time(const DateTime& base, DateTime delta, DateTime& out);

// Seconds from the start of day 1 (for differences).
int64_t seconds_of(const DateTime& t);

// The DOS packed date (high 16 bits: years from 1980, month, day) and time
// (low 16 bits: hours, minutes, seconds / 2) of a moment in local time, so
// that later moments have larger codes.
uint32_t dos_date_time(std::time_t when);

}  // namespace qsl
