#pragma once

// The updater's start-up steps that tidy the install and update folders and
// fill the received-files list, each callable on its own.

#include <string_view>

#include "common/start_up.h"
#include "updater/updater.h"

namespace qv::updater {

// Row 2 and 3 of the start screen.
void show_updater_screen();

// Deletes what an earlier run or download left behind: the rebuild list's
// work file, downloaded archives ?????ZIP.EXE, TEMPZIP.BAT and empty D*.* and
// E*.* update files. DB files that a stopped broadcast left wait for this
// run's broadcast, and a rebuild list left by a build that did not finish
// waits for this run's builds.
void delete_leftovers();

// Deletes the processed update files ?_*.* whose name date lies more than 10
// days before today. A name without a date is left alone.
void delete_old_processed_files(DayNumber today);

// Gives the update files their proper names: EX files the extension CLC, and
// ?U files whose name is not KSYYMMDD.EXT the name of their header line.
void normalise_update_names(std::string_view update_directory);

// Creates the folder (given with or without its trailing backslash) when it
// cannot be found.
void make_sure_folder_exists(std::string_view folder);

// The received-files list: kind M entries for ?U??????.COT, .CLC, .IDX and
// EX??????.CLC files of the update directory, in that order, at most 500.
void fill_received_files(UpdaterState& state);

// Starts this run's section of QUORUP.MSG: the dated header first, the
// earlier content after it. Ends the run (ProgramEnd), before anything is
// merged, when the work file QUORUP.TMP cannot be made.
void start_message_file(DayNumber today);

}  // namespace qv::updater
