#include "common/contract_rule.h"

#include "common/platform/console.h"
#include "common/platform/program_end.h"

namespace qv {

namespace {

int month_after(int month, int steps) { return (month - 1 + steps) % 12 + 1; }

// Moves a month forward one calendar month at a time; after December comes
// January of the next year.
void step_months(int& month, int& year, int steps) {
    for (int i = 0; i < steps; ++i) {
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
}

char all_tag_at(const Commodity& commodity, int month) {
    const auto at = static_cast<std::size_t>(month);
    return at < commodity.all_tag.size() ? commodity.all_tag[at] : ' ';
}

// Months to step for a weekday roll (negative roll_day).
int weekday_roll_steps(const Date& date, const Commodity& commodity, ContractRuleForm form) {
    const int m = date.month;
    const std::optional<int> roll = roll_day_of_code(m, date.year, commodity.roll_day);
    const bool rolled = roll && date.day >= *roll;
    if (form == ContractRuleForm::roll_report && commodity.roll_month == 1) {
        if (all_tag_at(commodity, month_after(m, 1)) == all_tag_at(commodity, month_after(m, 2)))
            return 0;
        return rolled ? 2 : 1;
    }
    // Only a month after which the contract changes has a roll in it.
    if (all_tag_at(commodity, m) == all_tag_at(commodity, month_after(m, 1))) return 0;
    return rolled ? 1 : 0;
}

int day_of_month_roll_steps(const Date& date, const Commodity& commodity) {
    const bool rolled = date.day >= commodity.roll_day;
    if (commodity.roll_month == 1) return rolled ? 2 : 1;
    return rolled ? 1 : 0;
}

}  // namespace

std::optional<int> roll_day_of_code(int month, int year, int roll_code) {
    const int n = -roll_code;
    const int weekday_code = n % 7;  // 2 Monday ... 6 Friday, as the calendar counts weekdays
    if (n < 2 || n > 31 || weekday_code < 2) return std::nullopt;
    const int week = (n - 1) / 7 + 1;
    const int first = weekday(date_to_lotus(year, month, 1));
    const int first_match = 1 + (weekday_code - first + 7) % 7;
    int day = first_match + 7 * (week - 1);
    // The second-Friday code is the one code whose roll comes the day before.
    if (roll_code == -13) --day;
    return day;
}

Contract contract_in_force(DayNumber day, const Commodity& commodity, ContractRuleForm form) {
    const Date date = lotus_to_date(day);
    const int steps = commodity.roll_day < 0 ? weekday_roll_steps(date, commodity, form)
                                             : day_of_month_roll_steps(date, commodity);
    int month = date.month;
    int year = date.year;
    step_months(month, year, steps);

    Contract contract;
    contract.code = all_tag_at(commodity, month);
    const std::size_t position = month_codes.find(contract.code);
    if (position == std::string_view::npos || contract.code == '\0') {
        console().print("\n\nERROR- COULDN'T FIND MONTH CODE %c IN MCODES TABLE", contract.code);
        throw ProgramEnd{};
    }
    contract.month = static_cast<int>(position) + 1;
    // A contract month before the month arrived at is that month's next
    // occurrence, in the following year.
    contract.year = contract.month < month ? year + 1 : year;
    return contract;
}

}  // namespace qv
