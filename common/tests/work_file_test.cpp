#include "common/work_file.h"

#include "common/environment.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qv {
namespace {

TEST(WorkFile, CommitReplacesTheTarget) {
    for (const char* fsync : {"0", "1"}) {
        testing::TempInstall install;
        set_env("QUORVANT_FSYNC", fsync);
        install.write("CLC/W__CLC.QVT", "old content");
        {
            WorkFile work("\\QUORVANT\\CLC\\TEMP_CLC.QVT", "\\QUORVANT\\CLC\\w__clc.qvt");
            ASSERT_TRUE(work.is_open());
            std::fputs("new", work.file());
            // Until the commit the old file is whole.
            EXPECT_EQ(install.read("CLC/W__CLC.QVT"), "old content");
            EXPECT_TRUE(work.commit());
            EXPECT_FALSE(work.commit());
        }
        unset_env("QUORVANT_FSYNC");
        EXPECT_EQ(install.read("CLC/W__CLC.QVT"), "new");
        EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP_CLC.QVT")));
        EXPECT_FALSE(std::filesystem::exists(install.path("CLC/w__clc.qvt")));
    }
}

TEST(WorkFile, CreatesAMissingTarget) {
    testing::TempInstall install;
    WorkFile work("\\QUORVANT\\TEMP0001.QVT", "\\QUORVANT\\QUORUP.INI");
    std::fputs("[x]\n", work.file());
    ASSERT_TRUE(work.commit());
    EXPECT_EQ(install.read("QUORUP.INI"), "[x]\n");
}

TEST(WorkFile, AbandonedOrFailedWorkLeavesTheTargetAlone) {
    testing::TempInstall install;
    install.write("COT/BP_COT.QVT", "old");
    {
        WorkFile work("\\QUORVANT\\COT\\TEMP_COT.QVT", "\\QUORVANT\\COT\\BP_COT.QVT");
        std::fputs("half written", work.file());
    }  // destroyed without commit, as when an error ends the merge
    {
        WorkFile work("\\QUORVANT\\COT\\TEMP_COT.QVT", "\\QUORVANT\\COT\\BP_COT.QVT");
        std::fputs("given up", work.file());
        work.abandon();
        EXPECT_FALSE(work.commit());
    }
    {
        // The rename cannot happen: the target's folder does not exist.
        WorkFile work("\\QUORVANT\\COT\\TEMP_COT.QVT", "\\QUORVANT\\NOFOLDER\\BP_COT.QVT");
        std::fputs("nowhere to go", work.file());
        EXPECT_FALSE(work.commit());
    }
    {
        // A failed write is a failed commit, not a short file in place of the old one.
        WorkFile work("\\QUORVANT\\COT\\TEMP_COT.QVT", "\\QUORVANT\\COT\\BP_COT.QVT");
        std::fgetc(work.file());  // reading a write-only stream sets its error flag
        EXPECT_FALSE(work.commit());
    }
    EXPECT_EQ(install.read("COT/BP_COT.QVT"), "old");
    EXPECT_FALSE(std::filesystem::exists(install.path("COT/TEMP_COT.QVT")));

    WorkFile no_folder("\\QUORVANT\\NOFOLDER\\TEMP_COT.QVT", "\\QUORVANT\\NOFOLDER\\BP_COT.QVT");
    EXPECT_FALSE(no_folder.is_open());
    EXPECT_FALSE(no_folder.commit());
}

}  // namespace
}  // namespace qv
