#pragma once

// What a chart shows: one or two price series over the same days, as bars
// (open, high, low, close) or as a line of closes, and the roll-over days.

#include <optional>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/tables.h"

namespace qv::qvchart {

struct Bar {
    DayNumber day = no_date;
    double open = 0, high = 0, low = 0, close = 0;
};

struct PriceSeries {
    std::string label;
    std::vector<Bar> bars;
    bool has_bars = false;  // open, high and low are real, not the close repeated
};

struct Chart {
    std::string title;
    std::vector<PriceSeries> series;   // the first is drawn as bars when it has them
    std::vector<DayNumber> roll_days;  // first days of a new contract
};

// A built ASCII output: its date (YYYYMMDD or MM/DD/YYYY, quoted or not) and
// its values separated by commas, blanks or tabs; a heading line is skipped.
// Four or more values are open, high, low and close; fewer, the first is the
// close. A column of contract months (YYYYMM, field 8 of a CLC series) marks a
// roll wherever it changes. Nothing, with `error`, when no line reads.
std::optional<Chart> read_built_output(const std::string& path, std::string& error);

// A commodity's CLC series: the prices as stored (each day the front contract)
// and, beside them, the series back-adjusted by every roll gap, so that the
// last contract's prices stand as they are and the gaps of the rolls are
// visible between the two lines.
std::optional<Chart> read_clc_chart(const Commodity& commodity, std::string& error);

}  // namespace qv::qvchart
