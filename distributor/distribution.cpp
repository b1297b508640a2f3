#include "distributor/distribution.h"

#include "common/platform/console.h"

namespace qv::distributor {

void show_contract(std::string_view kind, std::string_view tag, const Distribution& run) {
    if (run.mode != HistoryMode::update) console().draw({{36, 14, kind}});
    console().draw({{50, 17, tag.substr(0, 2)}});
}

}  // namespace qv::distributor
