// The broadcast of merged updates into autobuild outputs: the rows and
// columns it writes, the sets it serves, and how it ends.

#include "updater/broadcast.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/text.h"
#include "common/testing/recording_console.h"
#include "updater/broadcast_set.h"
#include "updater/tests/fixture.h"

namespace qv {
namespace {

using testing::day;

// An installation with a build file per test, its outputs and DB files.
class Broadcast : public ::testing::Test {
protected:
    Broadcast() {
        Commodity wheat = testing::commodity("W_", 2, 3);
        wheat.roll_day = 15;
        Commodity cattle = testing::commodity("LC", 2, 3);
        cattle.roll_day = 15;
        // Thursday 10 December 2020 and Friday 25 December 2020 are holidays here.
        state_ = testing::updater_state({wheat, cattle}, {day(2020, 12, 10), day(2020, 12, 25)});
        state_.update_directory = "\\QUORVANT\\UPDATES\\";
    }

    void build_file(std::string_view content) {
        install_.write("BCAST.TXT", "$TEST.BLD\n");
        install_.write("AUTO/$TEST.BLD", content);
    }
    void update(std::string_view name, std::string_view lines) {
        install_.write("UPDATES/" + std::string(name), std::string(name).replace(1, 1, "U") + "\n" + std::string(lines));
    }
    void run() {
        prepare_broadcast(state_);
        broadcast(state_);
    }
    std::string read(std::string_view relative) const { return install_.read(relative); }
    bool has(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }
    std::string messages() const { return has("QUORUP.MSG") ? read("QUORUP.MSG") : std::string(); }

