// Script file names: the suite's path translation, and confinement to a
// folder for hosts that ask for it.
#include <gtest/gtest.h>

#include "scriptlib/script_files.h"
#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;

using qsl::testing::TempFolder;

namespace {

namespace fs = std::filesystem;

TEST(ScriptFiles, ConfinedPathsStayInsideTheFolder) {
    TempFolder folder;
    fs::path root = fs::canonical(folder.path);
    fs::create_directory(root / "Data");
    qsl::confine_files(root);
    struct Case {
        const char* name;
        fs::path expected;
    };
    const Case cases[] = {
        {"/etc/passwd", root / "etc/passwd"},
        {"..\\..\\..\\etc\\passwd", root / "etc/passwd"},
        {"data\\x.txt", root / "Data/x.txt"},
        {"C:\\WINDOWS\\WIN.INI", root / "WINDOWS/WIN.INI"},
        {"sub/../../../../tmp", root / "tmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(qsl::script_path(c.name), c.expected) << c.name;
    qsl::confine_files({});
    EXPECT_EQ(qsl::script_path("/etc/passwd"), fs::path("/etc/passwd"));
}

TEST(ScriptFiles, AForbiddingHostStopsProgramsAndLibraries) {
    TempFolder folder;
    qsl::allow_programs(false);
    struct Case {
        const char* statement;
        int error;
    };
    const Case cases[] = {
        {"runwait(\"true\", \"\")", 1905},
        {"h = dllload(\"libc.so.6\")", 2392},
        {"shellexecute(\"x.txt\", \"\", \"\", @normal, \"\")", 1449},
    };
    for (const Case& c : cases) {
        ScriptHost host(16384);
        EXPECT_EQ(host.run(std::string(c.statement) + "\n"), c.error) << c.statement;
    }
    qsl::allow_programs(true);
}

}  // namespace
