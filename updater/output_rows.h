#pragma once

// The last rows of an autobuild output, as the broadcast changes them: rows
// are appended up to the update's day (filling the output days between as
// the set's INCLUDEHOLIDAYS and VALUEOFINCLUDEDHOLIDAY say), and each field
// of the update is written into its column of the row of its day. ASCII
// outputs and MetaStock series both keep their rows this way.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/build_settings.h"
#include "common/calendar.h"
#include "common/holidays.h"

namespace qv {

struct OutputRow {
    DayNumber day = no_date;
    std::string date_text;            // as the output has it; empty for a new row until written
    std::vector<std::string> values;  // the columns after the date
    bool changed = false;
};

// One value of an update for a column of the output (from 1).
struct FieldWrite {
    DayNumber day = no_date;
    int column = 0;
    double value = 0.0;
    bool has_operator = false;
    // Fields 5 and 7 of a CLC update also stand for the trading day before:
    // they go into its row and into the holiday rows after it that repeat it
    // (VALUEOFINCLUDEDHOLIDAY P), those before this day.
    DayNumber repeated_until = no_date;
};

// How a value is written over the text of the field it replaces.
using ValueFormat = std::function<std::string(std::string_view old_text, double value, bool has_operator)>;

// The ASCII rule: with no operator, an integer when the old field has no
// decimal places, else with as many as it has (at most 7); with an operator, a
// whole value as an integer, a fractional one with the old field's decimal
// places when those are 3 to 7, else with 2.
std::string ascii_value_text(std::string_view old_text, double value, bool has_operator);

// Appends rows after the last one up to `day`: with INCLUDEHOLIDAYS Y or A in
// a daily output, a row for each output day between (a copy of the last row,
// its values kept for VALUEOFINCLUDEDHOLIDAY P, else each "0" for Z and "-1"
// for N), then a copy of the last row for `day`. Nothing for a day that is
// not after the last row. False when there is no row to copy.
bool append_rows_up_to(std::vector<OutputRow>& rows, DayNumber day, const BuildSettings& settings,
                       const HolidayTable& holidays);

// Writes the value into the row of its day (and into the rows that repeat
// it, see repeated_until). A row with fewer columns, or a day the rows do not hold, changes
// nothing.
void write_field(std::vector<OutputRow>& rows, const FieldWrite& write, const BuildSettings& settings,
                 const ValueFormat& format);

}  // namespace qv
