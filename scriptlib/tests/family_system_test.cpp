// The clipboard, sound and system functions, and the functions without a
// Linux counterpart.
#include <gtest/gtest.h>

#include <sys/utsname.h>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

TEST(ClipboardFunctions, TextThroughTheInterface) {
    unsetenv("DISPLAY");  // the process's own clipboard, not the desktop's
    ScriptHost host(16384);
    ASSERT_EQ(host.run("clipput(\"first\")\n"
                       "clipappend(\" second\")\n"
                       "a = clipget()\n"
                       "b = clipgetex(1)\n"
                       "errormode(@off)\n"
                       "clipgetex(2)\n"
                       "bitmap = lasterror()\n"
                       "clipgetex(0)\n"
                       "bad = lasterror()\n"),
              0);
    EXPECT_EQ(host.var("a"), "first second");
    EXPECT_EQ(host.var("b"), "first second");
    EXPECT_EQ(host.var("bitmap"), "1536");
    EXPECT_EQ(host.var("bad"), "1535");
}

// With a display, the clipboard is the X selection, through xclip (here a
// stand-in that keeps the selection in a file).
TEST(ClipboardFunctions, XSelectionThroughXclip) {
    TempFolder folder;
    folder.write("xclip",
                 "#!/bin/sh\n"
                 "if [ \"$3\" = \"-i\" ]; then cat > \"$(dirname \"$0\")/selection\"; "
                 "else cat \"$(dirname \"$0\")/selection\"; fi\n");
    std::filesystem::permissions(folder.path / "xclip", std::filesystem::perms::owner_all);
    std::string path = std::getenv("PATH");
    setenv("PATH", (folder.path.string() + ":" + path).c_str(), 1);
    setenv("DISPLAY", ":99", 1);
    ScriptHost host(16384);
    int error = host.run("clipput(\"from the script\")\nx = clipget()\n");
    setenv("PATH", path.c_str(), 1);
    unsetenv("DISPLAY");
    EXPECT_EQ(error, 0);
    EXPECT_EQ(folder.read("selection"), "from the script");
    EXPECT_EQ(host.var("x"), "from the script");
}

TEST(SystemFunctions, LinuxFacts) {
    TempFolder folder;
    folder.write("script.sh", "#!/bin/sh\n");
    folder.write("text", "plain");
    struct utsname names {};
    uname(&names);
    int major = 0, minor = 0;
    std::sscanf(names.release, "%d.%d", &major, &minor);
    char host_name[256] = {};
    gethostname(host_name, sizeof host_name - 1);
    ScriptHost host(16384);
    ASSERT_EQ(host.run("v = version()\n"
                       "major = winversion(1)\n"
                       "minor = winversion(0)\n"
                       "name = netinfo(0)\n"
                       "elf = exetypeinfo(\"/proc/self/exe\")\n"
                       "sh = exetypeinfo(\"script.sh\")\n"
                       "text = exetypeinfo(\"text\")\n"
                       "previous = sounds(1)\n"
                       "now = sounds(0)\n"),
              0);
    EXPECT_EQ(host.var("v"), "2.8jbt");
    EXPECT_EQ(host.var("major"), std::to_string(major));
    EXPECT_EQ(host.var("minor"), std::to_string(minor));
    EXPECT_EQ(host.var("name"), host_name);
    EXPECT_EQ(host.var("elf"), "1");
    EXPECT_EQ(host.var("sh"), "2");
    EXPECT_EQ(host.var("text"), "0");
    EXPECT_EQ(host.var("previous"), "0");
    EXPECT_EQ(host.var("now"), "1");
}

TEST(SystemFunctions, RunningProgramsAreFoundByName) {
    ScriptHost host(16384);
    ASSERT_EQ(host.run("me = appexist(\"SCRIPTLIB_TESTS.EXE\")\n"
                       "other = appexist(\"no-such-program-running\")\n"),
              0);
    EXPECT_EQ(host.var("me"), "1");
    EXPECT_EQ(host.var("other"), "0");
}

// Each fails with its family's number and a detail text in the error box.
TEST(UnavailableFunctions, FailWithTheirNumbersAndSayWhy) {
    struct Case {
        const char* statement;
        int error;
    };
    const Case cases[] = {
        {"ddeinitiate(\"app\", \"topic\")", 3136},
        {"ddeterminate(1)", 1144},
        {"objectopen(\"Word.Application\")", 1129},
        {"shortcutmake(\"a.lnk\", \"b\", \"\", \"\", 0)", 1410},
        {"iconreplace(\"a\", \"b\")", 1303},
        {"wallpaper(\"a.bmp\", 0)", 1388},
        {"regloadhive(@regusers, \"x\", \"f\")", 1523},
        {"playmedia(\"open cdaudio\")", 3196},
        {"fileverinfo(\"/proc/self/exe\", \"\", \"FileVersion\")", 1496},
        {"endsession()", 1388},
    };
    for (const Case& c : cases) {
        ScriptHost host(16384);
        EXPECT_EQ(host.run(std::string(c.statement) + "\n"), c.error) << c.statement;
        ASSERT_EQ(host.boxes.size(), 1u) << c.statement;
        const std::string& text = host.boxes[0].text;
        EXPECT_NE(text.find(c.statement), std::string::npos) << text;
        // The line, a blank line, the detail text, then the version.
        size_t detail = text.find("\n\n") + 2;
        EXPECT_LT(detail + 12, text.find("QSL Version:")) << text;
    }
}

}  // namespace
