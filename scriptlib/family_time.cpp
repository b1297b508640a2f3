// The time functions: YmdHms arithmetic and differences, Julian date
// numbers, the clock, and the waits. A wait pumps messages as it goes, so a
// Ctrl+Break request ends it (and the script after the statement).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

#include "scriptlib/families.h"
#include "scriptlib/library_clock.h"
#include "scriptlib/run_loop.h"

namespace qsl {
namespace {

constexpr double longest_wait_seconds = 100.0 * 366 * 86400;

bool four_digits(const Call& call) { return call.c.in->four_digit_years != 0; }

DateTime parsed(const Call& call, int i, int level, bool expand, int error) {
    DateTime t;
    if (!parse_ymdhms(call.text(i), t, level, expand)) fail(error);
    return t;
}

// TimeAdd and TimeSubtract: the base checked in full with year expansion,
// the delta for its syntax only.
using Shift = bool (*)(const DateTime&, DateTime, DateTime&);

void shift_time(Call& call, Shift shift, int bad_value, int not_computable) {
    DateTime base = parsed(call, 0, check_full, true, bad_value);
    DateTime delta = parsed(call, 1, check_syntax, false, bad_value);
    DateTime result;
    if (!shift(base, delta, result)) fail(not_computable);
    call.out.set_string(format_ymdhms(result, four_digits(call)));
}

void time_add(Call& call) {
    shift_time(call, add_date_time, errors::timeadd_bad_value, errors::timeadd_bad_value);
}

void time_subtract(Call& call) {
    shift_time(call, subtract_date_time, errors::timesubtract_bad_value, errors::cannot_subtract_times);
}

// Both arguments of a difference, checked in full with year expansion.
struct TimePair {
    DateTime first, second;
    explicit TimePair(const Call& call)
        : first(parsed(call, 0, check_full, true, errors::timediff_bad_value)),
          second(parsed(call, 1, check_full, true, errors::timediff_bad_value)) {}
    int64_t days() const {
        return julian_day(first.year, first.month, first.day) - julian_day(second.year, second.month, second.day);
    }
};

void time_diff_days(Call& call) { call.out.set_int(int32_t(TimePair(call).days())); }

void time_diff_secs(Call& call) {
    TimePair pair(call);
    if (pair.days() > 22000 || pair.days() < -22000) fail(errors::timediff_out_of_range);
    call.out.set_int(int32_t(seconds_of(pair.first) - seconds_of(pair.second)));
}

// TimeDiff(later, earlier): the difference as a YmdHms string, whole months
// first, so that adding it to the earlier time gives the later one.
void time_diff(Call& call) {
    TimePair pair(call);
    if (seconds_of(pair.first) < seconds_of(pair.second)) fail(errors::timediff_bad_value);
    int64_t months = (pair.first.year * 12 + pair.first.month) - (pair.second.year * 12 + pair.second.month);
    DateTime step;
    for (; months > 0; --months) {
        DateTime delta;
        delta.month = months;
        if (add_date_time(pair.second, delta, step) && seconds_of(step) <= seconds_of(pair.first)) break;
    }
    DateTime from = pair.second;
    if (months > 0) {
        DateTime delta;
        delta.month = months;
        add_date_time(pair.second, delta, from);
    }
    int64_t rest = seconds_of(pair.first) - seconds_of(from);
    DateTime difference;
    difference.year = months / 12;
    difference.month = months % 12;
    difference.day = rest / 86400;
    difference.hour = rest / 3600 % 24;
    difference.minute = rest / 60 % 60;
    difference.second = rest % 60;
    call.out.set_string(format_ymdhms(difference, true));
}

void time_julian_day(Call& call) {
    DateTime t = parsed(call, 0, check_full, true, errors::timediff_bad_value);
    call.out.set_int(int32_t(julian_day(t.year, t.month, t.day)));
}

void time_jul_to_ymd(Call& call) {
    if (call.integer(0) <= 0) fail(errors::bad_julian_date);
    call.out.set_string(format_ymdhms(from_julian_day(call.integer(0)), four_digits(call)));
}

void time_ymdhms(Call& call) { call.out.set_string(format_ymdhms(clock_now(), four_digits(call))); }

// TimeDate and DateTime: "Fri 12/11/2026 09:05:03 AM" (two-digit year with
// the setting off).
void time_date(Call& call) {
    DateTime now = clock_now();
    static constexpr const char* weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    int64_t weekday = (julian_day(now.year, now.month, now.day) + 5) % 7;
    int64_t hour12 = now.hour % 12 == 0 ? 12 : now.hour % 12;
    char text[96];
    std::snprintf(text, sizeof text, "%s %02lld/%02lld/%0*lld %02lld:%02lld:%02lld %s", weekdays[weekday],
                  static_cast<long long>(now.month), static_cast<long long>(now.day), four_digits(call) ? 4 : 2,
                  static_cast<long long>(four_digits(call) ? now.year : now.year % 100),
                  static_cast<long long>(hour12), static_cast<long long>(now.minute),
                  static_cast<long long>(now.second), now.hour < 12 ? "AM" : "PM");
    call.out.set_string(text);
}

// GetExactTime: "hh:mm:ss.hh", to the hundredth of a second.
void get_exact_time(Call& call) {
    DateTime now = clock_now();
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02d", static_cast<long long>(now.hour),
                  static_cast<long long>(now.minute), static_cast<long long>(now.second),
                  clock_milliseconds() / 10);
    call.out.set_string(text);
}

void get_tick_count(Call& call) { call.out.set_int(int32_t(uint32_t(clock_ticks()))); }

void delay(Call& call) {
    double seconds = call.real(0);
    if (!std::isfinite(seconds) || seconds > longest_wait_seconds) fail(errors::delay_not_computable);
    wait_for(call.c, int64_t(seconds * 1000.0));
    call.out.set_int(1);
}

void time_wait(Call& call) {
    DateTime target = parsed(call, 0, check_full, true, errors::timewait_bad_format);
    DateTime now = clock_now();
    int64_t milliseconds = (seconds_of(target) - seconds_of(now)) * 1000 - clock_milliseconds();
    wait_for(call.c, milliseconds);
    call.out.set_int(1);
}

void yields(Call& call) {
    for (int32_t i = 0; i < call.integer(0) && !call.c.in->terminate_requested; ++i) pump_messages(call.c);
    call.out.set_int(1);
}

const Builtin functions[] = {
    {"datetime", time_date},
    {"delay", delay},
    {"getexacttime", get_exact_time},
    {"gettickcount", get_tick_count},
    {"timeadd", time_add},
    {"timedate", time_date},
    {"timedelay", delay},
    {"timediff", time_diff},
    {"timediffdays", time_diff_days},
    {"timediffsecs", time_diff_secs},
    {"timejulianday", time_julian_day},
    {"timejultoymd", time_jul_to_ymd},
    {"timesubtract", time_subtract},
    {"timewait", time_wait},
    {"timeymdhms", time_ymdhms},
    {"yields", yields},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
