#include "updater/run.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

// A run of the updater on a sample installation, with the merges and the
// batch file recorded instead of done.
class UpdaterRun : public ::testing::Test {
protected:
    explicit UpdaterRun(std::string_view today = "2020-12-08") : install_(today) {}

    void add(std::string_view name, std::string_view content = "x\n") { install_.write("UPDATES/" + std::string(name), content); }
    bool has(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }
    std::string messages() const { return install_.read("QUORUP.MSG"); }

    // Runs with merges that only record the files (failing those in `fail`).
    void run() {
        run_updater([this](std::string_view batch) { batches_.push_back(std::string(batch)); },
                    [this](UpdaterState&, DatabaseKind, std::string_view name) {
                        merged_.push_back(std::string(name));
                        return fail_.count(std::string(name)) ? -1 : 0;
                    });
    }
    void run_with_real_merges() {
        run_updater([this](std::string_view batch) { batches_.push_back(std::string(batch)); });
    }

    SampleInstall install_;
    RecordingConsole screen_;
    std::vector<std::string> merged_;
    std::map<std::string, int> fail_;
    std::vector<std::string> batches_;
};

const std::string header_of_8_december = "QUORUP.MSG FILE        DATE:12/8/2020\n\n\n";

TEST_F(UpdaterRun, DrawsItsScreensAndHandsOverToTheBatchFile) {
    add("DU201207.CLC");
    run();
    const std::string transcript = screen_.transcript();
    EXPECT_EQ(transcript.find("{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}"
                              "QUORVANT COMMODITY DATA SERVICES{go to 16,3}QUORUP PROGRAM, VERSION 5.5"),
              0u);
    EXPECT_NE(transcript.find("{go to 32,8}---WORKING ON---{go to 26,11}Database Being Updated:"
                              "{go to 17,14}Date Being Processed:              Item:"),
              std::string::npos);
    EXPECT_NE(transcript.find("{go to 49,11}     {go to 50,11}CLC{go to 38,14}           {go to 38,14} 12/07/2020"),
              std::string::npos);
    EXPECT_NE(transcript.find("{high intensity}{background 9}{clear screen}\n\n\n\n\n\n\n\n\n\n\n\n"
                              "                    H A V E  A  P R O F I T A B L E  D A Y !"),
              std::string::npos);
    EXPECT_EQ(batches_, std::vector<std::string>{"\\QUORVANT\\TEMPZIP.BAT"});
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\n");
}

// The updater needs at least 69 commodities: a table of 68 ends it at once.
TEST_F(UpdaterRun, EndsOnATableItCannotUse) {
    std::string tables = install_.read("TABLES.INI");
    tables.replace(tables.find("[numcom] = 76"), 13, "[numcom] = 68");
    install_.write("TABLES.INI", tables);
    EXPECT_THROW(run(), ProgramEnd);
    EXPECT_NE(screen_.text().find("SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE"), std::string::npos);
    EXPECT_TRUE(batches_.empty());
}

TEST_F(UpdaterRun, MergesKindByKindOldestFirstAndRenamesTheMergedFiles) {
    for (const char* name : {"DU201207.CLC", "DU201206.CLC", "MU201201.CLC", "DU201130.COT", "DU201207.IDX",
                             "YU201203.CLC", "EU201207.CLC", "EX201207.CLC", "XU201101.CLC"})
        add(name);
    run();
    EXPECT_EQ(merged_, (std::vector<std::string>{"DU201207.IDX", "MU201201.CLC", "YU201203.CLC", "DU201206.CLC",
                                                 "DU201207.CLC", "DU201130.COT"}));
    for (const char* name : {"D_201207.CLC", "D_201206.CLC", "M_201201.CLC", "D_201130.COT", "D_201207.IDX",
                             "Y_201203.CLC", "EU201207.CLC", "EX201207.CLC", "XU201101.CLC"})
        EXPECT_TRUE(has("UPDATES/" + std::string(name))) << name;
    EXPECT_EQ(messages(), header_of_8_december +
                              "DU201207.IDX MERGED O.K.\nMU201201.CLC MERGED O.K.\nYU201203.CLC MERGED O.K.\n"
                              "DU201206.CLC MERGED O.K.\nDU201207.CLC MERGED O.K.\nDU201130.COT MERGED O.K.\n");
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\n\\QUORVANT\\DFANOUT.EXE\n\\QUORVANT\\BULSHOW.EXE\n");
}

