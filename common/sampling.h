#pragma once

// Which days a sampled output keeps. The builder's final pass samples a whole
// table; the updater's broadcast asks of a single day whether it belongs to a
// sampled output. Both use these rules.

#include "common/calendar.h"
#include "common/holidays.h"

namespace qv {

// Whether `date` (a `weekday` from Sunday 0 to Saturday 6) closes its month for
// a monthly sample: the last calendar day, or a Friday after which only a
// weekend remains: the 31st; the 30th of April, June, September or November; a
// Friday the 29th or 30th; 28 or 29 February; a Friday the 28th of a 30-day
// month; a Friday the 26th or 27th of February.
bool closes_month(const Date& date, int weekday_from_sunday);

// Whether a day is a sampling day of SAMPLINGPERIOD `period`: every day for D;
// a day closing its month for M; for W (Friday) or 1 (Monday) to 6
// (Saturday) the day that falls on that weekday, or the day before a holiday
// that falls on it. No day for any other period.
bool is_sampling_day(DayNumber day, char period, const HolidayTable& holidays);

}  // namespace qv
