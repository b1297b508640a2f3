#include "request/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::request {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

// The request preparation shows nothing unless it fails.
TEST(RequestStartUp, LoadsTheTablesSilently) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_TRUE(screen.events().empty());
    EXPECT_EQ(loaded.commodities.size(), 76u);
    EXPECT_TRUE(loaded.holidays.empty());
}

TEST(RequestStartUp, EndsWithoutTheTables) {
    SampleInstall install;
    std::filesystem::remove(install.path("TABLES.INI"));
    RecordingConsole screen;
    EXPECT_THROW(start_up(), ProgramEnd);
    EXPECT_NE(screen.text().find("ERROR -  FILE \" TABLES.INI\" MISSING FROM \\QUORVANT FOLDER."), std::string::npos);
}

}  // namespace
}  // namespace qv::request
