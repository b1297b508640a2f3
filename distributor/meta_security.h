#pragma once

// One MetaStock security while the distributor brings a contract's update
// lines into it: the folder's MASTER, the security's record in it, and the
// security's days as a work table in date order.

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "common/metastock.h"
#include "common/platform/work_file.h"
#include "distributor/distribution.h"

namespace qv::distributor {

// One day of a security. The date is the MetaStock date number YYYMMDD, YYY
// the year - 1900 (15 March 2005 is 1050315).
struct MetaDay {
    long date = 0;
    float open = 0;
    float high = 0;
    float low = 0;
    float close = 0;
    float volume = 0;
    float open_interest = 0;
};

using MetaWorkTable = std::vector<MetaDay>;

struct MetaSecurity {
    std::string folder;      // ends in a backslash (or colon)
    std::string name;        // the security's name and symbol in MASTER
    MetaStockMaster master;  // as read (or empty for a new folder)
    std::size_t index = 0;   // of the security's record in master.records
    bool is_new = false;     // the record was added for this contract
    // 7 for a new security; a series another program wrote with 5 fields (no
    // open, no open interest) keeps its layout.
    int field_count = 7;
    std::vector<std::uint8_t> header;  // F%d.DAT record 0 as read; empty for a new file
    MetaWorkTable days;
    // Read for days that go after the last: the oldest records of F%d.DAT,
    // which stay as they are, are not in `days`; the date of the first of them.
    std::size_t kept = 0;
    long first_date = 0;
    // Where write_meta_security keeps reused work files: a folder on the same
    // mounted file system, or empty for the security's own folder.
    std::string work_folder;
};

// Finds or creates the security for `output_path` (folder and name as
// determine_name gives them). 0 with the security ready; 1 when this contract
// must be passed over (after a warning); -1 after a warning when the run must
// stop: the folder is in use, its MASTER is damaged or cannot be made, or it
// has no room. A MASTER record whose data file is missing is removed with its
// files and the contract goes on as a new security. With `newest`, only that
// many of the newest days are read into the work table (the others are kept).
// The folder is looked at for the charting program's in-use marker as `look`
// says; its MASTER is read, unless `master_read` brings it as just read.
int prepare_meta_security(const std::string& output_path, MetaSecurity& security,
                          std::size_t newest = std::numeric_limits<std::size_t>::max(),
                          InUseLook look = InUseLook::any_case, MasterReadResult* master_read = nullptr);

// The folder of a security's output path, as prepare_meta_security takes it:
// up to its last backslash or colon (empty when there is none).
std::string meta_folder_of(const std::string& output_path);

// Drops the security's record from MASTER, rewrites MASTER and deletes the
// record's F%d.DAT and F%d.DOP. -1 after a warning when MASTER cannot be
// written; nothing is deleted then.
int remove_meta_security(MetaSecurity& security, std::size_t index);

// The work table's edits. Positions count from 0.
void insert_meta_record(MetaWorkTable& days, std::size_t position, const MetaDay& day);
void replace_meta_record(MetaWorkTable& days, std::size_t position, const MetaDay& day);
// Removes the day of that date; nothing when there is none.
void delete_meta_record(MetaWorkTable& days, long date);

// Puts one update day in its place: before the first day, over a day of the
// same date, after the last day, or between the two days that enclose it.
// previous_date is the date of the contract's previous update line (0 before
// the first). When the day goes after the last day and that last day is not
// the previous update line's, the last day takes the new day's volume and
// open interest: the vendor's figures of a day are complete only with the
// next day's line.
void place_meta_record(MetaWorkTable& days, const MetaDay& day, long previous_date);

// Writes the security: F%d.DAT from the work table (after its kept records), its MASTER record (layout,
// first and last date) with MASTER stamped and rewritten, and F%d.DOP with
// `decimals` for the price columns. Each file is replaced through a work file,
// so a failure leaves the security's files as they were; -1 after a warning.
// With WorkFileMode::reuse the work files of security.work_folder (or of the
// security's folder) are used again; the caller removes them when it is done.
// Raises run.newest_written to the newest date written.
int write_meta_security(MetaSecurity& security, int decimals, Distribution& run,
                        WorkFileMode mode = WorkFileMode::fresh);

inline constexpr const char* meta_missing_dat_message = "META STOCK FILE %s@DOES NOT EXIST, BYPASSING IT.";
inline constexpr const char* meta_in_use_message = "ERROR-%s FOLDER@CURRENTLY IN USE, ABORTING THIS UPDATE";
// What the user can do about a full folder, after the folder-full warning.
inline constexpr const char* meta_repair_message =
    "MSREPAIR COMES WITH YOUR CHARTING PROGRAM, NOT WITH THIS SYSTEM:@"
    "ASK ITS MAKER FOR IT, OR MOVE SOME SECURITIES TO ANOTHER FOLDER.";
inline constexpr const char* meta_date_message = "ERROR-SYSTEM ERROR #120, INVALID DATE FORMAT@VALUE = %ld";
inline constexpr const char* meta_dat_message =
    "UNABLE TO CREATE THE METASTOCK DAT FILE@PLEASE CHECK DISK SPACE.";
inline constexpr const char* meta_dop_message =
    "UNABLE TO CREATE THE METASTOCK DOP FILE@PLEASE CHECK DISK SPACE OR WRITE PROTECTED.";

}  // namespace qv::distributor
