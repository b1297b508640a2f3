// The library's clock: the system clock, or, when QSL_NOW=YYYY:MM:DD:HH:MM:SS
// is set as the library starts, a clock that reads that moment then and runs
// on from there (so tests fix the date while waits still pass).
#pragma once

#include <cstdint>

#include "scriptlib/date_time.h"

namespace qsl {

// The local date and time now.
DateTime clock_now();
// Milliseconds of the current second (0 to 999).
int clock_milliseconds();
// Milliseconds since an arbitrary start, steady.
uint64_t clock_ticks();

}  // namespace qsl
