#include "updater/broadcast_lines.h"

#include "common/platform/files.h"
#include "common/platform/text.h"

namespace qv {

namespace {

std::string without_line_end(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// The date YYMMDD of the DU line, characters 3 to 8 (years 2000 + YY).
DayNumber du_line_date(std::string_view line) {
    if (line.size() < 8) return no_date;
    return name_date(line.substr(0, 8));
}

}  // namespace

const std::string* BroadcastLines::line_of(std::string_view tag) const {
    for (const std::string& line : lines)
        if (line.size() >= 2 && tag.size() >= 2 && equal_no_case(std::string_view(line).substr(0, 2), tag.substr(0, 2)))
            return &line;
    return nullptr;
}

BroadcastLines read_broadcast_lines(const std::string& path, std::string_view name, UpdaterState& state) {
    BroadcastLines table;
    const FilePtr file = open_file(path, "r");
    if (!file) {
        updater_message(format("CAN'T OPEN UPDATE FILE %s TO BROADCAST IT", std::string(name).c_str()));
        return table;
    }
    std::string line;
    bool got = false;
    while ((got = read_line(file.get(), line, broadcast_line_length)) && without_line_end(line).size() < 9) {}
    const std::string header = to_upper(without_line_end(line));
    if (!got || header.rfind("DU", 0) != 0) {
        updater_message(format("ERROR - UPDATE FILE %s DOESN'T START WITH DU LINE", header.c_str()));
        return table;
    }
    const std::string file_date = header.substr(2, 6);
    table.day = du_line_date(header);

    bool in_bulletin = false;
    bool first = true;
    bool after_rollover = false;
    while (read_line(file.get(), line, broadcast_line_length)) {
        line = without_line_end(line);
        // A bulletin block: from a "$" line right after the header up to the
        // next "$" line.
        if (first && !line.empty() && line.front() == '$') {
            in_bulletin = true;
            first = false;
            continue;
        }
        first = false;
        if (in_bulletin) {
            if (!line.empty() && line.front() == '$') in_bulletin = false;
            continue;
        }
        if (after_rollover && line.size() >= 2) {
            for (std::size_t row = 0; row < state.tables.size(); ++row)
                if (equal_no_case(state.tables[row].tag, line.substr(0, 2)) &&
                    state.rebuild_state[row] == rebuild_nothing)
                    state.rebuild_state[row] = rebuild_rolled_in_broadcast;
        }
        after_rollover = false;
        if (line.size() < 9) continue;
        const std::string_view date = std::string_view(line).substr(3, 6);
        if (date == "000000") {
            after_rollover = true;
        } else if (date == file_date) {
            if (table.lines.size() + 1 == broadcast_line_limit) {
                updater_message("WARNING - UPDATE FILE CONTAINS TOO MANY LINES@EXTRA LINES IGNORED");
                break;
            }
            table.lines.push_back(line);
        }
    }
    return table;
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
