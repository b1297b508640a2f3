#include "common/calendar.h"

#include <chrono>
#include <climits>

#include <gtest/gtest.h>

#include "common/holidays.h"

namespace qv {
namespace {

using namespace std::chrono;

struct Example {
    Date date;
    DayNumber day;
};

TEST(DayNumber, KnownDates) {
    const Example examples[] = {
        {{1900, 3, 1}, 61},     {{1999, 12, 31}, 36525}, {{2000, 1, 1}, 36526},  {{2000, 2, 28}, 36584},
        {{2000, 2, 29}, 36585}, {{2000, 3, 1}, 36586},   {{2001, 1, 1}, 36892},  {{2001, 2, 28}, 36950},
        {{2004, 2, 29}, 38046}, {{2020, 12, 7}, 44172},  {{2079, 6, 4}, 65535},
    };
    for (const auto& [date, day] : examples) {
        EXPECT_EQ(date_to_lotus(date), day) << date.year << "-" << date.month << "-" << date.day;
        EXPECT_EQ(lotus_to_date(day), date) << day;
    }
    EXPECT_EQ(date_to_lotus(0, 0, 0), 0);
    // Nonsense from a damaged file gives a number that means nothing, but no fault.
    date_to_lotus(INT_MIN, INT_MAX, INT_MAX);
    date_to_lotus(INT_MAX, INT_MIN, INT_MIN);
    EXPECT_EQ(lotus_to_date(0), (Date{0, 0, 0}));
}

// Every day number both ways, against the spreadsheet serial counted
// independently (days since 30 December 1899), with its weekday.
TEST(DayNumber, WholeRangeMatchesSerialBothWays) {
    const sys_days serial_zero = year{1899} / December / 30;
    for (unsigned n = first_day_number; n <= last_day_number; ++n) {
        const year_month_day expected{serial_zero + days{n}};
        const Date date = lotus_to_date(static_cast<DayNumber>(n));
        ASSERT_EQ(date, (Date{int(expected.year()), int(unsigned(expected.month())), int(unsigned(expected.day()))}))
            << n;
        ASSERT_EQ(date_to_lotus(date), n) << date.year << "-" << date.month << "-" << date.day;
        ASSERT_EQ(weekday(static_cast<DayNumber>(n)), int(std::chrono::weekday{sys_days{expected}}.c_encoding()) + 1)
            << n;
    }
}

TEST(Calendar, DayOfWeekFromSlashedText) {
    EXPECT_EQ(day_of_week("12/7/2020"), 2);
    EXPECT_EQ(day_of_week("12/05/2020"), 7);
    EXPECT_EQ(day_of_week("1/1/2000"), 7);
    EXPECT_EQ(day_of_week("2/29/2000"), 3);
    EXPECT_EQ(day_of_week("3/1/1900"), 5);
    // No crash on text that holds no month 1 to 12.
    EXPECT_EQ(day_of_week("13/1/2000"), 0);
    EXPECT_EQ(day_of_week("0/1/2000"), 0);
    EXPECT_EQ(day_of_week("junk"), 0);
    EXPECT_GE(day_of_week("12/999999999999/-999999999999"), 1);
    EXPECT_EQ(day_of_week(""), 0);
}

TEST(Calendar, NameDate) {
    EXPECT_EQ(name_date("DU201207.CLC"), 44172);
    EXPECT_EQ(name_date("EU000101.CLC"), 36526);
    EXPECT_EQ(name_date("DUxx1207.CLC"), 0);
    EXPECT_EQ(name_date("DU201307.CLC"), 0);
    EXPECT_EQ(name_date("DU2012"), 0);
}

TEST(Calendar, SettingsDateReader) {
    const struct {
        const char* text;
        DayNumber day;
    } cases[] = {
        {"12/07/20", 44172},   {"12/31/99", 36525}, {"01/01/50", date_to_lotus(1950, 1, 1)},
        {"12/31/49", date_to_lotus(2049, 12, 31)},  {"12/07/2020", 44172},
        {"00/00/20", 0},       {"13/01/20", 0},     {"12/32/20", 0},
        {"1/1/0", 0},  // not longer than 5 characters
        {"12-07-20", 0},       {"ab/cd/ef", 0},     {"12/07/", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(read_settings_date(c.text), c.day) << c.text;
}

TEST(Calendar, TwoDigitYearRules) {
    EXPECT_EQ(chop_year(0), 0);
    EXPECT_EQ(chop_year(1999), 99);
    EXPECT_EQ(chop_year(2000), 0);
    EXPECT_EQ(chop_year(2020), 20);

    EXPECT_EQ(add_century(97), 1997);
    EXPECT_EQ(add_century(99), 1999);
    EXPECT_EQ(add_century(0), 2000);
    EXPECT_EQ(add_century(49), 2049);
    EXPECT_EQ(add_century(75), 75);
    EXPECT_EQ(add_century(50), 50);

    EXPECT_EQ(idx_year(29), 2029);
    EXPECT_EQ(idx_year(30), 1930);
    EXPECT_EQ(field8_year(40), 2040);
    EXPECT_EQ(field8_year(41), 1941);

    EXPECT_EQ(widen_slashed_date("1/2/20"), "01/02/2020");
    EXPECT_EQ(widen_slashed_date("12/31/99"), "12/31/1999");
    EXPECT_EQ(widen_slashed_date("12/31/1999"), "12/31/1999");
    EXPECT_EQ(widen_slashed_date("JUNK"), "JUNK");
}

TEST(Calendar, NextTradingDaySkipsWeekendsAndHolidays) {
    const HolidayTable christmas({date_to_lotus(2020, 12, 25)});
    EXPECT_EQ(next_trading_day(date_to_lotus(2020, 12, 24), christmas), date_to_lotus(2020, 12, 28));
    EXPECT_EQ(next_trading_day(date_to_lotus(2020, 12, 23), christmas), date_to_lotus(2020, 12, 24));
    EXPECT_EQ(next_trading_day(date_to_lotus(2020, 12, 4), HolidayTable{}), date_to_lotus(2020, 12, 7));
    EXPECT_EQ(next_trading_day(last_day_number, HolidayTable{}), 0);
}

TEST(Calendar, NextWeekdayKeepsSaturdaysUntilMay1952) {
    EXPECT_EQ(next_weekday(date_to_lotus(1952, 5, 23)), date_to_lotus(1952, 5, 24));
    EXPECT_EQ(next_weekday(date_to_lotus(1952, 5, 24)), date_to_lotus(1952, 5, 26));
    EXPECT_EQ(next_weekday(date_to_lotus(1952, 5, 30)), date_to_lotus(1952, 6, 2));
    EXPECT_EQ(next_weekday(date_to_lotus(2020, 12, 4)), date_to_lotus(2020, 12, 7));
}

TEST(Calendar, NextOutputDayByIncludeHolidays) {
    const DayNumber friday = date_to_lotus(2020, 12, 4);
    const DayNumber monday = date_to_lotus(2020, 12, 7);
    const HolidayTable monday_off({date_to_lotus(2020, 11, 26), monday});
    EXPECT_EQ(next_output_day(friday, 'A', monday_off), friday + 1);
    EXPECT_EQ(next_output_day(friday, 'Y', monday_off), monday);
    EXPECT_EQ(next_output_day(friday, 'N', monday_off), monday + 1);
    EXPECT_EQ(next_output_day(friday, 'P', monday_off), monday);
}

TEST(Calendar, OutputDateTextsAndReadingThemBack) {
    const Date date{2020, 12, 7};
    const struct {
        char format;
        const char* text;
    } forms[] = {{'1', "12/07/2020"}, {'2', "\"12/07/2020\""}, {'3', "20201207"}, {'4', "\"20201207\""}};
    for (const auto& form : forms) {
        EXPECT_EQ(output_date_text(date, form.format), form.text);
        EXPECT_EQ(read_output_date(std::string(form.text) + ",1.5,2", form.format), date) << form.text;
    }
    EXPECT_EQ(output_date_text(DayNumber{44172}, '3'), "20201207");
    EXPECT_FALSE(read_output_date("12/07/0099", '1'));
    EXPECT_FALSE(read_output_date("12/07/2020", '3'));
    EXPECT_FALSE(read_output_date("2020", '3'));
}

}  // namespace
}  // namespace qv
