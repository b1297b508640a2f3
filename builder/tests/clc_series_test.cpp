#include "builder/clc_series.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clc_file.h"
#include "common/platform/files.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

Commodity commodity(std::string tag, int precision, int bytes) {
    Commodity c;
    c.tag = std::move(tag);
    c.precision = static_cast<std::int16_t>(precision);
    c.bytes = static_cast<std::int16_t>(bytes);
    c.roll_day = 15;
    c.all_tag = "-HHHMMMUUUZZZ";  // quarterly, rolling on the 15th
    return c;
}

DayNumber march(int day) { return date_to_lotus(2014, 3, day); }

ClcRecord priced(DayNumber day, std::int32_t open, std::int32_t high, std::int32_t low, std::int32_t close) {
    ClcRecord r;
    r.day = day;
    r.open = open;
    r.high = high;
    r.low = low;
    r.close = close;
    return r;
}

ClcRecord roll_over(std::int32_t left, std::int32_t entered) { return priced(no_date, left, 0, 0, entered); }

// Writes \QUORVANT\CLC\<tag>_CLC.QVT and answers its path.
std::string write_clc(const Commodity& c, const std::vector<ClcRecord>& records) {
    const std::string path = clc_file_name(c.tag);
    EXPECT_TRUE(create_folders("\\QUORVANT\\CLC"));
    ClcWriter writer;
    EXPECT_TRUE(writer.create(path, make_clc_header(c.tag, c.precision, c.bytes)));
    for (const ClcRecord& r : records) writer.write(r);
    EXPECT_TRUE(writer.finish());
    return path;
}

InputLine input(const std::string& line) {
    std::optional<InputLine> parsed = parse_field_list(line);
    EXPECT_TRUE(parsed.has_value()) << line;
    return parsed.value_or(InputLine{});
}

// One CLC input built over a list of output days: what it appended each day.
struct Build {
    CommodityTable table;
    BuildSettings settings;
    HolidayTable holidays;
    bool single_input = false;

    std::vector<std::string> run(const std::string& path, const std::string& line, const std::vector<DayNumber>& days,
                                 OpenResult expected = OpenResult::ok) {
        BuildContext context{settings, table, holidays, days.front(), days.back(), single_input, 1};
        OpenResult result = OpenResult::ok;
        const std::unique_ptr<InputSeries> series = open_clc_series(path, input(line), context, result);
        EXPECT_EQ(result, expected);
        std::vector<std::string> texts;
        if (!series) return texts;
        for (DayNumber day : days) {
            std::string text;
            EXPECT_EQ(series->append_fields(text, day), FieldsResult::ok);
            texts.push_back(text);
        }
        return texts;
    }
};

// Two roll-overs: +5.00 (ratio 1.5) after 10 March and -4.00 (ratio 0.5)
// after 11 March; no record on Wednesday 12 March; the file ends on the 13th.
//
//              open   high    low  close
//   10 Mar    10.40  11.20   9.60  10.40
//   roll      10.00 -> 15.00
//   11 Mar    15.20  15.60   2.40   3.20
//   roll       8.00 ->  4.00
//   13 Mar     4.00   4.50   3.80   4.20
class TwoRollOvers : public ::testing::Test {
protected:
    void SetUp() override {
        build.table = CommodityTable({commodity("TS", 2, 2)});
        path = write_clc(build.table[0], {priced(march(10), 1040, 1120, 960, 1040), roll_over(1000, 1500),
                                          priced(march(11), 1520, 1560, 240, 320), roll_over(800, 400),
                                          priced(march(13), 400, 450, 380, 420)});
    }

    RecordingConsole screen;
    TempInstall install;
    Build build;
    std::string path;
    // Friday 7 March lies before the first record, Friday 14 after the last.
    const std::vector<DayNumber> days = {march(7), march(10), march(11), march(12), march(13), march(14)};
};

