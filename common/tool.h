#pragma once

#include <cstddef>
#include <string_view>

#include "common/front_door.h"

namespace qv {

// What the tools do differently in the shared code, described once per tool as
// data: the profile is chosen in main and handed to the shared operations.

// Loading TABLES.INI.
struct TableRules {
    int tables_needed = 7;        // tables that must have been read (0: not counted)
    int min_count = 1;            // accepted [numcom] values
    int max_count = 150;
    bool reads_group_index = false;
    bool reads_decimal = false;
    bool lenient_headers = false; // a header without "]" is skipped instead of refused
};

// Loading HOLIDAYS.QVT.
enum class HolidayOverflow {
    stop,            // print the message and end the program
    warning_screen,  // show the message on the warning screen and go on
    warn,            // the distributor's warnings
};

struct HolidayRules {
    std::size_t bound = 2000;                    // holidays kept at most
    HolidayOverflow overflow = HolidayOverflow::stop;
    bool in_install_folder = false;              // \QUORVANT\HOLIDAYS.QVT, not the working directory
    bool warnings_only = false;                  // a missing or bad file warns instead of ending
};

// How a tool shows a message and a fatal error.
enum class MessageStyle {
    message_file,    // updater: append to QUORUP.MSG; a fatal error is recorded there and the run goes on
    warning_screen,  // output builder: warning screen and key; fatal ends
    error_file,      // request preparation: QUORUP.ERR; fatal ends
    framed_and_key,  // favourites: framed text, "HIT ANY KEY TO EXIT", ends
    notice,          // post-download: notice in QUORUP.MSG; fatal ends
    trouble,         // rollover report: "TROUBLE: %s" for a fatal error
    direct,          // converter prints its own messages
    continue_screen, // distributor: warning screen, a key to continue, then the console closer
};

struct ToolProfile {
    std::string_view program;
    TableRules tables;
    HolidayRules holidays;
    MessageStyle messages;
    // The start-up: the banner of the start screen (none: no start screen) and
    // whether the holidays are loaded.
    std::string_view banner = {};
    bool loads_holidays = false;
    // What --help and --version say.
    const ProgramAbout* about = nullptr;
};

extern const ToolProfile updater_profile;
extern const ToolProfile builder_profile;
extern const ToolProfile distributor_profile;
extern const ToolProfile request_profile;
extern const ToolProfile favorites_profile;
extern const ToolProfile postdownload_profile;
extern const ToolProfile roll_profile;
extern const ToolProfile clcconv_profile;

}  // namespace qv
