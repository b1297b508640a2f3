#pragma once

// The roll status of one commodity on one day: the contract in force, how many
// calendar and trading days remain until the series rolls to the next
// contract, the day it rolls and the contract it rolls to.
//
// The contract in force on each day is the contract rule (its roll-report
// form, which moves a weekday roll with roll_month 1 two contracts on). A
// contract changes on the rule's day, but the series rolls on a trading day:
// a change that falls on a weekend or a holiday rolls on the first trading day
// after it. Until that day the change is still to come, so on the Saturday and
// the Sunday before a Monday roll the commodity shows the Monday as its roll
// date, and on the Monday it is rolling today.

#include "common/calendar.h"
#include "common/holidays.h"
#include "common/tables.h"

namespace qv::roll {

struct RollStatus {
    char active_code = ' ';    // month code of the contract in force
    int active_month = 0;      // 1 to 12; 0: none
    bool rolling_today = false;
    int calendar_days = 0;     // from today to the roll date
    int trading_days = 0;      // trading days after today up to and including the roll date
    int next_month = 0;        // 1 to 12; 0: no roll found
    DayNumber roll_date = no_date;
};

// The status of a commodity on `today`. A month code in the commodity's
// all_tag that is not a month code ends the program (the contract rule's
// message).
RollStatus roll_status(const Commodity& commodity, DayNumber today, const HolidayTable& holidays);

}  // namespace qv::roll
