#pragma once

// The date and time the tools work by: the system's local time, or the moment
// QUORVANT_TODAY names, so that a run (the sample run, a test) can be made to
// happen on a given day. Every tool's "today" comes from here.

namespace qv {

struct LocalTime {
    int year = 0;    // four digits
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The system date and time, or the moment QUORVANT_TODAY names (the clock then stands still).
LocalTime now();

}  // namespace qv
