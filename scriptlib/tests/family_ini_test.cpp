// The INI functions keep a file's comments and order when they rewrite it.
#include <gtest/gtest.h>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

TEST(IniFunctions, PrivateFileKeepsCommentsAndOrder) {
    TempFolder folder;
    folder.write("app.ini",
                 "; settings of the app\r\n"
                 "[Main]\r\n"
                 "Colour = blue\r\n"
                 "; the size\r\n"
                 "Size=3\r\n"
                 "\r\n"
                 "[Other]\r\n"
                 "x=1\r\n");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("c = inireadpvt(\"MAIN\", \"colour\", \"none\", \"app.ini\")\n"
                       "d = inireadpvt(\"Main\", \"missing\", \"dflt\", \"app.ini\")\n"
                       "iniwritepvt(\"main\", \"SIZE\", \"4\", \"app.ini\")\n"
                       "iniwritepvt(\"Main\", \"New\", \"yes\", \"app.ini\")\n"
                       "iniwritepvt(\"Third\", \"k\", \"v\", \"app.ini\")\n"
                       "inideletepvt(\"Other\", \"x\", \"app.ini\")\n"
                       "sections = iniitemizepvt(\"\", \"app.ini\")\n"
                       "keys = iniitemizepvt(\"main\", \"app.ini\")\n"),
              0);
    EXPECT_EQ(host.var("c"), "blue");
    EXPECT_EQ(host.var("d"), "dflt");
    EXPECT_EQ(host.var("sections"), "Main\tOther\tThird");
    EXPECT_EQ(host.var("keys"), "Colour\tSIZE\tNew");
    EXPECT_EQ(folder.read("app.ini"),
              "; settings of the app\n"
              "[Main]\n"
              "Colour = blue\n"
              "; the size\n"
              "SIZE=4\n"
              "New=yes\n"
              "\n"
              "[Other]\n"
              "[Third]\n"
              "k=v\n");
}

TEST(IniFunctions, WholeSectionDeleteAndWinIni) {
    TempFolder folder;
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", folder.path.c_str(), 1);
    ScriptHost host(16384);
    ASSERT_EQ(host.run("iniwrite(\"Desk\", \"a\", \"1\")\n"
                       "iniwrite(\"Keep\", \"b\", \"2\")\n"
                       "inidelete(\"Desk\", @wholesection)\n"
                       "s = iniitemize(\"\")\n"
                       "b = iniread(\"keep\", \"B\", \"\")\n"),
              0);
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(host.var("s"), "Keep");
    EXPECT_EQ(host.var("b"), "2");
    EXPECT_EQ(folder.read(".config/qsleng32/win.ini"), "[Keep]\nb=2\n");
}

}  // namespace
