#include "distributor/distribution.h"

#include <algorithm>
#include <string>

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

void write_failed(Distribution& run, std::string_view path) {
    const std::string name(path);
    if (std::find(run.failed_writes.begin(), run.failed_writes.end(), name) == run.failed_writes.end())
        run.failed_writes.push_back(name);
}

}  // namespace qv::distributor
