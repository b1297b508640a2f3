#include "common/contract_rule.h"
#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

Commodity commodity(int roll_day, int roll_month, std::string all_tag) {
    Commodity c;
    c.tag = "XX";
    c.roll_day = static_cast<std::int16_t>(roll_day);
    c.roll_month = static_cast<std::int16_t>(roll_month);
    c.all_tag = std::move(all_tag);
    return c;
}

Contract contract(char code, int month, int year) { return Contract{code, month, year}; }

TEST(RollDayOfCode, WeekdayOfTheWeek) {
    // December 2020 begins on a Tuesday; February 2021 has four Mondays.
    struct Case {
        int code, month, year;
        std::optional<int> day;
    } cases[] = {
        {-2, 12, 2020, 7},    // first Monday
        {-3, 12, 2020, 1},    // first Tuesday: the 1st itself
        {-20, 12, 2020, 18},  // third Friday
        {-13, 12, 2020, 10},  // second Friday is the 11th: the Thursday before
        {-31, 12, 2020, 29},  // fifth Tuesday
        {-30, 2, 2021, 29},   // fifth Monday of a month with four: past its end
        {-26, 2, 2021, 25},   // fourth Thursday
    };
    for (const Case& c : cases)
        EXPECT_EQ(roll_day_of_code(c.month, c.year, c.code), c.day) << c.code;

    for (int code : {-1, -7, -8, -14, -15, -21, -22, -28, -29, -32, -40, 0, 5})
        EXPECT_EQ(roll_day_of_code(12, 2020, code), std::nullopt) << code;
}

TEST(ContractRule, DayOfMonthRoll) {
    const Commodity quarterly = commodity(15, 0, "-HHHMMMUUUZZZ");
    const Commodity soybeans = commodity(15, 0, "-FHHKKNNQUXXF");
    const Commodity december_only = commodity(15, 0, "-ZZZZZZZZZZZZ");
    const Commodity two_steps = commodity(20, 1, "-HHHMMMUUUZZZ");
    struct Case {
        const Commodity* c;
        Date day;
        Contract expected;
    } cases[] = {
        {&quarterly, {2021, 2, 14}, contract('H', 3, 2021)},
        {&quarterly, {2021, 2, 15}, contract('H', 3, 2021)},   // all_tag[3] on the roll day
        {&quarterly, {2021, 3, 15}, contract('M', 6, 2021)},
        {&quarterly, {2020, 12, 14}, contract('Z', 12, 2020)},
        {&quarterly, {2020, 12, 20}, contract('H', 3, 2021)},  // all_tag[1] of the next year
        // The contract's month next comes in the following year.
        {&soybeans, {2020, 12, 10}, contract('F', 1, 2021)},
        {&soybeans, {2020, 11, 16}, contract('F', 1, 2021)},
        {&soybeans, {2021, 1, 10}, contract('F', 1, 2021)},
        {&soybeans, {2021, 1, 15}, contract('H', 3, 2021)},
        // Only December contracts: this year's December until its roll.
        {&december_only, {2020, 6, 20}, contract('Z', 12, 2020)},
        {&december_only, {2020, 12, 14}, contract('Z', 12, 2020)},
        {&december_only, {2020, 12, 15}, contract('Z', 12, 2021)},
        // roll_month 1: one step before the roll day, two from it.
        {&two_steps, {2020, 5, 19}, contract('M', 6, 2020)},
        {&two_steps, {2020, 5, 20}, contract('U', 9, 2020)},
        {&two_steps, {2020, 11, 20}, contract('H', 3, 2021)},
        {&two_steps, {2020, 12, 1}, contract('H', 3, 2021)},
    };
    for (const Case& c : cases) {
        const DayNumber day = date_to_lotus(c.day);
        EXPECT_EQ(contract_in_force(day, *c.c), c.expected)
            << c.c->all_tag << " " << c.day.year << "-" << c.day.month << "-" << c.day.day;
    }
    EXPECT_EQ(contract_in_force(date_to_lotus(2014, 2, 1), quarterly).year_month(), 201403);
}

TEST(ContractRule, WeekdayRoll) {
    // Third Friday: 18 December 2020, 19 February 2021.
    const Commodity quarterly = commodity(-20, 0, "-HHHMMMUUUZZZ");
    const Commodity second_friday = commodity(-13, 0, "-HHHMMMUUUZZZ");
    const Commodity fifth_monday = commodity(-30, 0, "-GGJJMMQQVVZZ");
    const Commodity no_weekday = commodity(-7, 0, "-HHHMMMUUUZZZ");
    const Commodity report_two_steps = commodity(-20, 1, "-HHHMMMUUUZZZ");
    struct Case {
        const Commodity* c;
        Date day;
        ContractRuleForm form;
        Contract expected;
    } cases[] = {
        {&quarterly, {2020, 12, 17}, ContractRuleForm::standard, contract('Z', 12, 2020)},
        {&quarterly, {2020, 12, 18}, ContractRuleForm::standard, contract('H', 3, 2021)},
        // No roll in a month whose next month trades the same contract.
        {&quarterly, {2021, 2, 26}, ContractRuleForm::standard, contract('H', 3, 2021)},
        {&second_friday, {2020, 12, 9}, ContractRuleForm::standard, contract('Z', 12, 2020)},
        {&second_friday, {2020, 12, 10}, ContractRuleForm::standard, contract('H', 3, 2021)},
        // February 2021 has no fifth Monday: no roll that month.
        {&fifth_monday, {2021, 2, 28}, ContractRuleForm::standard, contract('G', 2, 2021)},
        // August 2020 has a fifth Monday, the 31st.
        {&fifth_monday, {2020, 8, 28}, ContractRuleForm::standard, contract('Q', 8, 2020)},
        {&fifth_monday, {2020, 8, 31}, ContractRuleForm::standard, contract('V', 10, 2020)},
        {&no_weekday, {2020, 12, 31}, ContractRuleForm::standard, contract('Z', 12, 2020)},
        // The builder and the updater step once whatever roll_month is.
        {&report_two_steps, {2020, 12, 18}, ContractRuleForm::standard, contract('H', 3, 2021)},
        // The report: when the next two months differ, one step before the roll, two from it.
        {&report_two_steps, {2020, 11, 19}, ContractRuleForm::roll_report, contract('Z', 12, 2020)},
        {&report_two_steps, {2020, 11, 20}, ContractRuleForm::roll_report, contract('H', 3, 2021)},
        {&report_two_steps, {2020, 10, 30}, ContractRuleForm::roll_report, contract('Z', 12, 2020)},
    };
    for (const Case& c : cases) {
        const DayNumber day = date_to_lotus(c.day);
        EXPECT_EQ(contract_in_force(day, *c.c, c.form), c.expected)
            << c.c->roll_day << " " << c.day.year << "-" << c.day.month << "-" << c.day.day;
    }
}

TEST(ContractRule, UnknownMonthCodeEndsTheProgram) {
    testing::RecordingConsole console;
    const Commodity bad = commodity(15, 0, "-HHHMMMUUUZZA");
    EXPECT_THROW(contract_in_force(date_to_lotus(2020, 12, 1), bad), ProgramEnd);
    EXPECT_EQ(console.text(), "\n\nERROR- COULDN'T FIND MONTH CODE A IN MCODES TABLE");
}

}  // namespace
}  // namespace qv
