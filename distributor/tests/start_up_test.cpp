#include "distributor/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(DistributorStartUp, DrawsItsScreenAndLoadsTablesAndHolidays) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_EQ(screen.transcript(), "{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}QUORVANT COMMODITY DATA SERVICES"
              "{go to 16,3}DFANOUT PROGRAM, VERSION 3.0");
    ASSERT_EQ(loaded.commodities.size(), 76u);
    EXPECT_EQ(loaded.holidays.size(), 512u);
    // The distributor alone reads the decimal table: JY's prices are scaled by 100.
    EXPECT_EQ(loaded.commodities.find("JY")->decimal, 100.0);
    EXPECT_EQ(loaded.commodities.find("BP")->group_index, 7);
}

// A missing holiday file is only a warning to the distributor.
TEST(DistributorStartUp, GoesOnWithoutHolidays) {
    SampleInstall install;
    std::filesystem::remove(install.path("HOLIDAYS.QVT"));
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_TRUE(loaded.holidays.empty());
    EXPECT_NE(screen.text().find("WARNING, could not open the holiday file HOLIDAYS.QVT"), std::string::npos);
}

}  // namespace
}  // namespace qv::distributor
