#pragma once

// The hand-over at the end of a run: the rebuild list $ROLL for the output
// builder, the cash-index builds, and TEMPZIP.BAT, which runs the builder,
// the distributor and the bulletin viewer in the updater's place.

#include <string>
#include <string_view>

#include "updater/updater.h"

namespace qv::updater {

// The rebuild list an earlier run left in \QUORVANT\$ROLL: its builds have not
// all been made, since DFORGE removes the list once it has gone through it.
// Empty when there is none.
std::string read_pending_rebuild_list();

// Writes \QUORVANT\$ROLL whole through a work file: the sets an earlier run
// left pending, every set of the build files listed in BCAST.TXT that reads a
// commodity to be rebuilt, with the option lines in force before it (none
// when $NOROLL exists), and after an IDX merge the cash-index builds $C1 to
// $C3 named in BCAST.TXT (none when $NOCASH exists). The broadcast writes it
// before it marks an update file done, so that a stop at any later moment
// cannot lose a rebuild; it is written again only when it changed. False,
// after a message, when it could not be written.
bool write_rebuild_list(UpdaterState& state);

// Writes TEMPZIP.BAT and runs it in place of the updater (returns when it
// could not be started, or when it could not be written).
void run_follow_up_batch(UpdaterState& state, const BatchRunner& run_batch);

// Runs the batch file in place of the updater, unless it holds nothing but
// "@ECHO OFF" (no builder, no distributor to start): then the updater simply
// ends, sparing the start of the batch-file runner, which would do nothing.
void replace_by_follow_up_batch(std::string_view batch_file);

}  // namespace qv::updater