TEST_F(TwoRollOvers, EveryLinkingMethodAndNegativePriceHandling) {
    const std::string before = ",0,0,0,0";
    struct Case {
        char method;
        char handling;
        std::string day10, day11, day13;
    };
    // Forward (2): each price less the gaps passed since the first day (0, 5, 1).
    // Back (3): each price plus the gaps still to come (1, -4, 0).
    // Ratio (4): each price times the ratios still to come (0.75, 0.5, 1).
    // Handling 5 shifts every price: forward by 1 - (-2.60), back by 2 - trunc(-1.60).
    const Case cases[] = {
        {'1', '1', ",10.40,11.20,9.60,10.40", ",15.20,15.60,2.40,3.20", ",4.00,4.50,3.80,4.20"},
        {'1', '5', ",10.40,11.20,9.60,10.40", ",15.20,15.60,2.40,3.20", ",4.00,4.50,3.80,4.20"},
        {'2', '1', ",10.40,11.20,9.60,10.40", ",10.20,10.60,-2.60,-1.80", ",3.00,3.50,2.80,3.20"},
        {'2', '2', ",10.40,11.20,9.60,10.40", ",10.20,10.60,0.00,0.00", ",3.00,3.50,2.80,3.20"},
        {'2', '3', ",10.40,11.20,9.60,10.40", ",10.20,10.60,1.00,1.00", ",3.00,3.50,2.80,3.20"},
        {'2', '4', ",10.40,11.20,9.60,10.40", ",10.40,11.20,9.60,10.40", ",3.00,3.50,2.80,3.20"},
        {'2', '5', ",14.00,14.80,13.20,14.00", ",13.80,14.20,1.00,1.80", ",6.60,7.10,6.40,6.80"},
        {'3', '1', ",11.40,12.20,10.60,11.40", ",11.20,11.60,-1.60,-0.80", ",4.00,4.50,3.80,4.20"},
        {'3', '2', ",11.40,12.20,10.60,11.40", ",11.20,11.60,0.00,0.00", ",4.00,4.50,3.80,4.20"},
        {'3', '3', ",11.40,12.20,10.60,11.40", ",11.20,11.60,1.00,1.00", ",4.00,4.50,3.80,4.20"},
        {'3', '4', ",11.40,12.20,10.60,11.40", ",11.40,12.20,10.60,11.40", ",4.00,4.50,3.80,4.20"},
        {'3', '5', ",14.40,15.20,13.60,14.40", ",14.20,14.60,1.40,2.20", ",7.00,7.50,6.80,7.20"},
        {'4', '1', ",7.80,8.40,7.20,7.80", ",7.60,7.80,1.20,1.60", ",4.00,4.50,3.80,4.20"},
        {'4', '5', ",7.80,8.40,7.20,7.80", ",7.60,7.80,1.20,1.60", ",4.00,4.50,3.80,4.20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("method ") + c.method + ", handling " + c.handling);
        build.settings.clc_linking_method = c.method;
        build.settings.clc_neg_price_handling = c.handling;
        // Wednesday 12 repeats the text of the 11th (P); after the end of the
        // file the last text repeats.
        const std::vector<std::string> expected = {before, c.day10, c.day11, c.day11, c.day13, c.day13};
        EXPECT_EQ(build.run(path, "TS_CLC 1,2,3,4", days), expected);
    }
}

TEST_F(TwoRollOvers, NegativeResultOfAnOperator) {
    // The close less 7: 3.40 on the 10th, -3.80 on the 11th.
    struct Case {
        char handling;
        std::string day11;
    };
    const Case cases[] = {{'1', ",-3.8000"}, {'2', ",0.0000"}, {'3', ",1.0000"}, {'4', ",3.4000"}};
    build.settings.clc_linking_method = '1';
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handling);
        build.settings.clc_neg_price_handling = c.handling;
        const std::vector<std::string> texts = build.run(path, "TS_CLC 4-7", {march(10), march(11)});
        EXPECT_EQ(texts, (std::vector<std::string>{",3.4000", c.day11}));
    }
}

TEST_F(TwoRollOvers, DaysWithoutData) {
    struct Case {
        bool single_input;
        char include_holidays;
        char value;
        std::string day12;
    };
    const Case cases[] = {
        {true, 'N', 'P', ""},  // a lone CLC input leaves the day out
        {true, 'Y', 'P', ",15.20,3.20"},
        {false, 'N', 'P', ",15.20,3.20"},
        {false, 'N', 'Z', ",0,0"},
        {false, 'N', 'N', ",-1,-1"},
    };
    build.settings.clc_linking_method = '1';
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.include_holidays) + c.value);
        build.single_input = c.single_input;
        build.settings.include_holidays = c.include_holidays;
        build.settings.value_of_included_holiday = c.value;
        const std::vector<std::string> texts = build.run(path, "TS_CLC 1 4", {march(11), march(12), march(13)});
        EXPECT_EQ(texts, (std::vector<std::string>{",15.20,3.20", c.day12, ",4.00,4.20"}));
    }
}

