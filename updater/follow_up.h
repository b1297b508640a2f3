#pragma once

// The hand-over at the end of a run: the rebuild list $ROLL for the output
// builder, the cash-index builds, and TEMPZIP.BAT, which runs the builder,
// the distributor and the bulletin viewer in the updater's place.

#include <string_view>

#include "updater/updater.h"

namespace qv::updater {

// Writes \QUORVANT\$ROLL from the rebuild states: every set of the build files
// listed in BCAST.TXT that reads a commodity to be rebuilt, with the option
// lines in force before it. Nothing when $NOROLL exists.
void write_rebuild_list(const UpdaterState& state);

// Adds the cash-index builds $C1 to $C3 named in BCAST.TXT to $ROLL, after an
// IDX update was merged, unless $NOCASH exists.
void add_cash_index_builds(const UpdaterState& state);

// Writes TEMPZIP.BAT and runs it in place of the updater (returns when it
// could not be started, or when it could not be written).
void run_follow_up_batch(UpdaterState& state, const BatchRunner& run_batch);

// Runs the batch file in place of the updater, unless it holds nothing but
// "@ECHO OFF" (no builder, no distributor to start): then the updater simply
// ends, sparing the start of the batch-file runner, which would do nothing.
void replace_by_follow_up_batch(std::string_view batch_file);

}  // namespace qv::updater
