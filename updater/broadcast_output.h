#pragma once

// Writing one update into one autobuild output: the rows up to the update's
// day appended and the update's values written into their columns, the whole
// output replaced through a work file renamed over it, so that an output is
// always either as it was or as the broadcast leaves it. Writing the same
// update again changes nothing more: a broadcast that was stopped can be run
// again.

#include <string>
#include <vector>

#include "common/build_settings.h"
#include "common/holidays.h"
#include "updater/output_rows.h"

namespace qv {

enum class OutputWrite {
    written,      // the output holds the update (also when it already did)
    missing,      // the output (or its series) cannot be opened
    long_line,    // an ASCII output whose last line has 5000 characters or more
    failed,       // it could not be written; a message may have been written
};

// An ASCII output's lines are read by the set's OUTPUTDATEFORMAT and
// COLSEPARATORCHARACTER.
OutputWrite write_ascii_output(const std::string& path, DayNumber day, const std::vector<FieldWrite>& writes,
                               const BuildSettings& settings, const HolidayTable& holidays);

// A MetaStock output line names the directory and the series' symbol; the
// series is the one of that symbol and of the time frame of the set's
// SAMPLINGPERIOD.
OutputWrite write_metastock_output(const std::string& output, DayNumber day, const std::vector<FieldWrite>& writes,
                                   const BuildSettings& settings, const HolidayTable& holidays);

inline constexpr std::size_t longest_broadcast_line = 5000;

}  // namespace qv
