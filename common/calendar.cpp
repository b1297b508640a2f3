#include "common/calendar.h"

#include <array>
#include <cstdlib>

#include "common/platform/clock.h"
#include "common/holidays.h"
#include "common/platform/clock.h"
#include "common/platform/text.h"

namespace qv {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// atoi over a string_view: leading blanks, an optional sign, then digits (at
// most nine, so that no text can overflow).
struct Number {
    int value = 0;
    bool found = false;       // at least one digit
    std::size_t end = 0;      // position after the last character used
};

Number read_number(std::string_view text, std::size_t from = 0) {
    Number number;
    std::size_t i = from;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int digits = 0;
    while (i < text.size() && is_digit(text[i])) {
        if (digits < 9) number.value = number.value * 10 + (text[i] - '0');
        ++digits;
        ++i;
    }
    number.found = digits > 0;
    if (negative) number.value = -number.value;
    number.end = number.found ? i : from;
    return number;
}

// Month, day and year of a slashed text "M/D/Y" with any number of digits.
struct Slashed {
    int month = 0;
    int day = 0;
    int year = 0;
};

std::optional<Slashed> read_slashed(std::string_view text) {
    const Number month = read_number(text);
    if (!month.found || month.end >= text.size() || text[month.end] != '/') return std::nullopt;
    const Number day = read_number(text, month.end + 1);
    if (!day.found || day.end >= text.size() || text[day.end] != '/') return std::nullopt;
    const Number year = read_number(text, day.end + 1);
    if (!year.found) return std::nullopt;
    return Slashed{month.value, day.value, year.value};
}

// A fixed-width field of digits; nothing when any character is not a digit.
std::optional<int> digits_at(std::string_view text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!is_digit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

DayNumber date_to_lotus(int year, int month, int day) {
    if (year == 0 && month == 0 && day == 0) return no_date;
    long base = 0;
    long g = 0;
    if (year < 2000) {
        g = year - 1900L;
    } else {
        g = year - 2000L;
        // January and February 2000 count from the previous four-year cycle,
        // whose truncated share is one day short; only that year needs the
        // smaller base (every later year's g stays positive).
        const bool early_2000 = year == 2000 && (month == 1 || (month == 2 && day < 30));
        base = early_2000 ? 36524 : 36525;
    }
    long shifted_month = 0;
    if (month < 3) {
        g -= 1;
        shifted_month = month + 9L;
    } else {
        shifted_month = month - 3L;
    }
    const long result = ((g % 100) * 1461) / 4 + base + (shifted_month * 153 + 2) / 5 + day + 60;
    return static_cast<DayNumber>(static_cast<unsigned long>(result) & 0xFFFFu);
}

Date lotus_to_date(DayNumber n) {
    if (n == 0) return {};
    if (n <= 60) {
        if (n > 32) return {1900, 2, n - 32};
        return {1900, 1, n - 1};
    }
    long c = 4L * n - 241;
    long e = c / 1461;
    c = (c - 1461 * e + 4) / 4;
    const long f = (5 * c - 3) / 153;
    const int day = static_cast<int>(((5 * c - 3) % 153 + 5) / 5);
    int month = 0;
    if (f > 9) {
        month = static_cast<int>(f - 9);
        ++e;
    } else {
        month = static_cast<int>(f + 3);
    }
    return {static_cast<int>(e + 1900), month, day};
}

DayNumber today() {
    const LocalTime time = now();
    return date_to_lotus(time.year, time.month, time.day);
}

int day_of_week(std::string_view slashed_date) {
    static constexpr std::array<int, 12> offsets{0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const auto date = read_slashed(slashed_date);
    if (!date || date->month < 1 || date->month > 12) return 0;
    const long long y = date->month < 3 ? date->year - 1LL : date->year;
    const long long sum = y + y / 4 - y / 100 + y / 400 + offsets[date->month - 1] + date->day;
    return static_cast<int>(((sum % 7) + 7) % 7) + 1;
}

int weekday(DayNumber day) {
    // Day number 1 (in the serial convention) is a Sunday.
    return (day + 6) % 7 + 1;
}

DayNumber name_date(std::string_view file_name) {
    const auto yy = digits_at(file_name, 2, 2);
    const auto mm = digits_at(file_name, 4, 2);
    const auto dd = digits_at(file_name, 6, 2);
    if (!yy || !mm || !dd || *mm < 1 || *mm > 12 || *dd < 1 || *dd > 31) return no_date;
    return date_to_lotus(2000 + *yy, *mm, *dd);
}

DayNumber read_settings_date(std::string_view text) {
    if (text.size() <= 5) return no_date;
    const auto date = read_slashed(text);
    if (!date) return no_date;
    if (date->month < 0 || date->month > 12 || date->day < 0 || date->day > 31) return no_date;
    if (date->month == 0 && date->day == 0) return no_date;
    int year = date->year;
    if (year >= 0 && year < 50) {
        year += 2000;
    } else if (year >= 50 && year < 100) {
        year += 1900;
    }
    // A four-digit year is taken as it stands, but only where a day number exists.
    if (year < 1900 || year > 2079) return no_date;
    return date_to_lotus(year, date->month, date->day);
}

int chop_year(int year) {
    if (year == 0) return 0;
    return year >= 2000 ? year - 2000 : year - 1900;
}

int add_century(int year) {
    if (year >= 97 && year <= 99) return 1900 + year;
    if (year >= 0 && year <= 49) return 2000 + year;
    return year;
}

int idx_year(int year) { return (year >= 0 && year <= 29) ? 2000 + year : 1900 + year; }

int field8_year(int year) { return (year >= 0 && year <= 40) ? 2000 + year : 1900 + year; }

std::string widen_slashed_date(std::string_view text) {
    const auto date = read_slashed(text);
    if (!date) return std::string(text);
    int year = date->year;
    if (year < 1900) year += (year >= 0 && year <= 49) ? 2000 : 1900;
    return format("%02d/%02d/%04d", date->month, date->day, year);
}

bool is_trading_day(DayNumber day, const HolidayTable& holidays) {
    const int w = weekday(day);
    return w != saturday && w != sunday && !holidays.contains(day);
}

DayNumber next_trading_day(DayNumber day, const HolidayTable& holidays) {
    for (unsigned n = day + 1u; n <= last_day_number; ++n)
        if (is_trading_day(static_cast<DayNumber>(n), holidays)) return static_cast<DayNumber>(n);
    return no_date;
}

DayNumber next_weekday(DayNumber day) {
    constexpr DayNumber last_saturday_session = 19139;  // 25 May 1952
    for (unsigned n = day + 1u; n <= last_day_number; ++n) {
        const auto candidate = static_cast<DayNumber>(n);
        const int w = weekday(candidate);
        if (w == sunday) continue;
        if (w == saturday && candidate > last_saturday_session) continue;
        return candidate;
    }
    return no_date;
}

DayNumber next_output_day(DayNumber day, char include_holidays, const HolidayTable& holidays) {
    if (include_holidays == 'a') include_holidays = 'A';
    if (include_holidays == 'n') include_holidays = 'N';
    if (include_holidays == 'A') return day == last_day_number ? no_date : static_cast<DayNumber>(day + 1);
    DayNumber next = next_weekday(day);
    if (include_holidays == 'N') {
        while (next != no_date && holidays.contains(next)) next = next_weekday(next);
    }
    return next;
}

namespace {

// Appends `value` as "%0*d" prints it with `width` digits; the builder writes
// a date on every line of its table, so the usual values skip printf.
void append_digits(std::string& text, int value, int width) {
    static constexpr int limits[] = {1, 10, 100, 1000, 10000};
    if (width < 1 || width > 4 || value < 0 || value >= limits[width]) {
        text += format("%0*d", width, value);
        return;
    }
    char digits[4];
    for (int i = width; i-- > 0; value /= 10) digits[i] = static_cast<char>('0' + value % 10);
    text.append(digits, static_cast<std::size_t>(width));
}

}  // namespace

std::string output_date_text(const Date& date, char format_code) {
    std::string text;
    append_output_date(text, date, format_code);
    return text;
}

void append_output_date(std::string& text, const Date& date, char format_code) {
    const bool quoted = format_code == '2' || format_code == '4';
    if (quoted) text += '"';
    if (format_code == '1' || format_code == '2') {
        append_digits(text, date.month, 2);
        text += '/';
        append_digits(text, date.day, 2);
        text += '/';
        append_digits(text, date.year, 4);
    } else {
        append_digits(text, date.year, 4);
        append_digits(text, date.month, 2);
        append_digits(text, date.day, 2);
    }
    if (quoted) text += '"';
}

std::optional<Date> read_output_date(std::string_view text, char format_code) {
    const std::size_t quote = (format_code == '2' || format_code == '4') ? 1 : 0;
    std::optional<int> year, month, day;
    if (format_code == '1' || format_code == '2') {
        month = digits_at(text, quote, 2);
        day = digits_at(text, quote + 3, 2);
        year = digits_at(text, quote + 6, 4);
    } else {
        year = digits_at(text, quote, 4);
        month = digits_at(text, quote + 4, 2);
        day = digits_at(text, quote + 6, 2);
    }
    if (!year || !month || !day || *year < 100) return std::nullopt;
    return Date{*year, *month, *day};
}

}  // namespace qv
