// Statement processing: IF/ELSE, WHILE, SWITCH, FOR, GOTO/GOSUB/RETURN, the
// label cache, EXECUTE and CALL.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "script_host.h"

using qsl::testing::ScriptHost;

namespace {

TEST(Structures, SingleLineIfWithElseOnTheNextLine) {
    ScriptHost host;
    EXPECT_EQ(host.run("IF 1 == 2 THEN a = 1\nb = 5\nELSE a = 2\nIF 1 THEN IF 0 THEN c = 1\nELSE c = 2\n"), 0);
    EXPECT_EQ(host.var("a"), "2");
    EXPECT_EQ(host.var("c"), "2");  // the inner single-line IF set the result the ELSE reads
}

// The subroutine's own IFs do not change the result the ELSE after the
// GOSUB reads, whether the GOSUB line runs from the text or from the cache.
TEST(Structures, GosubKeepsTheLastIfResultForAnElse) {
    ScriptHost host;
    EXPECT_EQ(host.run("n = 0\nWHILE n < 2\n n = n + 1\n IF n == 5 THEN a = 1\n GOSUB sub\n ELSE b = n\nENDWHILE\nEXIT\n"
                       ":sub\nIF 1 THEN c = 1\nRETURN\n"),
              9000);
    EXPECT_EQ(host.var("b"), "2");
    EXPECT_EQ(host.var("a"), "<none>");
}

TEST(Structures, BlockIfElse) {
    ScriptHost host;
    EXPECT_EQ(host.run("IF 0 THEN\n a = 1\nELSE\n a = 2\n IF 1\n  b = 1\n ELSE\n  b = 2\n ENDIF\nEND IF\n"), 0);
    EXPECT_EQ(host.var("a"), "2");
    EXPECT_EQ(host.var("b"), "1");
}

TEST(Structures, ReturnDiscardsAWhileLeftOpen) {
    ScriptHost host;
    EXPECT_EQ(host.run("n = 0\nWHILE n < 3\n n = n + 1\n GOSUB sub\nENDWHILE\nEXIT\n"
                       ":sub\nWHILE 1\n count = n\n RETURN\nENDWHILE\n"),
              9000);
    EXPECT_EQ(host.var("count"), "3");
}

TEST(Structures, SwitchFallsThroughWithoutBreak) {
    ScriptHost host;
    EXPECT_EQ(host.run("r = \"\"\nSWITCH 2\nCASE 1\n r = \"%r%1\"\nCASE 2\n r = \"%r%2\"\n"
                       "CASE 3\n r = \"%r%3\"\nENDSWITCH\n"
                       "SELECT 3\nCASE 3\n s = 3\n BREAK\nCASE 4\n s = 4\nEND SELECT\n"),
              0);
    EXPECT_EQ(host.var("r"), "23");
    EXPECT_EQ(host.var("s"), "3");
}

TEST(Structures, BreakThroughAnIfLeavesTheWhile) {
    ScriptHost host;
    EXPECT_EQ(host.run("i = 0\nWHILE i < 10\n i = i + 1\n IF i == 3 THEN\n  BREAK\n ENDIF\n after = i\nENDWHILE\n"), 0);
    EXPECT_EQ(host.var("i"), "3");
    EXPECT_EQ(host.var("after"), "2");
}

TEST(Structures, ContinueLoopsAgain) {
    ScriptHost host;
    EXPECT_EQ(host.run("sum = 0\nFOR i = 1 TO 5\n IF i == 2 THEN\n  CONTINUE\n ENDIF\n sum = sum + i\nNEXT\n"), 0);
    EXPECT_EQ(host.var("sum"), "13");
}

TEST(Structures, ForCountsUpDownAndNotAtAll) {
    ScriptHost host;
    EXPECT_EQ(host.run("up = \"\"\nFOR i = 1 TO 3\n up = \"%up%%i%\"\nNEXT\n"
                       "down = \"\"\nFOR j = 10 TO 4 BY -3\n down = \"%down%%j%,\"\nENDFOR\n"
                       "none = 0\nFOR k = 1 TO 0\n none = 1\nNEXT\n"
                       "f = 0\nFOR x = 0.5 TO 1.5 BY 0.5\n f = f + 1\nEND FOR\n"),
              0);
    EXPECT_EQ(host.var("up"), "123");
    EXPECT_EQ(host.var("down"), "10,7,4,");
    EXPECT_EQ(host.var("j"), "1");
    EXPECT_EQ(host.var("none"), "0");
    EXPECT_EQ(host.var("f"), "3");
}

// A counter that would pass the 32-bit limit ends the loop instead of
// wrapping round (the guard only keeps a failing run finite).
TEST(Structures, ForCounterAtTheIntegerLimitEnds) {
    ScriptHost host;
    EXPECT_EQ(host.run("n = 0\nFOR i = 2147483645 TO 2147483647\n n = n + 1\n IF n > 10 THEN BREAK\nNEXT\n"
                       "m = 0\nFOR j = -2147483646 TO -2147483647 - 1 BY -1\n m = m + 1\n IF m > 10 THEN BREAK\nNEXT\n"
                       "k = 0\nFOR l = 2147483000 TO 2147483647 BY 1000\n k = k + 1\n IF k > 10 THEN BREAK\nNEXT\n"),
              0);
    EXPECT_EQ(host.var("n"), "3");
    EXPECT_EQ(host.var("i"), "2147483647");
    EXPECT_EQ(host.var("m"), "3");
    EXPECT_EQ(host.var("k"), "1");
}

TEST(Structures, ForWithSubstitutedBounds) {
    ScriptHost host;
    EXPECT_EQ(host.run("first = 2\nlast = 4\nn = 0\nFOR i = %first% TO %last%\n n = n + i\nNEXT\n"), 0);
    EXPECT_EQ(host.var("n"), "9");
}

struct ErrorCase {
    const char* script;
    int error;
};

TEST(Structures, StructureErrors) {
    const ErrorCase cases[] = {
        {"END\n", 3363},
        {"WHILE 1\nEND\n", 3363},
        {"ENDIF\n", 3354},
        {"END WHILE\n", 3354},
        {"WHILE 0\nENDIF\n", 3357},
        {"ELSE\n", 3354},
        {"IF 1\nELSE\nELSE\n", 3358},
        {"THEN x = 1\n", 3050},
        {"IF 1 x = 1\n", 3072},
        {"IF \"a\"\n", 3057},
        {"BREAK\n", 3355},
        {"CONTINUE\n", 3356},
        {"CASE 1\n", 3365},
        {"SWITCH 1.5\n", 3364},
        {"FOR 1 = 1 TO 2\n", 3360},
        {"FOR i 1 TO 2\n", 3360},
        {"FOR i = \"a\" TO 2\n", 3361},
        {"FOR i = 1 UNTIL 2\n", 3360},
        {"FOR i = 1 TO 2 STEP 1\n", 3074},
        {"TO 5\n", 3362},
        {"GOTO\n", 3071},
        {"GOTO \"x\"\n", 3073},
        {"GOTO nowhere\n", 3033},
        {"GOTO x y\n:x\n", 3074},
        {"IF 1 THEN\nENDIF\nBREAK\n", 3355},
        {"WHILE 1\nIF 1\nBREAK\nENDIF\n", 0},  // the end of the buffer ends the run
    };
    for (const auto& c : cases) {
        ScriptHost host;
        EXPECT_EQ(host.run(c.script), c.error) << c.script;
    }
}

TEST(Structures, ErrorsInsideSkippedBlocksAreIgnored) {
    ScriptHost host;
    EXPECT_EQ(host.run("IF 0\n x = 1 $ 2\n IF \"a\" THEN\n  y = ))\n ENDIF\n FOR 1\n NEXT\nENDIF\nok = 1\n"), 0);
    EXPECT_EQ(host.var("ok"), "1");
}

TEST(Structures, NestingBeyondOneHundredFrames) {
    ScriptHost host;
    std::string script;
    for (int i = 0; i < 101; ++i) script += "WHILE 1\n";
    EXPECT_EQ(host.run(script), 3353);
}

TEST(LabelCache, GotoRunTwiceJumpsFromTheCache) {
    ScriptHost host;
    const std::string script = "n = 0\n:again\nn = n + 1\nIF n < 3 THEN GOTO again\nGOTO done\nn = 100\n:done\n";
    EXPECT_EQ(host.run(script), 0);
    EXPECT_EQ(host.var("n"), "3");
    size_t at = script.find("GOTO again");
    EXPECT_EQ(static_cast<unsigned char>(host.buffer[at]), 0x9F);
    size_t label = script.find(":again");
    uint32_t target = 0;
    for (int i = 1; i <= 4; ++i) target = (target << 6) | (static_cast<unsigned char>(host.buffer[at + i]) - 0x40);
    EXPECT_EQ(target, label);
    EXPECT_EQ(host.buffer.substr(at + 5, 5), "again");  // the rest of the text stays
}

TEST(LabelCache, GosubIsCachedAndSubstitutedLinesAreNot) {
    ScriptHost host;
    const std::string script = "where = \"sub\"\nn = 0\nWHILE n < 2\n GOSUB sub\n GOTO %where%x\nENDWHILE\nEXIT\n"
                               ":sub\nn = n + 1\nRETURN\n:subx\nn = n + 10\nRETURN\n";
    EXPECT_EQ(host.run(script), 0);  // RETURN without a GOSUB frame ends the script
    EXPECT_EQ(host.var("n"), "11");
    EXPECT_EQ(static_cast<unsigned char>(host.buffer[script.find("GOSUB sub")]), 0x9E);
    EXPECT_EQ(host.buffer[script.find("GOTO %where%")], 'G');
}

// Labels are found in one pass over the script: the first line of a label
// wins, case does not matter, a comment may follow, and a CALLed script's
// labels are its own.
TEST(LabelSearch, FirstLabelWinsInEachScript) {
    ScriptHost host;
    EXPECT_EQ(host.run("GOTO Twice\n:twice\na = 1\nGOTO after\n:TWICE\na = 2\n:after;comment\n"
                       "GOSUB far\nEXIT\n  \t:far\nb = 3\nRETURN\n"),
              9000);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(host.var("b"), "3");
}

// Thousands of labels, each the target of one jump: the search stays one
// pass over the buffer however many jumps look for labels.
TEST(LabelSearch, ManyLabels) {
    std::string script = "n = 0\nGOTO l0\n";
    const int labels = 5000;
    for (int i = 0; i < labels; ++i)
        script += ":l" + std::to_string(i) + "\nn = n + 1\nGOTO l" + std::to_string(i + 1) + "\n";
    script += ":l" + std::to_string(labels) + "\n";
    ScriptHost host;
    EXPECT_EQ(host.run(script), 0);
    EXPECT_EQ(host.var("n"), std::to_string(labels));
}

TEST(Statements, LabelsCommentsAndLineEnds) {
    ScriptHost host;
    EXPECT_EQ(host.run("; a comment\r\n:start a = 1\r\n\r\n   b = 2 ; trailing\rc = 3\x1A" "d = 4\n"), 0);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(host.var("b"), "2");
    EXPECT_EQ(host.var("c"), "3");
    EXPECT_EQ(host.var("d"), "4");
}

TEST(Statements, LineTooLongStopsTheRun) {
    ScriptHost host;
    EXPECT_EQ(host.run("a = 1\nb = \"" + std::string(260, 'x') + "\"\nc = 1\n"), 214);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(host.var("c"), "<none>");
}

TEST(Statements, ExecuteRunsTheRestAndAsksOnError) {
    ScriptHost host;
    host.answers = {QSL_ID_OK};
    EXPECT_EQ(host.run("EXECUTE a = 5\nEXECUTE b = 1 / 0\nc = 1\n"), 0);
    EXPECT_EQ(host.var("a"), "5");
    EXPECT_EQ(host.var("c"), "1");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "EXECUTE::Attempt to divide by zero");

