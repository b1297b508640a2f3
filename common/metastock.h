#pragma once

// A MetaStock directory: the folder of a charting program of another vendor in
// which the suite writes price series. It holds
//   MASTER     the index, 53-byte records: record 0 the header, records 1 to n
//              one series each, in the order they were added;
//   F%d.DAT    the series' data, n being its file number from 1 to 255
//              (common/metastock_data.h);
//   F%d.DOP    a short text naming the columns of F%d.DAT;
//   ~MSFL.USR  present while the charting program has the directory open: the
//              suite never creates or deletes it and leaves such a directory alone.
//
// The format is shared with programs outside the suite, which may put other
// values in the bytes the suite leaves 0 or fixed; records keep their 53 bytes
// as read and the suite changes only its own fields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "common/platform/work_file.h"

namespace qv {

inline constexpr std::size_t master_record_size = 53;
inline constexpr int max_file_number = 255;
// MASTER header: 0 count of series records, 2 highest file number in use
// (both 16-bit little-endian), 49 a 4-byte stamp; the rest 0.
using MasterBytes = std::array<std::uint8_t, master_record_size>;

// A date as MetaStock holds it: (year - 1900) x 10000 + month x 100 + day,
// 15 March 2014 = 1140315, 2 January 1995 = 950102 (stored as an MBF number).
long metastock_date(int year, int month, int day);
struct MetaStockDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
// The date read back as "%07ld" reads it: year - 1900 in the first three
// digits, month and day in the last four. Nothing for a number that does not
// print as seven digits (negative or above 9991231) or names no real month and day.
std::optional<MetaStockDate> split_metastock_date(long date);

// One series record of MASTER:
//   0 file number, 1-2 file type 101, 3 record length of F%d.DAT (4 x fields),
//   4 number of fields including the date (5 or 7), 7-22 security name,
//   25-28 first date and 29-32 last date (MBF), 33 time frame (D, W or M),
//   36-49 symbol (both texts padded with spaces), 50-51 two spaces.
class MasterRecord {
public:
    // The template of a new series: file type 101, 4 in the field count until
    // the data is written, name and symbol padded, bytes 50 and 51 spaces.
    static MasterRecord make(int file_number, std::string_view security_name,
                             std::string_view symbol, char time_frame);
    explicit MasterRecord(const MasterBytes& bytes) : bytes_(bytes) {}

    const MasterBytes& bytes() const { return bytes_; }

    int file_number() const { return bytes_[0]; }
    int record_length() const { return bytes_[3]; }
    int field_count() const { return bytes_[4]; }
    // Sets the field count and the record length that goes with it.
    void set_field_count(int fields);
    // Up to 16 characters, trailing spaces dropped.
    std::string security_name() const;
    // The symbol as series are found by it: from offset 36 up to the first
    // space (or NUL) or the end of its 14 bytes.
    std::string symbol() const;
    char time_frame() const { return static_cast<char>(bytes_[33]); }
    void set_file_number(int number) { bytes_[0] = static_cast<std::uint8_t>(number); }
    // Writes the security name and the symbol, each padded with blanks.
    void set_names(std::string_view security_name, std::string_view symbol);
    // Dates as the MBF numbers stored; 0 when unset.
    long first_date() const;
    long last_date() const;
    void set_first_date(long date);
    void set_last_date(long date);

private:
    MasterBytes bytes_{};
};

struct MetaStockMaster {
    MasterBytes header{};  // as read, or zeros for a new directory
    std::vector<MasterRecord> records;

