#include "updater/follow_up.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

// Sets of a build file: the first holds only options, the third begins with
// an option line of its own.
constexpr std::string_view daily_build =
    "#OUTPUTFORMAT=A\n"
    "#DATEFORMAT=3\n"
    "\n"
    "C:\\OUT\\BP.TXT\n"
    "BP_CLC 1,2,3,4\n"
    "\n"
    "#SAMPLINGPERIOD=W\n"
    "C:\\OUT\\SP.TXT\n"
    "sp_clc 4\n"
    "CC_CLC 4\n"
    "\n"
    "C:\\OUT\\CC.TXT\r\n"
    "CC_CLC 4\r\n";

class FollowUp : public ::testing::Test {
protected:
    FollowUp()
        : state_(testing::updater_state(
              {testing::commodity("BP", 4, 2), testing::commodity("SP", 2, 4), testing::commodity("CC", 0, 2)})) {
        install_.write("BCAST.TXT", "DAILY.BLD\nMISSING.BLD\n$C1.ASC\n$C2.MS\n");
        install_.write("DAILY.BLD", daily_build);
        install_.write("$C1.ASC", "C:\\OUT\\CASH1.TXT\nI1_IDX 1\n");
        std::filesystem::create_directories(install_.path("UPDATES"));
    }
    bool has(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }
    std::string run() {
        run_follow_up_batch(state_, [this](std::string_view batch) { batches_.push_back(std::string(batch)); });
        return install_.read("TEMPZIP.BAT");
    }

    testing::TempInstall install_;
    UpdaterState state_;
    std::vector<std::string> batches_;
};

// Each set goes into the list as a block of its own: its output line, every
// option line the builder had applied before it (in file order), then the
// set's own lines.
TEST_F(FollowUp, TheRebuildListHoldsTheSetsOfRolledCommoditiesWithTheirOptions) {
    state_.rebuild_state = {0, 2, 0};
    write_rebuild_list(state_);
    EXPECT_EQ(install_.read("$ROLL"),
              "C:\\OUT\\SP.TXT\n#OUTPUTFORMAT=A\n#DATEFORMAT=3\n#SAMPLINGPERIOD=W\nsp_clc 4\nCC_CLC 4\n");

    state_.rebuild_state = {0, 0, 2};
    write_rebuild_list(state_);
    EXPECT_EQ(install_.read("$ROLL"),
              "C:\\OUT\\SP.TXT\n#OUTPUTFORMAT=A\n#DATEFORMAT=3\n#SAMPLINGPERIOD=W\nsp_clc 4\nCC_CLC 4\n"
              "\n"
              "C:\\OUT\\CC.TXT\n#OUTPUTFORMAT=A\n#DATEFORMAT=3\n#SAMPLINGPERIOD=W\nCC_CLC 4\n");
}

// The broadcast and DFORGE find a build file in AUTO\ too; so does the list.
// A set that begins with comments and options (no blank line before the
// output line) still starts with its output line, and the same output named
// twice takes the options before the second one.
TEST_F(FollowUp, BuildFilesInTheAutoFolderAreRelinkedToo) {
    install_.write("BCAST.TXT", "$GOLD\n");
    install_.write("AUTO/$GOLD",
                   "REM GOLD FOR METASTOCK\n#OUTPUTFORMAT=M\nC:\\META\\GC\nGC_CLC 1,2,3,4\n\n"
                   "C:\\META\\GC\n#SAMPLINGPERIOD=K\nGC_CLC 1,2,3,4\n");
    state_ = testing::updater_state({testing::commodity("GC", 2, 3)});
    state_.rebuild_state = {2};
    write_rebuild_list(state_);
    EXPECT_EQ(install_.read("$ROLL"),
              "C:\\META\\GC\n#OUTPUTFORMAT=M\nGC_CLC 1,2,3,4\n"
              "\n"
              "C:\\META\\GC\n#OUTPUTFORMAT=M\n#SAMPLINGPERIOD=K\nGC_CLC 1,2,3,4\n");
}

TEST_F(FollowUp, SeveralDaysInOneFileRebuildTheOutputsAndTheBatchFileCallsTheBuilder) {
    state_.several_days = {true, false, false};
    install_.write("UPDATES/EU201207.CLC", "x");
    EXPECT_EQ(run(), "@ECHO OFF\nCALL DFORGE $ROLL\n\\QUORVANT\\DFANOUT.EXE\n\\QUORVANT\\BULSHOW.EXE\n");
    EXPECT_EQ(install_.read("$ROLL"), "C:\\OUT\\BP.TXT\n#OUTPUTFORMAT=A\n#DATEFORMAT=3\nBP_CLC 1,2,3,4\n");
    EXPECT_EQ(batches_, std::vector<std::string>{"\\QUORVANT\\TEMPZIP.BAT"});
}

