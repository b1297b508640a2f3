#include "builder/ascii_series.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

// The warning screen shows the text after "@" on a line of its own, in brackets.
bool shows(const RecordingConsole& screen, std::string_view message) {
    const std::string text = screen.text();
    const std::size_t at = message.find('@');
    if (at == std::string_view::npos) return text.find(message) != std::string::npos;
    return text.find(message.substr(0, at)) != std::string::npos &&
           text.find("(" + std::string(message.substr(at + 1)) + ")") != std::string::npos;
}

DayNumber day(int year, int month, int day) { return date_to_lotus(year, month, day); }

InputLine input(std::vector<FieldTerm> terms) { return InputLine{"\\QUORVANT\\PRICES.TXT", SeriesClass::asc, terms}; }
FieldTerm field(int n, char op = '\0', std::string operand = {}) { return FieldTerm{n, op, operand}; }

// An ASCII input file in a temporary install folder, read as the builder's
// input number `number`.
struct AsciiFixture {
    TempInstall install;
    RecordingConsole screen;
    BuildSettings settings;
    CommodityTable commodities;
    HolidayTable holidays;
    BuildContext context{settings, commodities, holidays};
    const std::string path = "\\QUORVANT\\PRICES.TXT";

    explicit AsciiFixture(const std::string& content, int number = 1) {
        install.write("PRICES.TXT", content);
        context.input_number = number;
    }

    SpanResult span(const InputLine& line, DaySpan& result) { return ascii_day_span(path, line, context, result); }

    // What the series appends for each day; "STOPPED" where it stops.
    std::vector<std::string> columns(const InputLine& line, const std::vector<DayNumber>& days) {
        OpenResult opened = OpenResult::stopped;
        auto series = open_ascii_series(path, line, context, opened);
        EXPECT_EQ(opened, OpenResult::ok);
        std::vector<std::string> out;
        if (!series) return out;
        for (DayNumber d : days) {
            std::string text;
            if (series->append_fields(text, d) != FieldsResult::ok) {
                out.push_back("STOPPED");
                break;
            }
            out.push_back(text);
        }
        return out;
    }
};

TEST(AsciiSeries, DateTypesGiveTheFirstDayAndTheFieldsAfterTheDate) {
    struct Case {
        const char* content;
        DayNumber first;
        const char* columns;  // fields 1 and 2 on the first day
    };
    const Case cases[] = {
        {"01/02/95 1.5 2.5\n", day(1995, 1, 2), ",1.5,2.5"},                       // type 1
        {"\"01/02/95\",\"1.5\",\"2.5\"\n", day(1995, 1, 2), ",1.5,2.5"},           // type 2
        {"950102 1.5 2.5\n", day(1995, 1, 2), ",1.5,2.5"},                         // type 3
        {"\"950102\" 1.5 2.5\n", day(1995, 1, 2), ",1.5,2.5"},                     // type 4
        {"12/29/1995,17.25,-3\n", day(1995, 12, 29), ",17.25,-3"},                 // type 5: the two numbers
        {"\"12/29/1995\",17.25,-3\n", day(1995, 12, 29), ",17.25,-3"},             // type 6
        {"19951229\t+17.25\t-3E2\n", day(1995, 12, 29), ",+17.25,-3E2"},           // type 7
        {"\"19951229\";17.25;-3\n", day(1995, 12, 29), ",17.25,-3"},               // type 8
        {"Date,Open\nshort 1\n01/02/2005 7 8\n", day(2005, 1, 2), ",7,8"},         // heading lines skipped
        {"01/02/05 7 8\n", day(2005, 1, 2), ",7,8"},                               // two-digit years after 2000
        {"1/2/1995 7 8 \n", day(1995, 1, 2), ",7,8"},                              // unpadded slashed date
        {"99/99/1995 1 2\n01/03/1995 7 8\n", day(1995, 1, 3), ",7,8"},             // a date that does not read
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        AsciiFixture fixture(c.content);
        const InputLine line = input({field(1), field(2)});
        DaySpan span;
        ASSERT_EQ(fixture.span(line, span), SpanResult::ok);
        EXPECT_EQ(span.first, c.first);
        EXPECT_EQ(span.last, unknown_last_day);
        EXPECT_EQ(fixture.columns(line, {c.first}), std::vector<std::string>{c.columns});
        EXPECT_EQ(fixture.screen.text().find("WARNING"), std::string::npos) << fixture.screen.text();
    }
}