    int highest_file_number() const;
    void set_highest_file_number(int number);
    bool uses_file_number(int number) const;
};

// The work file through which MASTER, F%d.DAT and F%d.DOP are replaced.
inline constexpr std::string_view metastock_work_file = "TEMP_MS.QVT";
// A job that replaces many files of a folder uses its work files again
// (WorkFileMode::reuse): one for the data files (TEMP_MS.QVT), one for MASTER
// and one for the column files, so that each keeps about the size of the files
// it replaces and is seldom cut shorter.
inline constexpr std::string_view metastock_master_work_file = "TEMP_MSM.QVT";
inline constexpr std::string_view metastock_dop_work_file = "TEMP_MSD.QVT";
// The path of a work file: in work_directory, or in the directory when that is empty.
std::string metastock_work_path(std::string_view directory, std::string_view work_directory,
                                std::string_view name);

// The path of a file of the directory; the directory may end in a backslash,
// slash or colon or not.
std::string metastock_path(std::string_view directory, std::string_view name);
std::string dat_file_name(int file_number);  // "F%d.DAT"
std::string dop_file_name(int file_number);  // "F%d.DOP"

// The time frame of a series built with SAMPLINGPERIOD `period`: D daily; W,
// K and 1 to 6 weekly; M, H and B monthly.
char metastock_time_frame(char sampling_period);

// An output name of a MetaStock series: the directory, up to and including
// its last backslash, slash or colon (empty when there is none), and the
// symbol after it.
struct MetaStockName {
    std::string directory;
    std::string symbol;
};
MetaStockName split_metastock_name(std::string_view output_name);

// The in-use marker ~MSFL.USR is in the directory, under a name in any case;
// or, for a job that looked so once and looks again before each of its
// writes there, by that name as written (one look-up, no listing).
enum class InUseLook { any_case, as_written };
bool metastock_in_use(std::string_view directory, InUseLook look = InUseLook::any_case);

struct MasterReadResult {
    enum Status { ok, missing, damaged } status = missing;
    MetaStockMaster master;  // empty unless ok
    std::string message;     // for damaged: what is wrong, as a console message
};

// Reads MASTER whole. A missing MASTER gives an empty directory (count 0,
// highest 0). A file too short for its header, a count beyond 255 or beyond
// the records the file holds, a highest number above 255, a record whose file
// number is 0 or used twice, are refused as damaged: nothing past the file is
// ever read and nothing is changed.
MasterReadResult read_master(std::string_view directory);

// Puts the stamp for this moment into the header: one of ten values chosen by
// the last digit of the seconds (the output builder and the distributor stamp
// MASTER each time they write it; the updater writes it back as read).
void stamp_master(MetaStockMaster& master, int second);
void stamp_master(MetaStockMaster& master);  // by now()

// A file of the directory that the user has made read-only: the suite leaves it
// as it is, as it could not open it for writing under DOS, although the work
// file that replaces a file could be renamed over it.
bool metastock_write_protected(std::string_view path);

// Rewrites MASTER whole, header and records, the count set to the number of
// records, through a work file renamed over it. False when it cannot be written
// or is write-protected; the old MASTER then stays as it was. A reused work
// file may be kept in another folder of the same mounted file system
// (`work_directory`; empty for the directory itself).
bool write_master(std::string_view directory, const MetaStockMaster& master,
                  WorkFileMode mode = WorkFileMode::fresh, std::string_view work_directory = {});

// The first series record (index into records) whose symbol equals the wanted
// one without regard to case and whose time frame is the wanted one.
std::optional<std::size_t> find_series(const MetaStockMaster& master, std::string_view symbol,
                                       char time_frame);

struct Allocation {
    enum Status { ok, full, no_free_number } status = ok;
    std::size_t index = 0;  // of the new record, for ok
};

// Adds a series record for a new series and gives it a file number: the
// highest number in use + 1 while that is below 256 (the header's highest
// becomes it), otherwise the lowest number that no record uses. Full when 255
// series are listed. A number some record already uses is never handed out,
// even when the header's highest number is lower than the records say.
Allocation allocate_series(MetaStockMaster& master, std::string_view security_name,
                           std::string_view symbol, char time_frame);

// Drops the series record, moving the later ones up; the highest number
// becomes the largest still used; MASTER is rewritten (stamped) and the
// series' F%d.DAT and F%d.DOP deleted. False, with nothing deleted, when
// MASTER cannot be written.
bool remove_series(std::string_view directory, MetaStockMaster& master, std::size_t index);

// The messages of the directory rules.
inline constexpr std::string_view builder_full_message =
    "METASTOCK Directory FULL!@Delete 1 or more files from it.";
inline constexpr std::string_view distributor_full_message =
    "A METASTOCK Directory IS FULL!@Run MSREPAIR to restore it.";
inline constexpr std::string_view no_free_number_message =
    "MASTER METASTOCK directory indicates there is room,@however, couldn't find any avail. space??";
inline constexpr std::string_view master_write_message =
    "CAN'T UPDATE YOUR METASTOCK MASTER FILE@CHECK TO SEE IF WRITE PROTECTED?";
inline constexpr std::string_view in_use_message =
    "UPDATING OF METASTOCK FILES ABORTED@ FILES IN USE BY ANOTHER PROGRAM";

}  // namespace qv
