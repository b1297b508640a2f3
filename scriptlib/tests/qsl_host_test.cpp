// The qsl program: variables after the run, parameters, answers and the
// exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Result {
    int status;
    std::string out;
};

class QslProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qsl-host-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override {
        std::string command = "rm -rf " + folder_;
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    Result run(const std::string& arguments, const char* errors = " 2>/dev/null") {
        std::string command = "cd " + folder_ + " && QSL_REGISTRY=" + folder_ + "/registry.ini " QSL_BIN_DIR "/qsl " +
                              arguments + errors;
        FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }
    std::string folder_;
};

TEST_F(QslProgram, PrintsVariablesInTableOrderWithEscapes) {
    write("s.qsl", "b = 2\na = \"x\\y\"\nc = \"1%@crlf%2\"\nd = 0.5\nundefined = drop(b)\n");
    Result r = run("--vars s.qsl");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "param0=0\na=x\\\\y\nc=1\\r\\n2\nd=0.5\nundefined=1\n");
}

TEST_F(QslProgram, ParametersBecomeParamVariables) {
    write("p.qsl", "all = \"%param0%:%param1%:%param2%\"\n");
    Result r = run("--vars p.qsl first \"two words\"");
    EXPECT_NE(r.out.find("all=2:first:two words\n"), std::string::npos) << r.out;
}

TEST_F(QslProgram, ExitStatusTellsHowTheScriptEnded) {
    const struct {
        const char* script;
        int status;
    } cases[] = {
        {"a = 1\n", 0},
        {"EXIT\na = 1\n", 0},
        {"a = 1 / 0\n", 1},
        {"x = terminate(1, \"\", \"\")\n", 1},
    };
    for (const auto& c : cases) {
        write("e.qsl", c.script);
        EXPECT_EQ(run("e.qsl").status, c.status) << c.script;
    }
    EXPECT_EQ(run("missing.qsl").status, 1);
}

// An error report names the script file and the line of the statement, in a
// called script too, whatever the line ends.
TEST_F(QslProgram, ErrorReportsNameTheScriptFileAndLine) {
    const struct {
        const char* main;
        const char* place;
    } cases[] = {
        {"a = 1\n\n; a comment\nb = 1 / 0\n", "at e.qsl, line 4\n"},
        {"a = 1\r\nb = 2\r\nc = 1 / 0\r\n", "at e.qsl, line 3\n"},
        {"a = 1\rb = 1 / 0\r", "at e.qsl, line 2\n"},
        {"a = 1\ny = call(\"sub.qsl\", \"\")\n", "at sub.qsl, line 2\n"},
    };
    write("sub.qsl", "x = 1\nz = 1 / 0\n");
    for (const auto& c : cases) {
        write("e.qsl", c.main);
        Result r = run("e.qsl", " 2>&1");
        EXPECT_EQ(r.status, 1) << c.main;
        EXPECT_NE(r.out.find(c.place), std::string::npos) << c.main << r.out;
    }
}

TEST_F(QslProgram, AnswersPressTheButtonsInTurn) {
    write("n.qsl", "x = errormode(@NOTIFY)\ny = call(\"none\", \"\")\na = 1\ny = call(\"none\", \"\")\nb = 1\n");
    write("answers.txt", "OK\nCancel\n");
    Result r = run("--vars --answers answers.txt n.qsl");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("a=1\n"), std::string::npos);
    EXPECT_EQ(r.out.find("b=1\n"), std::string::npos);
}

}  // namespace
