#include "clcconv/start_up.h"

#include <gtest/gtest.h>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::clcconv {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(ClcconvStartUp, LoadsTheTablesWithoutAScreen) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_TRUE(screen.events().empty());
    ASSERT_EQ(loaded.commodities.size(), 76u);
    EXPECT_EQ(loaded.commodities.find("W_")->cycle, "HKNUZ");
}

}  // namespace
}  // namespace qv::clcconv