TEST_F(UpdaterRun, AFailureStopsAllMergingAndKeepsTheFileForTheNextRun) {
    for (const char* name : {"DU201207.CLC", "DU201204.CLC", "DU201203.CLC", "DU201130.COT"}) add(name);
    fail_["DU201204.CLC"] = 1;
    run();
    EXPECT_EQ(merged_, (std::vector<std::string>{"DU201203.CLC", "DU201204.CLC"}));
    for (const char* name : {"D_201203.CLC", "DU201204.CLC", "DU201207.CLC", "DU201130.COT"})
        EXPECT_TRUE(has("UPDATES/" + std::string(name))) << name;
    EXPECT_EQ(messages(), header_of_8_december + "DU201203.CLC MERGED O.K.\nDU201204.CLC ******  MERGE PROBLEM  ******\n");
    EXPECT_EQ(batches_.size(), 1u);  // the bulletins, the farewell and the batch file still follow
}

TEST_F(UpdaterRun, MergedClcAndIdxFilesWaitForTheBroadcastWhenItIsReady) {
    install_.write("BCAST.TXT", "DAILY.BLD\nMISSING.BLD\n");
    install_.write("AUTO/DAILY.BLD", "#OUTPUTFORMAT=A\nC:\\OUT\\CORN.TXT\nC__CLC 4\n");
    for (const char* name : {"DU201207.CLC", "DU201207.IDX", "DU201204.COT"}) add(name);
    run();
    // They waited as DB201207.CLC and DB201207.IDX and were then broadcast.
    for (const char* name : {"D_201207.CLC", "D_201207.IDX", "D_201204.COT"})
        EXPECT_TRUE(has("UPDATES/" + std::string(name))) << name;
    EXPECT_EQ(install_.read("AUTOBLDX.TMP"), "\nDAILY.BLD\n#OUTPUTFORMAT=A\nC:\\OUT\\CORN.TXT\nC__CLC 4\n");
    // The bypassed build file is reported before this run's header is put in
    // front of the message file, so it comes right after the header; the
    // broadcast's messages follow the merge's.
    EXPECT_EQ(messages().substr(0, messages().find("\nBROADCASTING UPDATES")), header_of_8_december +
                              "ERROR-COULDN'T OPEN FILE \\QUORVANT\\AUTO\\MISSING.BLD,\n"
                              "BROADCASTING WITH THIS FILE BYPASSED\n\n"
                              "DU201207.IDX MERGED O.K.\nDU201207.CLC MERGED O.K.\nDU201204.COT MERGED O.K.\n");
}

TEST_F(UpdaterRun, WithoutUpdateFilesItSaysSoAndStillShowsBulletinsAndRunsTheBatchFile) {
    install_.write("QUORUP.MSG", "EARLIER MESSAGES\n");
    install_.write("BULLETIN/BU201204.CLC", "A NOTICE\n");
    run();
    EXPECT_EQ(messages(), header_of_8_december + "EARLIER MESSAGES\n" +
                              "YOUR \\QUORVANT\\UPDATES DIRECTORY DOES NOT CONTAIN\nANY UPDATE FILES TO BE MERGED??\n\n"
                              "\nA NOTICE\n");
    EXPECT_TRUE(has("BULLETIN/B_201204.CLC"));
    EXPECT_EQ(screen_.transcript().find("---WORKING ON---"), std::string::npos);
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\n");
    EXPECT_EQ(batches_.size(), 1u);
}

