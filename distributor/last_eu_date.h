#pragma once

// The distributor's note in \QUORVANT\QUORUP.INI of the newest day it has
// carried into the user's files: the line "EU LAST DATE = M/D/YY", which the
// request preparation reads to know which contract update files to ask for.

#include <string>

#include "common/calendar.h"

namespace qv::distributor {

inline constexpr const char* eu_date_open_message = "UNABLE TO OPEN QUORUP.INI FILE TO UPDATE IT@ SETUP CANCELLED.";
inline constexpr const char* eu_date_reopen_message = "UNABLE TO REOPEN QUORUP.INI FILE TO UPDATE IT@ SETUP CANCELLED.";

// "EU LAST DATE = %d/%d/%.2d\n": month and day without leading zeros, the
// year in two digits (years before 2000 as year - 1900).
std::string eu_last_date_line(DayNumber day);

// Puts the line in place of the first line of QUORUP.INI that begins with
// "EU", or adds it at the end when there is none; every other line stays as
// it was. The file is replaced through the work file TEMP0001.QVT, so a run
// cut off at any moment leaves the old or the new file whole. Day 0 (nothing
// was written) leaves the file as it is. 0 when done; -1 after one of the two
// messages above.
int record_last_eu_date(DayNumber day);

}  // namespace qv::distributor
