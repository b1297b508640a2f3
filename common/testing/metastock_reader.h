#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::testing {

// A reader of a MetaStock folder for tests, written from the file layout alone
// and sharing no code with the tools' own MetaStock files, so that what the
// tools write is checked by a second, independent reading. Every file that does
// not follow the layout raises std::runtime_error naming the file and the fault.

// A 4-byte MBF number (little-endian bytes) as a double: byte 3 the exponent
// (0 = zero), byte 2 bit 7 the sign, the rest the mantissa with its leading 1
// implied.
double mbf_value(std::string_view four_bytes);

// One series record of MASTER, its fields as stored.
struct MsSeries {
    int file_number = 0;
    unsigned file_type = 0;
    int record_length = 0;
    int field_count = 0;
    std::string name;    // 16 bytes, padding included
    double first_date = 0;
    double last_date = 0;
    char time_frame = 0;
    std::string symbol;  // 14 bytes, padding included
    std::string raw;     // the whole 53 bytes

    // The symbol up to its first space.
    std::string trimmed_symbol() const;
};

struct MsMaster {
    unsigned series_count = 0;  // header bytes 0-1
    unsigned highest = 0;       // header bytes 2-3
    std::string stamp;          // header bytes 49-52
    std::string header;         // the whole 53 bytes
    std::vector<MsSeries> series;

    // The first series whose symbol (up to a space) equals `symbol` exactly and
    // whose time frame is `time_frame`.
    const MsSeries* find(std::string_view symbol, char time_frame) const;
};

// One data record: the date as its seven-digit number and the values after it.
struct MsRecord {
    long date = 0;
    std::vector<double> values;
};

struct MsData {
    unsigned last_record = 0;       // header bytes 2-3: data records counted + 1
    std::size_t stored_records = 0; // data records the file holds, counted or not
    std::string header;             // the header record's bytes
    std::vector<MsRecord> records;  // every stored data record, counted or not
};

struct MsDop {
    std::vector<std::string> lines;  // without their line ends
    bool end_mark = false;           // ends in the byte 26
};

// MASTER of `folder`; nullopt when there is none.
std::optional<MsMaster> read_ms_master(const std::filesystem::path& folder);
// F<n>.DAT of `folder` read with the record length the series record gives.
MsData read_ms_dat(const std::filesystem::path& folder, const MsSeries& series);
// F<n>.DOP of `folder`.
MsDop read_ms_dop(const std::filesystem::path& folder, int file_number);

}  // namespace qv::testing