// Sets an earlier run left unbuilt come first, then this run's, each after an
// empty line; the list is written again only when it changes.
TEST_F(FollowUp, PendingSetsStayAheadOfTheNewOnes) {
    const std::string pending = "C:\\OUT\\OLD.TXT\nW__CLC 1\n";
    install_.write("$ROLL", pending);
    state_.pending_rebuild_list = state_.written_rebuild_list = pending;
    state_.several_days = {true, false, false};
    write_rebuild_list(state_);
    const std::string both = pending + "\nC:\\OUT\\BP.TXT\n#OUTPUTFORMAT=A\n#DATEFORMAT=3\nBP_CLC 1,2,3,4\n";
    EXPECT_EQ(install_.read("$ROLL"), both);
    install_.write("$ROLL", "changed behind the run's back");
    write_rebuild_list(state_);
    EXPECT_EQ(install_.read("$ROLL"), "changed behind the run's back");
    EXPECT_FALSE(has("$ROLL.TMP"));
}

// A list that cannot be written says so, and the caller keeps its update
// file pending.
TEST_F(FollowUp, AListThatCannotBeWrittenIsReported) {
    std::filesystem::create_directories(install_.path("$ROLL/IN THE WAY"));
    state_.several_days = {true, false, false};
    EXPECT_FALSE(write_rebuild_list(state_));
    EXPECT_NE(install_.read("QUORUP.MSG").find("ERROR- COULD NOT WRITE THE REBUILD LIST \\QUORVANT\\$ROLL"),
              std::string::npos);
    EXPECT_FALSE(has("$ROLL.TMP"));
}

TEST_F(FollowUp, CashIndexBuildsFollowAnIdxMergeEvenWithNoRoll) {
    install_.write("$NOROLL", "");
    state_.rebuild_state = {2, 2, 2};
    state_.idx_merged = true;
    EXPECT_EQ(run(), "@ECHO OFF\nCALL DFORGE $ROLL\n");
    EXPECT_EQ(install_.read("$ROLL"), "\nC:\\OUT\\CASH1.TXT\nI1_IDX 1\n");  // $C2.MS is missing
}

// A cash-index build goes in set by set, each set with the options before it,
// as the rebuild list's sets.
TEST_F(FollowUp, CashIndexBuildsGoInSetBySet) {
    install_.write("$C1.ASC", "#OUTPUTFORMAT=A\n\nC:\\OUT\\CASH1.TXT\n#SAMPLINGPERIOD=W\nI1_IDX 1\n\nC:\\OUT\\CASH2.TXT\nI2_IDX 1\n");
    state_.rebuild_state = {0, 2, 0};
    state_.idx_merged = true;
    EXPECT_EQ(run(), "@ECHO OFF\nCALL DFORGE $ROLL\n");
    EXPECT_EQ(install_.read("$ROLL"),
              "C:\\OUT\\SP.TXT\n#OUTPUTFORMAT=A\n#DATEFORMAT=3\n#SAMPLINGPERIOD=W\nsp_clc 4\nCC_CLC 4\n"
              "\n"
              "C:\\OUT\\CASH1.TXT\n#OUTPUTFORMAT=A\n#SAMPLINGPERIOD=W\nI1_IDX 1\n"
              "\n"
              "C:\\OUT\\CASH2.TXT\n#OUTPUTFORMAT=A\n#SAMPLINGPERIOD=W\nI2_IDX 1\n");
}

TEST_F(FollowUp, NothingToRebuild) {
    struct Case {
        const char* what;
        const char* marker;
        bool idx_merged;
    };
    for (const Case& c : {Case{"no IDX merge", nullptr, false}, Case{"$NOCASH", "$NOCASH", true}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(install_.path("TEMPZIP.BAT"));
        if (c.marker) install_.write(c.marker, "");
        state_.idx_merged = c.idx_merged;
        EXPECT_EQ(run(), "@ECHO OFF\n");
        EXPECT_FALSE(has("$ROLL"));
    }
    EXPECT_EQ(batches_.size(), 2u);
}

// A chain stopped before the favourites were copied leaves their mark: the
// batch file calls the distributor, which has no update file to carry but
// starts the favourites builder.
TEST_F(FollowUp, FavouritesLeftByAStoppedChainCallTheDistributor) {
    install_.write("FAVOR.PND", "");
    EXPECT_EQ(run(), "@ECHO OFF\n\\QUORVANT\\DFANOUT.EXE\n\\QUORVANT\\BULSHOW.EXE\n");
}

}  // namespace
}  // namespace qv::updater
