#include "common/build_settings.h"

#include <climits>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/calendar.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv {

namespace {

using S = BuildSettings;

constexpr std::array<OptionRow, option_count> rows{{
    {"STARTINGDATE", OptionValue::date, {}, nullptr, &S::starting_date},
    {"ENDINGDATE", OptionValue::date, {}, nullptr, &S::ending_date},
    {"OUTPUTDATEFORMAT", OptionValue::letter, "1234", &S::output_date_format},
    {"OUTPUTCOLUMNHEADINGS", OptionValue::letter, "YNyn", &S::output_column_headings},
    {"COLHEADINGSINQUOTES", OptionValue::letter, "YNyn", &S::col_headings_in_quotes},
    {"INCLUDEHOLIDAYS", OptionValue::letter, "YNAyna", &S::include_holidays},
    {"VALUEOFINCLUDEDHOLIDAY", OptionValue::letter, "PZNpzn", &S::value_of_included_holiday},
    {"COLSEPARATORCHARACTER", OptionValue::letter, "SCTsct", &S::col_separator_character},
    {"SAMPLINGPERIOD", OptionValue::letter, "DWMBKHdwmbkh1234567", &S::sampling_period},
    {"OVERWRITEOUTPUTFILE", OptionValue::letter, "YNyn", &S::overwrite_output_file},
    {"COTINTERPOLATIONMETHOD", OptionValue::letter, "12", &S::cot_interpolation_method},
    {"COTINDEXLOOKBACKDAYS", OptionValue::lookback_days, {}, nullptr, &S::cot_index_lookback_days},
    {"FIRSTLINETITLE", OptionValue::title, {}, nullptr, &S::first_line_title},
    {"CLCLINKINGMETHOD", OptionValue::letter, "1234", &S::clc_linking_method},
    {"CLCNEGPRICEHANDLING", OptionValue::letter, "12345", &S::clc_neg_price_handling},
    {"IDXINTERPOLATIONMETHOD", OptionValue::letter, "12", &S::idx_interpolation_method},
    {"IDXINCLUDESATTRADING", OptionValue::letter, "YNyn", &S::idx_includes_sat_trading},
    {"OUTPUTFORMAT", OptionValue::letter, "AaMm", &S::output_format},
    {"DAYSPERBAR", OptionValue::days_per_bar, {}, nullptr, &S::days_per_bar},
}};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_end(std::string_view text) {
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view skip_spaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// A number as the C library reads one with "%d": blanks, a sign, digits.
// Saturates instead of overflowing.
std::optional<int> read_int(std::string_view& text) {
    text = skip_spaces(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !is_digit(text.front())) return std::nullopt;
    long value = 0;
    while (!text.empty() && is_digit(text.front())) {
        value = std::min<long>(value * 10 + (text.front() - '0'), INT_MAX);
        text.remove_prefix(1);
    }
    return static_cast<int>(negative ? -value : value);
}

struct Date {
    int month, day, year;
};

// month/day/year within the ranges an option date may have. What follows the
// year is not looked at.
std::optional<Date> read_option_date(std::string_view text) {
    const auto month = read_int(text);
    if (!month || text.empty() || text.front() != '/') return std::nullopt;
    text.remove_prefix(1);
    const auto day = read_int(text);
    if (!day || text.empty() || text.front() != '/') return std::nullopt;
    text.remove_prefix(1);
    const auto year = read_int(text);
    if (!year) return std::nullopt;
    if (*month < 0 || *month > 12 || *day < 0 || *day > 31 || *year < 0 || *year > 2050) return std::nullopt;
    return Date{*month, *day, *year};
}

std::string stored_date(const Date& date) {
    if (date.month == 0 && date.day == 0 && date.year == 0) return "00/00/0000";
    return widen_slashed_date(format("%d/%d/%d", date.month, date.day, date.year));
}

// A whole number written with digits only, within [low, high].
bool whole_number_within(std::string_view text, long low, long high) {
    if (text.empty()) return false;
    long value = 0;
    for (const char c : text) {
        if (!is_digit(c)) return false;
        value = std::min<long>(value * 10 + (c - '0'), 1000000L);
    }
    return value >= low && value <= high;
}

bool value_accepted(const OptionRow& row, std::string_view value) {
    switch (row.kind) {
        case OptionValue::date: return read_option_date(value).has_value();
        case OptionValue::letter: return !value.empty() && row.accepted.find(value.front()) != std::string_view::npos;
        case OptionValue::lookback_days: return whole_number_within(value, 20, 9999);
        case OptionValue::title: return value.size() <= title_length;
        case OptionValue::days_per_bar: return whole_number_within(value, 1, 999);
    }
    return false;
}

void store_value(BuildSettings& settings, const OptionRow& row, std::string_view value) {
    if (row.kind == OptionValue::date) {
        settings.*row.text = stored_date(*read_option_date(value));
    } else if (row.kind == OptionValue::letter) {
        settings.*row.letter = to_upper(value.substr(0, 1)).front();
    } else {
        settings.*row.text = std::string(value);
    }
}

struct OptionLine {
    int row = option_unknown;
    std::string_view value;
};

// Splits "#KEYWORD=VALUE" or "#KEYWORD: VALUE". The keyword ends at the first
// "=" or ":" and leaves out blanks and full stops; a ":" may still be followed
// by "=". The value starts at its first non-blank character and loses its
// trailing blanks.
OptionLine split_option_line(std::string_view line) {
    OptionLine split;
    if (line.empty() || line.front() != '#') return split;
    const std::size_t separator = line.find_first_of("=:", 1);
    if (separator == std::string_view::npos) {
        split.row = option_no_separator;
        return split;
    }
    std::string keyword;
    for (const char c : line.substr(1, separator - 1)) {
        if (c != ' ' && c != '\t' && c != '.') keyword += c;
    }
    split.row = find_option(keyword);
    std::string_view value = skip_spaces(line.substr(separator + 1));
    if (line[separator] == ':' && !value.empty() && value.front() == '=') value = skip_spaces(value.substr(1));
    split.value = trim_end(value);
    return split;
}

}  // namespace

const std::array<OptionRow, option_count>& option_table() { return rows; }

char BuildSettings::column_separator() const {
    switch (col_separator_character) {
        case 'S': case 's': return ' ';
        case 'T': case 't': return '\t';
        default: return ',';
    }
}

int find_option(std::string_view keyword) {
    if (keyword.size() < keyword_significant) return option_unknown;
    const std::string_view significant = keyword.substr(0, keyword_significant);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (equal_no_case(significant, rows[i].keyword.substr(0, keyword_significant))) return static_cast<int>(i);
    }
    return option_unknown;
}