    ScriptHost cancelled;
    cancelled.answers = {QSL_ID_CANCEL};
    EXPECT_EQ(cancelled.run("EXECUTE b = 1 / 0\nc = 1\n"), QSL_STOP_QUIETLY);
    EXPECT_EQ(cancelled.var("c"), "<none>");
}

class CallFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qsl-call-XXXXXX";
        folder_ = mkdtemp(pattern);
        ASSERT_EQ(getcwd(previous_, sizeof previous_), previous_);
        ASSERT_EQ(chdir(folder_.c_str()), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_), 0);
        std::string command = "rm -rf " + folder_;
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    void write(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

    std::string folder_;
    char previous_[4096];
};

TEST_F(CallFiles, ParametersAndReturnToTheCaller) {
    write("sub.qsl", "got = \"%param0%:%param1%|%param2%|%param3%\"\nRETURN\nnever = 1\n");
    ScriptHost host;
    EXPECT_EQ(host.run("param5 = \"old\"\nx = call(\"sub.qsl\", `one \"two words\" 'it''s'`)\nafter = 1\n"
                       "#include \"sub.qsl\"\n"),
              0);
    EXPECT_EQ(host.var("got"), "0:||");  // #include "file" is a CALL without parameters
    EXPECT_EQ(host.var("never"), "<none>");
    EXPECT_EQ(host.var("after"), "1");
    EXPECT_EQ(host.var("param5"), "<none>");
    ScriptHost second;
    EXPECT_EQ(second.run("x = call(\"sub.qsl\", `one \"two words\" 'it''s'`)\n"), 0);
    EXPECT_EQ(second.var("got"), "3:one|two words|it's");
}

