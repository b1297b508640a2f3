// The run loop around statements: lines, substitution, labels, the
// statement wrapper with error reporting and tracing, and the message pump.
#pragma once

#include <cstdint>

#include "scriptlib/instance.h"

namespace qsl {

// Runs a script buffer from offset 0: 1 when it ended normally, 0 when it
// stopped (the reason is the instance's last error).
int run_buffer(Context& c, char* text, uint32_t length);
// Removes pending messages; here: the break check and the host's idle call.
void pump_messages(Context& c);
// Waits the given milliseconds in short slices, pumping messages; a
// termination request ends the wait.
void wait_for(Context& c, int64_t milliseconds);
// Reports the instance's last error; true when the script goes on.
bool report_error(Context& c);

}  // namespace qsl
