#include "distributor/last_eu_date.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

TEST(LastEuDate, LineWritesMonthAndDayWithoutLeadingZerosAndTwoDigitYears) {
    EXPECT_EQ(eu_last_date_line(date_to_lotus(2005, 3, 15)), "EU LAST DATE = 3/15/05\n");
    EXPECT_EQ(eu_last_date_line(date_to_lotus(1999, 12, 31)), "EU LAST DATE = 12/31/99\n");
    EXPECT_EQ(eu_last_date_line(date_to_lotus(2000, 1, 5)), "EU LAST DATE = 1/5/00\n");
    EXPECT_EQ(eu_last_date_line(date_to_lotus(2020, 12, 7)), "EU LAST DATE = 12/7/20\n");
}

TEST(LastEuDate, ReplacesTheFirstEuLineAndKeepsEveryOtherLine) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"USER ID = A\neu last date = 01/02/05\nEU LAST DATE = 01/01/05\nusercd = MixedCase\n",
         "USER ID = A\nEU LAST DATE = 3/15/05\nEU LAST DATE = 01/01/05\nusercd = MixedCase\n"},
        {"USER ID = A\n", "USER ID = A\nEU LAST DATE = 3/15/05\n"},
        {"USER ID = A", "USER ID = A\nEU LAST DATE = 3/15/05\n"},  // no line end before the new line
        {"", "EU LAST DATE = 3/15/05\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        TempInstall install;
        install.write("QUORUP.INI", c.before);
        EXPECT_EQ(record_last_eu_date(date_to_lotus(2005, 3, 15)), 0);
        EXPECT_EQ(install.read("QUORUP.INI"), c.after);
        EXPECT_FALSE(std::filesystem::exists(install.path("TEMP0001.QVT")));
    }
}

// With nothing written there is no day to note, and the note stays as it was.
TEST(LastEuDate, NoDayLeavesTheFileAlone) {
    TempInstall install;
    install.write("QUORUP.INI", "EU LAST DATE = 12/04/20\n");
    EXPECT_EQ(record_last_eu_date(no_date), 0);
    EXPECT_EQ(install.read("QUORUP.INI"), "EU LAST DATE = 12/04/20\n");
}

TEST(LastEuDate, FailuresWarnAndLeaveTheFileWhole) {
    {
        TempInstall install;
        RecordingConsole screen;
        EXPECT_EQ(record_last_eu_date(date_to_lotus(2005, 3, 15)), -1);
        EXPECT_NE(screen.text().find("UNABLE TO OPEN QUORUP.INI FILE TO UPDATE IT\n              ( SETUP CANCELLED.)"),
                  std::string::npos);
    }
    {
        TempInstall install;
        install.write("QUORUP.INI", "EU LAST DATE = 12/04/20\n");
        std::filesystem::create_directory(install.path("TEMP0001.QVT"));  // the work file cannot be made
        RecordingConsole screen;
        EXPECT_EQ(record_last_eu_date(date_to_lotus(2005, 3, 15)), -1);
        EXPECT_NE(screen.text().find("UNABLE TO REOPEN QUORUP.INI FILE TO UPDATE IT"), std::string::npos);
        EXPECT_EQ(install.read("QUORUP.INI"), "EU LAST DATE = 12/04/20\n");
    }
}

}  // namespace
}  // namespace qv::distributor
