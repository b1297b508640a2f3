#include "distributor/ascii_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "common/platform/text.h"

namespace qv::distributor {

namespace {

// The key, the date and the blank after it.
constexpr std::size_t update_prefix_length = 13;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The number of `count` digits at `at`; -1 when they are not all digits.
int digits_at(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!is_digit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int widen_two_digit_year(int year) { return year > 29 ? 1900 + year : 2000 + year; }

// The day of a date only when it is a real calendar date that a day number holds.
DayNumber checked_day(int year, int month, int day) {
    if (year < 1900 || year > 2079 || month < 1 || month > 12 || day < 1 || day > 31) return no_date;
    const DayNumber number = date_to_lotus(year, month, day);
    if (lotus_to_date(number) != Date{year, month, day}) return no_date;
    return number;
}

std::vector<std::string_view> blank_fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        fields.push_back(text.substr(start, end - start));
        at = end;
    }
    return fields;
}

std::optional<double> number_of(std::string_view field) {
    const std::string text(field);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Where the second-to-last number of an ASCII or update line starts, and how
// many fields the line holds; npos when it holds fewer than three (a date and
// two numbers).
std::size_t second_to_last_number(std::string_view line, std::size_t& fields) {
    constexpr std::string_view separators = " \t,";
    std::size_t starts[2] = {std::string_view::npos, std::string_view::npos};
    fields = 0;
    std::size_t at = 0;
    while (true) {
        const std::size_t start = line.find_first_not_of(separators, at);
        if (start == std::string_view::npos) break;
        starts[0] = starts[1];
        starts[1] = start;
        ++fields;
        at = line.find_first_of(separators, start);
        if (at == std::string_view::npos) break;
    }
    return fields < 3 ? std::string_view::npos : starts[0];
}

void apply_separator(std::string& line, char code) {
    if (code == 'S') return;
    const char separator = code == 'T' ? '\t' : ',';
    for (char& c : line)
        if (c == ' ') c = separator;
}

// Where a date style puts its digits: the quoted styles (2, 4, 6, 8) are the
// plain ones (1, 3, 5, 7) behind a double quote. A style outside 1 to 8 is
// taken as 1, so that no line is ever written without a date.
struct DateStyle {
    int plain = 1;
    bool quoted = false;
};

DateStyle date_style_of(char code) {
    if (code < '1' || code > '8') return {};
    const int number = code - '0';
    return {number % 2 == 1 ? number : number - 1, number % 2 == 0};
}

std::string date_text(const Date& date, char code) {
    const DateStyle style = date_style_of(code);
    std::string text;
    switch (style.plain) {
        case 1: text = format("%02d/%02d/%02d", date.month, date.day, date.year % 100); break;
        case 3: text = format("%02d%02d%02d", date.year % 100, date.month, date.day); break;
        case 5: text = format("%02d/%02d/%04d", date.month, date.day, date.year); break;
        default: text = format("%04d%02d%02d", date.year, date.month, date.day); break;
    }
    return style.quoted ? "\"" + text + "\" " : text + " ";
}

}  // namespace

DayNumber update_line_day(std::string_view line) {
    const int year = digits_at(line, 6, 2);
    const int month = digits_at(line, 8, 2);
    const int day = digits_at(line, 10, 2);
    if (year < 0 || month < 0 || day < 0) return no_date;
    return checked_day(widen_two_digit_year(year), month, day);
}

std::optional<std::string> reformat_update_line(std::string_view line, double multiplier, char option) {
    if (line.size() < update_prefix_length) return std::nullopt;
    const std::vector<std::string_view> fields = blank_fields(line.substr(update_prefix_length));
    // fields[0..3] open, high, low, close; [4] the contract's open interest,
    // [5] the volume, [6] the total open interest.
    const bool with_volume = option != 'N';
    const std::size_t open_interest = option == 'T' ? 6 : 4;
    const std::size_t needed = with_volume ? std::max<std::size_t>(open_interest, 5) + 1 : 4;
    if (fields.size() < needed) return std::nullopt;

    std::string out(line.substr(0, update_prefix_length));
    if (static_cast<float>(multiplier) == 1.0f) {
        out += std::string(fields[0]) + " " + std::string(fields[1]) + " " + std::string(fields[2]) + " " +
               std::string(fields[3]);
        if (with_volume) out += " " + std::string(fields[5]) + " " + std::string(fields[open_interest]);
        return out;
    }

    // Scaled prices are held as the 32-bit floats they always were; a line
    // written without a decimal point keeps whole numbers.
    const bool decimals = line.find('.') != std::string_view::npos;
    const double factor = static_cast<float>(multiplier);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::optional<double> value = number_of(fields[i]);
        if (!value) return std::nullopt;
        const float scaled = static_cast<float>(*value * factor);
        if (i > 0) out += ' ';
        out += decimals ? format("%G", static_cast<double>(scaled)) : format("%ld", static_cast<long>(scaled));
    }
    if (with_volume) {
        const std::optional<double> volume = number_of(fields[5]);
        const std::optional<double> interest = number_of(fields[open_interest]);
        if (!volume || !interest) return std::nullopt;
        out += format(" %ld %ld", static_cast<long>(*volume), static_cast<long>(*interest));
    }
    return out;
}

std::string ascii_line_text(std::string_view reformatted, const DistributorSettings& settings) {
    const int year = digits_at(reformatted, 6, 2);
    const Date date{widen_two_digit_year(year < 0 ? 0 : year), digits_at(reformatted, 8, 2),
                    digits_at(reformatted, 10, 2)};
    std::string line = date_text(date, settings.date_style());
    if (reformatted.size() > update_prefix_length) line += reformatted.substr(update_prefix_length);
    apply_separator(line, settings.separator_code());
    return line;
}

DayNumber ascii_line_day(std::string_view line, char date_style) {
    const DateStyle style = date_style_of(date_style);
    // Offsets of month, day and year in the plain style, and the year's width.
    struct Layout {
        std::size_t month, day, year, year_digits;
    };
    Layout layout{};
    switch (style.plain) {
        case 1: layout = {0, 3, 6, 2}; break;
        case 3: layout = {2, 4, 0, 2}; break;
        case 5: layout = {0, 3, 6, 4}; break;
        default: layout = {4, 6, 0, 4}; break;
    }
    const std::size_t at = style.quoted ? 1 : 0;
    int year = digits_at(line, at + layout.year, layout.year_digits);
    if (year >= 0 && layout.year_digits == 2) year = widen_two_digit_year(year);
    return checked_day(year, digits_at(line, at + layout.month, 2), digits_at(line, at + layout.day, 2));
}

void copy_volume_oi(std::string& older, std::string_view newer, const DistributorSettings& settings) {
    if (settings.volume_option() == 'N') return;
    std::size_t older_fields = 0;
    std::size_t newer_fields = 0;
    const std::size_t from_older = second_to_last_number(older, older_fields);
    const std::size_t from_newer = second_to_last_number(newer, newer_fields);
    if (from_older == std::string_view::npos || from_newer == std::string_view::npos) return;
    // A line written under another volume option holds other figures there:
    // they are not overwritten with the volume.
    if (older_fields != newer_fields) return;
    older.replace(from_older, std::string::npos, newer.substr(from_newer));
    apply_separator(older, settings.separator_code());
}

}  // namespace qv::distributor
