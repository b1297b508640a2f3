// The library frame: scripts in UTF-16, error modes and reporting,
// extenders, host services, the trace file, Ctrl+Break and single steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "script_host.h"

using qsl::testing::ScriptHost;

namespace {

std::string utf16(const std::string& ascii, bool little_endian) {
    std::string out = little_endian ? std::string("\xFF\xFE", 2) : std::string("\xFE\xFF", 2);
    for (char ch : ascii) {
        if (little_endian) out += ch, out += '\0';
        else out += '\0', out += ch;
    }
    return out + std::string("\0\0", 2);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Frame, Utf16ScriptsRunLikeTheirAnsiForm) {
    for (bool little : {true, false}) {
        ScriptHost host;
        EXPECT_EQ(host.run(utf16("a = 1 + 1\r\nb = \"text\"\r\n", little)), 0);
        EXPECT_EQ(host.var("a"), "2");
        EXPECT_EQ(host.var("b"), "text");
    }
    ScriptHost accented;
    // "é" (U+00E9) becomes two bytes of UTF-8, so the text grows in its block.
    EXPECT_EQ(accented.run(std::string("\xFF\xFE" "s\0=\0\"\0\xE9\0\xE9\0\"\0\0\0", 16)), 0);
    EXPECT_EQ(accented.var("s"), "\xC3\xA9\xC3\xA9");
    ScriptHost broken;
    broken.run(std::string("\xFF\xFE" "a\0\x00\xDC", 6));  // a lone low surrogate
    EXPECT_EQ(broken.ran, 0);
    ASSERT_EQ(broken.boxes.size(), 1u);
    EXPECT_EQ(broken.boxes[0].text, "Error converting Unicode batch/menu file");
}

TEST(Frame, ErrorModeOffSuppressesMinorErrorsOnly) {
    ScriptHost host;
    EXPECT_EQ(host.run("x = errormode(@OFF)\ny = call(\"no-such-file.qsl\", \"\")\nz = lasterror()\n"
                       "again = lasterror()\nw = 1 / 0\nafter = 1\n"),
              3062);
    EXPECT_EQ(host.var("z"), "1400");
    EXPECT_EQ(host.var("again"), "0");
    EXPECT_EQ(host.var("after"), "<none>");
    ASSERT_EQ(host.boxes.size(), 1u);  // only the fatal error was shown
    EXPECT_EQ(host.boxes[0].title, "3062:  Attempt to divide by zero");
    EXPECT_EQ(host.boxes[0].text, "w = 1 / 0\n\nQSL Version: 2.8jbt");
}

TEST(Frame, SuppressedMinorErrorStillAssignsTheResult) {
    ScriptHost host;
    EXPECT_EQ(host.run("m = errormode(@OFF)\nc = call(\"missing.qsl\", \"\")\nd = 1 + call(\"missing.qsl\", \"\")\n"
                       "e = lasterror()\n"),
              0);
    EXPECT_EQ(host.var("c"), "0");  // the result record starts as integer 0
    EXPECT_EQ(host.var("d"), "1");  // and the rest of the expression goes on
    EXPECT_EQ(host.var("e"), "1400");
    EXPECT_TRUE(host.boxes.empty());
}

TEST(Frame, ErrorModeNotifyAsksWhetherToGoOn) {
    ScriptHost host;
    host.answers = {QSL_ID_OK, QSL_ID_CANCEL};
    EXPECT_EQ(host.run("x = errormode(@NOTIFY)\ny = call(\"none.qsl\", \"\")\na = 1\n"
                       "y = call(\"none.qsl\", \"\")\nb = 1\n"),
              1400);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(host.var("b"), "<none>");
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].buttons, QSL_MB_OKCANCEL);
}