TEST(AsciiSeries, CheckRefusesWithItsMessages) {
    struct Case {
        std::string content;
        std::vector<FieldTerm> terms;
        const char* shown;
    };
    std::string wide = "01/02/1995";
    for (int n = 0; n < 251; ++n) wide += " 1";
    const Case cases[] = {
        {"", {field(1)}, "UNABLE TO READ ASCII INPUT FILE@\\QUORVANT\\PRICES.TXT"},
        {"Date Close\n1995/01/02 5 6\n", {field(1)}, "UNABLE TO READ ASCII INPUT FILE@\\QUORVANT\\PRICES.TXT"},
        {"01/02/995 5 6\n", {field(1)}, "ERROR-INVALID DATE TYPE OF 0"},
        {"01/02/1995 high low\n", {field(1)}, "NO DATA FIELDS IN ASCII INPUT FILE. FILE NUMBER = 3"},
        {wide + "\n", {field(1)}, "ASCII INPUT FILE EXCEEDS MAX NUMBER DATA FIELDS SUPPORTED, LINE = 3"},
        {"01/02/1995 5 6\n", {field(1), field(3)}, "NOT ENOUGH FIELDS IN ASCII INPUT FILE, LINE = 3"},
        {"01/02/1995 5 6\n", {field(0)}, "0 IS AN INVALID FIELD NUMBER@\\QUORVANT\\PRICES.TXT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        AsciiFixture fixture(c.content, 3);
        DaySpan span;
        EXPECT_EQ(fixture.span(input(c.terms), span), SpanResult::refused);
        EXPECT_TRUE(shows(fixture.screen, c.shown)) << fixture.screen.text();
    }

    TempInstall install;
    RecordingConsole screen;
    HolidayTable holidays;
    CommodityTable commodities;
    BuildSettings settings;
    BuildContext context{settings, commodities, holidays};
    DaySpan span;
    OpenResult opened = OpenResult::ok;
    EXPECT_EQ(ascii_day_span("\\QUORVANT\\NONE.TXT", input({field(1)}), context, span), SpanResult::missing);
    EXPECT_EQ(open_ascii_series("\\QUORVANT\\NONE.TXT", input({field(1)}), context, opened), nullptr);
    EXPECT_EQ(opened, OpenResult::cannot_open);
    EXPECT_EQ(screen.text(), "");
}

TEST(AsciiSeries, DaysWithoutALineByValueOfIncludedHoliday) {
    // Monday 2, Wednesday 4 January 1995; the file ends before Thursday.
    const std::string content = "DATE VALUE\n01/02/1995 1 10\n01/04/1995 3 30\n";
    const std::vector<DayNumber> days = {day(1995, 1, 2), day(1995, 1, 3), day(1995, 1, 4), day(1995, 1, 5)};
    struct Case {
        char holiday_value;
        std::vector<std::string> columns;
    };
    const Case cases[] = {
        {'P', {",1,10", ",1,10", ",3,30", ",3,30"}},
        {'Z', {",1,10", ",0,0", ",3,30", ",3,30"}},
        {'N', {",1,10", ",-1,-1", ",3,30", ",3,30"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holiday_value);
        AsciiFixture fixture(content);
        fixture.settings.value_of_included_holiday = c.holiday_value;
        EXPECT_EQ(fixture.columns(input({field(1), field(2)}), days), c.columns);
    }

    // Lines before the first day asked for give its previous values; skipped
    // days are passed over.
    AsciiFixture later(content);
    EXPECT_EQ(later.columns(input({field(2)}), {day(1995, 1, 3), day(1995, 1, 5)}),
              (std::vector<std::string>{",10", ",30"}));

    // Before the file's first line the first input leaves the day out; a later
    // input keeps its columns in place.
    const std::vector<DayNumber> early = {day(1994, 12, 30), day(1995, 1, 2)};
    AsciiFixture first(content, 1);
    EXPECT_EQ(first.columns(input({field(1), field(2)}), early), (std::vector<std::string>{"", ",1,10"}));
    AsciiFixture second(content, 2);
    EXPECT_EQ(second.columns(input({field(1), field(2)}), early), (std::vector<std::string>{",0,0", ",1,10"}));
}

TEST(AsciiSeries, OperatorTermsAreWrittenInGForm) {
    AsciiFixture fixture("01/02/1995 2.5 0\n");
    fixture.settings.col_separator_character = 'S';
    const InputLine line =
        input({field(1, '*', "2"), field(1, '/', "0"), field(1, '+', ".25"), field(2, '^', "3"), field(1, '-', "10")});
    EXPECT_EQ(fixture.columns(line, {day(1995, 1, 2)}), std::vector<std::string>{" 5 250000 2.75 300000 -7.5"});
}

TEST(AsciiSeries, BadLinesStopTheBuildWithTheirMessages) {
    AsciiFixture short_line("01/02/1995 1 2\n01/03/1995 1\n", 4);
    EXPECT_EQ(short_line.columns(input({field(1), field(2)}), {day(1995, 1, 2), day(1995, 1, 3)}),
              (std::vector<std::string>{",1,2", "STOPPED"}));
    EXPECT_TRUE(shows(short_line.screen, "TOO FEW DATA FIELDS IN ASCII INPUT FILE, NUMBER = 4"));

    AsciiFixture bad_date("01/02/1995 1 2\n13/45/1995 5 6\n");
    EXPECT_EQ(bad_date.columns(input({field(1)}), {day(1995, 1, 2), day(1995, 1, 3)}),
              (std::vector<std::string>{",1", "STOPPED"}));
    EXPECT_TRUE(shows(bad_date.screen, "TROUBLE READING ASCII FILE \\QUORVANT\\PRICES.TXT"));
}

TEST(AsciiSeries, BinaryJunkAndLongLinesAreReadSafely) {
    const std::string junk("\0\0\x80\xff\r12/1\0\n\"\n", 12);
    const std::string long_line = "01/03/1995 " + std::string(300000, '7') + " 8\n";
    AsciiFixture fixture(junk + "01/02/1995 1 2\n" + junk + long_line);
    const InputLine line = input({field(2)});
    DaySpan span;
    ASSERT_EQ(fixture.span(line, span), SpanResult::ok);
    EXPECT_EQ(span.first, day(1995, 1, 2));
    EXPECT_EQ(fixture.columns(line, {day(1995, 1, 2), day(1995, 1, 3)}), (std::vector<std::string>{",2", ",8"}));
}

TEST(AsciiSeries, YearProcessedFollowsTheLinesRead) {
    AsciiFixture fixture("12/30/1987 1\n01/04/1988 2\n");
    fixture.columns(input({field(1)}), {day(1987, 12, 30), day(1988, 1, 4)});
    const std::string shown = fixture.screen.transcript();
    const auto year_1987 = shown.find("{go to 46,20}1987");
    ASSERT_NE(year_1987, std::string::npos) << shown;
    EXPECT_NE(shown.find("{go to 46,20}1988", year_1987), std::string::npos) << shown;
}

}  // namespace
}  // namespace qv::builder
