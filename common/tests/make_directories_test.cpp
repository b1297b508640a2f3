#include "common/make_directories.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

TEST(MakeDirectories, MakesEveryMissingFolderButNotTheFile) {
    TempInstall install;
    install.write("OUT/readme", "x");
    RecordingConsole screen;
    EXPECT_EQ(make_directories("\\QUORVANT\\OUT\\ASCII\\W_\\W_H05.TXT", distributor_profile), 0);
    EXPECT_TRUE(std::filesystem::is_directory(install.path("OUT/ASCII/W_")));
    EXPECT_FALSE(std::filesystem::exists(install.path("OUT/ASCII/W_/W_H05.TXT")));
    EXPECT_EQ(screen.text(), "");
}

// A drive letter is no folder of its own: the folders under it are made.
TEST(MakeDirectories, MakesFoldersOnADrive) {
    TempInstall install;
    setenv("QUORVANT_DRIVE_D", install.root().c_str(), 1);
    RecordingConsole screen;
    const int result = make_directories("D:\\DATA\\META\\W_H05", distributor_profile);
    unsetenv("QUORVANT_DRIVE_D");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(std::filesystem::is_directory(install.path("DATA/META")));
    EXPECT_FALSE(std::filesystem::exists(install.path("DATA/META/W_H05")));
}

TEST(MakeDirectories, RefusesPathsItCannotMake) {
    TempInstall install;
    install.write("BLOCKED", "a file where a folder should be");
    const struct Case {
        const char* path;
        const char* message;
    } cases[] = {
        {"\\QUORVANT\\OUT\\", "ERROR-OUTPUT FILE NAME NOT SPECIFIED."},
        {"\\W_H05.TXT", "OUTPUT FILE NAME CONFLICT, CHECK FOR READ ONLY"},
        {"W_H05.TXT", "OUTPUT FILE NAME CONFLICT, CHECK FOR READ ONLY"},
        {"\\QUORVANT\\BLOCKED\\W_\\W_H05.TXT", "ERROR- COULD NOT CREATE THE DIRECTORY: \\QUORVANT\\BLOCKED"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        RecordingConsole screen;
        EXPECT_EQ(make_directories(c.path, distributor_profile), 1);
        EXPECT_NE(screen.text().find(c.message), std::string::npos) << screen.text();
    }
    EXPECT_FALSE(std::filesystem::exists(install.path("OUT")));
}

}  // namespace
}  // namespace qv
