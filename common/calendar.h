#pragma once

// The suite's calendar. Every file of the database and every output dates its
// days by day number, a count of days; here are the conversions between day
// numbers and dates, the two-digit-year rules of each kind of file, the steps
// to the next trading day, weekday or output day, and the date texts of the
// builder's outputs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class HolidayTable;

// A date as a count of days in the spreadsheet serial convention: 1 March 1900
// is 61, 1 January 2000 is 36526, 4 June 2079 (65535) the last date that fits.
// 0 means no date.
using DayNumber = std::uint16_t;

inline constexpr DayNumber no_date = 0;
inline constexpr DayNumber first_day_number = 61;   // 1 March 1900
inline constexpr DayNumber last_day_number = 65535; // 4 June 2079

struct Date {
    int year = 0;   // four digits
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// Day number of a date (year as four digits); 0, 0, 0 gives 0. Dates outside
// 1 March 1900 to 4 June 2079 give numbers that mean nothing (kept to 16 bits).
DayNumber date_to_lotus(int year, int month, int day);
inline DayNumber date_to_lotus(const Date& date) { return date_to_lotus(date.year, date.month, date.day); }

// The date of a day number; 0 gives 0, 0, 0.
Date lotus_to_date(DayNumber day);

// The day number of today's date (the clock's, so QUORVANT_TODAY sets it).
DayNumber today();

// Day of week of a slashed date text M/D/YYYY: 1 = Sunday ... 7 = Saturday;
// 0 when the text holds no month 1 to 12.
int day_of_week(std::string_view slashed_date);

// Day of week of a day number (from 1 March 1900 on): 1 = Sunday ... 7 = Saturday.
int weekday(DayNumber day);
inline constexpr int sunday = 1;
inline constexpr int saturday = 7;

// Day number of an update file name KSYYMMDD.EXT (characters 3 to 8, year
// 2000 + YY); 0 when those characters are not a date.
DayNumber name_date(std::string_view file_name);

// Date reader of the settings file: MM/DD/YY (years 50 to 99 are 1950 to 1999,
// below 50 2000 to 2049) to a day number; 0 for anything else.
DayNumber read_settings_date(std::string_view text);

// Two-digit years, each rule where its callers say.
int chop_year(int year);      // written two-digit years: 2000 on gives year - 2000, else year - 1900; 0 stays 0
int add_century(int year);    // CLC and COT update lines: 97-99 give 1997-1999, 0-49 give 2000-2049, others stay
int idx_year(int year);       // IDX update lines: 0-29 give 2000-2029, others 1900 + YY
int field8_year(int year);    // field 8 of a CLC broadcast: 0-40 give 2000-2040, others 1900 + YY

// Builder option dates: MM/DD/YY(YY) rewritten as "%02d/%02d/%04d", a year below
// 1900 widened (0 to 49 get 2000 added, others 1900). A text that is not three
// numbers separated by "/" is returned as it is.
std::string widen_slashed_date(std::string_view text);

// A trading day is neither a Saturday nor a Sunday nor a holiday.
bool is_trading_day(DayNumber day, const HolidayTable& holidays);

// The updater's next trading day after `day`. 0 when none fits before the
// last day number.
DayNumber next_trading_day(DayNumber day, const HolidayTable& holidays);

// The builder's next weekday after `day`: Sundays are skipped, Saturdays only
// after 25 May 1952 (19139), before which the exchanges traded on Saturdays.
DayNumber next_weekday(DayNumber day);

// The builder's next output day by INCLUDEHOLIDAYS: 'A' the next calendar day;
// otherwise the next weekday, and with 'N' holidays are stepped over too.
DayNumber next_output_day(DayNumber day, char include_holidays, const HolidayTable& holidays);

// Date texts of the builder's outputs by OUTPUTDATEFORMAT: '1' MM/DD/YYYY, '2'
// the same in double quotes, '3' YYYYMMDD, '4' the same in double quotes (any
// other code is taken as '3', the option's default).
std::string output_date_text(const Date& date, char format);
inline std::string output_date_text(DayNumber day, char format) { return output_date_text(lotus_to_date(day), format); }
// The same appended to `text`.
void append_output_date(std::string& text, const Date& date, char format);

// Reads a date written in one of those forms back, from the positions of the
// form. A year below 100 (a text that is not such a date) gives nothing; the
// caller reports it with bad_output_date_message.
std::optional<Date> read_output_date(std::string_view text, char format);
inline constexpr const char* bad_output_date_message = "SYSTEM ERROR, EXTRACTED 4 DIGIT DATE LESS THAN 100";

}  // namespace qv
