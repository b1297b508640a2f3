#include "builder/series_class.h"

#include <array>

#include "builder/ascii_series.h"
#include "builder/clc_series.h"
#include "builder/cot_series.h"
#include "builder/idx_series.h"
#include "common/install_files.h"

namespace qv::builder {

namespace {

// A name with none of the others' names in it is one of the user's ASCII
// files, so ASCII comes last.
constexpr std::array<SeriesClassRow, 4> rows{{
    {SeriesClass::cot, "COT", install::cot_folder, 18, open_cot_series, cot_day_span, HeadingSource::commodity_table,
     &HeadingTables::cot},
    {SeriesClass::clc, "CLC", install::clc_folder, 8, open_clc_series, clc_day_span, HeadingSource::commodity_table,
     &HeadingTables::clc},
    {SeriesClass::idx, "IDX", install::idx_folder, 99, open_idx_series, idx_day_span, HeadingSource::index_table},
    {SeriesClass::asc, "ASC", "", 240, open_ascii_series, ascii_day_span, HeadingSource::column_letters},
}};

}  // namespace

std::span<const SeriesClassRow> series_classes() { return rows; }

const SeriesClassRow& series_class_row(SeriesClass series_class) {
    for (const SeriesClassRow& row : rows) {
        if (row.series_class == series_class) return row;
    }
    return rows.back();
}

}  // namespace qv::builder