TEST_F(UpdaterRun, WithOnlyDistributorFilesItGoesStraightToTheBatchFile) {
    add("EX201207.CLC");
    add("EU201207.CLC");
    install_.write("BULLETIN/BU201204.CLC", "A NOTICE\n");
    run();
    EXPECT_TRUE(merged_.empty());
    EXPECT_EQ(screen_.transcript().find("---WORKING ON---"), std::string::npos);
    EXPECT_EQ(screen_.transcript().find("P R O F I T A B L E"), std::string::npos);
    EXPECT_TRUE(has("BULLETIN/BU201204.CLC"));
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\n\\QUORVANT\\DFANOUT.EXE\n\\QUORVANT\\BULSHOW.EXE\n");
    EXPECT_EQ(batches_.size(), 1u);
}

TEST_F(UpdaterRun, TidiesTheInstallAndUpdateFolders) {
    std::filesystem::remove_all(install_.path("BULLETIN"));  // made again
    install_.write("$ROLL.TMP", "a rebuild list being written");
    install_.write("TEMPZIP.BAT", "old");
    install_.write("UPDT1ZIP.EXE", "archive");
    add("DB201201.CLC");
    add("D_201127.CLC");  // 11 days before 8 December
    add("D_201128.CLC");  // 10 days
    add("D_NODATE.CLC");
    add("DU201130.COT", "");  // empty
    add("EU201130.CLC", "");
    add("MU201130.COT", "");  // empty, but not a D or E file: merged
    add("EX201207.TXT");
    add("EX201206.CLC", "older");
    add("EX201206.ASC", "newer");
    add("DUPDATE.CLC", "\n\nDU201207.CLC\nBP 201207 1 1 1 1 1 1 1\n");
    add("mu201203.clc", "MU201203.CLC\n");
    add("XYZ.CLC", "DU201208.CLC\n");
    add("QU.TXT", "\n../../ESCAPE.CLC\n");
    run();
    for (const char* gone : {"$ROLL.TMP", "UPDT1ZIP.EXE", "UPDATES/DB201201.CLC", "UPDATES/D_201127.CLC",
                             "UPDATES/DU201130.COT", "UPDATES/EU201130.CLC", "UPDATES/EX201207.TXT",
                             "UPDATES/DUPDATE.CLC", "UPDATES/EX201206.ASC"})
        EXPECT_FALSE(has(gone)) << gone;
    for (const char* kept : {"UPDATES/D_201128.CLC", "UPDATES/D_NODATE.CLC", "UPDATES/M_201130.COT",
                             "UPDATES/EX201207.CLC", "UPDATES/D_201207.CLC", "UPDATES/M_201203.CLC",
                             "UPDATES/D_201201.CLC",  // a stopped broadcast's file, with nothing to serve
                             "UPDATES/XYZ.CLC", "UPDATES/QU.TXT", "BULLETIN"})
        EXPECT_TRUE(has(kept)) << kept;
    EXPECT_EQ(install_.read("UPDATES/EX201206.CLC"), "newer");
    EXPECT_EQ(merged_, (std::vector<std::string>{"MU201203.CLC", "DU201207.CLC", "MU201130.COT"}));
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\n");
}

// A rebuild list that a stopped or failed build left behind is built again by
// the next run, even one with nothing to merge.
TEST_F(UpdaterRun, KeepsARebuildListThatWasNotBuilt) {
    install_.write("$ROLL", "C:\\OUT\\OLD.TXT\nW__CLC 1\n");
    run();
    EXPECT_EQ(install_.read("$ROLL"), "C:\\OUT\\OLD.TXT\nW__CLC 1\n");
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\nCALL DFORGE $ROLL\n");
}

