#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "common/front_door.h"
#include "common/holidays.h"
#include "common/platform/console.h"
#include "common/tables.h"
#include "common/tool.h"

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

// The shared start of the tools, their differences taken from the profile:
// the start screen (when the tool has a banner) with the tool's own `screen`
// texts drawn over it, the commodity table, and the holidays when the tool
// loads them. A tool that only warns about the holiday file shows the warning
// as its message.
StartUp start_up(const ToolProfile& tool, std::span<const ScreenText> screen = {});

// The farewell screen of the updater and the builder: "H A V E  A  P R O F I T A B L E  D A Y !"
// on a cleared screen, left standing for `pause` on a terminal (the builder's
// half second) so that the user can read it.
void show_farewell(std::chrono::milliseconds pause = std::chrono::milliseconds(0));

// Runs a tool's main flow and gives its exit code: 0 when it ends normally or
// by ProgramEnd. An unexpected failure is reported on the console rather than
// aborting the process, and ends with 0 too, as every tool of the suite does.
int run_program(const std::function<void()>& flow);

// A program's main: the front door first (--help, --version: answered, then
// the end, before any work), then the flow with the program's arguments. The
// exit code is 0, or 1 for a failed run when QUORVANT_EXIT_STATUS=1 asks for it.
using ProgramFlow = std::function<void(const std::vector<std::string_view>& arguments)>;
int run_program(const ProgramAbout& about, int argc, char** argv, const ProgramFlow& flow);
int run_program(const ToolProfile& tool, int argc, char** argv, const ProgramFlow& flow);

}  // namespace qv
