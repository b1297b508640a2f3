#pragma once

// COT inputs: the weekly Commitments of Traders reports of one commodity
// (\QUORVANT\COT\xx_COT.QVT), with 18 fields per report:
//    1 commercial COT index        10 non-reportable short
//    2 non-commercial COT index    11 non-commercial spreading
//    3 non-reportable COT index    12 commercial long traders
//    4 total open interest         13 commercial short traders
//    5 commercial long             14 non-commercial long traders
//    6 commercial short            15 non-commercial short traders
//    7 non-commercial long         16 commercial net (long - short)
//    8 non-commercial short        17 non-commercial net
//    9 non-reportable long         18 non-reportable net
// A COT index places a group's net within the least and greatest net of the
// reports of a look-back window (COTINDEXLOOKBACKDAYS output days), from 0 to
// 100. Each report serves the output days up to the next one, as a step
// (COTINTERPOLATIONMETHOD 1) or moving linearly towards the next report (2).

#include <memory>
#include <string>

#include "builder/input_line.h"
#include "builder/series.h"

namespace qv::builder {

// The days of the first and last report. A file that holds no whole report
// has no day to offer: no first day (no_date) and an unknown last day, so it
// lowers neither end of the output range.
SpanResult cot_day_span(const std::string& path, const InputLine& input, const BuildContext& context, DaySpan& span);

// Loads the whole file (it is small: one record a week) and derives the nets,
// total open interest and COT indexes of every report. A file that cannot be
// opened is reported with "UNABLE TO OPEN THIS FILE -" and the path (stopped);
// a record without a day, or out of date order, makes the file corrupted.
std::unique_ptr<InputSeries> open_cot_series(const std::string& path, const InputLine& input, BuildContext& context,
                                             OpenResult& result);

}  // namespace qv::builder
