#include "common/cot_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/temp_install.h"

namespace qv {
namespace {

CotRecord report(DayNumber day, std::int32_t base) {
    CotRecord r;
    r.day = day;
    r.non_commercial_long = base + 1;
    r.non_commercial_short = base + 2;
    r.non_commercial_spreading = base + 3;
    r.commercial_long = base + 4;
    r.commercial_short = base + 5;
    r.non_reportable_long = base + 6;
    r.non_reportable_short = base + 7;
    r.non_commercial_traders_long = 11;
    r.non_commercial_traders_short = 12;
    r.commercial_traders_long = 13;
    r.commercial_traders_short = 14;
    return r;
}

std::string bytes_of(const CotRecord& record) {
    std::string raw(cot_record_size, '\0');
    encode_cot_record(record, reinterpret_cast<std::uint8_t*>(raw.data()));
    return raw;
}

TEST(CotFile, RecordIsThirtyEightPackedLittleEndianBytes) {
    CotRecord r = report(date_to_lotus(2020, 12, 8), 0);  // day 44173
    r.non_commercial_long = 0x01020304;
    r.non_reportable_short = -2;
    r.commercial_traders_short = -3;
    const std::string expected = std::string("\x8d\xac", 2) + "\x04\x03\x02\x01" + std::string("\x02\0\0\0", 4) +
                                 std::string("\x03\0\0\0", 4) + std::string("\x04\0\0\0", 4) +
                                 std::string("\x05\0\0\0", 4) + std::string("\x06\0\0\0", 4) + "\xfe\xff\xff\xff" +
                                 std::string("\x0b\0\x0c\0\x0d\0", 6) + "\xfd\xff";
    ASSERT_EQ(expected.size(), cot_record_size);
    EXPECT_EQ(bytes_of(r), expected);
    EXPECT_EQ(decode_cot_record(reinterpret_cast<const std::uint8_t*>(expected.data())), r);
}

TEST(CotFile, FiftyTwoReportsAreReadBackFromTheirFile) {
    testing::TempInstall install;
    std::vector<CotRecord> written;
    std::string content;
    for (int week = 0; week < 52; ++week) {
        written.push_back(report(static_cast<DayNumber>(date_to_lotus(2020, 1, 7) + 7 * week), week * 100));
        content += bytes_of(written.back());
    }
    EXPECT_EQ(content.size(), 1976u);
    // A record cut by the end of the file ends the series.
    install.write("COT/SP_COT.QVT", content + "\x01\x02\x03");

    CotReader reader;
    ASSERT_TRUE(reader.open(cot_file_name("SP")));
    std::vector<CotRecord> read;
    for (CotRecord r; reader.read(r);) read.push_back(r);
    EXPECT_EQ(read, written);
    EXPECT_TRUE(reader.cut());
    EXPECT_FALSE(CotReader().open(cot_file_name("XX")));
}

TEST(CotFile, DerivedFiguresDoNotWrapAtThe32BitLimits) {
    CotRecord r = report(date_to_lotus(2020, 12, 8), 1000);  // long 1001, short 1002, spreading 1003, commercial 1004/1005, ...
    EXPECT_EQ(r.total_open_interest(), 1001 + 1003 + 1004 + 1006);
    EXPECT_EQ(r.commercial_net(), -1);
    EXPECT_EQ(r.non_commercial_net(), -1);
    EXPECT_EQ(r.non_reportable_net(), -1);
    r.non_commercial_long = r.commercial_long = 2'000'000'000;
    r.commercial_short = -2'000'000'000;
    EXPECT_EQ(r.total_open_interest(), 4'000'000'000LL + 1003 + 1006);
    EXPECT_EQ(r.commercial_net(), 4'000'000'000LL);
}

TEST(CotFile, UpdateValuesBecomeARecordOnlyWhenTheTraderCountsFit) {
    std::array<std::int32_t, 11> values{1, 2, 3, 4, 5, 6, -7, 8, 9, 32767, -32768};
    CotRecord r;
    ASSERT_TRUE(cot_record_from_values(date_to_lotus(2020, 12, 8), values, r));
    EXPECT_EQ(r.non_reportable_short, -7);
    EXPECT_EQ(r.non_commercial_traders_long, 8);
    EXPECT_EQ(r.commercial_traders_long, 32767);
    EXPECT_EQ(r.commercial_traders_short, -32768);
    values[8] = 32768;
    EXPECT_FALSE(cot_record_from_values(date_to_lotus(2020, 12, 8), values, r));
}

TEST(CotFile, ReportDaysAreTuesdaysFromOctober1992) {
    EXPECT_EQ(weekday(first_cot_report_day), 3);  // Tuesday
    EXPECT_EQ(next_cot_report_day(0), first_cot_report_day);
    EXPECT_EQ(next_cot_report_day(first_cot_report_day), first_cot_report_day + 7);
    EXPECT_EQ(next_cot_report_day(date_to_lotus(2020, 12, 4)), date_to_lotus(2020, 12, 8));
    EXPECT_EQ(next_cot_report_day(date_to_lotus(2020, 12, 8)), date_to_lotus(2020, 12, 15));
    EXPECT_EQ(next_cot_report_day(last_day_number), no_date);
}

}  // namespace
}  // namespace qv
