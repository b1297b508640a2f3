#pragma once

// The distributor's main flow: after its start screen and tables it looks for
// the history file, draws the working screen, reads its settings, carries
// every pending EUyymmdd.CLC of the update folder into the user's files,
// oldest first, and ends by starting the favourites builder when the user
// keeps favourites.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/calendar.h"
#include "common/tables.h"
#include "distributor/distribution.h"

namespace qv::distributor {

// The steps the main flow hands work to, so that tests can watch them. The
// real ones are given by distributor_steps().
struct DistributorSteps {
    std::function<void(CommodityTable&)> change_comptrac_array;
    // Each returns 0 when the update file (its full path) was read to its end.
    std::function<int(const std::string& update_path, Distribution& run)> append_ascii_updates;
    std::function<int(const std::string& update_path, Distribution& run)> append_meta_updates;
    // Starts a program without waiting; false when it could not be started.
    std::function<bool(std::string_view command_line)> start_program;
};

DistributorSteps distributor_steps();

// The history file that installs a whole price history.
inline constexpr std::string_view history_file_name = "EU991231.CLC";
// History files above these sizes (in bytes) are light or deep histories;
// a smaller one is installed with the update screen.
inline constexpr std::uintmax_t light_history_size = 1'000'000;
inline constexpr std::uintmax_t deep_history_size = 100'000'000;

// At most this many update files are taken in one run.
inline constexpr std::size_t update_file_table_size = 100;
inline constexpr const char* too_many_files_message =
    "WARNING- TOO MANY UPDATE FILES TO PROCESS THEM ALL, @RERUN DFANOUT AGAIN TO PROCESS THE REST.";

// Only update files of a day below this bound are processed.
inline constexpr DayNumber update_day_bound = 55555;

// The day of an update file name EUyymmdd.CLC; a year above 29 is 19yy, so the
// history file EU991231.CLC comes before every update file. no_date for a
// name that does not hold a date there.
DayNumber update_file_day(std::string_view name);

// The mode by the history file's size. A done file of an earlier run (E_*.CLC)
// is deleted when the history file is present; the history file itself and
// pending update files are never touched.
HistoryMode detect_history_mode();

// "---WORKING ON---" and the texts of the mode.
void show_working_screen(HistoryMode mode);

// Carries every pending update file into the user's files, oldest first, and
// gives each its done name (E_yymmdd.CLC) with a " MERGED O.K." line in
// QUORUP.MSG. A file that fails ends the run through start_favourites.
void process_update_files(Distribution& run, const DistributorSteps& steps);

// Whether the user keeps favourites (FAVOR.ASC or FAVOR.MS) and
// \QUORVANT\MKPICKS.EXE is there to copy them.
bool keeps_favourites();
// Leaves the mark that asks for the favourites to be copied again
// (install::favourites_pending).
void mark_favourites_pending();

// Starts \QUORVANT\MKPICKS.EXE without waiting when the user keeps
// favourites (FAVOR.ASC or FAVOR.MS), and ends the program.
[[noreturn]] void start_favourites(const DistributorSteps& steps);

// The whole run from the start screen to the end of the program.
[[noreturn]] void run_distributor(const DistributorSteps& steps);

}  // namespace qv::distributor
