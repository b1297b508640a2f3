#include "common/real_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/temp_install.h"

namespace qv {
namespace {

TEST(RealPaths, TheInstallationPathsAMessageNames) {
    struct Case {
        const char* message;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"FILE \" TABLES.INI\" MISSING FROM \\QUORVANT FOLDER.", {"\\QUORVANT"}},
        {"ERROR-CANNOT OPEN FILE C:\\QUORVANT\\META\\SP\\ FOR WRITING,@PLEASE CHECK", {"C:\\QUORVANT\\META\\SP\\"}},
        {"UNABLE TO OPEN THE INPUT FILE:@\\QUORVANT\\UPDATES\\DU201207.CLC, UPDATE ABORTED.",
         {"\\QUORVANT\\UPDATES\\DU201207.CLC"}},
        {"YOUR \\QUORVANT\\UPDATES DIRECTORY DOES NOT CONTAIN@ANY UPDATE FILES TO BE MERGED??",
         {"\\QUORVANT\\UPDATES"}},
        {"ERROR - INVALID SCRIPT FILE = GOLD", {}},
        {"PRICE 1/2 OF GC:H AND A\\B", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(installation_paths(c.message), c.paths) << c.message;
}

TEST(RealPaths, TheAddedLineGivesTheFolderOfTheInstallation) {
    testing::TempInstall install;
    EXPECT_EQ(real_paths_line("FILE \" TABLES.INI\" MISSING FROM \\QUORVANT FOLDER."),
              "(\\QUORVANT is " + install.root().string() + ")");
    EXPECT_EQ(real_paths_line("CANNOT FIND \\QUORVANT\\META\\SP\\"),
              "(\\QUORVANT\\META\\SP\\ is " + (install.root() / "META/SP").string() + "/)");
    EXPECT_EQ(real_paths_line("NO PATH HERE"), "");
}

}  // namespace
}  // namespace qv
