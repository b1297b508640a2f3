#include "builder/idx_series.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

DayNumber dec(int day) { return date_to_lotus(2020, 12, day); }  // 7 December 2020 is a Monday

struct Build {
    BuildSettings settings;
    CommodityTable commodities;
    HolidayTable holidays;
    BuildContext context{settings, commodities, holidays};
};

std::string path_of(std::string_view tag) { return "\\QUORVANT\\IDX\\" + std::string(tag) + "_IDX.QVT"; }

InputLine input_of(std::string_view line) {
    std::optional<InputLine> input = parse_field_list(line);
    EXPECT_TRUE(input);
    return input.value_or(InputLine{});
}

// The columns the series appends for each day, one string per day.
std::vector<std::string> columns_for(Build& build, std::string_view line, const std::vector<DayNumber>& days) {
    const InputLine input = input_of(line);
    OpenResult result = OpenResult::stopped;
    std::unique_ptr<InputSeries> series = open_idx_series(path_of(line.substr(0, 2)), input, build.context, result);
    EXPECT_EQ(result, OpenResult::ok);
    std::vector<std::string> shown;
    if (!series) return shown;
    for (DayNumber day : days) {
        std::string text;
        EXPECT_EQ(series->append_fields(text, day), FieldsResult::ok);
        shown.push_back(text);
    }
    return shown;
}

