#pragma once

// The broadcast of merged CLC and IDX updates into the user's autobuild
// outputs: every output that DFORGE built from a build file listed in
// \QUORVANT\BCAST.TXT gets each day's row and values without being rebuilt.
// The build files are gathered into \QUORVANT\AUTOBLDX.TMP at start; the
// merged CLC and IDX files wait for the broadcast under their DB names and
// become D_ once broadcast.

#include "updater/updater.h"

namespace qv::updater {

// The build settings' defaults from \QUORVANT\LASTMAP.QVT, which every build
// file of the broadcast starts from.
void load_build_map_defaults();

// Writes AUTOBLDX.TMP from BCAST.TXT and sets the broadcast-ready flag; does
// nothing when there is no BCAST.TXT.
void prepare_broadcast(UpdaterState& state);

// The broadcast itself, called after the merge when it is ready: each DB file
// of the update folder, oldest first, into every output whose set reads its
// kind on a sampling day of the set; then the rollover notice.
void broadcast(UpdaterState& state);

// DB files of an earlier run whose broadcast was stopped, when no broadcast is
// ready in this run: there is nothing to serve, and they become D_.
void finish_unserved_broadcasts(UpdaterState& state);

// The rollover notice in the message file for the commodities of rebuild
// state 2, three display names to a line.
void write_rollover_notice(const UpdaterState& state);

}  // namespace qv::updater