// A bulletin folder whose name holds a blank is made as one folder; it is
// not split into words that make stray folders in the working directory.
TEST_F(UpdaterRun, MakesAFolderWithABlankInItsName) {
    std::string settings = install_.read("QUORUP.INI");
    const std::string old_line = "BULLETIN DIRECTORY = C:\\QUORVANT\\BULLETIN\\";
    ASSERT_NE(settings.find(old_line), std::string::npos);
    settings.replace(settings.find(old_line), old_line.size(), "BULLETIN DIRECTORY = C:\\QUORVANT\\MY BULLETINS\\");
    install_.write("QUORUP.INI", settings);
    run();
    EXPECT_TRUE(std::filesystem::is_directory(install_.path("MY BULLETINS")));
    EXPECT_FALSE(has("MY"));
    EXPECT_FALSE(has("BULLETINS"));
}

// An install folder that takes no writing (here QUORUP.TMP cannot be made,
// as in a read-only folder): the updater names the folder, says that nothing
// was merged, and merges nothing.
TEST_F(UpdaterRun, WithoutItsMessageWorkFileItMergesNothing) {
    add("DU201207.CLC");
    std::filesystem::create_directories(install_.path("QUORUP.TMP"));
    EXPECT_THROW(run(), ProgramEnd);
    const std::string text = screen_.text();
    EXPECT_NE(text.find("WARNING:UNABLE TO OPEN QUORUP.TMP FILE IN " + install_.root().string()), std::string::npos)
        << text;
    EXPECT_NE(text.find("NOTHING WAS MERGED."), std::string::npos) << text;
    EXPECT_TRUE(merged_.empty());
    EXPECT_TRUE(batches_.empty());
    EXPECT_TRUE(has("UPDATES/DU201207.CLC"));
}

class UpdaterRunFirstDecember : public UpdaterRun {
protected:
    UpdaterRunFirstDecember() : UpdaterRun("2020-12-01") {}
};

TEST_F(UpdaterRunFirstDecember, DeletesProcessedFilesMoreThanTenDaysOld) {
    add("D_201120.CLC");
    add("D_201121.CLC");
    add("D_201215.CLC");  // dated after today
    run();
    EXPECT_FALSE(has("UPDATES/D_201120.CLC"));
    EXPECT_TRUE(has("UPDATES/D_201121.CLC"));
    EXPECT_TRUE(has("UPDATES/D_201215.CLC"));
}

// Real merges: the sample's corn file gets Monday's update.
TEST_F(UpdaterRun, MergesIntoTheDatabaseAndReportsProblems) {
    using testing::clc_bytes;
    using testing::record;
    const DayNumber friday = testing::day(2020, 12, 4);
    install_.write("CLC/C__CLC.QVT", clc_bytes("C_", 2, 3, {record(friday - 1, 42000), record(friday, 42100)}));
    const std::string soybeans = clc_bytes("S_", 2, 3, {record(friday, 115000)});
    install_.write("CLC/S__CLC.QVT", soybeans);
    add("DU201207.CLC", "DU201207.CLC\nC_ 201207 421.50 425.00 420.25 424.75 1000 2000 3000\n");
    add("DU201208.CLC", "DU201208.CLC\nS_ 201208 1 2 3\n");
    run_with_real_merges();
    EXPECT_EQ(install_.read("CLC/C__CLC.QVT"),
              clc_bytes("C_", 2, 3,
                        {record(friday - 1, 42000), record(friday, 42100, 1000, 200, 3000),
                         ClcRecord{testing::day(2020, 12, 7), 42150, 42500, 42025, 42475, 1000, 2000, 3000}}));
    EXPECT_EQ(install_.read("CLC/S__CLC.QVT"), soybeans);
    EXPECT_TRUE(has("UPDATES/D_201207.CLC"));
    EXPECT_TRUE(has("UPDATES/DU201208.CLC"));
    EXPECT_EQ(messages(), header_of_8_december +
                              "DU201207.CLC MERGED O.K.\n"
                              " CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/8/2020\n\n"
                              "DU201208.CLC ******  MERGE PROBLEM  ******\n");
}

}  // namespace
}  // namespace qv::updater
