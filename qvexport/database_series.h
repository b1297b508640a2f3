#pragma once

// One commodity's series of one database kind, read whole for export: the
// stored bytes of its CLC records (roll-over records in place), COT reports or
// IDX lines, each with its day, so that an export can tell which part of a
// series changed since it last ran without decoding anything. The records are
// decoded only for the series that did change.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/cot_file.h"
#include "common/platform/files.h"

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
    std::uint32_t offset = 0;  // a database file of 4 GB or more is not read
    std::uint32_t size = 0;
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

// The database files of the installation, found from one listing of each
// database folder as DOS finds a name (the exact name, else the first in byte
// order that differs only in case), so that reading every commodity's files
// does not search the folders again for each one.
class DatabaseFiles {
public:
    // The series' file on disk; nothing when there is none.
    std::optional<std::filesystem::path> find(DatabaseKind kind, std::string_view tag);

private:
    struct Folder {
        std::filesystem::path path;
        std::vector<FolderEntry> files;  // in byte order of the names
    };
    std::map<std::string, Folder, std::less<>> folders_;  // by the folder's DOS name
};

// Reads the series of `tag` from its database file into `series`, whose
// buffers are reused. False when the file does not exist, and when it cannot
// be read as its layout says (then with `error` set). A file cut inside its
// last record ends at the last whole one.
bool read_series(DatabaseFiles& files, DatabaseKind kind, std::string_view tag, DatabaseSeries& series,
                 std::string& error);

}  // namespace qv::qvexport
