#pragma once

// The updater's merge: the received update files, kind by kind (IDX, CLC,
// COT), oldest name date first, each renamed once merged.

#include <functional>
#include <string_view>

#include "common/update_file.h"
#include "updater/updater.h"

namespace qv::updater {

enum class MergeOutcome {
    done,              // merged (or stopped at a problem); the run goes on with the bulletins
    nothing_to_merge,  // no update file at all: reported, the run goes on
    distributor_only,  // only EX files: straight to the follow-up batch file
};

// The merge of one file of a kind (merge_update_file; tests put others in).
using FileMerge = std::function<int(UpdaterState&, DatabaseKind, std::string_view)>;

MergeOutcome merge_updates(UpdaterState& state, const FileMerge& merge_file);

// The loop for one kind: 0 when every file of the kind merged, -1 at the first
// failure (that file keeps its name, and nothing after it is merged).
int merge_kind(UpdaterState& state, DatabaseKind kind, const FileMerge& merge_file);

}  // namespace qv::updater
