// The terminal dialog back end: qsl runs on a pseudo-terminal (through
// script(1)) and the keys of the test reach the text-mode form.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "temp_folder.h"

using qsl::testing::TempFolder;

namespace {

const char* dialog_script =
    "dFormat = \"KVXDLGED,5.0\"\ndX = 20\ndY = 20\ndWidth = 180\ndHeight = 110\ndCaption = \"Order\"\n"
    "dNumControls = 6\n"
    "d01 = `8,8,100,12,EDITBOX,name,DEFAULT`\n"
    "d02 = `8,24,60,10,RADIOBUTTON,size,Small,1`\n"
    "d03 = `8,34,60,10,RADIOBUTTON,size,Large,2`\n"
    "d04 = `8,48,80,24,ITEMBOX,fruit`\n"
    "d05 = `8,80,40,14,PUSHBUTTON,,DEFAULT,1`\n"
    "d06 = `60,80,40,14,PUSHBUTTON,,DEFAULT,0`\n"
    "fruit = \"apple%@tab%pear%@tab%plum\"\nintcontrol(33, 0, 0, 0, 0)\n"
    "pressed = dialog(\"d\")\nexit\n:CANCEL\ncancelled = 1\n";

TEST(TerminalDialogs, KeysOnAPseudoTerminal) {
    if (!std::filesystem::exists("/usr/bin/script")) GTEST_SKIP() << "script(1) is not installed";
    TempFolder folder;
    folder.write("order.qsl", dialog_script);
    const struct {
        const char* keys;  // printf format
        std::vector<const char*> expected;
    } runs[] = {
        {"ann\\t\\033[B\\t\\033[B\\033[B\\r", {"name=ann", "size=2", "fruit=plum", "pressed=1"}},
        {"x\\t\\033", {"cancelled=1", "fruit=apple\tpear\tplum"}},
    };
    for (const auto& run : runs) {
        std::string command = "cd " + folder.path.string() + " && (sleep 1; printf '" + run.keys +
                              "'; sleep 1) | env -u DISPLAY QSL_REGISTRY=registry.ini timeout 20 script -qec '" +
                              QSL_BIN_DIR "/qsl --vars order.qsl' /dev/null 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_TRUE(pipe);
        std::string out;
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        pclose(pipe);
        for (const char* line : run.expected) EXPECT_NE(out.find(line), std::string::npos) << line;
        EXPECT_NE(out.find("\x1b[?1049l"), std::string::npos) << "the terminal's screen comes back";
    }
}

}  // namespace
