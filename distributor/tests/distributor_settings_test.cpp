#include "distributor/distributor_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

DistributorSettings read_text(const std::string& text) {
    TempInstall install;
    install.write("QUORUP.INI", text);
    return read_distributor_settings();
}

TEST(DistributorSettings, KeepsTheSixKeysAsTheDistributorUsesThem) {
    const DistributorSettings s = read_text(
        "UPDATE DIRECTORY = C:\\QUORVANT\\UPDATES\\\n"
        "*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****\n"
        "extended contracts = both\n"
        "ASCII PATH = c:\\data\n"
        "META PATH = C:\\META\\\r\n"
        "ASCII MASK = TTMMYYYY.TXTEXTRA\n"
        "META MASK =    TTMYY\n"
        "DATA FORMAT = 5TCYES\n"
        "EU LAST DATE = 03/15/05\n");
    EXPECT_EQ(s.extended_contracts, 'B');
    EXPECT_EQ(s.ascii_path, "C:\\DATA\\");
    EXPECT_EQ(s.meta_path, "C:\\META\\");
    EXPECT_EQ(s.ascii_mask, "TTMMYYYY.TXT");
    EXPECT_EQ(s.meta_mask, "TTMYY");
    EXPECT_EQ(s.data_format, "5TCY");
    EXPECT_EQ(s.date_style(), '5');
    EXPECT_TRUE(s.group_folders());
}

// Lines that are not settings lines of the distributor leave the settings as
// they were.
TEST(DistributorSettings, PassesOverLinesThatAreNoSettings) {
    const char* lines[] = {
        "**ASCII MASK = TTMYY",                     // the warning line's mark
        "AS=TTMYY",                                 // "=" before index 3
        "ASCII MASK                      = TTMYY",  // "=" after index 30
        "ASCII MASKS = TTMYY",                      // not the key
        " ASCII MASK = TTMYY",                      // keys are compared exactly
        "ASCII MASK TTMYY",
        "usercd ascii mask = TTMYY",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        DistributorSettings s;
        read_distributor_setting(line, s);
        EXPECT_EQ(s.ascii_mask, "");
    }
    DistributorSettings s;
    read_distributor_setting("ASC=TTMYY", s);  // nor is a three-letter key one
    read_distributor_setting("DATA FORMAT=1", s);
    EXPECT_EQ(s.data_format, "1");
}

// A line is read to 100 characters; the rest of a longer line is no line of its own.
TEST(DistributorSettings, ReadsHundredCharactersOfALine) {
    const std::string long_path = "ASCII PATH = C:\\" + std::string(120, 'A') + "META PATH = C:\\WRONG\\";
    const DistributorSettings s = read_text(long_path + "\nMETA MASK = TTMYY\n");
    EXPECT_EQ(s.ascii_path, "C:\\" + std::string(84, 'A') + "\\");
    EXPECT_EQ(s.meta_path, "");
    EXPECT_EQ(s.meta_mask, "TTMYY");

    EXPECT_EQ(read_text("META MASK = TTMYY").meta_mask, "TTMYY");  // a last line without line end counts
}

TEST(DistributorSettings, TheBackupTakesTheSettingsFilesPlace) {
    TempInstall install;
    install.write("QUORUP.BAK", "EXTENDED CONTRACTS = M\n");
    EXPECT_EQ(read_distributor_settings().extended_contracts, 'M');
    EXPECT_EQ(install.read("QUORUP.INI"), "EXTENDED CONTRACTS = M\n");
    EXPECT_FALSE(file_exists("\\QUORVANT\\QUORUP.BAK"));
}

TEST(DistributorSettings, WithoutSettingsFileOrBackupWarnsAndEnds) {
    TempInstall install;
    RecordingConsole screen;
    EXPECT_THROW(read_distributor_settings(), ProgramEnd);
    EXPECT_NE(screen.text().find("ERROR, could not open the initialization file QUORUP.INI"), std::string::npos);
    EXPECT_NE(screen.text().find("Hit a KEY to continue....."), std::string::npos);
}

}  // namespace
}  // namespace qv::distributor
