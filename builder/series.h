#pragma once

// The inputs of an output file. Every input line of a block names a series (a
// CLC, COT or IDX database file, or an ASCII file of the user's) and the fields
// to take from it. While an output file is built, the driver asks each input,
// one output day at a time in ascending order, to append its columns to the
// day's line of the output table.

#include <string>
#include <string_view>

#include "builder/input_line.h"
#include "common/build_settings.h"
#include "common/calendar.h"
#include "common/holidays.h"
#include "common/tables.h"

namespace qv::builder {

// What the inputs of one output file share while it is built.
struct BuildContext {
    const BuildSettings& settings;
    const CommodityTable& commodities;
    const HolidayTable& holidays;
    DayNumber first_day = no_date;  // the output range
    DayNumber last_day = no_date;
    bool single_input = false;      // the block has exactly one input line
    int input_number = 1;           // the input being opened or read, from 1
    // Set by IDX inputs for each output day they serve: 1 before 19139 (when
    // the exchanges still traded on Saturdays), 0 from then on. The value left
    // by the last such day decides Saturday filtering and the weekly target.
    bool index_saturday = false;
};

// What an input answers for one output day.
enum class FieldsResult {
    ok,
    corrupted,  // a bad record: the output file is removed, the next block follows
    stopped,    // a message has been shown and the run ends
};

// What opening (and setting up) an input answers.
enum class OpenResult {
    ok,
    cannot_open,  // the driver shows "UNABLE TO OPEN THE FILE -" and the path; the run ends
    corrupted,    // the set-up met a bad record: as FieldsResult::corrupted
    stopped,      // a message has been shown and the run ends
};

class InputSeries {
public:
    virtual ~InputSeries() = default;

    // Appends, for output day `day`, the separator and the value of every
    // field term of the input line to `line`, or nothing on a day the input
    // leaves out (see the line rule of the driver).
    virtual FieldsResult append_fields(std::string& line, DayNumber day) = 0;
};

// The first and last day of an input's data, read while an output file is
// prepared.
struct DaySpan {
    DayNumber first = no_date;
    DayNumber last = no_date;
};

// What reading an input's day span answers.
enum class SpanResult {
    ok,
    missing,  // the file cannot be opened: the output file is deleted and skipped, silently
    refused,  // a message has been shown: this output file is skipped
};

// A last day that cannot be read, and the last day of every ASCII input.
inline constexpr DayNumber unknown_last_day = 63000;

// Counts output days (next_output_day by INCLUDEHOLIDAYS) stepped from one day
// until another is passed, the measure by which weekly and periodic reports
// are spread over the days between them. While the start stays the same and
// the targets ascend, as the build's days do, counting goes on from where it
// stopped instead of from the start again.
class OutputDayCount {
public:
    OutputDayCount(char include_holidays, const HolidayTable& holidays)
        : include_holidays_(include_holidays), holidays_(holidays) {}

    // The steps from `from` until the day stepped to lies after `target`: at
    // least 1. The count stops at the last day number.
    long steps(DayNumber from, DayNumber target);

private:
    char include_holidays_;
    const HolidayTable& holidays_;
    DayNumber from_ = no_date;
    DayNumber target_ = no_date;
    DayNumber day_ = no_date;
    long steps_ = 0;
    bool ended_ = false;
};

// Shows the year of the data being read beside "Year Processed:", when it
// differs from the year shown last.
void show_year_processed(int year);
// The same for the year of a day; the year is worked out only when the day
// lies outside the year shown last.
void show_year_of(DayNumber day);

}  // namespace qv::builder
