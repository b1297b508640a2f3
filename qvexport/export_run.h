#pragma once

// qvexport: the database (CLC, COT and IDX) of an installation as a SQLite
// file or as CSV files, for tools of today.
//
//   qvexport --sqlite FILE [TAG...]
//   qvexport --csv FOLDER [TAG...]
//
// Without tags every commodity of TABLES.INI is exported.

#include <string>
#include <vector>

#include "common/tables.h"

namespace qv::qvexport {

struct ExportRequest {
    std::string sqlite_file;         // empty: no SQLite export
    std::string csv_folder;          // empty: no CSV export
    std::vector<std::string> tags;   // empty: every commodity
};

// The request the arguments make; nothing, with `error` set, when they make none.
std::optional<ExportRequest> read_arguments(const std::vector<std::string>& args, std::string& error);

// Runs the export; the exit status: 0 when everything was exported, 1 when a
// tag is unknown, the SQLite file failed (and was left as it was) or a
// database file could not be read.
int run_export(const ExportRequest& request, const CommodityTable& table);

extern const char* const usage;

}  // namespace qv::qvexport
