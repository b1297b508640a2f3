#include "roll/roll_status.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/contract_rule.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "common/tool.h"

namespace qv::roll {
namespace {

Commodity commodity(std::string all_tag, int roll_day, int roll_month = 0) {
    Commodity row;
    row.tag = "XX";
    row.name = "XX TEST";
    row.all_tag = "-" + all_tag;
    row.cycle = contract_cycle(row.all_tag);
    row.roll_day = static_cast<std::int16_t>(roll_day);
    row.roll_month = static_cast<std::int16_t>(roll_month);
    return row;
}

DayNumber day(int year, int month, int day_of_month) { return date_to_lotus(year, month, day_of_month); }

struct StatusCase {
    const char* what;
    std::string all_tag;
    int roll_day;
    int roll_month;
    DayNumber today;
    int active_month;
    bool rolling_today;
    int calendar_days;
    int trading_days;
    DayNumber roll_date;
    int next_month;
};

// Labor Day and Christmas 2020.
const HolidayTable holidays({day(2020, 9, 7), day(2020, 12, 25)});

constexpr const char* monthly = "GHJKMNQUVXZF";
constexpr const char* quarterly = "HHHMMMUUUZZZ";

TEST(RollStatus, DaysToTheRollAroundWeekendsHolidaysAndRules) {
    const StatusCase cases[] = {
        // The 15 August 2020 change falls on a Saturday: the series rolls on Monday.
        {"Friday before a Saturday change", monthly, 15, 0, day(2020, 8, 14), 9, false, 3, 1, day(2020, 8, 17), 10},
        {"the Saturday of the change", monthly, 15, 0, day(2020, 8, 15), 9, false, 2, 1, day(2020, 8, 17), 10},
        {"the Sunday after it", monthly, 15, 0, day(2020, 8, 16), 9, false, 1, 1, day(2020, 8, 17), 10},
        {"the Monday it rolls", monthly, 15, 0, day(2020, 8, 17), 9, true, 0, 0, day(2020, 8, 17), 10},
        // The next roll, 15 September, counted over Labor Day.
        {"the day after the roll", monthly, 15, 0, day(2020, 8, 18), 10, false, 28, 19, day(2020, 9, 15), 11},
        {"a change on a trading day", monthly, 15, 0, day(2020, 12, 15), 1, true, 0, 0, day(2020, 12, 15), 2},
        {"a change on a holiday", monthly, 25, 0, day(2020, 12, 24), 1, false, 4, 1, day(2020, 12, 28), 2},
        {"the Thursday before the second Friday", quarterly, -13, 0, day(2020, 12, 7), 12, false, 3, 3,
         day(2020, 12, 10), 3},
        {"a weekday roll on its day", quarterly, -13, 0, day(2020, 12, 10), 12, true, 0, 0, day(2020, 12, 10), 3},
        {"a weekday roll two contracts on", monthly, -13, 1, day(2020, 12, 7), 2, false, 3, 3, day(2020, 12, 10), 3},
        {"a monthly roll two contracts on", monthly, 15, 1, day(2020, 12, 7), 2, false, 8, 6, day(2020, 12, 15), 3},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RollStatus status = roll_status(commodity(c.all_tag, c.roll_day, c.roll_month), c.today, holidays);
        EXPECT_EQ(status.active_month, c.active_month);
        EXPECT_EQ(status.active_code, month_codes[static_cast<std::size_t>(c.active_month - 1)]);
        EXPECT_EQ(status.rolling_today, c.rolling_today);
        EXPECT_EQ(status.calendar_days, c.calendar_days);
        EXPECT_EQ(status.trading_days, c.trading_days);
        EXPECT_EQ(status.roll_date, c.roll_date);
        EXPECT_EQ(status.next_month, c.next_month);
    }
}

// Counted another way than the report counts: every change of contract of
// the year and the months after it is listed first, each is moved to its
// first trading day, and a day's roll is the first of them not yet passed.
struct Roll {
    DayNumber change = 0;
    DayNumber rolls_on = 0;
    Contract before;
    Contract after;
};

std::vector<Roll> rolls_between(const Commodity& commodity, DayNumber first, DayNumber last,
                                const std::set<DayNumber>& closed) {
    auto contract = [&](DayNumber d) { return contract_in_force(d, commodity, ContractRuleForm::roll_report); };
    std::vector<Roll> rolls;
    for (DayNumber d = first; d <= last; ++d) {
        if (contract(d - 1) == contract(d)) continue;
        DayNumber open = d;
        while (closed.count(open)) ++open;
        rolls.push_back({d, open, contract(d - 1), contract(d)});
    }
    return rolls;
}

TEST(RollStatus, AgreesWithAnIndependentCountForEveryCommodityOfTheSampleOverAYear) {
    testing::SampleInstall install("2021-01-04");
    testing::RecordingConsole screen;
    const CommodityTable commodities = load_tables(roll_profile.tables);
    const HolidayTable sample_holidays = load_holidays(roll_profile.holidays);
    ASSERT_EQ(commodities.size(), 76u);

    const DayNumber first = day(2021, 1, 1);
    const DayNumber last = day(2021, 12, 31);
    std::set<DayNumber> closed(sample_holidays.begin(), sample_holidays.end());
    for (DayNumber d = first - 40; d <= last + 500; ++d)
        if (weekday(d) == saturday || weekday(d) == sunday) closed.insert(d);
    // open_before[d - first]: trading days from `first` up to the day before d.
    std::vector<int> open_before{0};
    for (DayNumber d = first; d <= last + 500; ++d) open_before.push_back(open_before.back() + (closed.count(d) ? 0 : 1));
    auto trading_days = [&](DayNumber after, DayNumber up_to) {
        return open_before[up_to - first + 1] - open_before[after - first + 1];
    };

    for (const Commodity& row : commodities) {
        SCOPED_TRACE(row.tag);
        const std::vector<Roll> rolls = rolls_between(row, first - 30, last + 400, closed);
        std::size_t next = 0;
        for (DayNumber today = first; today <= last; ++today) {
            while (next < rolls.size() && rolls[next].rolls_on < today) ++next;
            ASSERT_LT(next, rolls.size());
            const Roll& roll = rolls[next];
            const RollStatus status = roll_status(row, today, sample_holidays);
            const std::string when = std::to_string(today);
            ASSERT_EQ(status.calendar_days, roll.rolls_on - today) << when;
            ASSERT_EQ(status.trading_days, trading_days(today, roll.rolls_on)) << when;
            ASSERT_EQ(status.rolling_today, roll.rolls_on == today) << when;
            ASSERT_EQ(status.roll_date, roll.rolls_on) << when;
            ASSERT_EQ(status.active_month, roll.before.month) << when;
            ASSERT_EQ(status.next_month, roll.after.month) << when;
        }
    }
}

}  // namespace
}  // namespace qv::roll
