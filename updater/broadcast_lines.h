#pragma once

// The lines of one update file that its broadcast carries into the autobuild
// outputs: the data lines dated with the file's own date (the date of its DU
// line), at most 299 of them. A roll-over line before a commodity's line marks
// the commodity as rolled over in the broadcast (rebuild state 1).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "updater/updater.h"

namespace qv {

struct BroadcastLines {
    DayNumber day = no_date;          // the file's date; no_date when nothing was read
    std::vector<std::string> lines;   // line ends removed

    // The first line of a commodity (its first two characters, case ignored).
    const std::string* line_of(std::string_view tag) const;
};

inline constexpr std::size_t broadcast_line_limit = 300;
inline constexpr std::size_t broadcast_line_length = 214;

// Reads the update file at `path` (named `name` in messages). Messages go to
// the message file; the lines are empty when the file cannot be opened or
// does not start with a DU line.
BroadcastLines read_broadcast_lines(const std::string& path, std::string_view name, UpdaterState& state);

// The n-th blank-separated field after the date of an update line, from 1.
std::optional<std::string> update_line_field(std::string_view line, int n);

}  // namespace qv
