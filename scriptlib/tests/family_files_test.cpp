// The file functions on real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

namespace fs = std::filesystem;

TEST(FileFunctions, CopyMoveRenameDeleteWithWildcards) {
    TempFolder folder;
    folder.write("a.txt", "alpha");
    folder.write("b.txt", "beta");
    folder.write("c.dat", "gamma");
    fs::create_directory(folder.path / "OUT");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("filecopy(\"*.TXT\", \"out\\\", 0)\n"
                       "filecopy(\"c.dat\", \"OUT\\*.bak\", 0)\n"
                       "filemove(\"out\\a.txt\", \"out\\moved.txt\", 0)\n"
                       "filerename(\"b.txt\", \"renamed.txt\")\n"
                       "x = fileitemize(\"out\\*.*\")\n"
                       "filedelete(\"out\\*.txt\")\n"
                       "y = fileitemize(\"out\\*.*\")\n"),
              0);
    EXPECT_EQ(host.var("x"), "b.txt\tc.bak\tmoved.txt");
    EXPECT_EQ(host.var("y"), "c.bak");
    EXPECT_EQ(folder.read("OUT/c.bak"), "gamma");
    EXPECT_EQ(folder.read("renamed.txt"), "beta");
    EXPECT_FALSE(folder.exists("b.txt"));
    EXPECT_EQ(folder.read("a.txt"), "alpha");
}

TEST(FileFunctions, AppendCompareSizeAndTimes) {
    TempFolder folder;
    folder.write("one", "12345");
    folder.write("two", "678");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("fileappend(\"two\", \"one\")\n"
                       "size = filesize(\"one\")\n"
                       "filecopy(\"one\", \"copy\", 0)\n"
                       "same = filecompare(\"one\", \"copy\")\n"
                       "filetimeset(\"two\", \"2001:02:03:04:05:06\")\n"
                       "when = fileymdhms(\"two\")\n"
                       "newer = filecompare(\"one\", \"two\")\n"),
              0);
    EXPECT_EQ(folder.read("one"), "12345678");
    EXPECT_EQ(host.var("size"), "8");
    EXPECT_EQ(host.var("same"), "0");
    EXPECT_EQ(host.var("when"), "2001:02:03:04:05:06");
    EXPECT_EQ(host.var("newer"), "1");
}

TEST(FileFunctions, AttributesAreWritePermissionAndDotNames) {
    TempFolder folder;
    folder.write("data", "x");
    folder.write(".hidden", "x");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("fileattrset(\"data\", \"R+\")\n"
                       "a = fileattrget(\"data\")\n"
                       "h = fileattrget(\".hidden\")\n"
                       "errormode(@off)\n"
                       "filedelete(\"data\")\n"
                       "refused = lasterror()\n"
                       "fileattrset(\"data\", \"r-\")\n"
                       "filedelete(\"data\")\n"
                       "gone = fileexist(\"data\")\n"),
              0);
    EXPECT_EQ(host.var("a"), "R---");
    EXPECT_EQ(host.var("h"), "---H");
    EXPECT_EQ(host.var("refused"), "1016");
    EXPECT_EQ(host.var("gone"), "0");
}

TEST(FileFunctions, NameParsing) {
    TempFolder folder;
    ScriptHost host(16384);
    ASSERT_EQ(host.run("r = fileroot(\"C:\\DATA\\PRICES.OLD.TXT\")\n"
                       "e = fileextension(\"C:\\DATA\\PRICES.OLD.TXT\")\n"
                       "p = filepath(\"C:\\DATA\\PRICES.TXT\")\n"
                       "m = filemapname(\"PRICES.TXT\", \"*.BAK\")\n"),
              0);
    EXPECT_EQ(host.var("r"), "PRICES.OLD");
    EXPECT_EQ(host.var("e"), "TXT");
    EXPECT_EQ(host.var("p"), "C:\\DATA\\");
    EXPECT_EQ(host.var("m"), "PRICES.BAK");
}

TEST(FileFunctions, ErrorsCarryTheirNumbers) {
    struct Case {
        const char* statement;
        int error;
    };
    const Case cases[] = {
        {"filecopy(\"missing\", \"x\", 0)", 1008},
        {"filemove(\"missing\", \"x\", 0)", 1003},
        {"filedelete(\"nothing*.*\")", 1590},
        {"fileappend(\"missing\", \"x\")", 1012},
        {"filesize(\"missing\")", 2112},
        {"filecopy(\"\", \"x\", 0)", 3117},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        ScriptHost host(16384);
        EXPECT_EQ(host.run(std::string(c.statement) + "\n"), c.error) << c.statement;
    }
}

}  // namespace