int check_option_line(std::string_view line) {
    const OptionLine split = split_option_line(trim_end(line));
    if (split.row < 0) return split.row;
    return value_accepted(rows[split.row], split.value) ? option_valid : option_bad_value;
}

bool apply_option_line(BuildSettings& settings, std::string_view line) {
    const std::string upper = to_upper(trim_end(line));
    const OptionLine split = split_option_line(upper);
    if (split.row < 0 || !value_accepted(rows[split.row], split.value)) return false;
    store_value(settings, rows[split.row], split.value);
    return true;
}

namespace {

// LASTMAP.QVT's setting lines in their order: the option row each one sets.
constexpr int month_line = -10;
constexpr int year_line = -11;
constexpr std::array<int, 21> lastmap_rows{0, 1, 2, 3, 4, 7, 8, 5, 6, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                           month_line, year_line, 18};
constexpr std::size_t title_line = 13;

bool substitution_character(char c) { return std::string_view("!#$%&@^").find(c) != std::string_view::npos; }

// A line's value: its text up to the first blank.
std::string_view first_word(std::string_view line) {
    line = skip_spaces(line);
    const std::size_t end = line.find_first_of(" \t");
    return end == std::string_view::npos ? line : line.substr(0, end);
}

void load_setting(BuildSettings& settings, std::size_t number, std::string_view line) {
    const int row = lastmap_rows[number - 1];
    if (number == title_line) {
        settings.first_line_title = std::string(trim_end(line.substr(0, title_length)));
        return;
    }
    const std::string value = to_upper(first_word(line));
    if (row == month_line || row == year_line) {
        // "6" and "7" stand for the start values.
        char& target = row == month_line ? settings.month_substitution : settings.year_substitution;
        if (value.size() == 1 && substitution_character(value.front())) target = value.front();
        return;
    }
    if (number == 21 && value == "8") return;  // "8" stands for the start value
    if (value_accepted(rows[row], value)) store_value(settings, rows[row], value);
}

}  // namespace

BuildSettings read_last_settings(std::string_view content, LastMapStart from) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        content.remove_prefix(end + 1);
    }
    const std::string_view mark = from == LastMapStart::start ? "START" : "DATE FORMAT";
    const std::size_t first_number = from == LastMapStart::start ? 1 : 3;
    BuildSettings settings;
    std::size_t at = 0;
    while (at < lines.size() && to_upper(lines[at]).find(mark) == std::string::npos) ++at;
    for (std::size_t number = first_number; number <= lastmap_rows.size() && at < lines.size(); ++number, ++at) {
        load_setting(settings, number, lines[at]);
    }
    return settings;
}

BuildSettings load_last_settings(LastMapStart from) {
    // Far more than the 33 lines the front end writes; a larger file is not one.
    constexpr std::size_t largest = 64 * 1024;
    const FilePtr file = open_file(install::last_map_file, "rb");
    if (!file) return {};
    std::string content(largest, '\0');
    content.resize(std::fread(content.data(), 1, content.size(), file.get()));
    return read_last_settings(content, from);
}

}  // namespace qv
