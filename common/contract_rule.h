#pragma once

// The contract rule: which futures contract (month and year) of a commodity is
// in force on a given day, from the commodity's roll_day, roll_month and all_tag.
// The output builder links and names its series by it, the updater marks roll
// overs by it and the rollover report lists it.

#include "common/calendar.h"
#include "common/tables.h"

#include <optional>

namespace qv {

struct Contract {
    char code = ' ';  // month code, one of "FGHJKMNQUVXZ"
    int month = 0;    // 1 to 12
    int year = 0;     // four digits

    // Field 8 of a CLC series: 100 x year + month.
    int year_month() const { return 100 * year + month; }
    friend bool operator==(const Contract&, const Contract&) = default;
};

// The rollover report takes one more case than the builder and the updater: a
// weekday roll of a commodity with roll_month 1 moves two contract steps.
enum class ContractRuleForm { standard, roll_report };

// The day of the month on which the roll of a negative roll code falls in a
// month: code -(7 x (week - 1) + weekday + 1), Monday = 1 to Friday = 5, weeks
// 1 to 5. -13 (the second Friday) rolls on the Thursday before it. A fifth
// weekday that the month lacks gives a day past its end, so no roll falls in
// that month. Codes that name no weekday (-1, -7, -8, -14, -15, -21, -22, -28,
// -29, below -31, and every code of 0 or more) give nothing: such a commodity
// never rolls on a computed day.
std::optional<int> roll_day_of_code(int month, int year, int roll_code);

// The contract in force on a day. A month code in all_tag that is not a month
// code ends the program with "\n\nERROR- COULDN'T FIND MONTH CODE %c IN MCODES TABLE".
//
// The contract's year is the year in which its month next comes, counted from
// the month the rule arrives at: soybeans on 10 December 2020, before their
// roll, trade January 2021, and a commodity that trades only December
// contracts is in this year's December from January to the December roll.
Contract contract_in_force(DayNumber day, const Commodity& commodity,
                           ContractRuleForm form = ContractRuleForm::standard);

}  // namespace qv
