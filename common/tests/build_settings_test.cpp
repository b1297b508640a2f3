#include "common/build_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "common/testing/temp_install.h"

namespace qv {
namespace {

TEST(BuildOptions, KeywordsMatchOnTheirFirstNineCharacters) {
    struct Case {
        const char* keyword;
        int row;
    };
    const Case cases[] = {
        {"STARTINGDATE", 0},          {"startingdate", 0},        {"DAYSPERBAR", 18},
        {"DAYSPERBARS", 18},          {"OUTPUTCOLUMNXYZ", 3},     {"OUTPUTDAT", 2},
        {"OUTPUTFOR", 17},            {"COTINDEXL", 11},          {"COTINTERP", 10},
        {"DAYSPERBA", 18},            {"DAYSPER", option_unknown}, {"", option_unknown},
        {"NOSUCHOPTION", option_unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyword);
        EXPECT_EQ(find_option(c.keyword), c.row);
    }
}

TEST(BuildOptions, CheckingAnOptionLine) {
    const std::string title28(28, 'T');
    struct Case {
        std::string line;
        int verdict;
    };
    const Case cases[] = {
        {"#STARTINGDATE=1/2/1995", option_valid},
        {"#STARTING DATE: 1/2/95", option_valid},
        {"#Starting.Date:=1/2/95", option_valid},
        {"#STARTINGDATE=0/0/0", option_valid},
        {"#ENDINGDATE=12/31/2050", option_valid},
        {"#STARTINGDATE=1-2-1995", option_bad_value},
        {"#STARTINGDATE=13/1/1995", option_bad_value},
        {"#STARTINGDATE=1/32/1995", option_bad_value},
        {"#STARTINGDATE=1/2/2051", option_bad_value},
        {"#STARTINGDATE=1/2", option_bad_value},
        {"#COTINDEXLOOKBACKDAYS=19", option_bad_value},
        {"#COTINDEXLOOKBACKDAYS=20", option_valid},
        {"#COTINDEXLOOKBACKDAYS=9999", option_valid},
        {"#COTINDEXLOOKBACKDAYS=10000", option_bad_value},
        {"#COTINDEXLOOKBACKDAYS=4O0", option_bad_value},
        {"#DAYSPERBAR=0", option_bad_value},
        {"#DAYSPERBAR=999", option_valid},
        {"#DAYSPERBAR=1000", option_bad_value},
        {"#FIRSTLINETITLE=" + title28, option_valid},
        {"#FIRSTLINETITLE=" + title28 + "T", option_bad_value},
        {"#FIRSTLINETITLE=", option_valid},
        {"#SAMPLINGPERIOD=7", option_valid},
        {"#SAMPLINGPERIOD=8", option_bad_value},
        {"#SAMPLINGPERIOD = WEEKLY", option_valid},
        {"#OUTPUTFORMAT=", option_bad_value},
        {"#INCLUDEHOLIDAYS=a", option_valid},
        {"#CLCNEGPRICEHANDLING=6", option_bad_value},
        {"#SAMPLINGPERIOD D", option_no_separator},
        {"#DAYSPER=5", option_unknown},
        {"#NOSUCHOPTION=Y", option_unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(check_option_line(c.line), c.verdict);
    }
}

TEST(BuildOptions, ApplyingStoresTheValueUpperCased) {
    BuildSettings settings;
    EXPECT_TRUE(apply_option_line(settings, "#sampling period = w"));
    EXPECT_TRUE(apply_option_line(settings, "#DAYSPERBARS=12"));
    EXPECT_TRUE(apply_option_line(settings, "#first line title =  Gold: spot  "));
    EXPECT_TRUE(apply_option_line(settings, "#COTINDEXLOOKBACKDAYS=250"));
    EXPECT_TRUE(apply_option_line(settings, "#OVERWRITEOUTPUTFILE=NO"));
    EXPECT_EQ(settings.sampling_period, 'W');
    EXPECT_EQ(settings.days_per_bar, "12");
    EXPECT_EQ(settings.first_line_title, "GOLD: SPOT");
    EXPECT_EQ(settings.cot_index_lookback_days, "250");
    EXPECT_EQ(settings.overwrite_output_file, 'N');
}

TEST(BuildOptions, DatesAreStoredWithFourDigitYears) {
    struct Case {
        const char* line;
        const char* stored;
    };
    const Case cases[] = {
        {"#STARTING DATE: 1/2/95", "01/02/1995"},
        {"#STARTINGDATE=1/2/05", "01/02/2005"},
        {"#STARTINGDATE=1/2/49", "01/02/2049"},
        {"#STARTINGDATE=1/2/50", "01/02/1950"},
        {"#STARTINGDATE=1/2/0", "01/02/2000"},
        {"#STARTINGDATE=0/0/0", "00/00/0000"},
        {"#STARTINGDATE=3/15/1987", "03/15/1987"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        BuildSettings settings;
        ASSERT_TRUE(apply_option_line(settings, c.line));
        EXPECT_EQ(settings.starting_date, c.stored);
    }
    BuildSettings settings;
    ASSERT_TRUE(apply_option_line(settings, "#ENDINGDATE=12/31/2049"));
    EXPECT_EQ(settings.ending_date, "12/31/2049");
}

TEST(BuildOptions, ARefusedLineChangesNothing) {
    for (const char* line : {"#STARTINGDATE=1-2-1995", "#DAYSPERBAR=0", "#SAMPLINGPERIOD D", "#NOSUCHOPTION=Y",
                             "#OUTPUTFORMAT=X", "OUTPUTFORMAT=M"}) {
        SCOPED_TRACE(line);
        BuildSettings settings;
        EXPECT_FALSE(apply_option_line(settings, line));
        EXPECT_EQ(settings, BuildSettings{});
    }
}

// A last-settings file as the front end writes it: a heading, then the
// settings, each value followed by its label.
std::string last_map(const std::string& title_line = "MY GOLD AND SILVER CHARTS, FRONT MONTH ONLY") {
    return "QUORVANT LAST BUILD SETTINGS\r\n"
           "1/2/95 STARTING DATE\r\n"
           "06/30/05 ENDING DATE\r\n"
           "1 OUTPUT DATE FORMAT\r\n"
           "y COLUMN HEADINGS\r\n"
           "Y HEADINGS IN QUOTES\r\n"
           "T SEPARATOR\r\n"
           "W SAMPLING PERIOD\r\n"
           "A INCLUDE HOLIDAYS\r\n"
           "Z HOLIDAY VALUE\r\n"
           "N OVERWRITE OUTPUT\r\n"
           "2 COT INTERPOLATION\r\n"
           "250 COT LOOKBACK\r\n" +
           title_line +
           "\r\n"
           "4 LINKING\r\n"
           "5 NEGATIVE PRICES\r\n"
           "2 IDX INTERPOLATION\r\n"
           "Y SATURDAYS\r\n"
           "m OUTPUT FORMAT\r\n"
           "$ MONTH CHARACTER\r\n"
           "@ YEAR CHARACTER\r\n"
           "20 DAYS PER BAR\r\n"
           "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
}

TEST(LastMap, EverySettingIsReadFromItsLine) {
    const BuildSettings settings = read_last_settings(last_map());
    BuildSettings expected;
    expected.starting_date = "01/02/1995";
    expected.ending_date = "06/30/2005";
    expected.output_date_format = '1';
    expected.output_column_headings = 'Y';
    expected.col_headings_in_quotes = 'Y';
    expected.col_separator_character = 'T';
    expected.sampling_period = 'W';
    expected.include_holidays = 'A';
    expected.value_of_included_holiday = 'Z';
    expected.overwrite_output_file = 'N';
    expected.cot_interpolation_method = '2';
    expected.cot_index_lookback_days = "250";
    expected.first_line_title = "MY GOLD AND SILVER CHARTS, F";
    expected.clc_linking_method = '4';
    expected.clc_neg_price_handling = '5';
    expected.idx_interpolation_method = '2';
    expected.idx_includes_sat_trading = 'Y';
    expected.output_format = 'M';
    expected.month_substitution = '$';
    expected.year_substitution = '@';
    expected.days_per_bar = "20";
    EXPECT_EQ(settings, expected);
}

TEST(LastMap, TheUpdaterStartsAtTheDateFormatLine) {
    const BuildSettings settings = read_last_settings(last_map(), LastMapStart::date_format);
    EXPECT_EQ(settings.starting_date, "00/00/0000");
    EXPECT_EQ(settings.ending_date, "12/30/2049");
    EXPECT_EQ(settings.output_date_format, '1');
    EXPECT_EQ(settings.sampling_period, 'W');
    EXPECT_EQ(settings.output_format, 'M');
    EXPECT_EQ(settings.days_per_bar, "20");
}

TEST(LastMap, PlaceholdersAndUnacceptedValuesKeepTheStartValues) {
    const std::string content =
        "00/00/00 START\n12/31/49\n9\nY\nN\nC\nD\nN\nP\nY\n1\n19\n\n3\n1\n3\nX\nQ\n6\n7\n8\n";
    const BuildSettings settings = read_last_settings(content);
    BuildSettings expected;
    expected.ending_date = "12/31/2049";
    expected.output_column_headings = 'Y';
    EXPECT_EQ(settings, expected);

    const BuildSettings others = read_last_settings("x START\n13/2/3\n" + std::string(15, '\n') + "A\n*\nQQ\n0\n");
    EXPECT_EQ(others, BuildSettings{});
}

TEST(LastMap, AShortFileSetsWhatItHas) {
    const BuildSettings settings = read_last_settings("START 1/2/95\n");
    EXPECT_EQ(settings, BuildSettings{});  // "START" is the value of that line, not a date
    const BuildSettings two = read_last_settings("1/2/95 start\n2/3/96\n");
    EXPECT_EQ(two.starting_date, "01/02/1995");
    EXPECT_EQ(two.ending_date, "02/03/1996");
    EXPECT_EQ(two.output_date_format, '3');
}

TEST(LastMap, MissingFileOrNoStartLineGivesTheStartValues) {
    testing::TempInstall install;
    EXPECT_EQ(load_last_settings(), BuildSettings{});
    install.write("LASTMAP.QVT", "1/2/95 FIRST DAY\n2 OUTPUT DATE\n");
    EXPECT_EQ(load_last_settings(), BuildSettings{});
    EXPECT_EQ(load_last_settings(LastMapStart::date_format), BuildSettings{});
    install.write("LASTMAP.QVT", last_map());
    EXPECT_EQ(load_last_settings().sampling_period, 'W');
    EXPECT_EQ(load_last_settings(LastMapStart::date_format).starting_date, "00/00/0000");
}

}  // namespace
}  // namespace qv