TEST(Frame, CancelJumpsToTheCancelLabel) {
    ScriptHost host;
    EXPECT_EQ(host.run("x = terminate(1, \"\", \"\")\n"), QSL_STOP_REQUESTED);
    EXPECT_TRUE(host.boxes.empty());
    ScriptHost shown;
    EXPECT_EQ(shown.run("x = terminate(0, \"a\", \"b\")\nx = terminate(1, \"\", \"bad\")\n"), QSL_STOP_REQUESTED);
    ASSERT_EQ(shown.boxes.size(), 1u);
    EXPECT_EQ(shown.boxes[0].title, "Menu/Batch Terminated");
    EXPECT_EQ(shown.boxes[0].text, "bad");
}

int cancelling_host(uintptr_t, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t,
                    uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
    return request == 0 ? -5 : 0;
}

TEST(Frame, HostCancelGoesToCancelLabelOrStops) {
    QslNameEntry table[1] = {};
    table[0].cls = 4;  // a command
    table[0].length = 6;
    std::memcpy(table[0].name, "cancel", 6);
    ScriptHost host;
    DLLServices(host.instance, 6, nullptr, nullptr, 1, reinterpret_cast<uintptr_t>(table));
    EXPECT_EQ(host.run("cancel\nnever = 1\n:CANCEL\ncaught = 1\n", cancelling_host), 0);
    EXPECT_EQ(host.var("never"), "<none>");
    EXPECT_EQ(host.var("caught"), "1");
    EXPECT_EQ(host.run("cancel\nnever = 1\n", cancelling_host), QSL_USER_CANCEL);
    EXPECT_EQ(host.var("never"), "<none>");
}

int throwing_host(uintptr_t, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t, uintptr_t,
                  uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
    if (request == 0) throw std::runtime_error("host failure");
    if (request == 1) throw std::bad_alloc();
    return 0;
}

// A C++ exception of the host or of the library itself ends the script with
// an error; it never reaches the host's call of an entry point.
TEST(Frame, NoExceptionCrossesAnEntryPoint) {
    QslNameEntry table[2] = {};
    for (int i = 0; i < 2; ++i) {
        table[i].code = uint16_t(i);
        table[i].cls = 4;
        table[i].length = 6;
    }
    std::memcpy(table[0].name, "oddity", 6);
    std::memcpy(table[1].name, "memory", 6);
    ScriptHost host;
    DLLServices(host.instance, 6, nullptr, nullptr, 2, reinterpret_cast<uintptr_t>(table));
    int error = -1;
    EXPECT_NO_THROW(error = host.run("oddity\nnever = 1\n", throwing_host));
    EXPECT_EQ(error, 3098);
    EXPECT_EQ(host.var("never"), "<none>");
    EXPECT_NO_THROW(error = host.run("m = errormode(@OFF)\nmemory\nnever = 1\n", throwing_host));
    EXPECT_EQ(error, 3096);
}

class Extender : public ::testing::Test {
protected:
    void SetUp() override {
        trace_ = "/tmp/qsl-trace-" + std::to_string(getpid()) + ".txt";
        std::remove(trace_.c_str());
    }
    void TearDown() override { std::remove(trace_.c_str()); }
    std::string load() { return std::string("x = addextender(\"") + QSL_TEST_EXTENDER + "\")\n"; }
    std::string trace_;
};

TEST_F(Extender, FunctionsAndCommandsAreCalled) {
    ScriptHost host;
    // A word that named a variable names the extender's function once it is added.
    EXPECT_EQ(host.run("xdouble = 5\n" + load() + "a = xdouble(21)\nb = xgreet(123)\nxcmd\n"), 0);
    EXPECT_EQ(host.var("a"), "42");
    EXPECT_EQ(host.var("b"), "hello 123");
}

TEST_F(Extender, SecondAddExtenderOfOneLibraryAddsNothing) {
    ScriptHost host;
    EXPECT_EQ(host.run(load() + load() + "a = xdouble(2)\n"), 0);
    EXPECT_EQ(host.var("x"), "1");
    EXPECT_EQ(host.var("a"), "4");
    // Five functions of one extender: a sixth table entry would be a duplicate.
    EXPECT_EQ(host.run("a = xdouble(3)\n"), 0);
}

