// Line file input and output: line ends, the end of a file, the slots and
// every error number.
#include <gtest/gtest.h>

#include "script_host.h"
#include "temp_folder.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;

namespace {

// Reads the file "in" line by line; the lines joined by "|", "*EOF*" last.
std::string read_lines(ScriptHost& host, int* error = nullptr) {
    int result = host.run("h = fileopen(\"in\", \"read\")\n"
                          "all = \"\"\n"
                          ":next\n"
                          "line = fileread(h)\n"
                          "all = strcat(all, line, \"|\")\n"
                          "if line != \"*EOF*\" then goto next\n"
                          "fileclose(h)\n");
    if (error) *error = result;
    return host.var("all");
}

TEST(LineFiles, ReadSplitsAtLineFeedsOnly) {
    struct Case {
        const char* bytes;
        const char* lines;
    };
    const Case cases[] = {
        {"one\r\ntwo\r\n", "one|two|*EOF*|"},
        {"one\ntwo", "one|two|*EOF*|"},
        {"", "*EOF*|"},
        {"a\rb\rc\n", "abc|*EOF*|"},
        {"\n\nx\n", "||x|*EOF*|"},
        {"before\nmid\x1a" "after\nlater\n", "before|mid|*EOF*|"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.write("in", c.bytes);
        ScriptHost host(16384);
        int error = 0;
        EXPECT_EQ(read_lines(host, &error), c.lines) << c.bytes;
        EXPECT_EQ(error, 0) << c.bytes;
    }
}

TEST(LineFiles, ReadingPastTheEndIs3088) {
    TempFolder folder;
    folder.write("in", "last line without end");
    ScriptHost host(16384);
    EXPECT_EQ(host.run("h = fileopen(\"in\", \"READ\")\n"
                       "a = fileread(h)\n"
                       "b = fileread(h)\n"
                       "c = fileread(h)\n"),
              3088);
    EXPECT_EQ(host.var("a"), "last line without end");
    EXPECT_EQ(host.var("b"), "*EOF*");
}

TEST(LineFiles, WriteAppendsTheLineEndOfIntcontrol53) {
    TempFolder folder;
    ScriptHost host(16384);
    ASSERT_EQ(host.run("h = fileopen(\"out\", \"WRITE\")\n"
                       "filewrite(h, \"crlf\")\n"
                       "intcontrol(53, 2, 0, 0, 0)\n"
                       "filewrite(h, \"lf\")\n"
                       "intcontrol(53, 0, 0, 0, 0)\n"
                       "filewrite(h, \"none\")\n"
                       "fileclose(h)\n"
                       "intcontrol(53, 4, 0, 0, 0)\n"
                       "h = fileopen(\"out\", \"append\")\n"
                       "filewrite(h, \"tab\")\n"
                       "fileclose(h)\n"),
              0);
    EXPECT_EQ(folder.read("out"), "crlf\r\nlf\nnonetab\t");
}

TEST(LineFiles, WriteReplacesTheOldContent) {
    TempFolder folder;
    folder.write("out", "old content that is longer");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("h = fileopen(\"out\", \"WRITE\")\nfilewrite(h, \"new\")\nfileclose(h)\n"), 0);
    EXPECT_EQ(folder.read("out"), "new\r\n");
}

TEST(LineFiles, LongLines) {
    TempFolder folder;
    folder.write("in", std::string(20, 'x') + "\n");
    ScriptHost host(16384);
    EXPECT_EQ(host.run("intcontrol(65, 20, 0, 0, 0)\nh = fileopen(\"in\", \"READ\")\nx = fileread(h)\n"), 1591);
    ScriptHost unbuffered(16384);
    folder.write("in", std::string(1279, 'y') + "\n" + std::string(1280, 'z') + "\n");
    EXPECT_EQ(unbuffered.run("intcontrol(65, 0, 0, 0, 0)\nh = fileopen(\"in\", \"READ\")\n"
                             "a = strlen(fileread(h))\nerrormode(@off)\nb = fileread(h)\n"),
              0);
    EXPECT_EQ(unbuffered.var("a"), "1279");
    EXPECT_EQ(unbuffered.var("b"), "0");
}

TEST(LineFiles, ErrorsCarryTheirNumbers) {
    struct Case {
        const char* script;
        int error;
    };
    const Case cases[] = {
        {"h = fileopen(\"in\", \"MODIFY\")", 3076},
        {"h = fileopen(\"missing\", \"READ\")", 1077},
        {"h = fileopen(\".\", \"READ\")", 1077},
        {"fileread(1)", 3081},
        {"h = fileopen(\"in\", \"READ\")\nfileclose(h)\nfileread(h)", 3082},
        {"h = fileopen(\"out\", \"WRITE\")\nfileread(h)", 3087},
        {"filewrite(1, \"x\")", 3084},
        {"h = fileopen(\"in\", \"READ\")\nfileclose(h)\nfilewrite(h, \"x\")", 3085},
        {"h = fileopen(\"in\", \"READ\")\nfilewrite(h, \"x\")", 3089},
        {"fileclose(7)", 3079},
        {"h = fileopen(\"in\", \"READ\")\nfileclose(h)\nfileclose(h)", 3080},
        {"a = fileopen(\"out\", \"WRITE\")\nb = fileopen(\"out\", \"WRITE\")", 1077},
        {"a = fileopen(\"out\", \"WRITE\")\nb = fileopen(\"out\", \"READ\")", 1077},
        {"for i = 1 to 6\nh = fileopen(\"in\", \"READ\")\nnext", 3078},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.write("in", "x\n");
        ScriptHost host(16384);
        EXPECT_EQ(host.run(std::string(c.script) + "\n"), c.error) << c.script;
    }
}

TEST(LineFiles, MinorOpenFailureUnderOffGivesZero) {
    TempFolder folder;
    ScriptHost host(16384);
    ASSERT_EQ(host.run("errormode(@off)\nh = fileopen(\"missing\", \"READ\")\n"), 0);
    EXPECT_EQ(host.var("h"), "0");
}

TEST(LineFiles, TeardownClosesOpenFiles) {
    TempFolder folder;
    {
        ScriptHost host(16384);
        ASSERT_EQ(host.run("h = fileopen(\"out\", \"WRITE\")\nfilewrite(h, \"kept\")\n"), 0);
    }
    ScriptHost again(16384);
    EXPECT_EQ(again.run("h = fileopen(\"out\", \"WRITE\")\nfileclose(h)\n"), 0);
}

}  // namespace
