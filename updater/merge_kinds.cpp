#include "updater/merge_kinds.h"

#include "updater/merge_clc.h"

namespace qv {

// The COT and IDX merges plug in here; until they do, their update files wait
// in the update folder under their received names, with nothing lost.
int merge_cot(UpdaterState&, std::string_view) { return merge_not_available; }
int merge_idx(UpdaterState&, std::string_view) { return merge_not_available; }

int merge_update_file(UpdaterState& state, DatabaseKind kind, std::string_view name) {
    switch (kind) {
        case DatabaseKind::clc: return merge_clc(state, name);
        case DatabaseKind::cot: return merge_cot(state, name);
        case DatabaseKind::idx: {
            const int result = merge_idx(state, name);
            if (result != merge_not_available) state.idx_merged = true;
            return result;
        }
    }
    return -1;
}

}  // namespace qv
