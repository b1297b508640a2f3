#include "updater/broadcast_lines.h"

#include "common/platform/text.h"
#include "common/update_file.h"

namespace qv {

const std::string* BroadcastUpdate::line_of(std::string_view tag) const {
    for (const std::string& line : lines)
        if (line.size() >= 2 && tag.size() >= 2 && equal_no_case(std::string_view(line).substr(0, 2), tag.substr(0, 2)))
            return &line;
    return nullptr;
}

BroadcastUpdate read_broadcast_update(std::string_view name, UpdaterState& state) {
    BroadcastLines read = read_broadcast_lines(name);
    for (const std::string& text : read.messages) updater_message(text);
    for (const std::string& tag : read.rolled_tags)
        for (std::size_t row = 0; row < state.tables.size() && row < state.rebuild_state.size(); ++row)
            if (equal_no_case(state.tables[row].tag, tag) && state.rebuild_state[row] == rebuild_nothing)
                state.rebuild_state[row] = rebuild_rolled_in_broadcast;
    BroadcastUpdate update;
    if (read.date.size() == 6) update.day = name_date("DU" + read.date);
    if (update.day != no_date) update.lines = std::move(read.lines);
    return update;
}

std::optional<std::string> update_line_field(std::string_view line, int n) {
    if (line.size() < 9) return std::nullopt;
    std::size_t at = 9;
    for (int k = 1;; ++k) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) return std::nullopt;
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        if (k == n) return std::string(line.substr(at, end - at));
        at = end;
    }
}

}  // namespace qv
