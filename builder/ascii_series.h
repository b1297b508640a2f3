#pragma once

// ASCII input series: a text file of the user's whose data lines begin with a
// date and go on with numbers. A data line is at least 10 characters long and
// begins with a digit (or a double quote and a digit). Its date is one of
//
//   type 1  MM/DD/YY      type 5  MM/DD/YYYY      (types 2 and 6: in quotes)
//   type 3  YYMMDD        type 7  YYYYMMDD        (types 4 and 8: in quotes)
//
// and its fields are the runs of 0-9 . + - E e after the date; every other
// character separates them. Field n of an input line is the n-th such run.
// The file is read forward once for the whole build.

#include <memory>
#include <string>

#include "builder/series.h"

namespace qv::builder {

// Checks the file and finds the day of its first data line (the last day of an
// ASCII input is always unknown_last_day). Refused, after its message, when
// no data line reads, the date type is unknown, or the first data line has no
// fields, more than 250, or fewer than the input line asks for.
SpanResult ascii_day_span(const std::string& path, const InputLine& input, const BuildContext& context,
                          DaySpan& span);

// Opens the file for the build; nothing (cannot_open) when it cannot be opened.
std::unique_ptr<InputSeries> open_ascii_series(const std::string& path, const InputLine& input,
                                               BuildContext& context, OpenResult& result);

}  // namespace qv::builder
