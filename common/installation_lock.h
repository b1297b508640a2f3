#pragma once

#include <string_view>

namespace qv {

// The shared first step of every program that writes the installation: takes
// the installation lock (\QUORVANT\QUORVANT.LCK) for the program's life. When
// another program of the suite holds it for the whole short wait, or the lock
// file cannot be made, the program ends at once (ProgramEnd) with a message
// that says so, having changed nothing; with `record_in_message_file` (the
// updater, which runs unattended) the message goes into QUORUP.MSG too.
void hold_installation(std::string_view program, bool record_in_message_file = false);

}  // namespace qv
