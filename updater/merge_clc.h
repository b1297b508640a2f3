#pragma once

// Merging one CLC update file into the CLC database: every commodity's update
// lines go into its \QUORVANT\CLC\xx_CLC.QVT, which is rewritten through the
// work file \QUORVANT\CLC\TEMP_CLC.QVT and replaced by renaming the flushed
// work file over it, so that the old or the new file is always whole.

#include <string_view>

#include "updater/updater.h"

namespace qv::updater {

struct ClcMergeOptions {
    // Long runs of old records are copied in blocks without being decoded; the
    // result is the same as the record-by-record merge, only faster.
    bool block_copy = true;
};

// Merges the update file `name` (12 characters) from the update directory.
// 0 on success, -1 on failure (the message is in the message file; the
// failing commodity's CLC file is as it was, earlier ones stay merged). Sets
// the several-day flag of each commodity that got more than one line.
int merge_clc(UpdaterState& state, std::string_view name, const ClcMergeOptions& options = {});

}  // namespace qv::updater
