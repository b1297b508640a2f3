#include "roll/roll_status.h"

#include <algorithm>
#include <optional>

#include "common/contract_rule.h"

namespace qv::roll {

namespace {

// Days are counted in wide numbers so that stepping past the last day number
// cannot wrap round.
using Day = long;

// How far back a change of contract is looked for across days without
// trading: no exchange stays closed that long.
constexpr Day longest_break = 31;
// How far ahead the next change of contract is looked for: every roll rule
// changes the contract at least once a year.
constexpr Day longest_look_ahead = 800;

struct Change {
    Day day = 0;  // the first day of the new contract by the contract rule
    Contract before;
    Contract after;
};

Contract contract_on(Day day, const Commodity& commodity) {
    return contract_in_force(static_cast<DayNumber>(day), commodity, ContractRuleForm::roll_report);
}

bool trading(Day day, const HolidayTable& holidays) { return is_trading_day(static_cast<DayNumber>(day), holidays); }

// A change of contract today, or on the days without trading just before
// today, has not rolled yet: it rolls on the first trading day after it.
std::optional<Change> pending_change(Day today, const Commodity& commodity, const HolidayTable& holidays) {
    for (Day day = today; day > first_day_number && today - day <= longest_break; --day) {
        const Contract before = contract_on(day - 1, commodity);
        const Contract after = contract_on(day, commodity);
        if (!(before == after)) return Change{day, before, after};
        if (trading(day - 1, holidays)) break;
    }
    return std::nullopt;
}

std::optional<Change> next_change(Day today, const Commodity& commodity) {
    const Contract current = contract_on(today, commodity);
    for (Day day = today + 1; day <= last_day_number && day - today <= longest_look_ahead; ++day) {
        const Contract after = contract_on(day, commodity);
        if (!(after == current)) return Change{day, current, after};
    }
    return std::nullopt;
}

// The first trading day on or after `day`; 0 when none fits in the day numbers.
Day first_trading_day(Day day, const HolidayTable& holidays) {
    for (; day <= last_day_number; ++day)
        if (trading(day, holidays)) return day;
    return 0;
}

int trading_days_after(Day today, Day up_to, const HolidayTable& holidays) {
    int count = 0;
    for (Day day = today + 1; day <= up_to; ++day)
        if (trading(day, holidays)) ++count;
    return count;
}

}  // namespace

RollStatus roll_status(const Commodity& commodity, DayNumber today, const HolidayTable& holidays) {
    RollStatus status;
    std::optional<Change> change = pending_change(today, commodity, holidays);
    if (!change) change = next_change(today, commodity);
    const Day roll = change ? first_trading_day(std::max<Day>(change->day, today), holidays) : 0;
    if (!change || roll == 0) {
        // No roll within reach of the calendar: the contract stays.
        const Contract current = contract_on(today, commodity);
        status.active_code = current.code;
        status.active_month = current.month;
        return status;
    }
    status.active_code = change->before.code;
    status.active_month = change->before.month;
    status.next_month = change->after.month;
    status.roll_date = static_cast<DayNumber>(roll);
    status.rolling_today = roll == today;
    status.calendar_days = static_cast<int>(roll - today);
    status.trading_days = trading_days_after(today, roll, holidays);
    return status;
}

}  // namespace qv::roll
