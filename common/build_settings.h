#pragma once

// The output builder's build settings: the option table that option lines of a
// build file ("#KEYWORD=VALUE") are matched against, checking and applying
// those lines, and the last-used settings in \QUORVANT\LASTMAP.QVT that give
// the settings their starting values. The builder and the updater's broadcast
// both read build files, so both use these.

#include <array>
#include <string>
#include <string_view>

namespace qv {

struct BuildSettings {
    // Dates as "%02d/%02d/%04d", month/day/year. An all-zero starting date means
    // from the earliest first day of the inputs; an ending date of 12/31/2049
    // means up to the earliest last day of the inputs.
    std::string starting_date = "00/00/0000";
    std::string ending_date = "12/30/2049";
    char output_date_format = '3';
    char output_column_headings = 'N';
    char col_headings_in_quotes = 'N';
    char include_holidays = 'N';
    char value_of_included_holiday = 'P';
    char col_separator_character = 'C';
    char sampling_period = 'D';
    char overwrite_output_file = 'Y';
    char cot_interpolation_method = '1';
    std::string cot_index_lookback_days = "400";
    std::string first_line_title;  // empty: no title line
    char clc_linking_method = '3';
    char clc_neg_price_handling = '1';
    char idx_interpolation_method = '1';
    char idx_includes_sat_trading = 'N';
    char output_format = 'A';
    std::string days_per_bar = "1";
    // Placeholders for the contract month and year in output file names; only
    // LASTMAP.QVT sets them.
    char month_substitution = '&';
    char year_substitution = '%';

    // The column separator of the output lines by COLSEPARATORCHARACTER: 'S' a
    // blank, 'T' a tab, else a comma.
    char column_separator() const;

    bool operator==(const BuildSettings&) const = default;
};

enum class OptionValue { date, letter, lookback_days, title, days_per_bar };

struct OptionRow {
    std::string_view keyword;
    OptionValue kind;
    std::string_view accepted;                 // letter options: the accepted characters
    char BuildSettings::*letter = nullptr;     // letter options
    std::string BuildSettings::*text = nullptr;  // the others
};

inline constexpr std::size_t option_count = 19;
inline constexpr std::size_t keyword_significant = 9;  // characters of a keyword that are compared
inline constexpr std::size_t title_length = 28;

// The option table; a row's place is the option's index.
const std::array<OptionRow, option_count>& option_table();

// The row whose keyword's first nine characters are those of `keyword` (case
// ignored; the first row that matches wins); -1 for none.
int find_option(std::string_view keyword);

// What check_option_line answers.
inline constexpr int option_valid = 0;
inline constexpr int option_no_separator = -1;  // neither "=" nor ":" after the keyword
inline constexpr int option_unknown = -2;       // the keyword names no row
inline constexpr int option_bad_value = 1;

// Checks an option line ("#" keyword, "=" or ":", value) and changes nothing.
// In the keyword blanks, full stops and colons are left out, so
// "#STARTING DATE: 1/2/95" names STARTINGDATE; spaces before the value are
// skipped. A date must be month/day/year with "/" between (month 0 to 12, day
// 0 to 31, year 0 to 2050).
int check_option_line(std::string_view line);

// Applies an option line (upper-cased first) to the settings; a line that
// check_option_line refuses changes nothing and gives false. A date's two-digit
// year is widened (0 to 49 are 2000 to 2049, others 19xx); an all-zero date
// stays all zero.
bool apply_option_line(BuildSettings& settings, std::string_view line);

// Where LASTMAP.QVT's settings begin: the builder at its first line holding
// "START" (the starting date); the updater at its first line holding
// "DATE FORMAT" (the output date format, the third setting), so it keeps the
// start values of both dates.
enum class LastMapStart { start, date_format };

// The build settings from \QUORVANT\LASTMAP.QVT, one setting a line, each
// line's value being its text up to the first blank. The start values of the
// option table when the file is missing or has no line to begin at; settings
// after a short file's last line, and values the option table would not
// accept, keep their start values.
BuildSettings load_last_settings(LastMapStart from = LastMapStart::start);

// The same from the text of such a file (for the loader and its tests).
BuildSettings read_last_settings(std::string_view content, LastMapStart from = LastMapStart::start);

}  // namespace qv