TEST_F(Extender, ErrorCarriesTheExtendersOwnNumber) {
    ScriptHost host;
    EXPECT_EQ(host.run(load() + "t = debugtrace(1, \"" + trace_ + "\")\nm = errormode(@OFF)\n"
                       "y = xfail()\nown = lasterror()\ny = xbare()\nbare = lasterror()\n"),
              0);
    EXPECT_EQ(host.var("own"), "4711");
    EXPECT_EQ(host.var("bare"), "999");
    EXPECT_EQ(host.var("y"), "0");  // assigned although the extender answered -1
    std::string trace = read_file(trace_);
    EXPECT_NE(trace.find("y = xfail()\r\n"), std::string::npos);
    EXPECT_NE(trace.find("EXTENDER ERROR SUPPRESSED =>4711 (4711: Failure on purpose)\r\n"), std::string::npos);
    EXPECT_NE(trace.find("EXTENDER ERROR SUPPRESSED =>999 (Extender Error: Undefined error occurred)"),
              std::string::npos);
    EXPECT_TRUE(host.boxes.empty());

    ScriptHost stopped;
    EXPECT_EQ(stopped.run(load() + "t = debugtrace(1, \"" + trace_ + "\")\ny = xfail()\n"), 1213);
    EXPECT_NE(read_file(trace_).find("TERMINAL EXTENDER ERROR=>4711"), std::string::npos);
    ASSERT_EQ(stopped.boxes.size(), 1u);
    EXPECT_EQ(stopped.boxes[0].title, "1213:  Cmd Extender: Minor error occurred");
}

TEST_F(Extender, LoadFailures) {
    ScriptHost missing;
    EXPECT_EQ(missing.run("x = addextender(\"/nowhere/libnone.so\")\n"), 3394);
    ASSERT_EQ(missing.boxes.size(), 2u);
    EXPECT_EQ(missing.boxes[0].title, "QSL Extender load error");
    std::ofstream(trace_) << "not a library";
    ScriptHost bad;
    EXPECT_EQ(bad.run("x = addextender(\"" + trace_ + "\")\n"), 3437);
    ScriptHost no_entry;
    EXPECT_EQ(no_entry.run("x = addextender(\"libz.so.1\")\n"), 3395);
}

TEST_F(Extender, TraceRecordsOutcomes) {
    ScriptHost host;
    EXPECT_EQ(host.run("t = debugtrace(1, \"" + trace_ + "\")\nIF 1 THEN a = \"s\"\nWHILE 0\nENDWHILE\n"
                       "SWITCH 4\nCASE 4\nBREAK\nENDSWITCH\nGOTO end\n:end\n"),
              0);
    std::string trace = read_file(trace_);
    for (const char* expected :
         {"*** Debug Initialized ***", "QSL DLL 2.8jbt", "IF 1 THEN a = \"s\"\r\n", "==>TRUE=>\"s\"", "WHILE==>FALSE",
          "END OPERATOR", "SWITCH==>4", "CASE TRUE==>4", "BREAKING", "--- Normal termination ---",
          ";;;END OF JOB;;;"}) {
        EXPECT_NE(trace.find(expected), std::string::npos) << expected;
    }
}

TEST(Frame, HostServices) {
    ScriptHost host;
    EXPECT_EQ(DLLServices(host.instance, 1, "Greeting", const_cast<char*>("hi"), 0, 0), 1);
    EXPECT_EQ(DLLServices(host.instance, 11, "a 'b c' d", nullptr, 0, 0), 3);
    EXPECT_EQ(host.run("x = \"%greeting%-%param2%\"\n"), 0);
    EXPECT_EQ(host.var("x"), "hi-b c");
    EXPECT_EQ(host.var("param0"), "3");
    char small[4];
    EXPECT_EQ(DLLServices(host.instance, 2, "x", small, sizeof small, 0), 1);
    EXPECT_STREQ(small, "hi-");
    EXPECT_EQ(DLLServices(host.instance, 23, "/tmp", nullptr, 1, 0), 0);
    EXPECT_EQ(DLLServices(host.instance, 23, "", nullptr, 0, 0), 1);
}

