#pragma once

// One commodity's series of one database kind, read whole for export: the CLC
// records (roll-over records in place), the COT reports or the IDX lines, each
// with its day and the bytes it is stored as, so that an export can tell which
// part of a series changed since it last ran.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/cot_file.h"

namespace qv::qvexport {

enum class DatabaseKind { clc, cot, idx };

std::string_view kind_name(DatabaseKind kind);  // "CLC", "COT", "IDX"

struct IdxLine {
    DayNumber day = no_date;
    std::string fields;  // the text after the date, without the line end
};

// A stored unit: its day (0 for a roll-over record) and its stored bytes.
struct Unit {
    DayNumber day = no_date;
    std::string bytes;
};

struct DatabaseSeries {
    DatabaseKind kind = DatabaseKind::clc;
    std::string tag;
    std::vector<ClcRecord> clc;
    std::vector<CotRecord> cot;
    std::vector<IdxLine> idx;
    std::vector<Unit> units;  // in file order, one per record or line
};

// The series of `tag` in its database file; nothing when the file does not
// exist. A file that cannot be read as its layout says gives `error`.
std::optional<DatabaseSeries> read_series(DatabaseKind kind, std::string_view tag, std::string& error);

}  // namespace qv::qvexport
