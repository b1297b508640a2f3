#include "builder/cot_series.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/cot_file.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

constexpr const char* cot_path = "\\QUORVANT\\COT\\AB_COT.QVT";

// Tuesday 6 October 1992, the first report day, and the weeks after it.
DayNumber week(int n) { return static_cast<DayNumber>(first_cot_report_day + 7 * n); }

// A report whose three nets are the given ones (longs carry the net, shorts
// stay at 1000) and whose other figures are small and distinct.
CotRecord report(DayNumber day, std::int32_t commercial, std::int32_t non_commercial, std::int32_t non_reportable) {
    CotRecord r;
    r.day = day;
    r.commercial_long = 1000 + commercial;
    r.commercial_short = 1000;
    r.non_commercial_long = 1000 + non_commercial;
    r.non_commercial_short = 1000;
    r.non_commercial_spreading = 7;
    r.non_reportable_long = 1000 + non_reportable;
    r.non_reportable_short = 1000;
    r.commercial_traders_long = 11;
    r.commercial_traders_short = 12;
    r.non_commercial_traders_long = 13;
    r.non_commercial_traders_short = 14;
    return r;
}

CotRecord empty_report(DayNumber day) {
    CotRecord r;
    r.day = day;
    return r;
}

void write_cot(const TempInstall& install, const std::vector<CotRecord>& records) {
    std::string bytes;
    for (const CotRecord& r : records) {
        std::uint8_t out[cot_record_size];
        encode_cot_record(r, out);
        bytes.append(reinterpret_cast<const char*>(out), cot_record_size);
    }
    install.write("COT/AB_COT.QVT", bytes);
}

struct Build {
    BuildSettings settings;
    CommodityTable commodities;
    HolidayTable holidays;
    BuildContext context{settings, commodities, holidays};
};

InputLine input_of(std::string_view line) {
    std::optional<InputLine> input = parse_field_list(line);
    EXPECT_TRUE(input);
    return input.value_or(InputLine{});
}

// The columns the series appends for each day, one string per day.
std::vector<std::string> columns_for(Build& build, std::string_view line, const std::vector<DayNumber>& days) {
    OpenResult result = OpenResult::stopped;
    const InputLine input = input_of(line);
    std::unique_ptr<InputSeries> series = open_cot_series(cot_path, input, build.context, result);
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

TEST(CotSeries, IndexesStartAtTheFirstDataAndLookBackOverTheWindow) {
    TempInstall install;
    // Two empty reports, then data from week 2. A look-back of 20 output days
    // spans four weeks, so weeks 2 to 5 get no index. The non-commercial net
    // never changes: its index is 0, shown as 1.
    const std::int32_t commercial[] = {10, 20, 30, 40, 50, 25, 60};
    std::vector<CotRecord> records{empty_report(week(0)), empty_report(week(1))};
    for (int i = 0; i < 7; ++i) records.push_back(report(week(2 + i), commercial[i], 500, -5 * i));
    write_cot(install, records);

    Build build;
    build.settings.cot_index_lookback_days = "20";
    const std::vector<std::string> shown = columns_for(
        build, "AB_COT 1,2,3,16,17,18,4",
        {static_cast<DayNumber>(week(0) - 1), week(0), week(2), week(5), week(6), week(7), static_cast<DayNumber>(week(8) + 3)});
    const std::vector<std::string> expected = {
        ",0,0,0,0,0,0,0",                  // before the first report
        ",1,1,1,5,5,5,5",                  // an empty report: indexes 1, zeros 5
        ",1,1,1,10,500,5,3517",            // data, but the window reaches back before it
        ",1,1,1,40,500,-15,3532",
        ",100,1,1,50,500,-20,3537",        // window weeks 2-6: commercial 10..50
        ",16,1,1,25,500,-25,3507",         // weeks 3-7: (25-20)*100/30, whole numbers
        ",100,1,1,60,500,-30,3537",        // the last report serves the days after it
    };
    EXPECT_EQ(shown, expected);
}

TEST(CotSeries, ZeroIsWrittenAsFiveAndOperatorsWithFourDecimals) {
    TempInstall install;
    write_cot(install, {report(week(0), 0, 3, 0)});
    Build build;
    EXPECT_EQ(columns_for(build, "AB_COT 16,16*2,16^2,17/0,17^1,17-3.5,12", {week(0)}),
              std::vector<std::string>{",5,0.0000,200000.0000,300000.0000,0.3333,-0.5000,11"});
}

TEST(CotSeries, LinearSpreadingGivesTheTruncatedMidpoint) {
    TempInstall install;
    write_cot(install, {report(week(0), 100, -100, 0), report(week(1), 105, -105, 0)});
    Build build;
    build.settings.cot_interpolation_method = '2';
    // From one Tuesday to the next, six output days are stepped before the
    // next report is passed; Thursday is three of them: half way.
    const DayNumber tuesday = week(0);
    EXPECT_EQ(columns_for(build, "AB_COT 16,17", {tuesday, static_cast<DayNumber>(tuesday + 2), week(1)}),
              (std::vector<std::string>{",100,-100", ",102,-102", ",105,-105"}));

    build.settings.cot_interpolation_method = '1';
    EXPECT_EQ(columns_for(build, "AB_COT 16", {static_cast<DayNumber>(tuesday + 2)}), std::vector<std::string>{",100"});
}

TEST(CotSeries, DaySpanAndBadFiles) {
    TempInstall install;
    Build build;
    const InputLine input = input_of("AB_COT 1");
    DaySpan span;
    EXPECT_EQ(cot_day_span(cot_path, input, build.context, span), SpanResult::missing);

    RecordingConsole screen;
    OpenResult result = OpenResult::ok;
    EXPECT_FALSE(open_cot_series(cot_path, input, build.context, result));
    EXPECT_EQ(result, OpenResult::stopped);
    EXPECT_THAT(screen.text(), ::testing::HasSubstr("UNABLE TO OPEN THIS FILE -"));
    EXPECT_THAT(screen.text(), ::testing::HasSubstr(cot_path));

    write_cot(install, {report(week(0), 1, 1, 1), report(week(3), 1, 1, 1)});
    ASSERT_EQ(cot_day_span(cot_path, input, build.context, span), SpanResult::ok);
    EXPECT_EQ(span.first, week(0));
    EXPECT_EQ(span.last, week(3));

    // Reports out of date order cannot be spread over the days.
    write_cot(install, {report(week(3), 1, 1, 1), report(week(0), 1, 1, 1)});
    EXPECT_FALSE(open_cot_series(cot_path, input, build.context, result));
    EXPECT_EQ(result, OpenResult::corrupted);

    write_cot(install, {});
    ASSERT_EQ(cot_day_span(cot_path, input, build.context, span), SpanResult::ok);
    EXPECT_EQ(span.first, no_date);
    EXPECT_EQ(span.last, unknown_last_day);
}

}  // namespace
}  // namespace qv::builder
