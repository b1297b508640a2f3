#pragma once

// The merge of one update file, one function per database kind. Each returns
// 0 on success and -1 on failure (the updater then stops merging), or
// merge_not_available when this version cannot merge the kind yet: the file
// then keeps its received name for a version that can.

#include <string_view>

#include "common/update_file.h"
#include "updater/updater.h"

namespace qv {

inline constexpr int merge_not_available = 1;

int merge_cot(UpdaterState& state, std::string_view name);
int merge_idx(UpdaterState& state, std::string_view name);

// The merge of the kind: merge_clc, merge_cot or merge_idx.
int merge_update_file(UpdaterState& state, DatabaseKind kind, std::string_view name);

}  // namespace qv
