#include "distributor/distribution.h"

#include <algorithm>
#include <string>

#include "common/messages.h"
#include "common/platform/console.h"
#include "common/platform/run_status.h"

namespace qv::distributor {

void show_contract(std::string_view kind, std::string_view tag, const Distribution& run) {
    if (run.mode != HistoryMode::update) console().draw({{36, 14, kind}});
    console().draw({{50, 17, tag.substr(0, 2)}});
}

void report_skipped(std::string_view text) {
    note_failed_run();
    message(distributor_profile, text);
}

void write_failed(Distribution& run, std::string_view path) {
    const std::string name(path);
    if (std::find(run.failed_writes.begin(), run.failed_writes.end(), name) == run.failed_writes.end())
        run.failed_writes.push_back(name);
}

}  // namespace qv::distributor
