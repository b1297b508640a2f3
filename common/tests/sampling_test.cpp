#include "common/sampling.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(SamplingDay, ByPeriod) {
    // Friday 25 December 2020 is a holiday.
    const HolidayTable holidays({date_to_lotus(2020, 12, 25)});
    struct Case {
        int year, month, day;
        char period;
        bool sampled;
    };
    const Case cases[] = {
        {2020, 12, 9, 'D', true},
        {2020, 12, 11, 'W', true},   // a Friday
        {2020, 12, 10, 'W', false},
        {2020, 12, 24, 'W', true},   // the Thursday before a Friday holiday
        {2020, 12, 24, '5', true},
        {2020, 12, 24, '4', true},   // a Thursday
        {2020, 12, 7, '1', true},    // a Monday
        {2020, 12, 8, '1', false},
        {2020, 12, 12, '6', true},   // a Saturday
        {2020, 12, 31, 'M', true},
        {2020, 11, 30, 'M', true},
        {2020, 10, 30, 'M', true},   // a Friday the 30th
        {2020, 10, 29, 'M', false},
        {2020, 2, 28, 'M', true},
        {2020, 2, 29, 'M', true},
        {2019, 2, 26, 'M', false},   // a Tuesday
        {2021, 2, 26, 'M', true},    // a Friday
        {2020, 12, 11, 'K', false},
        {2020, 12, 11, '7', false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(is_sampling_day(date_to_lotus(c.year, c.month, c.day), c.period, holidays), c.sampled)
            << c.year << "-" << c.month << "-" << c.day << " " << c.period;
}

}  // namespace
}  // namespace qv
