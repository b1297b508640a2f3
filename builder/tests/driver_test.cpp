#include "builder/driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/clc_file.h"
#include "common/platform/files.h"
#include "common/start_up.h"
#include "common/testing/metastock_reader.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "common/platform/text.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

ClcRecord closing(int year, int month, int day, std::int32_t close) {
    ClcRecord record;
    record.day = date_to_lotus(year, month, day);
    record.open = record.high = record.low = record.close = close;
    return record;
}

// Wheat (precision 2, three-byte prices) in the sample table.
void write_wheat(const std::vector<ClcRecord>& records) {
    ASSERT_TRUE(create_folders("\\QUORVANT\\CLC"));
    ClcWriter writer;
    ASSERT_TRUE(writer.create(clc_file_name("W_"), make_clc_header("W_", 2, 3)));
    for (const ClcRecord& record : records) writer.write(record);
    ASSERT_TRUE(writer.finish());
}

// An index file of one value a day: the day of the month, from `first` to `last`.
std::string index_days(DayNumber first, DayNumber last, bool saturdays = true) {
    std::string text;
    for (DayNumber day = first; day <= last; ++day) {
        const int w = weekday(day);
        if (w == sunday || (w == saturday && !saturdays)) continue;
        const Date date = lotus_to_date(day);
        text += format("%04d%02d%02d %d.5\n", date.year, date.month, date.day, date.day);
    }
    return text;
}

std::vector<std::string> dates_in(const std::string& output) {
    std::vector<std::string> dates;
    std::size_t at = 0;
    while (at < output.size()) {
        const std::size_t end = output.find('\n', at);
        dates.push_back(output.substr(at, 8));
        at = end == std::string::npos ? output.size() : end + 1;
    }
    return dates;
}

class Driver : public ::testing::Test {
protected:
    // Runs DFORGE on \QUORVANT\AUTO\$TEST and answers what the console showed.
    std::string run(const std::string& build_file, RecordingConsole& screen, const std::string& name = "$TEST") {
        install_.write("AUTO/" + name, build_file);
        run_program([&name] { run_builder({name}); });
        return screen.text();
    }
    std::string run(const std::string& build_file, const std::string& name = "$TEST") {
        RecordingConsole screen;
        return run(build_file, screen, name);
    }
    bool exists(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }

    SampleInstall install_;  // today is Monday 7 December 2020
};

// Monday 23 to Monday 30 November 2020; Thanksgiving, Thursday the 26th, is a
// holiday without a record.
void write_thanksgiving_week() {
    write_wheat({closing(2020, 11, 23, 500), closing(2020, 11, 24, 510), closing(2020, 11, 25, 520),
                 closing(2020, 11, 27, 530), closing(2020, 11, 30, 540)});
}

TEST_F(Driver, OutputDaysFollowTheHolidaySetting) {
    write_thanksgiving_week();
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(1952, 5, 19), date_to_lotus(1952, 6, 3)));
    struct Case {
        const char* name;
        std::string block;
        std::string output;
    };
    const std::string wheat = "#STARTINGDATE=11/23/2020\n#ENDINGDATE=11/30/2020\n";
    const Case cases[] = {
        {"a single CLC input leaves holidays out", "#INCLUDEHOLIDAYS=N\n" + wheat + "W__CLC 4\n",
         "20201123,5.00\n20201124,5.10\n20201125,5.20\n20201127,5.30\n20201130,5.40\n"},
        {"or writes them with the previous day's values", "#INCLUDEHOLIDAYS=Y\n" + wheat + "W__CLC 4\n",
         "20201123,5.00\n20201124,5.10\n20201125,5.20\n20201126,5.20\n20201127,5.30\n20201130,5.40\n"},
        {"every calendar day", "#INCLUDEHOLIDAYS=A\n" + wheat + "W__CLC 4\n",
         "20201123,5.00\n20201124,5.10\n20201125,5.20\n20201126,5.20\n20201127,5.30\n20201128,5.30\n"
         "20201129,5.30\n20201130,5.40\n"},
        {"Saturdays up to 24 May 1952", "#STARTINGDATE=5/19/1952\n#ENDINGDATE=6/2/1952\nB1_IDX 1\n",
         "19520519,19.5\n19520520,20.5\n19520521,21.5\n19520522,22.5\n19520523,23.5\n19520524,24.5\n"
         "19520526,26.5\n19520527,27.5\n19520528,28.5\n19520529,29.5\n19520530,30.5\n19520602,2.5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string shown = run("\\QUORVANT\\OUT\\A.TXT\n" + c.block);
        EXPECT_EQ(shown.find("WARNING"), std::string::npos) << shown;
        EXPECT_EQ(install_.read("OUT/A.TXT"), c.output);
        EXPECT_FALSE(exists("TEMP0001.QVT"));
        EXPECT_FALSE(exists("OUT/TEMP_ASC.QVT"));
    }
}

