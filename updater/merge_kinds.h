#pragma once

// The merge of one update file, one function per database kind. Each returns
// 0 on success and -1 on failure (the updater then stops merging).

#include <string_view>

#include "common/update_file.h"
#include "updater/updater.h"

namespace qv::updater {

int merge_cot(UpdaterState& state, std::string_view name);
int merge_idx(UpdaterState& state, std::string_view name);

// The merge of the kind: merge_clc, merge_cot or merge_idx.
int merge_update_file(UpdaterState& state, DatabaseKind kind, std::string_view name);

}  // namespace qv::updater
