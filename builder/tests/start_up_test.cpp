#include "builder/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(BuilderStartUp, DrawsItsWorkingScreenAndLoadsTablesAndHolidays) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up("$GRAINS.BLD");
    EXPECT_EQ(screen.transcript(),
              "{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}QUORVANT COMMODITY DATA SERVICES"
              "{go to 16,3}DFORGE PROGRAM, VERSION 10.0"
              "{go to 32,8}---WORKING ON---{go to 17,11}File Being Built:{go to 17,14}Location Of File:"
              "{go to 17,17}Format of Data:          {go to 17,20}Year Processed:              ");
    EXPECT_EQ(loaded.commodities.size(), 76u);
    EXPECT_EQ(loaded.holidays.size(), 512u);
}

TEST(BuilderStartUp, NotesARelinkForTheRollList) {
    for (const char* name : {"$ROLL", "$roll", "\\QUORVANT\\$Roll"}) {
        SCOPED_TRACE(name);
        SampleInstall install;
        RecordingConsole screen;
        start_up(name);
        EXPECT_NE(screen.transcript().find("{go to 1,25}NOTE:    has rolled over and is being relinked"), std::string::npos);
    }
}

// The builder reads \QUORVANT\HOLIDAYS.QVT, not the working directory's.
TEST(BuilderStartUp, ReadsTheHolidaysOfTheInstallFolder) {
    SampleInstall install;
    std::filesystem::create_directory(install.path("WORK"));
    std::filesystem::current_path(install.path("WORK"));
    RecordingConsole screen;
    EXPECT_EQ(start_up("$GRAINS.BLD").holidays.size(), 512u);
}

}  // namespace
}  // namespace qv::builder
