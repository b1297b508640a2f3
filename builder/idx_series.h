#pragma once

// IDX inputs: an index series (\QUORVANT\IDX\xx_IDX.QVT), a text file of one
// line per day, each a date (YYYYMMDD, or YYMMDD for the 1900s) and the
// index's fields separated by blanks. The tag of the input line names the
// index (see index_tags.h). A daily index fills a day without a line by
// VALUEOFINCLUDEDHOLIDAY; a periodic one spreads each report over the days up
// to the next by IDXINTERPOLATIONMETHOD: 1 holds the last report's values, 2
// moves linearly towards the next report's. A value of -9999.0 marks a missing
// value; the column then repeats the day before.
//
// Index files can be long: the file is read forward once for the whole build,
// a line at a time, never held whole.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "builder/input_line.h"
#include "builder/series.h"

namespace qv::builder {

// The day of an IDX line: its first 8 characters as YYYYMMDD when the first
// blank-separated token has seven or more characters, else its first 6 as
// YYMMDD in the 1900s. `values_at` receives where the values begin (8 or 6).
// Nothing when those characters are not such a date.
std::optional<DayNumber> idx_series_line_day(std::string_view line, std::size_t* values_at = nullptr);

// The first line's day and the day that begins the last line. A first line
// without a date is refused with "PROBLEM READING IDX FILE@" and the path; a
// last line without one gives unknown_last_day. A file without a line has no
// day to offer: no first day (no_date) and an unknown last day.
SpanResult idx_day_span(const std::string& path, const InputLine& input, const BuildContext& context, DaySpan& span);

// Opens the file as text and notes the day of its first line.
std::unique_ptr<InputSeries> open_idx_series(const std::string& path, const InputLine& input, BuildContext& context,
                                             OpenResult& result);

}  // namespace qv::builder
