#pragma once

// The series classes of the builder's inputs, each described once: the name
// that marks it in a series name, the folder of the installation its files
// are in, its highest field number, how it is opened for a build, how the day
// span of its data is read while an output file is prepared, and where the
// headings of its columns come from. A class is one row of the table; the
// parts of the build ask the row of an input's class rather than telling the
// classes apart themselves.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "builder/headings.h"
#include "builder/input_line.h"
#include "builder/series.h"

namespace qv::builder {

// Where the headings of a class's columns come from (a field with an operator
// is headed by its term, whatever the class).
enum class HeadingSource {
    column_letters,   // "A", "B", ... counted over every ASCII column of the output file
    commodity_table,  // the class's table of HeadingTables; a leading "XX" stands for the commodity tag
    index_table,      // the table of the index the series names; "XX" stands for the index tag
};

using OpenSeries = std::unique_ptr<InputSeries> (*)(const std::string& path, const InputLine& input,
                                                    BuildContext& context, OpenResult& result);
using ReadDaySpan = SpanResult (*)(const std::string& path, const InputLine& input, const BuildContext& context,
                                   DaySpan& span);

struct SeriesClassRow {
    SeriesClass series_class;
    std::string_view name;    // as it stands in a series name, case ignored
    // The folder a series named without one is read from, with ".QVT" when the
    // name has no extension; empty when the series name is the file's path.
    std::string_view folder;
    int highest_field;        // field numbers run from 1 to this
    OpenSeries open;
    ReadDaySpan day_span;
    HeadingSource headings;
    std::vector<std::string> HeadingTables::*heading_table = nullptr;  // for HeadingSource::commodity_table
};

// Every class, in the order their names are tried in a series name.
std::span<const SeriesClassRow> series_classes();

// The row of a class.
const SeriesClassRow& series_class_row(SeriesClass series_class);

}  // namespace qv::builder
