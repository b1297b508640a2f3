// qsl --menu: the listing without a terminal, an item run by its identifier,
// and the text-mode menu on a pseudo-terminal driven by typed keys.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "temp_folder.h"

using qsl::testing::TempFolder;

namespace {

const char* const menu_file =
    "File ; the file menu\n"
    " Open\\^O\n"
    "    x = iniwritepvt(\"s\", \"open\", \"1\", \"out.ini\")\n"
    " _Save\n"
    "    x = iniwritepvt(\"s\", \"save\", \"1\", \"out.ini\")\n"
    "    exit\n"
    "Quit\\!X\n"
    "    x = 1 / 0\n";

struct Result {
    int status;
    std::string out;
};

Result run_qsl(const TempFolder& folder, const std::string& arguments) {
    const std::string command = "cd " + folder.path.string() + " && QSL_REGISTRY=" + folder.path.string() +
                                "/registry.ini " QSL_BIN_DIR "/qsl " + arguments + " 2>/dev/null </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(QslMenu, WithoutATerminalTheMenusAreListedAndAnItemRunsByItsIdentifier) {
    TempFolder folder;
    folder.write("m.mnu", menu_file);
    Result listed = run_qsl(folder, "--menu m.mnu");
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "File\n  1000  Open  Ctrl+O\n  ----\n  1001  Save\n1002  Quit  Alt+X\n");
    const struct {
        const char* item;
        int status;
    } cases[] = {{"1001", 0}, {"1000", 0}, {"1002", 1}, {"1003", 1}, {"abc", 1}};
    for (const auto& c : cases) EXPECT_EQ(run_qsl(folder, std::string("--menu m.mnu --item ") + c.item).status, c.status) << c.item;
    EXPECT_EQ(folder.read("out.ini"), "[s]\nsave=1\nopen=1\n");
    EXPECT_EQ(run_qsl(folder, "--menu missing.mnu").status, 1);
}

// The controlling side of a pseudo-terminal on which qsl runs.
class Terminal {
public:
    Terminal() {
        controller_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (controller_ >= 0 && grantpt(controller_) == 0 && unlockpt(controller_) == 0) name_ = ptsname(controller_);
    }
    ~Terminal() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (controller_ >= 0) close(controller_);
    }
    bool ready() const { return !name_.empty(); }

    void start(const TempFolder& folder, const std::string& file) {
        child_ = fork();
        if (child_ == 0) {
            setsid();
            const int terminal = open(name_.c_str(), O_RDWR);
            if (terminal < 0 || chdir(folder.path.c_str()) != 0) _exit(127);
            dup2(terminal, 0);
            dup2(terminal, 1);
            dup2(terminal, 2);
            setenv("QSL_REGISTRY", (folder.path / "registry.ini").c_str(), 1);
            execl(QSL_BIN_DIR "/qsl", "qsl", "--menu", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    // Reads what qsl draws until the text appears (five seconds at most).
    bool wait_for(const std::string& text) {
        char buffer[512];
        pollfd ready{controller_, POLLIN, 0};
        for (int waited = 0; waited < 50; ++waited) {
            if (seen_.find(text) != std::string::npos) {
                seen_.erase(0, seen_.find(text) + text.size());
                return true;
            }
            if (poll(&ready, 1, 100) != 1) continue;
            const ssize_t got = read(controller_, buffer, sizeof buffer);
            if (got <= 0) break;
            seen_.append(buffer, size_t(got));
        }
        return false;
    }
    void type(const std::string& keys) { ASSERT_EQ(write(controller_, keys.data(), keys.size()), ssize_t(keys.size())); }

    // The exit status once qsl has ended (-1 if it did not within five seconds).
    int exit_status() {
        for (int waited = 0; waited < 50; ++waited) {
            char buffer[512];
            pollfd ready{controller_, POLLIN, 0};
            while (poll(&ready, 1, 0) == 1 && read(controller_, buffer, sizeof buffer) > 0) {
            }
            int status = 0;
            if (waitpid(child_, &status, WNOHANG) == child_) {
                child_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(100000);
        }
        return -1;
    }
    // The line discipline's modes, as the shell would find them.
    tcflag_t local_modes() const {
        termios modes{};
        const int terminal = open(name_.c_str(), O_RDWR | O_NOCTTY);
        tcgetattr(terminal, &modes);
        close(terminal);
        return modes.c_lflag;
    }

private:
    int controller_ = -1;
    std::string name_;
    pid_t child_ = 0;
    std::string seen_;
};

TEST(QslMenu, OnATerminalKeysChooseAndRunItemsAndEscLeaves) {
    TempFolder folder;
    folder.write("m.mnu", menu_file);
    Terminal terminal;
    if (!terminal.ready()) GTEST_SKIP() << "no pseudo-terminal available";
    terminal.start(folder, "m.mnu");
    ASSERT_TRUE(terminal.wait_for("Quit"));
    terminal.type("\x1b[B");  // Down: from Open to Save
    ASSERT_TRUE(terminal.wait_for("Esc: leave"));
    terminal.type("\r");
    ASSERT_TRUE(terminal.wait_for("press a key"));
    terminal.type(" ");
    ASSERT_TRUE(terminal.wait_for("Esc: leave"));
    terminal.type("\x0f");  // Ctrl+O, Open's hot key
    ASSERT_TRUE(terminal.wait_for("press a key"));
    terminal.type(" ");
    ASSERT_TRUE(terminal.wait_for("Esc: leave"));
    terminal.type("3\r");  // the third item: Quit, which fails
    ASSERT_TRUE(terminal.wait_for("Quit: stopped"));
    terminal.type(" ");
    ASSERT_TRUE(terminal.wait_for("Esc: leave"));
    terminal.type("\x1b");
    EXPECT_EQ(terminal.exit_status(), 0);
    EXPECT_EQ(folder.read("out.ini"), "[s]\nsave=1\nopen=1\n");
    const tcflag_t modes = terminal.local_modes();
    EXPECT_TRUE((modes & ICANON) && (modes & ECHO)) << "the terminal was left raw";
}

}  // namespace
