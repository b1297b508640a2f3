#pragma once

// The data of one MetaStock series, F%d.DAT, and its column file F%d.DOP.
//
// F%d.DAT is a file of records of the record length (4 x fields). Record 0 is
// the header: bytes 2-3 (16-bit little-endian) the number of the last data
// record, that is the number of data records + 1; bytes 0-1 and the rest are
// left as another program wrote them (0 in a new file). Each data record is a
// date (common/metastock.h) and the values, all MBF numbers: with 5 fields
// high, low, close, volume; with 7 open, high, low, close, volume, open interest.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/metastock.h"
#include "common/platform/work_file.h"

namespace qv {

inline constexpr int max_metastock_fields = 7;

struct MetaStockRecord {
    float date = 0;                                  // the MetaStock date number
    std::array<float, max_metastock_fields - 1> values{};  // in file order
};

struct MetaStockData {
    int field_count = 7;               // the date included
    std::vector<std::uint8_t> header;  // record 0 as read; empty for a new file
    std::vector<MetaStockRecord> records;
    // The oldest records, left unread when only the newest were asked for,
    // and the date of the first of them.
    std::size_t skipped = 0;
    float first_date = 0;
};

struct DataReadResult {
    enum Status { ok, missing, damaged } status = missing;
    MetaStockData data;
    std::string message;  // for damaged, a console message
};

// Reads the series' F%d.DAT by the record length and field count of its MASTER
// record, keeping only the newest keep_newest records (the others are counted
// in `skipped`, and the first one's date read). Refused as damaged: a
// record length that is not 4 x fields or fields outside 2 to 7, a file too
// short for its header or for the records its header counts. Records the file
// holds beyond that count are not the series' and are not read.
DataReadResult read_dat(std::string_view directory, const MasterRecord& series,
                        std::size_t keep_newest = std::numeric_limits<std::size_t>::max());

enum class DataWrite {
    ok,
    cannot_write,   // the file could not be created or written; the old one stays
    no_mbf_form,    // a value is too large for an MBF number; nothing written
    too_many,       // more records than the header's 16-bit count can hold
};

// Rewrites F%d.DAT whole from data.field_count and the records, through a work
// file renamed over it. Values that are exactly 0 are written as four zero bytes.
DataWrite write_dat(std::string_view directory, int file_number, const MetaStockData& data);

// Rewrites F%d.DAT as its first `kept` records as they stand in the file, then
// data.records, under data.header with the count of them all, through a work
// file renamed over it: days added after a long series are written without the
// older records passing through the program.
// A reused work file may be kept in another folder of the same mounted file
// system (`work_directory`, as with write_master).
DataWrite write_dat_after(std::string_view directory, int file_number, const MetaStockData& data, std::size_t kept,
                          WorkFileMode mode = WorkFileMode::fresh, std::string_view work_directory = {});

// Writes F%d.DOP: "DATE", the price columns with the number of decimals shown
// for the series (twice), "VOL" (and "OI" with 7 fields), then the byte 26.
// A column file that holds these bytes already is left as it is.
bool write_dop(std::string_view directory, int file_number, int field_count, int decimals,
               WorkFileMode mode = WorkFileMode::fresh, std::string_view work_directory = {});

// Sets the series record for the data written: field count and record length,
// first and last date (0 for no records).
void describe_series(MasterRecord& series, const MetaStockData& data);

// Appends one day to a series, or replaces the replace_back-th last record
// (1 = the last) when replace_back is not 0. The record goes in at the place
// the header's count gives, so bytes another program left after the counted
// records are overwritten rather than counted. After an appended record the
// header's count grows by one; the series record's last date becomes the
// record's date and MASTER is rewritten as it stands (not stamped).
enum class AppendResult { ok, missing, damaged, no_mbf_form, cannot_write };
AppendResult append_day(std::string_view directory, MetaStockMaster& master, std::size_t index,
                        const MetaStockRecord& record, std::size_t replace_back = 0);

}  // namespace qv