TEST(IdxSeries, DailyIndexFillsAMissingDayByTheHolidayValue) {
    TempInstall install;
    install.write("IDX/B1_IDX.QVT", "20201207 3123.45 3130.00 3110.20\n20201209 3125.10 -9999.0 3120.00\n");
    struct Case {
        char holiday_value;
        std::string tuesday;
    };
    const Case cases[] = {{'P', ",3123.45,31300"}, {'Z', ",0,0"}, {'N', ",-1,-1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holiday_value);
        Build build;
        build.settings.value_of_included_holiday = c.holiday_value;
        const std::vector<std::string> shown =
            columns_for(build, "B1_IDX 1,2*10", {dec(4), dec(7), dec(8), dec(9), dec(10)});
        // Before the first line "0"; on Wednesday field 2 is missing and its
        // column repeats Tuesday's; after the last line the day before repeats.
        const std::string wednesday = ",3125.10," + c.tuesday.substr(c.tuesday.rfind(',') + 1);
        EXPECT_EQ(shown, (std::vector<std::string>{",0,0", ",3123.45,31300", c.tuesday, wednesday, wednesday}));
    }
}

TEST(IdxSeries, OutputBeginningBetweenLinesRepeatsTheLineBefore) {
    TempInstall install;
    install.write("IDX/B1_IDX.QVT", "20201203 10 11\n20201207 12 13\n20201209 14 15\n");
    Build build;
    EXPECT_EQ(columns_for(build, "B1_IDX 2,1", {dec(8), dec(9)}), (std::vector<std::string>{",13,12", ",15,14"}));
}

TEST(IdxSeries, WeekdayFieldsOfARepeatedLineFollowTheDay) {
    TempInstall install;
    // The weekday fields of Monday's line hold 1, Thursday's 4; 10 and 1.5 are
    // no weekday fields. Tuesday has no line, Friday comes after the last.
    install.write("IDX/X4_IDX.QVT", "20201207 1.5 1 10 1\n20201210 1.5 4 10 4\n");
    Build build;
    EXPECT_EQ(columns_for(build, "X4_IDX 1,2,3,4", {dec(7), dec(8), dec(10), dec(11)}),
              (std::vector<std::string>{",1.5,1,10,1", ",1.5,2,10,2", ",1.5,4,10,4", ",1.5,5,10,5"}));
}

TEST(IdxSeries, SaturdayFlagAndSixDigitDates) {
    TempInstall install;
    // 23 May 1952 was a Friday; Saturdays were trading days up to 24 May.
    install.write("IDX/B2_IDX.QVT", "520523 7\n520524 8\n520526 9\n");
    Build build;
    build.settings.include_holidays = 'A';
    const InputLine input = input_of("B2_IDX 1");
    OpenResult result = OpenResult::stopped;
    std::unique_ptr<InputSeries> series = open_idx_series(path_of("B2"), input, build.context, result);
    ASSERT_TRUE(series);
    struct Case {
        DayNumber day;
        std::string columns;
        bool saturday_flag;
    };
    const Case cases[] = {
        {date_to_lotus(1952, 5, 23), ",7", true},
        {date_to_lotus(1952, 5, 24), ",8", true},
        {date_to_lotus(1952, 5, 25), ",8", false},  // 19139: the flag is cleared from here on
        {date_to_lotus(1952, 5, 26), ",9", false},
    };
    for (const Case& c : cases) {
        std::string text;
        build.context.index_saturday = !c.saturday_flag;
        ASSERT_EQ(series->append_fields(text, c.day), FieldsResult::ok);
        EXPECT_EQ(text, c.columns);
        EXPECT_EQ(build.context.index_saturday, c.saturday_flag);
    }
}

TEST(IdxSeries, PeriodicIndexIsHeldOrInterpolatedBetweenReports) {
    TempInstall install;
    // Weekly reports on Fridays. -9999.0 marks a missing value: interpolation
    // holds the last value when the next one is missing, and a missing last
    // value repeats the column of the day before.
    install.write("IDX/W3_IDX.QVT",
                  "20201127 90 190 250\n"
                  "20201204 100 200 -9999.0\n"
                  "20201211 110 -9999.0 300 **\n");
    const std::vector<DayNumber> days{dec(3), dec(4), dec(7), dec(8), dec(9), dec(10), dec(11), dec(14)};
    Build build;
    build.settings.idx_interpolation_method = '2';
    // Six output days are stepped from Friday the 4th until the 11th is passed;
    // Monday is two of them.
    EXPECT_EQ(columns_for(build, "W3_IDX 1,2,3", days),
              (std::vector<std::string>{",98,198,250", ",100,200,250", ",103,200,250", ",105,200,250",
                                        ",106,200,250", ",108,200,250", ",110,200,300", ",110,200,300"}));

    build.settings.idx_interpolation_method = '1';
    EXPECT_EQ(columns_for(build, "W3_IDX 1,2,3", days),
              (std::vector<std::string>{",90,190,250", ",100,200,250", ",100,200,250", ",100,200,250",
                                        ",100,200,250", ",100,200,250", ",110,200,300", ",110,200,300"}));
}

TEST(IdxSeries, InterpolatedValuesKeepTheirIndexFormat) {
    TempInstall install;
    install.write("IDX/W1_IDX.QVT", "20201204 1.257 2.5\n20201211 1.257 2.5\n");
    install.write("IDX/W2_IDX.QVT", "20201204 1.5 2 3 4 5 6 7 8 9 10 11 12.346\n20201211 1.5 2 3 4 5 6 7 8 9 10 11 12.346\n");
    install.write("IDX/W4_IDX.QVT", "20201204 1.5 2 3 4.26 5 6.127\n20201211 1.5 2 3 4.26 5 6.127\n");
    install.write("IDX/W3_IDX.QVT", "20201204 NAN 1E400 -7.9\n20201211 NAN 1E400 -7.9\n");
    struct Case {
        std::string line;
        std::string columns;
    };
    const Case cases[] = {
        {"W1_IDX 1,2", ",1.26,2.50"},
        {"W2_IDX 1,12", ",1,12.35"},
        {"W4_IDX 1,4,6,6*2", ",1,4.3,6.13,12.26"},
        {"W3_IDX 1,2,3", ",0,9223372036854775807,-7"},  // damaged values stay within whole numbers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Build build;
        EXPECT_EQ(columns_for(build, c.line, {dec(7)}), std::vector<std::string>{c.columns});
    }
}

TEST(IdxSeries, ReportOnADayThatIsNoOutputDayStillCounts) {
    TempInstall install;
    install.write("IDX/W3_IDX.QVT", "20201204 100\n20201211 200\n20201218 300\n");
    Build build;
    build.holidays = HolidayTable({dec(11)});
    EXPECT_EQ(columns_for(build, "W3_IDX 1", {dec(10), dec(14)}), (std::vector<std::string>{",100", ",200"}));
}

TEST(IdxSeries, DaySpanAndBadFiles) {
    TempInstall install;
    Build build;
    const InputLine input = input_of("B1_IDX 1");
    DaySpan span;
    EXPECT_EQ(idx_day_span(path_of("B1"), input, build.context, span), SpanResult::missing);

    struct Case {
        std::string content;
        DayNumber first;
        DayNumber last;
    };
    const Case cases[] = {
        {"990104 1\n20201207 2\n", date_to_lotus(1999, 1, 4), dec(7)},
        {"20201207 2\n20201208 3\n\n", dec(7), unknown_last_day},
        {"", no_date, unknown_last_day},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        install.write("IDX/B1_IDX.QVT", c.content);
        ASSERT_EQ(idx_day_span(path_of("B1"), input, build.context, span), SpanResult::ok);
        EXPECT_EQ(span.first, c.first);
        EXPECT_EQ(span.last, c.last);
    }

    RecordingConsole screen;
    install.write("IDX/B1_IDX.QVT", "HEADER\n20201207 2\n");
    EXPECT_EQ(idx_day_span(path_of("B1"), input, build.context, span), SpanResult::refused);
    EXPECT_THAT(screen.text(), ::testing::HasSubstr("PROBLEM READING IDX FILE"));

    screen.clear();
    install.write("IDX/B1_IDX.QVT", "20201207 2\n2020-12-08 3\n");
    OpenResult result = OpenResult::stopped;
    std::unique_ptr<InputSeries> series = open_idx_series(path_of("B1"), input, build.context, result);
    ASSERT_TRUE(series);
    std::string text;
    EXPECT_EQ(series->append_fields(text, dec(7)), FieldsResult::ok);
    EXPECT_EQ(series->append_fields(text, dec(8)), FieldsResult::stopped);
    EXPECT_THAT(screen.text(), ::testing::HasSubstr("PROBLEM READING IDX FILE"));
    EXPECT_THAT(screen.text(), ::testing::HasSubstr(path_of("B1")));
}

}  // namespace
}  // namespace qv::builder
