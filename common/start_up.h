#pragma once

// What every tool does first and last: the start screen with the maker's
// line, the farewell screen, and the frame that runs a tool's main flow and
// turns how it ended into the program's exit code.

#include <chrono>
#include <functional>
#include <string_view>

#include "common/holidays.h"
#include "common/tables.h"

namespace qv {

// What a tool has loaded when its start-up is done.
struct StartUp {
    CommodityTable commodities;
    HolidayTable holidays;   // empty in the tools that do not load them
};

// The text of row 2 of the start screens: the maker's line.
inline constexpr std::string_view maker_line = "QUORVANT COMMODITY DATA SERVICES";

// The start screen of the tools that draw one: cursor hidden, bright text on
// light blue, screen cleared, the maker's line at column 24 of row 2 and the
// program's banner at column 16 of row 3.
void show_start_screen(std::string_view banner);

// The farewell screen of the updater and the builder: "H A V E  A  P R O F I T A B L E  D A Y !"
// on a cleared screen, left standing for `pause` on a terminal (the builder's
// half second) so that the user can read it.
void show_farewell(std::chrono::milliseconds pause = std::chrono::milliseconds(0));

// Runs a tool's main flow and gives its exit code: 0 when it ends normally or
// by ProgramEnd. An unexpected failure is reported on the console rather than
// aborting the process, and ends with 0 too, as every tool of the suite does.
int run_program(const std::function<void()>& flow);

}  // namespace qv
