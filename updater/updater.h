#pragma once

// The updater's run: what one run of QUORUP knows while it tidies the update
// folder, merges the received update files into the database, prepares the
// broadcast, shows the bulletins and hands over to TEMPZIP.BAT.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/holidays.h"
#include "common/tables.h"
#include "common/tool.h"
#include "common/install_files.h"

namespace qv::updater {

// The received-files list holds at most this many entries.
inline constexpr std::size_t received_files_limit = 500;

// One entry of the received-files list: kind 'M' for a file found at start
// that is to be merged, 'B' for a file waiting for the broadcast.
struct ReceivedFile {
    char kind = 'M';
    std::string name;  // upper case, 12 characters for proper names
};

// Rebuild states of a commodity's autobuild outputs.
inline constexpr int rebuild_nothing = 0;
inline constexpr int rebuild_rolled_in_broadcast = 1;
inline constexpr int rebuild_outputs = 2;

struct UpdaterState {
    CommodityTable tables;
    HolidayTable holidays;
    std::string update_directory{install::updates_folder};      // ends in a backslash
    std::string bulletin_directory{install::bulletin_folder};   // ends in a backslash
    DayNumber today = no_date;

    std::vector<ReceivedFile> received;
    std::vector<int> rebuild_state;   // one per table row
    std::vector<bool> several_days;   // one per table row: a CLC file carried several lines of it

    // The rebuild list an interrupted or failed build left, and the list as
    // this run last wrote it.
    std::string pending_rebuild_list;
    std::string written_rebuild_list;

    bool idx_merged = false;
    bool broadcast_ready = false;
    bool message_mode = false;

    // Every commodity back to "nothing to do", sized to the table.
    void reset_commodity_states();
};

// The updater's message operation: a line (or two, split at "@") appended to
// \QUORVANT\QUORUP.MSG.
void updater_message(std::string_view text);

// Runs the batch file in place of the updater; returns only when it could not
// be started. Tests put a recorder in its place.
using BatchRunner = std::function<void(std::string_view path)>;

}  // namespace qv::updater
