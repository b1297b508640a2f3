#pragma once

// One run of QUORUP, from the start screen to the hand-over to TEMPZIP.BAT.

#include "updater/merge_loop.h"
#include "updater/updater.h"

namespace qv::updater {

// Runs the updater in the install folder. The follow-up batch file is handed
// to run_batch, which normally replaces the program by it.
void run_updater(const BatchRunner& run_batch, const FileMerge& merge_file);
void run_updater(const BatchRunner& run_batch);

}  // namespace qv::updater
