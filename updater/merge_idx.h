#pragma once

// Merging one IDX update file into the IDX database: every tag's index lines
// go into its \QUORVANT\IDX\xx_IDX.QVT. When all of a tag's lines come after
// the file's last day they are appended to it in place; otherwise the file is
// rewritten through the work file \QUORVANT\IDX\TEMP_IDX.QVT, which is flushed
// and renamed over it.

#include <string_view>

#include "updater/updater.h"

namespace qv::updater {

// A run of more than this many lines that are too short or carry no valid tag,
// met while looking for the next tag, ends the merge of the file.
inline constexpr int idx_unusable_line_run = 51;

// Merges the update file `name` from the update directory. 0 on success, -1 on
// failure (the message is in the message file; the failing tag's IDX file is
// as it was, earlier ones stay merged).
int merge_idx(UpdaterState& state, std::string_view name);

}  // namespace qv::updater
