#pragma once

#include <string_view>

#include "common/tool.h"

namespace qv {

// Console messages: an upper-case text in which the first "@" starts a second
// line, with an optional numeric code shown after it (0: none). Each tool shows
// them its own way, chosen by its profile's MessageStyle.

// The tool's message operation. For the favourites tool it ends the program.
void message(const ToolProfile& tool, std::string_view text, int code = 0);

// The tool's fatal-error operation: shows the message the tool's way and ends
// the program (throws ProgramEnd). Two tools go on instead: the updater, which
// runs unattended, records the message in its message file; the rollover
// report prints "TROUBLE: %s".
void fatal_error(const ToolProfile& tool, std::string_view text, int code = 0);

// The single operations, for the code that needs one of them directly.

// Appends to \QUORVANT\QUORUP.MSG (the updater's message); nothing when the
// file cannot be opened.
void append_message(std::string_view text, int code = 0);

// The output builder's warning screen; waits for a key, clears the screen and
// returns the key.
int warning_screen(std::string_view text, int code = 0);

// The distributor's warning screen: the same screen with "Hit a KEY to
// continue.....", a key, the screen cleared, and then the installation's
// console closer (conquit.exe "cmd.exe"), waited for, before the caller goes on.
void continue_screen(std::string_view text, int code = 0);

// A question ending in "(Y or N):" asked on the warning screen: true only for Y or y.
bool ask_yes_no(std::string_view question);

// Replaces \QUORVANT\QUORUP.ERR with the message (the request preparation's);
// ends the program when the file cannot be created even after an attrib -r.
void write_error_file(std::string_view text, int code = 0);

// The favourites tool's message: framed text, "HIT ANY KEY TO EXIT", a key read
// with echo; then the program ends.
[[noreturn]] void framed_message(std::string_view text);

// Appends a NOTICE to \QUORVANT\QUORUP.MSG (the post-download processing's);
// ends the program when the file cannot be opened.
void append_notice(std::string_view text, int code = 0);

// "TROUBLE: %s" on the console (the rollover report's fatal error).
void print_trouble(std::string_view text);

}  // namespace qv
