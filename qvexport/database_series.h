#pragma once

// One commodity's series of one database kind, read whole for export: the
// stored bytes of its CLC records (roll-over records in place), COT reports or
// IDX lines, each with its day, so that an export can tell which part of a
// series changed since it last ran without decoding anything. The records are
// decoded only for the series that did change.

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

// A stored unit: its day (0 for a roll-over record) and where its bytes lie.
struct Unit {
    DayNumber day = no_date;
    std::size_t offset = 0;
    std::size_t size = 0;
};

struct DatabaseSeries {
    DatabaseKind kind = DatabaseKind::clc;
    std::string tag;
    std::string bytes;        // the whole file
    int price_width = 0;      // CLC: 2, 3 or 4
    std::vector<Unit> units;  // in file order, one per record or line

    std::string_view unit_bytes(const Unit& unit) const { return std::string_view(bytes).substr(unit.offset, unit.size); }
    // The records from unit `first` on.
    std::vector<ClcRecord> clc_records(std::size_t first = 0) const;
    std::vector<CotRecord> cot_records() const;
    std::vector<IdxLine> idx_lines() const;
};

// The series of `tag` in its database file; nothing when the file does not
// exist. A file that cannot be read as its layout says gives `error`; a file
// cut inside its last record ends at the last whole one.
std::optional<DatabaseSeries> read_series(DatabaseKind kind, std::string_view tag, std::string& error);

}  // namespace qv::qvexport