TEST_F(TwoRollOvers, SeparatorAndSkippedDays) {
    build.settings.col_separator_character = 'T';
    build.settings.clc_linking_method = '3';
    // Asked for the 13th only: both roll-overs are passed before the first day
    // written, and the back adjustment covers only those within the range.
    EXPECT_EQ(build.run(path, "TS_CLC 4", {march(13)}), std::vector<std::string>{"\t4.20"});
    build.settings.col_separator_character = 'S';
    EXPECT_EQ(build.run(path, "TS_CLC 4", {march(10), march(13)}), (std::vector<std::string>{" 11.40", " 4.20"}));
}

TEST_F(TwoRollOvers, BackAdjustmentEndsAtTheRange) {
    // The range ends on the 11th: the roll-over after it does not move the
    // prices of the range, so the last day keeps its own close.
    build.settings.clc_linking_method = '3';
    EXPECT_EQ(build.run(path, "TS_CLC 4", {march(10), march(11)}), (std::vector<std::string>{",15.40", ",3.20"}));
}

TEST(ClcSeries, CountsContractAndOperators) {
    RecordingConsole screen;
    TempInstall install;
    Build build;
    build.table = CommodityTable({commodity("TS", 2, 3)});
    ClcRecord day = priced(march(14), 1000, 1100, 900, 0);
    day.open_interest = 150;
    day.total_volume = 16777215;
    day.total_open_interest = 0;
    ClcRecord after_roll = day;
    after_roll.day = march(17);
    const std::string path = write_clc(build.table[0], {day, after_roll});

    struct Case {
        const char* terms;
        std::string day14, day17;
    };
    const Case cases[] = {
        {"5,6,7", ",150,16777215,0", ",150,16777215,0"},
        {"8", ",201403", ",201406"},  // rolls on the 15th into June
        {"5/2", ",75", ",75"},
        {"5*1.5", ",225", ",225"},
        {"1/0", ",10000000.0000", ",10000000.0000"},  // a zero divisor counts as 0.000001
        {"4^1", ",100000.0000", ",100000.0000"},     // a zero field counts as 0.00001
        {"1+.5,2-1", ",10.5000,10.0000", ",10.5000,10.0000"},
    };
    build.settings.clc_linking_method = '1';
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terms);
        EXPECT_EQ(build.run(path, std::string("TS_CLC ") + c.terms, {march(14), march(17)}),
                  (std::vector<std::string>{c.day14, c.day17}));
    }
}

TEST(ClcSeries, QuarterTicksAndPrecisionSeven) {
    RecordingConsole screen;
    TempInstall install;
    Build build;
    build.table = CommodityTable({commodity("LC", 2, 2), commodity("EC", 7, 4)});
    const std::string cattle = write_clc(build.table[0], {priced(march(10), 6512, 6517, 6515, 6510)});
    EXPECT_EQ(build.run(cattle, "LC_CLC 1,2,3,4", {march(10)}),
              std::vector<std::string>{",65.125,65.175,65.150,65.100"});
    EXPECT_EQ(build.run(cattle, "LC_CLC 1*1", {march(10)}), std::vector<std::string>{",65.1250"});

    const std::string euro = write_clc(build.table[1], {priced(march(10), 12345672, 12345670, 12345660, 12345677)});
    EXPECT_EQ(build.run(euro, "EC_CLC 1,2,3,4", {march(10)}),
              std::vector<std::string>{",1.2345675,1.2345675,1.2345660,1.2345677"});
    EXPECT_EQ(build.run(euro, "EC_CLC 3*1", {march(10)}), std::vector<std::string>{",1.2345660"});
}

TEST(ClcSeries, RatiosForEveryRollOverBeyondFiveHundred) {
    RecordingConsole screen;
    TempInstall install;
    Build build;
    build.table = CommodityTable({commodity("TS", 2, 2)});
    // 601 days with a roll-over between each two; only roll-over 551 changes
    // the price (1.00 to 2.00): every day before it is doubled. A roll-over
    // ahead of the first day has no day before it to link.
    std::vector<ClcRecord> records = {roll_over(100, 300)};
    std::vector<DayNumber> days;
    DayNumber day = date_to_lotus(2000, 1, 3);
    for (int i = 0; i <= 600; ++i) {
        if (i > 0) records.push_back(i == 551 ? roll_over(100, 200) : roll_over(100, 100));
        records.push_back(priced(day, 100, 100, 100, 100));
        days.push_back(day);
        day = next_weekday(day);
    }
    const std::string path = write_clc(build.table[0], records);
    build.settings.clc_linking_method = '4';
    const std::vector<std::string> texts = build.run(path, "TS_CLC 4", days);
    ASSERT_EQ(texts.size(), days.size());
    EXPECT_EQ(texts[0], ",2.00");
    EXPECT_EQ(texts[550], ",2.00");
    EXPECT_EQ(texts[551], ",1.00");
    EXPECT_EQ(texts[600], ",1.00");
}

