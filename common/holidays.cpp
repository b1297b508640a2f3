#include "common/holidays.h"

#include <algorithm>

namespace qv {

bool HolidayTable::contains(DayNumber day) const {
    return std::find(days_.begin(), days_.end(), day) != days_.end();
}

HolidayTable load_holidays(const HolidayRules& rules) {
    (void)rules;
    return {};
}

}  // namespace qv
