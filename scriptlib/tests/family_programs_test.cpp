// Starting programs: exactly the named program with exactly its arguments,
// never through a shell; and the environment.
#include <gtest/gtest.h>

#include <filesystem>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

namespace fs = std::filesystem;

TEST(ProgramFunctions, ArgumentsReachTheProgramUntouched) {
    TempFolder folder;
    const std::string source = "it's \"odd\"; $(touch pwned) `touch pwned2` & | > x.txt";
    const std::string target = "copy; $(rm -rf x) `id`.txt";
    folder.write(source, "payload");
    ScriptHost host(16384);
    // "" inside a quoted word stands for one quote character.
    std::string parameters = "\"it's \"\"odd\"\"; $(touch pwned) `touch pwned2` & | > x.txt\" \"" + target + "\"";
    std::vector<char> value(parameters.begin(), parameters.end());
    value.push_back('\0');
    DLLServices(host.instance, 1, "params", value.data(), 0, 0);
    ASSERT_EQ(host.run("status = runwait(\"cp\", params)\n"), 0);
    EXPECT_EQ(host.var("status"), "0");
    EXPECT_EQ(folder.read(target), "payload");
    EXPECT_FALSE(folder.exists("pwned"));
    EXPECT_FALSE(folder.exists("pwned2"));
    EXPECT_FALSE(folder.exists("x.txt"));
}

TEST(ProgramFunctions, WaitStatusFolderAndNoWait) {
    TempFolder folder;
    fs::create_directory(folder.path / "sub");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("ok = runwait(\"true\", \"\")\n"
                       "bad = runhidewait(\"false\", \"\")\n"
                       "runshell(\"touch\", '\"made here\"', \"sub\", @normal, @wait)\n"
                       "started = run(\"touch.exe\", \"later\")\n"),
              0);
    EXPECT_EQ(host.var("ok"), "0");
    EXPECT_EQ(host.var("bad"), "1");
    EXPECT_EQ(host.var("started"), "1");
    EXPECT_TRUE(folder.exists("sub/made here"));
    for (int i = 0; i < 200 && !folder.exists("later"); ++i) usleep(10000);
    EXPECT_TRUE(folder.exists("later"));
}

TEST(ProgramFunctions, StartErrors) {
    struct Case {
        const char* statement;
        int error;
    };
    const Case cases[] = {
        {"run(\"no-such-program-anywhere\", \"\")", 1902},
        {"run(\"missing\\prog\", \"\")", 1903},
        {"run(\"data.txt\\\", \"\")", 1903},
        {"run(\".\\data.txt\", \"\")", 1933},
        {"run(\"\", \"\")", 3107},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.write("data.txt", "x");
        ScriptHost host(16384);
        EXPECT_EQ(host.run(std::string(c.statement) + "\n"), c.error) << c.statement;
    }
}

TEST(ProgramFunctions, EnvironmentReachesStartedPrograms) {
    TempFolder folder;
    ScriptHost host(16384);
    ASSERT_EQ(host.run("environset(\"QSL_TEST_TARGET\", \"from env\")\n"
                       "v = environment(\"QSL_TEST_TARGET\")\n"
                       "all = envitemize()\n"
                       "has = strlen(all) > 0\n"
                       "environset(\"QSL_TEST_TARGET\", \"\")\n"
                       "gone = environment(\"QSL_TEST_TARGET\")\n"
                       "errormode(@off)\n"
                       "environset(\"A=B\", \"x\")\n"
                       "bad = lasterror()\n"),
              0);
    EXPECT_EQ(host.var("v"), "from env");
    EXPECT_EQ(host.var("has"), "1");
    EXPECT_EQ(host.var("gone"), "");
    EXPECT_EQ(host.var("bad"), "1242");
}

}  // namespace