TEST(ClcSeries, RollOverWithoutThePriceLeftLinksNothing) {
    RecordingConsole screen;
    TempInstall install;
    Build build;
    build.table = CommodityTable({commodity("TS", 2, 2)});
    const std::string path = write_clc(build.table[0], {priced(march(10), 100, 100, 100, 100), roll_over(0, 200),
                                                        priced(march(11), 100, 100, 100, 100), roll_over(100, 50),
                                                        priced(march(12), 100, 100, 100, 100)});
    build.settings.clc_linking_method = '4';
    EXPECT_EQ(build.run(path, "TS_CLC 4", {march(10), march(11), march(12)}),
              (std::vector<std::string>{",0.50", ",0.50", ",1.00"}));
}

TEST(ClcSeries, DamagedOrMissingFiles) {
    RecordingConsole screen;
    TempInstall install;
    Build build;
    build.table = CommodityTable({commodity("TS", 2, 2)});
    install.write("CLC/BW_CLC.QVT", std::string("TS\x02\x00\x05\x00", 6) + std::string(34, '\0'));
    install.write("CLC/SH_CLC.QVT", "TS");
    const std::vector<DayNumber> days = {march(10)};
    EXPECT_TRUE(build.run("\\QUORVANT\\CLC\\BW_CLC.QVT", "TS_CLC 1", days, OpenResult::corrupted).empty());
    EXPECT_TRUE(build.run("\\QUORVANT\\CLC\\SH_CLC.QVT", "TS_CLC 1", days, OpenResult::corrupted).empty());
    EXPECT_TRUE(build.run("\\QUORVANT\\CLC\\NO_CLC.QVT", "TS_CLC 1", days, OpenResult::cannot_open).empty());

    // A tag the commodity table lacks is refused with a message.
    write_clc(commodity("XX", 2, 2), {priced(march(10), 1, 1, 1, 1)});
    EXPECT_TRUE(build.run(clc_file_name("XX"), "XX_CLC 1", days, OpenResult::stopped).empty());
    EXPECT_NE(screen.text().find("COMMODITY XX NOT FOUND IN TABLES.INI"), std::string::npos);
}

TEST(ClcSeries, DaySpanAndLastDate) {
    RecordingConsole screen;
    TempInstall install;
    const CommodityTable table({commodity("TS", 2, 2)});
    BuildSettings settings;
    const HolidayTable holidays;
    const BuildContext context{settings, table, holidays};
    // A roll-over before the first and after the last dated record.
    const std::string path = write_clc(table[0], {roll_over(1, 2), priced(march(10), 1, 1, 1, 1), roll_over(1, 2),
                                                  priced(march(13), 1, 1, 1, 1), roll_over(1, 2)});
    DaySpan span;
    EXPECT_EQ(clc_day_span(path, input("TS_CLC 1,4*2"), context, span), SpanResult::ok);
    EXPECT_EQ(span.first, march(10));
    EXPECT_EQ(span.last, march(13));
    EXPECT_EQ(last_clc_date("TS"), march(13));
    EXPECT_EQ(last_clc_date("NO"), no_date);

    EXPECT_EQ(clc_day_span(clc_file_name("NO"), input("NO_CLC 1"), context, span), SpanResult::missing);
    write_clc(commodity("EM", 2, 2), {});
    EXPECT_EQ(clc_day_span(clc_file_name("EM"), input("TS_CLC 1"), context, span), SpanResult::ok);
    EXPECT_EQ(span.first, unknown_last_day);
    EXPECT_EQ(span.last, unknown_last_day);

    // Shifting the prices would shift what an operator computes from them.
    settings.clc_neg_price_handling = '5';
    settings.clc_linking_method = '1';
    EXPECT_EQ(clc_day_span(path, input("TS_CLC 1,4*2"), context, span), SpanResult::ok);
    settings.clc_linking_method = '2';
    EXPECT_EQ(clc_day_span(path, input("TS_CLC 1,4"), context, span), SpanResult::ok);
    EXPECT_EQ(screen.text().find("CONFLICT"), std::string::npos);
    EXPECT_EQ(clc_day_span(path, input("TS_CLC 1,4*2"), context, span), SpanResult::refused);
    EXPECT_NE(screen.text().find("FIELD OPERATORS CONFLICT WITH NEG CLC PRICE SHIFT"), std::string::npos);
}

}  // namespace
}  // namespace qv::builder
