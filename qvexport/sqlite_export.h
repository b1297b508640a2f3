#pragma once

// The database in a SQLite file: the commodity table, the CLC prices with the
// contract in force, the roll-overs, the COT reports and the IDX lines.
//
// Prices are stored exactly as the database holds them: whole numbers, the
// price times commodities.scale (10^precision); the view price_values divides
// them. The first run builds the file under a work name and renames it into
// place; a later run adds what the file does not hold yet and replaces what
// changed since the last run (a correction, a deleted day), in one
// transaction: a run that is stopped leaves the file as it was. What changed
// is found from a fingerprint of each block of stored records or lines of
// every series (table export_blocks), so a daily run rewrites only the last
// few rows of each commodity. With QUORVANT_FSYNC=1 the file is also synced
// to the disk at the end of the run.

#include <string>
#include <vector>

#include "common/tables.h"

namespace qv::qvexport {

struct ExportCounts {
    long long series_changed = 0;   // series with anything added, replaced or removed
    long long rows_written = 0;     // price, roll-over, COT and IDX rows written
};

// Exports the series of `selected` into the SQLite file at `path` (a Linux
// path). Problems with single database files are added to `problems` and the
// rest goes on; a failure of the SQLite file itself throws SqliteError with
// nothing changed.
ExportCounts export_sqlite(const std::string& path, const std::vector<const Commodity*>& selected,
                           std::vector<std::string>& problems);

}  // namespace qv::qvexport
