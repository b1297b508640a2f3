// The programs as a user, a shell or cron meets them: the front door, the exit
// status for schedulers, and the terminal handed back after the updater's
// hand-over to its batch file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/sample_install.h"
#include "sample/tests/program_runner.h"

namespace qv {
namespace {

using testing::folder_contents;
using testing::run_built_program;

// A sample install folder with what the updater would tidy away or rewrite:
// leftovers of an earlier run and an update waiting in the update folder.
class InstallWithWork : public ::testing::Test {
protected:
    InstallWithWork() : install_("2020-12-09") {
        install_.write("$ROLL.TMP", "$OLD\n");
        install_.write("TEMPZIP.BAT", "@ECHO OFF\n");
        install_.write("QUORUP.MSG", "EARLIER MESSAGES\n");
        install_.write("IDX/I1_IDX.QVT", "20201203 3123.45 3130.00 3110.20 3125.10\n");
    }
    void add_update(std::string_view lines) {
        install_.write("UPDATES/DU201207.IDX", "DU201207.IDX\n" + std::string(lines));
    }
    std::vector<std::string> environment() const {
        return {"QUORVANT_ROOT=" + install_.root().string(), "QUORVANT_TODAY=2020-12-09", "QUORVANT_SYNC=1"};
    }

    testing::SampleInstall install_;
};

TEST_F(InstallWithWork, EveryProgramAnswersHelpAndVersionAndTouchesNoFile) {
    add_update("I1 201207 3145.00 3150.00\n");
    const auto before = folder_contents(install_.root());
    // The suite's programs tell the environment they honour and the suite's
    // version; the export and chart programs give their own usage and version.
    const struct {
        const char* name;
        bool of_the_suite;
    } programs[] = {{"QUORUP", true},  {"DFORGE", true}, {"DFANOUT", true}, {"PREQUOR", true},
                    {"POSTQUOR", true}, {"MKPICKS", true}, {"roll", true},   {"clcconv", true},
                    {"qbatch", true},  {"BULSHOW", true}, {"CONQUIT", true}, {"qsl", true},
                    {"qvexport", false}, {"qvchart", false}};
    for (const auto& program : programs) {
        for (const char* question : {"--help", "-h", "-?", "/?"}) {
            const testing::ProgramRun run =
                run_built_program(program.name, {question}, install_.root(), environment());
            EXPECT_EQ(run.exit_code, 0) << program.name << " " << question;
            EXPECT_NE(run.output.find("Usage: "), std::string::npos) << program.name << " " << question << run.output;
            if (program.of_the_suite) {
                EXPECT_NE(run.output.find("Environment:"), std::string::npos) << program.name << " " << question;
            }
        }
        const testing::ProgramRun run = run_built_program(program.name, {"--version"}, install_.root(), environment());
        EXPECT_EQ(run.exit_code, 0) << program.name;
        EXPECT_EQ(run.output.rfind(program.name, 0), 0u) << run.output;
        if (program.of_the_suite) {
            EXPECT_NE(run.output.find("suite"), std::string::npos) << run.output;
        }
        EXPECT_EQ(run.output.back(), '\n') << program.name;
    }
    // The suite's own arguments keep their meaning: DFORGE is asked for help
    // even when the help word follows a build file name.
    EXPECT_EQ(run_built_program("DFORGE", {"$GOLD", "--help"}, install_.root(), environment()).exit_code, 0);
    EXPECT_EQ(folder_contents(install_.root()), before);
}

// A failing merge is a failed run for a scheduler that asks for the exit
// status, and still exits 0 for one that does not, as the suite always has.
// The status comes through the updater's hand-over to its batch file.
TEST_F(InstallWithWork, AFailedMergeExitsOneOnlyWhenAsked) {
    struct Case {
        const char* what;
        const char* update;
        bool asked;
        int exit_code;
        const char* message;
    };
    const Case cases[] = {
        {"failed, not asked", "I1 201307 3145.00\n", false, 0, "MERGE PROBLEM"},
        {"failed, asked", "I1 201307 3145.00\n", true, 1, "MERGE PROBLEM"},
        {"merged, asked", "I1 201207 3145.00 3150.00\n", true, 0, "MERGED O.K."},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(install_.path("UPDATES"));
        install_.write("IDX/I1_IDX.QVT", "20201203 3123.45 3130.00 3110.20 3125.10\n");
        add_update(c.update);
        std::vector<std::string> environment = this->environment();
        if (c.asked) environment.push_back("QUORVANT_EXIT_STATUS=1");
        const testing::ProgramRun run = run_built_program("QUORUP", {"/M"}, install_.root(), environment);
        EXPECT_EQ(run.exit_code, c.exit_code) << c.what << "\n" << run.output;
        EXPECT_NE(install_.read("QUORUP.MSG").find(c.message), std::string::npos) << c.what;
    }
}

TEST_F(InstallWithWork, AFatalErrorExitsOneWhenAsked) {
    std::vector<std::string> environment = this->environment();
    environment.push_back("QUORVANT_EXIT_STATUS=1");
    const testing::ProgramRun run = run_built_program("DFORGE", {"NOT-A-BUILD-FILE"}, install_.root(), environment);
    EXPECT_EQ(run.exit_code, 1) << run.output;
    // The hint names the real folder the build files are looked for in.
    EXPECT_NE(run.output.find(install_.path("AUTO").string()), std::string::npos) << run.output;
}

// The updater draws its screen, then hands its process over to qbatch, which
// runs its batch file: the terminal is reset (normal attributes, visible
// cursor) by then, although no destructor of the updater runs across the exec
// and the batch file draws nothing.
TEST_F(InstallWithWork, TheTerminalIsResetWhenTheUpdaterHandsOverToItsBatchFile) {
    add_update("I1 201207 3145.00 3150.00\n");
    const testing::ProgramRun run = testing::run_on_terminal("QUORUP", {"/M"}, install_.root(), environment());
    const std::string& screen = run.output;
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(install_.read("TEMPZIP.BAT"), "@ECHO OFF\n");
    const std::size_t farewell = screen.find("H A V E  A  P R O F I T A B L E  D A Y !");
    ASSERT_NE(farewell, std::string::npos) << screen;
    const std::size_t reset = screen.rfind("\x1b[0m\x1b[?25h");
    ASSERT_NE(reset, std::string::npos) << screen;
    EXPECT_GT(reset, farewell);
    EXPECT_GT(reset, screen.rfind("\x1b[?25l"));
    EXPECT_GT(reset, screen.rfind("\x1b[1m"));
}

}  // namespace
}  // namespace qv
