#pragma once

// CLC inputs of the output builder: the eight fields of a commodity's
// continuous series drawn day by day from its CLC database file, with the
// contracts linked by the build's CLCLINKINGMETHOD and negative prices treated
// by its CLCNEGPRICEHANDLING.
//
// Fields: 1 open, 2 high, 3 low, 4 close, 5 open interest of the contract,
// 6 total volume, 7 total open interest, 8 the contract in force on the output
// day (100 x year + month).
//
// Linking methods: 1 the prices as stored; 2 forward adjustment (each price
// less the gaps of the roll-overs passed since the first day written); 3 back
// adjustment (each price plus the gaps of the roll-overs still to come within
// the output range); 4 back adjustment by ratios (each price times the ratios
// close/open of every later roll-over of the file).
//
// Negative prices (after a field's operator): 1 left as they are, 2 written as
// 0, 3 as 1, 4 the day repeats this input's previous text, 5 (methods 2 and 3)
// every price is shifted up so that the lowest low of the range is positive.

#include <memory>
#include <string>
#include <string_view>

#include "builder/input_line.h"
#include "builder/series.h"
#include "common/calendar.h"

namespace qv::builder {

// The first and last dated records of the CLC file at `path`, for the
// preparation of an output file. A last day that cannot be read counts as
// unknown_last_day; a file without a dated record spans nothing
// (unknown_last_day for both). Refused, with "FIELD OPERATORS CONFLICT WITH
// NEG CLC PRICE SHIFT@INPUT FILE:" and the input line, when the prices are to
// be shifted (handling 5 under methods 2 to 4) while a field term carries an
// operator; refused too, with its message, when the series names a commodity
// the commodity table lacks.
SpanResult clc_day_span(const std::string& path, const InputLine& input, const BuildContext& context,
                        DaySpan& span);

// Opens the CLC file at `path` and sets up its linking state for the output
// range of `context`; the series then answers each output day in ascending
// order. Nothing, with `result` saying why, when it cannot be opened, its
// header or a record is damaged, or its commodity is not in the table.
std::unique_ptr<InputSeries> open_clc_series(const std::string& path, const InputLine& input,
                                             BuildContext& context, OpenResult& result);

// The day number of the last record of \QUORVANT\CLC\ tag _CLC.QVT (the last
// dated one, should a roll-over record end the file); 0 when the file cannot
// be opened, its price width is not 2, 3 or 4, or it holds no dated record.
DayNumber last_clc_date(std::string_view tag);

}  // namespace qv::builder
