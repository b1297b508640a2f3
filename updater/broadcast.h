#pragma once

// The broadcast of merged CLC and IDX updates into the user's autobuild
// outputs listed in \QUORVANT\BCAST.TXT. Only its preparation is here so far:
// the build files gathered into \QUORVANT\AUTOBLDX.TMP, which makes the merged
// CLC and IDX files wait for the broadcast under their ?B names.

#include "updater/updater.h"

namespace qv::updater {

// The build settings' defaults from \QUORVANT\LASTMAP.QVT (read by the
// broadcast, which is still to come: nothing is read yet).
void load_build_map_defaults();

// Writes AUTOBLDX.TMP from BCAST.TXT and sets the broadcast-ready flag; does
// nothing when there is no BCAST.TXT.
void prepare_broadcast(UpdaterState& state);

// The broadcast itself, called after the merge when it is ready. Still to
// come: the ?B files it would serve are deleted at the next start, as any
// broadcast leftovers are.
void broadcast(UpdaterState& state);

}  // namespace qv::updater
