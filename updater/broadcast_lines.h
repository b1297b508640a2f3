#pragma once

// The lines of one update file that its broadcast carries into the autobuild
// outputs: the data lines dated with the file's own date (the date of its DU
// line), read by common/update_file.h. A roll-over line before a commodity's
// line marks the commodity as rolled over in the broadcast (rebuild state 1).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "updater/updater.h"

namespace qv {

struct BroadcastUpdate {
    DayNumber day = no_date;          // the file's date; no_date when nothing was read
    std::vector<std::string> lines;   // line ends removed

    // The first line of a commodity (its first two characters, case ignored).
    const std::string* line_of(std::string_view tag) const;
};

// Reads the update file \QUORVANT\UPDATES\ + name, writes its messages to the
// message file and gives its rolled-over commodities rebuild state 1.
BroadcastUpdate read_broadcast_update(std::string_view name, UpdaterState& state);

// The n-th blank-separated field after the date of an update line, from 1.
std::optional<std::string> update_line_field(std::string_view line, int n);

}  // namespace qv