// Wheat's last record is Monday 30 November; the build runs on Monday 7
// December. The days after it have no data yet and are written as a day
// without data between records is (a build made once they have data writes
// them from it).
TEST_F(Driver, DaysAfterTheLastRecordAreDaysWithoutData) {
    write_thanksgiving_week();
    struct Case {
        const char* name;
        const char* options;
        std::string output;
    };
    const std::string friday_monday = "20201127,5.30\n20201130,5.40\n";
    const Case cases[] = {
        {"a single CLC input leaves them out", "#INCLUDEHOLIDAYS=N\n", friday_monday},
        {"or repeats the last values", "#INCLUDEHOLIDAYS=Y\n",
         friday_monday + "20201201,5.40\n20201202,5.40\n20201203,5.40\n20201204,5.40\n20201207,5.40\n"},
        {"or writes zeros", "#INCLUDEHOLIDAYS=Y\n#VALUEOFINCLUDEDHOLIDAY=Z\n",
         friday_monday + "20201201,0\n20201202,0\n20201203,0\n20201204,0\n20201207,0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run(std::string("\\QUORVANT\\OUT\\A.TXT\n#STARTINGDATE=11/27/2020\n") + c.options + "W__CLC 4\n");
        EXPECT_EQ(install_.read("OUT/A.TXT"), c.output);
    }
}

TEST_F(Driver, AMissingInputDeletesItsOutputSilentlyAndTheNextBlockIsBuilt) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 4), false));
    install_.write("OUT/FIRST.TXT", "an earlier build\n");
    const std::string shown = run(
        "\\QUORVANT\\OUT\\FIRST.TXT\nB2_IDX 1\n\n"
        "\\QUORVANT\\OUT\\SECOND.TXT\n#STARTINGDATE=12/1/2020\n#ENDINGDATE=12/31/2049\nB1_IDX 1\n");
    EXPECT_EQ(shown.find("WARNING"), std::string::npos) << shown;
    EXPECT_FALSE(exists("OUT/FIRST.TXT"));
    EXPECT_EQ(install_.read("OUT/SECOND.TXT"), "20201201,1.5\n20201202,2.5\n20201203,3.5\n20201204,4.5\n");
    EXPECT_EQ(install_.read("BCAST.TXT"), "$TEST\n");
}

TEST_F(Driver, TheOutputRange) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 2), false));
    install_.write("IDX/B3_IDX.QVT", index_days(date_to_lotus(2020, 11, 25), date_to_lotus(2020, 12, 4), false));
    struct Case {
        const char* options;
        std::string first_date;  // empty: the range is refused
        std::string last_date;
    };
    const Case cases[] = {
        {"#STARTINGDATE=11/30/2020\n#ENDINGDATE=12/31/2049\n", "20201130", "20201202"},  // the input that ends first
        {"#STARTINGDATE=11/30/2020\n", "20201130", "20201207"},                          // 12/30/2049: today
        {"#STARTINGDATE=11/29/2020\n#ENDINGDATE=12/3/2020\n", "20201130", "20201203"},  // from a Sunday
        {"", "20201125", "20201207"},  // from the input that starts first
        {"#STARTINGDATE=12/8/2020\n", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string shown =
            run(std::string("\\QUORVANT\\OUT\\TWO.TXT\n") + c.options + "B1_IDX 1\nB3_IDX 1\n");
        if (c.first_date.empty()) {
            EXPECT_NE(shown.find("START DATE OUT OF RANGE"), std::string::npos) << shown;
            continue;
        }
        const std::vector<std::string> dates = dates_in(install_.read("OUT/TWO.TXT"));
        ASSERT_FALSE(dates.empty());
        EXPECT_EQ(dates.front(), c.first_date);
        EXPECT_EQ(dates.back(), c.last_date);
    }
}

TEST_F(Driver, AnOutputFileIsReplacedOnlyWhenTheUserSaysSo) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 12, 1), date_to_lotus(2020, 12, 2), false));
    const std::pair<const char*, const char*> answers[] = {{"N", "the previous build\n"},
                                                           {"y", "20201201,1.5\n20201202,2.5\n"}};
    for (const auto& [key, output] : answers) {
        install_.write("OUT/A.TXT", "the previous build\n");
        RecordingConsole screen(key);
        const std::string shown =
            run("\\QUORVANT\\OUT\\A.TXT\n#OVERWRITEOUTPUTFILE=N\n#STARTINGDATE=12/1/2020\n#ENDINGDATE=12/2/2020\n"
                "B1_IDX 1\n",
                screen);
        EXPECT_NE(shown.find("WARNING!! OUTPUT FILE EXISTS, OVERWRITE IT? (Y OR N):"), std::string::npos) << shown;
        EXPECT_EQ(install_.read("OUT/A.TXT"), output);
        EXPECT_FALSE(exists("OUT/TEMP_ASC.QVT"));
    }
}