TEST(Frame, DisabledFunctionsGive3472) {
    ScriptHost host;
    EXPECT_EQ(DLLServices(host.instance, 24, "run|Decimals", const_cast<char*>("|"), 0, 0), 1);
    EXPECT_EQ(DLLServices(host.instance, 24, "nosuchname", const_cast<char*>("|"), 0, 0), 0);
    EXPECT_EQ(host.run("x = run(\"a\", \"b\")\n"), 3472);
    EXPECT_EQ(host.run("x = decimals(2)\n"), 3472);
    EXPECT_EQ(DLLServices(host.instance, 24, "decimals", const_cast<char*>(","), 1, 0), 1);
    EXPECT_EQ(host.run("x = decimals(2)\n"), 0);
}

// Settings of the file, time and window functions as a new instance has them.
TEST(Frame, IntControlDefaultsAndLineEndCodes) {
    ScriptHost host;
    EXPECT_EQ(host.run("a = intcontrol(33, \"0\", \"\", \"\", \"\")\nb = intcontrol(39, \"0\", \"\", \"\", \"\")\n"
                       "c = intcontrol(41, \"0\", \"\", \"\", \"\")\nd = intcontrol(41, \"1\", \"\", \"\", \"\")\n"
                       "e = intcontrol(53, \"2\", \"\", \"\", \"\")\nf = intcontrol(53, \"4\", \"\", \"\", \"\")\n"
                       "g = intcontrol(53, \"0\", \"\", \"\", \"\")\nh = intcontrol(53, \"3\", \"\", \"\", \"\")\n"),
              0);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(host.var("b"), "1");
    EXPECT_EQ(host.var("c"), "1");
    EXPECT_EQ(host.var("d"), "0");
    EXPECT_EQ(host.var("e"), "1");  // CR LF at start
    EXPECT_EQ(host.var("f"), "2");
    EXPECT_EQ(host.var("g"), "4");
    EXPECT_EQ(host.var("h"), "0");
    EXPECT_EQ(host.run("x = intcontrol(53, \"5\", \"\", \"\", \"\")\n"), 1464);
    EXPECT_EQ(host.run("x = intcontrol(53, \"-1\", \"\", \"\", \"\")\n"), 1464);
}

TEST(Frame, ControlsReturnTheirPreviousSettings) {
    ScriptHost host;
    EXPECT_EQ(host.run("a = errormode(0)\nb = errormode(5)\nc = errormode(1)\nd = decimals(20)\ne = 1.123456789\n"
                       "f = decimals(-9)\ng = exclusive(1)\nh = exclusive(0)\ni = intcontrol(29, \",\", \"\", \"\", \"\")\n"
                       "j = intcontrol(29, \";\", \"\", \"\", \"\")\nk = intcontrol(34, \"3062\", \"\", \"\", \"\")\n"
                       "l = debug(0)\n"),
              0);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(host.var("b"), "0");
    EXPECT_EQ(host.var("c"), "2");
    EXPECT_EQ(host.var("d"), "20");
    EXPECT_EQ(host.var("e"), "1.12345679");  // above 8 becomes 8
    EXPECT_EQ(host.var("h"), "1");
    EXPECT_EQ(host.var("i"), "\t");
    EXPECT_EQ(host.var("j"), ",");
    EXPECT_EQ(host.var("k"), "Attempt to divide by zero");
    EXPECT_EQ(host.run("x = intcontrol(29, \"ab\", \"\", \"\", \"\")\n"), 1407);
    EXPECT_EQ(host.run("x = intcontrol(99, \"\", \"\", \"\", \"\")\n"), 3171);
}