    testing::TempInstall install_;
    testing::RecordingConsole screen_;
    UpdaterState state_;
};

TEST_F(Broadcast, ADailyOutputGetsTheNewDayAndFieldsFiveAndSevenAlsoInTheDayBefore) {
    build_file("\\QUORVANT\\OUT\\W.TXT\nW__CLC 4,5,6,7\n");
    install_.write("OUT/W.TXT", "20201208,100.00,10,20,30\n20201209,101.00,11,21,31\n");
    // Friday 11 December; Thursday is a holiday, so Wednesday is the day before.
    update("DB201211.CLC", "W_ 201211 102.00 103.00 101.00 102.50 500 600 700\n");
    run();
    EXPECT_EQ(read("OUT/W.TXT"),
              "20201208,100.00,10,20,30\n20201209,101.00,500,21,700\n20201211,102.50,500,600,700\n");
    EXPECT_TRUE(has("UPDATES/D_201211.CLC"));
    EXPECT_NE(messages().find("DB201211.CLC BROADCASTED O.K.\n"), std::string::npos);

    // The same update again changes nothing: a stopped broadcast can be rerun.
    install_.write("UPDATES/DB201211.CLC", read("UPDATES/D_201211.CLC"));
    run();
    EXPECT_EQ(read("OUT/W.TXT"),
              "20201208,100.00,10,20,30\n20201209,101.00,500,21,700\n20201211,102.50,500,600,700\n");
}

TEST_F(Broadcast, IncludedHolidaysGetTheirRowsBeforeTheUpdatesDay) {
    build_file("#INCLUDEHOLIDAYS=Y\n#VALUEOFINCLUDEDHOLIDAY=Z\n#COLSEPARATORCHARACTER=S\n#OUTPUTDATEFORMAT=1\n"
               "\\QUORVANT\\OUT\\Z.TXT\nW__CLC 4,1\n\n"
               "#VALUEOFINCLUDEDHOLIDAY=P\n\\QUORVANT\\OUT\\P.TXT\nW__CLC 4,5\n");
    install_.write("OUT/Z.TXT", "12/09/2020 101.00 100.25\n");
    install_.write("OUT/P.TXT", "12/09/2020 101.00 11\n");
    update("DB201211.CLC", "W_ 201211 102.00 103.00 101.00 102.50 500 600 700\n");
    run();
    EXPECT_EQ(read("OUT/Z.TXT"), "12/09/2020 101.00 100.25\n12/10/2020 0 0\n12/11/2020 102.50 102.00\n");
    // A repeated holiday row repeats the day before, open interest included.
    EXPECT_EQ(read("OUT/P.TXT"), "12/09/2020 101.00 500\n12/10/2020 101.00 500\n12/11/2020 102.50 500\n");
}

TEST_F(Broadcast, ValuesAreWrittenLikeTheFieldsTheyReplace) {
    build_file("\\QUORVANT\\OUT\\V.TXT\nLC_CLC 4,4*2,1/3,4*100,6\n");
    install_.write("OUT/V.TXT", "20201209,65.100,130.2,21.700,6510,20\n");
    // Cattle prices come without their quarter tick: 65.12 is 65.125.
    update("DB201211.CLC", "LC 201211 65.10 66.00 65.00 65.12 500 600 700\n");
    run();
    EXPECT_EQ(read("OUT/V.TXT"), "20201209,65.100,130.2,21.700,6510,20\n20201211,65.125,130.25,21.700,6512.50,600\n");
}

TEST_F(Broadcast, WeeklyOutputsGetFridaysAndTheThursdayBeforeAFridayHoliday) {
    build_file("#SAMPLINGPERIOD=W\n\\QUORVANT\\OUT\\WK.TXT\nW__CLC 4\n");
    install_.write("OUT/WK.TXT", "20201211,100.00\n");
    update("DB201217.CLC", "W_ 201217 1 1 1 101.00 1 1 1\n");
    update("DB201218.CLC", "W_ 201218 1 1 1 102.00 1 1 1\n");
    update("DB201224.CLC", "W_ 201224 1 1 1 103.00 1 1 1\n");
    run();
    EXPECT_EQ(read("OUT/WK.TXT"), "20201211,100.00\n20201218,102.00\n20201224,103.00\n");
    for (const char* done : {"D_201217.CLC", "D_201218.CLC", "D_201224.CLC"}) EXPECT_TRUE(has("UPDATES/" + std::string(done)));
}

TEST_F(Broadcast, OutputNamesTakeTheContractOfTheDay) {
    OptionSet set;
    set.inputs = {"W__CLC 4"};
    // On 21 December 2020, past the roll on the 15th, wheat is in March 2021.
    const DayNumber monday = day(2020, 12, 21);
    const std::pair<const char*, const char*> names[] = {
        {"C:\\DATA\\SP&&%%.TXT", "C:\\DATA\\SP0321.TXT"},
        {"C:\\DATA\\SP&%.TXT", "C:\\DATA\\SPH1.TXT"},
        {"C:\\DATA\\SP&&&%.TXT", "C:\\DATA\\SPMAR1.TXT"},
        {"C:\\DA&TA\\SP.TXT", "C:\\DA&TA\\SP.TXT"},
    };
    for (const auto& [pattern, expected] : names) {
        set.output = pattern;
        EXPECT_EQ(output_name_for(set, monday, state_.tables), expected) << pattern;
    }
    set.inputs = {"SP_IDX 4"};
    set.output = "C:\\DATA\\SP&&%%.TXT";
    EXPECT_EQ(output_name_for(set, monday, state_.tables), set.output);
    EXPECT_EQ(messages(), "WARNING-no CLC input file specified\nfor output file C:\\DATA\\SP&&%%.TXT?\n\n");
}

TEST_F(Broadcast, ARolledOverCommodityIsNoticedOnceAndItsOutputsRebuilt) {
    build_file("\\QUORVANT\\OUT\\A.TXT\nW__CLC 4\n\n\\QUORVANT\\OUT\\B.TXT\nW__CLC 1\nLC_CLC 4\n");
    install_.write("OUT/A.TXT", "20201209,101.00\n");
    install_.write("OUT/B.TXT", "20201209,101.00,65.000\n");
    update("DB201211.CLC", "W_ 000000 101.00 1 1 104.00 1 1 1\nW_ 201211 104.00 105.00 103.00 104.50 5 6 7\n"
                           "LC 201211 65.00 66.00 64.00 65.50 5 6 7\n");
    run();
    EXPECT_EQ(state_.rebuild_state, (std::vector<int>{rebuild_outputs, rebuild_nothing}));
    EXPECT_EQ(read("OUT/B.TXT"), "20201209,101.00,65.000\n20201211,104.00,65.500\n");
    const std::string notice = "\n----------------------------- ROLLOVER -----------------------------\n\n"
                               "THE FOLLOWING 1 COMMODITIES HAVE ROLLED OVER AND WERE AUTOMATICALLY RELINKED:\n\n"
                               "W_ FUTURES" + std::string(11, ' ') +
                               "\n\n--------------------------------------------------------------------\n\n";
    EXPECT_EQ(messages().substr(messages().find("\n---")), notice);
}

TEST_F(Broadcast, FiveHundredWaitingFilesAreNotBroadcast) {
    build_file("\\QUORVANT\\OUT\\A.TXT\nW__CLC 4\n");
    install_.write("OUT/A.TXT", "20201209,101.00\n");
    for (int i = 0; i < 500; ++i) install_.write("UPDATES/" + format("DB%06d.CLC", 200000 + i), "DU\n");
    run();
    EXPECT_EQ(messages(), "NOTICE - TOO MANY FILES TO PERFORM BROADCAST OPERATION,\n"
                          "PLEASE USE DATAFORGE TO BUILD YOUR FILES\n\n");
    EXPECT_TRUE(has("UPDATES/DB200499.CLC"));
    EXPECT_EQ(read("OUT/A.TXT"), "20201209,101.00\n");
}

TEST_F(Broadcast, AnOptionErrorEndsTheBroadcastAndItsFilesWait) {
    install_.write("BCAST.TXT", "$GOOD.BLD\n$BAD.BLD\n");
    install_.write("AUTO/$GOOD.BLD", "\\QUORVANT\\OUT\\A.TXT\nW__CLC 4\n");
    install_.write("AUTO/$BAD.BLD", "#BOGUSOPTION=1\n\\QUORVANT\\OUT\\B.TXT\nW__CLC 4\n");
    install_.write("OUT/A.TXT", "20201209,101.00\n");
    update("DB201211.CLC", "W_ 201211 1 1 1 102.00 1 1 1\n");
    update("DB201214.CLC", "W_ 201214 1 1 1 103.00 1 1 1\n");
    run();
    EXPECT_EQ(read("OUT/A.TXT"), "20201209,101.00\n20201211,102.00\n");
    EXPECT_TRUE(has("UPDATES/DB201211.CLC"));
    EXPECT_TRUE(has("UPDATES/DB201214.CLC"));
    EXPECT_NE(messages().find("ERROR-THE FOLLOWING OPTION LINE IS UNRECOGNIZED?:\n#BOGUSOPTION=1\n"), std::string::npos);
    EXPECT_EQ(messages().find("BROADCASTED O.K."), std::string::npos);
}

TEST_F(Broadcast, EachBuildFileStartsFromTheBuildMapSettings) {
    install_.write("BCAST.TXT", "FIRST.BLD\n$SECOND\n");
    install_.write("AUTO/FIRST.BLD", "#COLSEPARATORCHARACTER=S\n\\QUORVANT\\OUT\\S.TXT\nW__CLC 4\n");
    install_.write("AUTO/$SECOND", "\\QUORVANT\\OUT\\C.TXT\nW__CLC 4\n");
    install_.write("OUT/S.TXT", "20201209 101.00\n");
    install_.write("OUT/C.TXT", "20201209,101.00\n");
    update("DB201211.CLC", "W_ 201211 1 1 1 102.00 1 1 1\n");
    run();
    EXPECT_EQ(read("OUT/S.TXT"), "20201209 101.00\n20201211 102.00\n");
    EXPECT_EQ(read("OUT/C.TXT"), "20201209,101.00\n20201211,102.00\n");
    EXPECT_NE(messages().find("DB201211.CLC BROADCASTED O.K."), std::string::npos);
}

TEST_F(Broadcast, OutputsThatCannotBeServedAreReported) {
    build_file("\\QUORVANT\\OUT\\GONE.TXT\nW__CLC 4\n\n\\QUORVANT\\OUT\\LONG.TXT\nW__CLC 4\n");
    install_.write("OUT/LONG.TXT", "20201209," + std::string(5000, '1') + "\n");
    update("DB201211.CLC", "W_ 201211 1 1 1 102.00 1 1 1\n");
    run();
    EXPECT_NE(messages().find("ERROR- can't find file \\QUORVANT\\OUT\\GONE.TXT\n"
                              "Probably rolled over and should be rebuilt.\n"),
              std::string::npos);
    EXPECT_NE(messages().find("ERROR-Cannot 'Broadcast' files if more than 5000 char/line\n"), std::string::npos);
    EXPECT_EQ(messages().find("BROADCASTED O.K."), std::string::npos);
    EXPECT_TRUE(has("UPDATES/D_201211.CLC"));
}

}  // namespace
}  // namespace qv