TEST_F(Driver, AKeyPressEndsTheRunAndLeavesThePreviousOutput) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 2), date_to_lotus(2020, 12, 4), false));
    install_.write("OUT/A.TXT", "the previous build\n");
    RecordingConsole screen("x");
    screen.key_waiting_after(3);
    run("\\QUORVANT\\OUT\\A.TXT\n#STARTINGDATE=11/2/2020\nB1_IDX 1\n\n\\QUORVANT\\OUT\\B.TXT\nB1_IDX 1\n", screen);
    EXPECT_EQ(screen.keys_left(), 0u);
    EXPECT_EQ(install_.read("OUT/A.TXT"), "the previous build\n");
    EXPECT_FALSE(exists("OUT/B.TXT"));
    for (const char* gone : {"TEMP0001.QVT", "OUT/TEMP_ASC.QVT"}) EXPECT_FALSE(exists(gone)) << gone;
    // The run ended early: the build file is still recorded.
    EXPECT_EQ(install_.read("BCAST.TXT"), "$TEST\n");
}

TEST_F(Driver, OutputFoldersAreMadeAndNamesThatCannotBeAFileAreRefused) {
    install_.write("IDX/B1_IDX.QVT", "20201201 1.5\n");
    install_.write("OUT/KEEP.TXT", "");
    struct Case {
        const char* output;
        const char* shown;  // empty: built
    };
    const Case cases[] = {
        {"\\QUORVANT\\NEW\\DEEP\\A.TXT", ""},
        {"\\QUORVANT\\OUT\\", "ERROR-OUTPUT FILE NAME NOT SPECIFIED."},
        {"\\QUORVANT\\OUT", "ERROR-CAN'T OPEN OUTPUT FILE,"},
        {"NEWDIR\\A.TXT", "OUTPUT FILE NAME CONFLICT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const std::string shown =
            run(std::string(c.output) + "\n#STARTINGDATE=12/1/2020\n#ENDINGDATE=12/1/2020\nB1_IDX 1\n");
        if (*c.shown == '\0') {
            EXPECT_EQ(shown.find("WARNING"), std::string::npos) << shown;
            EXPECT_EQ(install_.read("NEW/DEEP/A.TXT"), "20201201,1.5\n");
        } else {
            EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
        }
    }
    EXPECT_TRUE(exists("OUT/KEEP.TXT"));
}

TEST_F(Driver, AFinalPassThatFailsLeavesThePreviousOutput) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 4), false));
    install_.write("OUT/BARS.TXT", "the previous bars\n");
    const std::string shown = run("\\QUORVANT\\OUT\\BARS.TXT\n#SAMPLINGPERIOD=K\nB1_IDX 1,1\n");
    EXPECT_NE(shown.find("ERROR-TOO FEW FIELDS SPECIFIED TO BUILD"), std::string::npos) << shown;
    EXPECT_EQ(install_.read("OUT/BARS.TXT"), "the previous bars\n");
    EXPECT_FALSE(exists("OUT/TEMP_ASC.QVT"));
}

TEST_F(Driver, AFaultInTheBuildFileBuildsNothing) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 4), false));
    const std::string shown =
        run("\\QUORVANT\\OUT\\A.TXT\nB1_IDX 1\n\n\\QUORVANT\\OUT\\B.TXT\n#SAMPLINGPERIOD=X\nB1_IDX 1\n");
    EXPECT_NE(shown.find("INVALID OPTION VALUE SPECIFIED IN LINE:"), std::string::npos) << shown;
    EXPECT_FALSE(exists("OUT/A.TXT"));
    EXPECT_FALSE(exists("BCAST.TXT"));
}

TEST_F(Driver, OptionsApplyFromTheirLineToEveryLaterBlock) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 4), false));
    run("#STARTINGDATE=12/3/2020\n#ENDINGDATE=12/4/2020\n\\QUORVANT\\OUT\\A.TXT\nB1_IDX 1\n\n"
        "#OUTPUTDATEFORMAT=1\n\\QUORVANT\\OUT\\B.TXT\n#OUTPUTCOLUMNHEADINGS=Y\n#COLSEPARATORCHARACTER=S\nB1_IDX 1*2\n\n"
        "\\QUORVANT\\OUT\\C.TXT\nB1_IDX 1*2\n");
    EXPECT_EQ(install_.read("OUT/A.TXT"), "20201203,3.5\n20201204,4.5\n");
    EXPECT_EQ(install_.read("OUT/B.TXT"), "Date #1*2\n12/03/2020 7\n12/04/2020 9\n");
    EXPECT_EQ(install_.read("OUT/C.TXT"), install_.read("OUT/B.TXT"));
}

