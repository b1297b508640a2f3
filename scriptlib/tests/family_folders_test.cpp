// The folder and disk functions in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

namespace fs = std::filesystem;

TEST(FolderFunctions, MakeListRenameSizeRemove) {
    TempFolder folder;
    ScriptHost host(16384);
    ASSERT_EQ(host.run("dirmake(\"B\\deep\\er\")\n"
                       "dirmake(\"a\")\n"
                       "dirmake(\".dot\")\n"
                       "list = diritemize(\"*.*\")\n"
                       "dirrename(\"a\", \"z\")\n"
                       "dirchange(\"z\")\n"
                       "here = dirget()\n"
                       "dirchange(\"..\")\n"
                       "exists = direxist(\"b\\DEEP\")\n"
                       "errormode(@off)\n"
                       "dirremove(\"B\")\n"
                       "full = lasterror()\n"
                       "dirremove(\"z\")\n"
                       "gone = direxist(\"z\")\n"),
              0);
    EXPECT_EQ(host.var("list"), ".dot\tB\ta");
    EXPECT_EQ(host.var("here"), (fs::canonical(folder.path) / "z").string() + "/");
    EXPECT_EQ(host.var("exists"), "1");
    EXPECT_EQ(host.var("full"), "1030");
    EXPECT_EQ(host.var("gone"), "0");
}

TEST(FolderFunctions, SizeCountsSubfoldersOnRequest) {
    TempFolder folder;
    fs::create_directories(folder.path / "d/sub");
    folder.write("d/one", "12345");
    folder.write("d/sub/two", "123");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("flat = dirsize(\"d\", 0)\ndeep = dirsize(\"d\", 1)\n"), 0);
    EXPECT_EQ(host.var("flat"), "5");
    EXPECT_EQ(host.var("deep"), "8");
}

TEST(FolderFunctions, DrivesAreTheTranslatedFolders) {
    TempFolder folder;
    setenv("QUORVANT_DRIVE_Q", folder.path.c_str(), 1);
    fs::create_directory(folder.path / "Data");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("e = diskexist(\"q:\")\n"
                       "free = diskfree(\"Q\") > 0\n"
                       "logdisk(\"Q:\")\n"
                       "d = direxist(\"DATA\")\n"
                       "errormode(@off)\n"
                       "logdisk(\"1\")\n"
                       "bad = lasterror()\n"),
              0);
    unsetenv("QUORVANT_DRIVE_Q");
    EXPECT_EQ(host.var("e"), "1");
    EXPECT_EQ(host.var("free"), "1");
    EXPECT_EQ(host.var("d"), "1");
    EXPECT_EQ(host.var("bad"), "1028");
}

}  // namespace
