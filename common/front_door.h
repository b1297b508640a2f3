#pragma once

// The front door of every program of the suite: --help, -h, -?, /? and
// --version are answered before any work is done, and the program then ends
// without touching a file. The suite's own DOS-style arguments (/M, /1, $NAME)
// are none of these and keep their meaning.

#include <span>
#include <string_view>

namespace qv {

// The version of the suite as a whole.
inline constexpr std::string_view suite_version = "1.0";

// What a program says about itself.
struct ProgramAbout {
    std::string_view name;     // as it is installed: "QUORUP", "roll"
    std::string_view version;  // the program's own version ("5.5"); empty when it has none
    std::string_view usage;    // the command line: "QUORUP [/M]"
    std::string_view text;     // what it does, its arguments and the files it reads and writes
};

// The environment variables that every program of the suite honours, as the
// help texts list them.
extern const std::string_view environment_help;

// Answers the front door's question when the arguments ask one: the help text
// or the version on standard output. True when answered; the program then ends.
bool answer_front_door(const ProgramAbout& about, std::span<const std::string_view> arguments);

// The help texts of the suite's programs.
extern const ProgramAbout updater_about;
extern const ProgramAbout builder_about;
extern const ProgramAbout distributor_about;
extern const ProgramAbout request_about;
extern const ProgramAbout favorites_about;
extern const ProgramAbout postdownload_about;
extern const ProgramAbout roll_about;
extern const ProgramAbout clcconv_about;
extern const ProgramAbout qbatch_about;
extern const ProgramAbout bulshow_about;
extern const ProgramAbout conquit_about;

}  // namespace qv
