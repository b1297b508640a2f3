#pragma once

// Working out the update files the databases still lack: the daily IDX and
// CLC files after each database's newest day, the distributor's EU files after
// EU LAST DATE, and the weekly COT reports after the newest report, each up
// to the last weekday on or before today and never a day after it.

#include "common/calendar.h"
#include "request/request_list.h"

namespace qv::request {

// The first COT report (Tuesday 6 October 1992) was released on Friday 16
// October 1992; every report since is released on the third day after it.
inline constexpr DayNumber first_cot_release_day = 33893;
inline constexpr int cot_release_delay = 3;

struct RequestState {
    DayNumber today = no_date;
    // The newest day of each database; no_date when it holds none.
    DayNumber newest_idx = no_date;
    DayNumber newest_clc = no_date;
    DayNumber newest_cot = no_date;
    bool clc_database = false;       // \QUORVANT\CLC\ holds a database file
    DayNumber eu_last_date = no_date;  // as the settings give it
    bool extended_contracts = false;   // EXTENDED CONTRACTS is set and not N
};

// The last weekday on or before `day` (the last trading day of this program,
// which knows no holidays).
DayNumber last_weekday_on_or_before(DayNumber day);

// EU LAST DATE as this program takes it: a date after 1900 but before 10
// October 1985 is taken for a damaged one and replaced by the newest date of
// the distributor's update files, or today minus 10 without them.
DayNumber check_eudate(DayNumber eu_last_date, DayNumber today);

// Adds the requests to the list, after what it already holds, then merges
// whole months and removes what already waits. A list that fills up stops
// the requests where they are; what was listed is kept.
void determine_dfiles(RequestList& list, const RequestState& state);

}  // namespace qv::request
