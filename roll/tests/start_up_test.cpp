#include "roll/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::roll {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(RollStartUp, DrawsItsScreenAndLoadsTablesAndHolidays) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_EQ(screen.transcript(), "{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}QUORVANT COMMODITY DATA SERVICES"
              "{go to 16,3}ROLL PROGRAM, VERSION 2.9");
    EXPECT_EQ(loaded.commodities.size(), 76u);
    EXPECT_EQ(loaded.holidays.size(), 512u);
}

TEST(RollStartUp, EndsWithoutTheHolidayFile) {
    SampleInstall install;
    std::filesystem::remove(install.path("HOLIDAYS.QVT"));
    RecordingConsole screen;
    EXPECT_THROW(start_up(), ProgramEnd);
    EXPECT_NE(screen.text().find("ERROR, could not open the holiday file HOLIDAYS.QVT"), std::string::npos);
}

}  // namespace
}  // namespace qv::roll