int breaking_host(uintptr_t, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t, uintptr_t,
                  uintptr_t what, uintptr_t, uintptr_t, uintptr_t) {
    if (request == -1 && what && std::string(reinterpret_cast<const char*>(what)) == "1") QslRequestBreak();
    return 0;
}

TEST(Frame, BreakEndsTheRunUnlessDisabled) {
    ScriptHost host;
    DLLServices(host.instance, 3, nullptr, nullptr, QSL_NOTIFY_IDLE, 0);
    EXPECT_EQ(host.run("a = 1\nb = 2\n", breaking_host), QSL_STOP_REQUESTED);
    EXPECT_EQ(host.var("b"), "<none>");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Execution terminated by user request or error");
    DLLServices(host.instance, 4, nullptr, nullptr, QSL_RUN_NO_BREAK, 0);
    EXPECT_EQ(host.run("x = intcontrol(12, \"12\", \"\", \"\", \"\")\nb = 2\n", breaking_host), 0);
    EXPECT_EQ(host.var("x"), "8");
    EXPECT_EQ(host.var("b"), "2");
}

TEST(Frame, SingleStepShowsEachLine) {
    ScriptHost host;
    host.step_answers = {QSL_STEP_NEXT, QSL_STEP_NEXT, QSL_STEP_SHOW_VAR, QSL_STEP_RUN};
    EXPECT_EQ(host.run("x = debug(1)\nx = 5\ny = 6\nz = 7\n"), 0);
    EXPECT_EQ(host.var("z"), "7");
    ASSERT_GE(host.steps.size(), 3u);
    EXPECT_EQ(host.steps[1], "Next Statement...\nx = 5");
    EXPECT_EQ(host.steps[2], "Result...\nVALUE=>5");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "x = 5");
    ScriptHost cancelled;
    cancelled.step_answers = {QSL_STEP_NEXT, QSL_STEP_CANCEL};
    EXPECT_EQ(cancelled.run("x = debug(1)\nx = 5\n"), QSL_USER_CANCEL);
    EXPECT_EQ(cancelled.var("x"), "0");
}

int g_nested_results[2];

int reentering_host(uintptr_t host_data, uintptr_t, uintptr_t, uintptr_t, intptr_t request, QslAnswerProc, uintptr_t,
                    uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
    if (request != -1) return 0;
    auto instance = QslHandle(host_data);
    QslHandle script = QslGlobalAlloc(QSL_GMEM_ZEROINIT, 16);
    g_nested_results[0] = ProcessDaBatBuffer(0, instance, script, nullptr, 0);
    g_nested_results[1] = DoDaDllInit(0, instance, 0, 99, 0, nullptr, nullptr);
    QslGlobalFree(script);
    return 0;
}

TEST(Frame, AnInstanceCannotBeRerunOrTornDownFromItsOwnCallback) {
    ScriptHost host;
    DLLServices(host.instance, 3, nullptr, nullptr, QSL_NOTIFY_STATEMENT, 0);
    g_nested_results[0] = g_nested_results[1] = -1;
    EXPECT_EQ(host.run("WHILE 0\nENDWHILE\na = 1\n", reentering_host, host.instance), 0);
    EXPECT_EQ(host.var("a"), "1");
    EXPECT_EQ(g_nested_results[0], 0);
    EXPECT_EQ(g_nested_results[1], 0);
}

TEST(Frame, InitialisationPhases) {
    EXPECT_EQ(DoDaDllInit(0, 0, QslHandle(18) << 8, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(DoDaDllInit(0, 0, QslHandle(19) << 8, 0, 0, nullptr, nullptr), QSL_INSTANCE_SIZE);
    QslHandle small = QslGlobalAlloc(QSL_GMEM_ZEROINIT, 16);
    EXPECT_EQ(DoDaDllInit(0, small, 0, 1, 0, "x", nullptr), 0);
    EXPECT_EQ(ProcessDaBatBuffer(0, small, small, nullptr, 0), 0);
    QslGlobalFree(small);
}

}  // namespace
