#include "favorites/start_up.h"

#include <gtest/gtest.h>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::favorites {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(FavoritesStartUp, DrawsItsScreenAndLoadsTheTablesWithGroups) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_EQ(screen.transcript(), "{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}QUORVANT COMMODITY DATA SERVICES"
              "{go to 16,3}MKPICKS PROGRAM");
    ASSERT_EQ(loaded.commodities.size(), 76u);
    EXPECT_EQ(loaded.commodities.find("GC")->group_index, 4);
    EXPECT_TRUE(loaded.holidays.empty());
}

}  // namespace
}  // namespace qv::favorites
