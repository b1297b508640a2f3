#include "updater/start_up.h"

#include <gtest/gtest.h>

#include <string>

#include "common/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::updater {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

TEST(UpdaterStartUp, DrawsItsScreenAndLoadsTablesAndHolidays) {
    SampleInstall install;
    RecordingConsole screen;
    const StartUp loaded = start_up();
    EXPECT_EQ(screen.transcript(), "{hide cursor}{high intensity}{background 9}{clear screen}{go to 24,2}QUORVANT COMMODITY DATA SERVICES"
              "{go to 16,3}QUORUP PROGRAM, VERSION 5.5");
    EXPECT_EQ(loaded.commodities.size(), 76u);
    EXPECT_EQ(loaded.holidays.size(), 512u);
}

// The updater needs at least 69 commodities: a table of 68 ends it at once.
TEST(UpdaterStartUp, EndsOnATableItCannotUse) {
    SampleInstall install;
    std::string tables = install.read("TABLES.INI");
    tables.replace(tables.find("[numcom] = 76"), 13, "[numcom] = 68");
    install.write("TABLES.INI", tables);
    RecordingConsole screen;
    EXPECT_THROW(start_up(), ProgramEnd);
    EXPECT_NE(screen.text().find("SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE"), std::string::npos);
}

}  // namespace
}  // namespace qv::updater
