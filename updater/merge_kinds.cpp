#include "updater/merge_kinds.h"

#include "updater/merge_clc.h"
#include "updater/merge_cot.h"
#include "updater/merge_idx.h"

namespace qv::updater {

int merge_update_file(UpdaterState& state, DatabaseKind kind, std::string_view name) {
    switch (kind) {
        case DatabaseKind::clc: return merge_clc(state, name);
        case DatabaseKind::cot: return merge_cot(state, name);
        case DatabaseKind::idx: {
            const int result = merge_idx(state, name);
            state.idx_merged = true;
            return result;
        }
    }
    return -1;
}

}  // namespace qv::updater
