#pragma once

// Merging one COT update file into the COT database: every commodity's report
// lines go into its \QUORVANT\COT\xx_COT.QVT, rewritten through the work file
// \QUORVANT\COT\TEMP_COT.QVT, which is flushed and renamed over it; a
// commodity without a COT file gets a new one.

#include <string_view>

#include "updater/updater.h"

namespace qv::updater {

// Merges the update file `name` from the update directory. 0 on success, -1 on
// failure (the message is in the message file; the failing commodity's COT
// file is as it was, earlier ones stay merged).
int merge_cot(UpdaterState& state, std::string_view name);

}  // namespace qv::updater