TEST_F(CallFiles, CalledScriptsHaveTheirOwnLabels) {
    write("labels.qsl", "GOTO here\nskipped = 1\n:here\ninner = 1\n");
    ScriptHost host;
    EXPECT_EQ(host.run("GOTO start\n:here\nwrong = 1\nEXIT\n:start\nx = call(\"labels.qsl\", \"\")\n"
                       "y = call(\"labels.qsl\", \"\")\nGOTO end\nwrong = 2\n:end\nouter = 1\n"),
              0);
    EXPECT_EQ(host.var("inner"), "1");
    EXPECT_EQ(host.var("skipped"), "<none>");
    EXPECT_EQ(host.var("wrong"), "<none>");
    EXPECT_EQ(host.var("outer"), "1");
}

TEST_F(CallFiles, SevenNestedCallsGive3211) {
    write("deep.qsl", "depth = depth + 1\nx = call(\"deep.qsl\", \"\")\n");
    ScriptHost host;
    host.answers = {};
    EXPECT_EQ(host.run("depth = 0\nx = call(\"deep.qsl\", \"\")\n"), QSL_STOP_QUIETLY);
    EXPECT_EQ(host.var("depth"), "6");
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes[0].title.substr(0, 4), "3211");
}

TEST_F(CallFiles, ExitInACalledScriptEndsEverything) {
    write("quit.qsl", "EXIT\n");
    ScriptHost host;
    EXPECT_EQ(host.run("x = call(\"quit.qsl\", \"\")\nafter = 1\n"), QSL_EXIT_EXECUTED);
    EXPECT_EQ(host.var("after"), "<none>");
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(CallFiles, MissingAndProtectedFiles) {
    write("locked.qsl", std::string("\x01secret"));
    ScriptHost host;
    EXPECT_EQ(host.run("x = call(\"none.qsl\", \"\")\n"), 1400);
    ScriptHost locked;
    EXPECT_EQ(locked.run("x = call(\"locked.qsl\", \"\")\n"), QSL_STOP_QUIETLY);
    ASSERT_EQ(locked.boxes.size(), 1u);
    EXPECT_EQ(locked.boxes[0].title.substr(0, 3), "211");
}

// CALL and #include read regular files only, and at most 16 MiB: a device, a
// FIFO without a writer or a folder stops the script at once with 206, a
// larger file with 203.
TEST_F(CallFiles, OnlyRegularFilesOfBoundedSize) {
    ASSERT_EQ(mkfifo("pipe.qsl", 0600), 0);
    ASSERT_EQ(mkdir("folder.qsl", 0700), 0);
    write("huge.qsl", "");
    ASSERT_EQ(truncate("huge.qsl", (16 << 20) + 1), 0);
    const struct {
        const char* statement;
        const char* message;
    } cases[] = {
        {"x = call(\"/dev/zero\", \"\")", "206"},
        {"x = call(\"pipe.qsl\", \"\")", "206"},
        {"#include \"pipe.qsl\"", "206"},
        {"x = call(\"folder.qsl\", \"\")", "206"},
        {"x = call(\"huge.qsl\", \"\")", "203"},
    };
    for (const auto& c : cases) {
        ScriptHost host;
        EXPECT_EQ(host.run(std::string(c.statement) + "\nafter = 1\n"), QSL_STOP_QUIETLY) << c.statement;
        EXPECT_EQ(host.var("after"), "<none>") << c.statement;
        ASSERT_EQ(host.boxes.size(), 1u) << c.statement;
        EXPECT_EQ(host.boxes[0].title.substr(0, 3), c.message) << c.statement;
    }
}

}  // namespace
