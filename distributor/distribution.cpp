#include "distributor/distribution.h"

#include "common/platform/console.h"

namespace qv::distributor {

void show_contract(std::string_view kind, std::string_view tag, const Distribution& run) {
    Console& screen = console();
    if (run.mode != HistoryMode::update) {
        screen.go_to(36, 14);
        screen.write(kind);
    }
    screen.go_to(50, 17);
    screen.write(tag.substr(0, 2));
}

}  // namespace qv::distributor
