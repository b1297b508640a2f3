// The trace file of `debugtrace`: a header, one record per statement and
// an end record, each appended and the file closed again.
#pragma once

#include <string>

#include "scriptlib/instance.h"

namespace qsl {

void trace_statement(Context& c, const std::string& outcome, int error, bool stopped);
void trace_end(Context& c, bool normal);
// The current date and time as YYYY:MM:DD:HH:MM:SS (QUORVANT_TODAY stands in
// for the clock when it is set).
std::string date_time_text();

}  // namespace qsl
