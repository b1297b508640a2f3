#include "common/platform/clock.h"

#include "common/platform/environment.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace qv {
namespace {

bool is_leap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

// Reads exactly `count` digits at `pos`.
bool digits(const std::string& text, std::size_t pos, std::size_t count, int& out) {
    if (pos + count > text.size()) return false;
    out = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

// YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, a real date and time of day.
bool parse_moment(const std::string& text, LocalTime& t) {
    if (text.size() != 10 && text.size() != 19) return false;
    if (!digits(text, 0, 4, t.year) || text[4] != '-' || !digits(text, 5, 2, t.month) || text[7] != '-' ||
        !digits(text, 8, 2, t.day))
        return false;
    if (text.size() == 19) {
        if (text[10] != 'T' || !digits(text, 11, 2, t.hour) || text[13] != ':' || !digits(text, 14, 2, t.minute) ||
            text[16] != ':' || !digits(text, 17, 2, t.second))
            return false;
    }
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= days_in_month(t.year, t.month) && t.hour < 24 && t.minute < 60 && t.second < 60;
}

LocalTime system_time() {
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

}  // namespace

LocalTime now() {
    const auto today = get_env("QUORVANT_TODAY");
    if (!today || today->empty()) return system_time();
    LocalTime moment;
    if (parse_moment(*today, moment)) return moment;
    // A mistyped test date must not silently pass for the real one unnoticed.
    static bool warned = false;
    if (!warned) {
        warned = true;
        std::fprintf(stderr, "QUORVANT_TODAY=%s is not YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS; using the system clock\n",
                     today->c_str());
    }
    return system_time();
}

}  // namespace qv
