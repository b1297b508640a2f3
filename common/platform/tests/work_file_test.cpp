#include "common/platform/work_file.h"

#include "common/platform/environment.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

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

// A program killed at any moment leaves the old or the new file whole: a child
// rewrites the file generation after generation, each generation one letter
// repeated, and is killed at a different moment each round.
TEST(WorkFile, KilledWriterLeavesAWholeFile) {
    testing::TempInstall install;
    constexpr std::size_t size = 256 * 1024;
    install.write("CLC/SP_CLC.QVT", std::string(size, 'a'));
    for (int round = 0; round < 8; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int generation = 0;; ++generation) {
                WorkFile work("\\QUORVANT\\CLC\\TEMP_CLC.QVT", "\\QUORVANT\\CLC\\SP_CLC.QVT");
                const std::string content(size, static_cast<char>('b' + generation % 24));
                for (std::size_t done = 0; done < size; done += 4096) std::fwrite(content.data() + done, 1, 4096, work.file());
                work.commit();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + round * 7));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string content = install.read("CLC/SP_CLC.QVT");
        ASSERT_EQ(content.size(), size) << "round " << round;
        EXPECT_EQ(content.find_first_not_of(content[0]), std::string::npos) << "round " << round;
    }
}

// A job replacing many files reuses one work file: each target gets its new
// content whole, the old content waits under the work file's name to be
// written over (a shorter content cuts it), and the job's end removes it.
TEST(WorkFile, ReusedWorkFileServesManyReplacements) {
    testing::TempInstall install;
    install.write("CLC/W__CLC.QVT", "wheat, a long old history");
    install.write("CLC/C__CLC.QVT", "corn, old");
    {
        const WorkFileRemoval removal("\\QUORVANT\\CLC\\TEMP_CLC.QVT");
        {
            WorkFile work("\\QUORVANT\\CLC\\TEMP_CLC.QVT", "\\QUORVANT\\CLC\\W__CLC.QVT", WorkFileMode::reuse);
            ASSERT_TRUE(work.is_open());
            std::fputs("wheat, new", work.file());
            ASSERT_TRUE(work.commit());
        }
        EXPECT_EQ(install.read("CLC/W__CLC.QVT"), "wheat, new");
        EXPECT_EQ(install.read("CLC/TEMP_CLC.QVT"), "wheat, a long old history");
        {
            WorkFile work("\\QUORVANT\\CLC\\TEMP_CLC.QVT", "\\QUORVANT\\CLC\\C__CLC.QVT", WorkFileMode::reuse);
            std::fputs("corn, new", work.file());
            // Until the commit the old file is whole.
            EXPECT_EQ(install.read("CLC/C__CLC.QVT"), "corn, old");
            ASSERT_TRUE(work.commit());
        }
        EXPECT_EQ(install.read("CLC/C__CLC.QVT"), "corn, new");
        EXPECT_EQ(install.read("CLC/TEMP_CLC.QVT"), "corn, old");
        {
            // A target that does not exist yet is created.
            WorkFile work("\\QUORVANT\\CLC\\TEMP_CLC.QVT", "\\QUORVANT\\CLC\\SB_CLC.QVT", WorkFileMode::reuse);
            std::fputs("sugar", work.file());
            ASSERT_TRUE(work.commit());
        }
        EXPECT_EQ(install.read("CLC/SB_CLC.QVT"), "sugar");
        {
            WorkFile abandoned("\\QUORVANT\\CLC\\TEMP_CLC.QVT", "\\QUORVANT\\CLC\\W__CLC.QVT", WorkFileMode::reuse);
            std::fputs("never", abandoned.file());
        }
        EXPECT_EQ(install.read("CLC/W__CLC.QVT"), "wheat, new");
    }
    EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP_CLC.QVT")));
}

}  // namespace
}  // namespace qv