// The updater's roll list holds sets of several build files, each with the
// option lines it was built with: every set starts from the build map's
// settings, while option lines between sets still apply to the later sets.
// A build file of the user's keeps its options from block to block.
TEST_F(Driver, EachSetOfTheRollListStartsFromTheBuildMapSettings) {
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 4), false));
    const std::string sets =
        "#STARTINGDATE=12/3/2020\n#ENDINGDATE=12/4/2020\n\n"
        "\\QUORVANT\\OUT\\A.TXT\n#OUTPUTDATEFORMAT=1\n#COLSEPARATORCHARACTER=S\nB1_IDX 1\n\n"
        "\\QUORVANT\\OUT\\B.TXT\nB1_IDX 1\n";
    run(sets, "$ROLL");
    EXPECT_EQ(install_.read("OUT/A.TXT"), "12/03/2020 3.5\n12/04/2020 4.5\n");
    EXPECT_EQ(install_.read("OUT/B.TXT"), "20201203,3.5\n20201204,4.5\n");
    EXPECT_FALSE(exists("BCAST.TXT"));
    EXPECT_FALSE(exists("$ROLL"));  // every set built: the list is done

    run(sets);
    EXPECT_EQ(install_.read("OUT/B.TXT"), install_.read("OUT/A.TXT"));
}

TEST_F(Driver, AMetastockSeriesFillsMissingDaysWithThePreviousValuesWhereAsciiWritesZeros) {
    // Wednesday 2 December is missing from the index.
    install_.write("IDX/B1_IDX.QVT", "20201201 1.5\n20201203 3.5\n20201204 4.5\n");
    run("#STARTINGDATE=12/1/2020\n#ENDINGDATE=12/4/2020\n#VALUEOFINCLUDEDHOLIDAY=Z\n"
        "\\QUORVANT\\META\\INDEX\\B1\n#OUTPUTFORMAT=M\nB1_IDX 1\n\n"
        "\\QUORVANT\\OUT\\B1.TXT\n#OUTPUTFORMAT=A\nB1_IDX 1\n");
    const auto master = testing::read_ms_master(install_.path("META/INDEX"));
    ASSERT_TRUE(master);
    const testing::MsSeries* series = master->find("B1", 'D');
    ASSERT_NE(series, nullptr);
    std::vector<double> closes;
    for (const testing::MsRecord& record : testing::read_ms_dat(install_.path("META/INDEX"), *series).records) {
        closes.push_back(record.values.at(2));  // high, low, close, volume
    }
    EXPECT_EQ(closes, (std::vector<double>{1.5, 1.5, 3.5, 4.5}));
    EXPECT_EQ(install_.read("OUT/B1.TXT"), "20201201,1.5\n20201202,0\n20201203,3.5\n20201204,4.5\n");
}

TEST_F(Driver, ACorruptedInputRemovesItsOutputAndTheNextBlockIsBuilt) {
    // A CLC file whose price width the layout does not know.
    ASSERT_TRUE(create_folders("\\QUORVANT\\CLC"));
    std::string header(clc_header_size, '\0');
    header[0] = 'W';
    header[1] = '_';
    header[2] = 2;
    header[4] = 5;
    install_.write("CLC/W__CLC.QVT", header + std::string(2 * 31, '\1'));
    install_.write("IDX/B1_IDX.QVT", index_days(date_to_lotus(2020, 11, 30), date_to_lotus(2020, 12, 4), false));
    install_.write("OUT/W.TXT", "an earlier build\n");
    const std::string shown = run(
        "#STARTINGDATE=12/1/2020\n#ENDINGDATE=12/2/2020\n\\QUORVANT\\OUT\\W.TXT\nW__CLC 4\n\n"
        "\\QUORVANT\\OUT\\B1.TXT\nB1_IDX 1\n");
    EXPECT_NE(shown.find("MASTER DATA FILE W__CLC IS CORRUPTED"), std::string::npos) << shown;
    EXPECT_FALSE(exists("OUT/W.TXT"));
    EXPECT_EQ(install_.read("OUT/B1.TXT"), "20201201,1.5\n20201202,2.5\n");
}

}  // namespace
}  // namespace qv::builder
