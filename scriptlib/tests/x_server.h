// A private X server for the tests that need one: an Xvfb of its own on a
// display number that Xvfb finds free itself, so that tests running side by
// side do not meet. `reason` says why there is none when Xvfb is missing.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

extern char** environ;

namespace qsl::testing {

inline std::filesystem::path xvfb_program() {
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        std::filesystem::path program = std::filesystem::path(folder) / "Xvfb";
        if (access(program.c_str(), X_OK) == 0) return program;
    }
    return {};
}

// An Xvfb of its own on a free display number (Xvfb picks it and writes it
// to a pipe), ended when the tests end.
class XServer {
public:
    XServer() {
        std::filesystem::path program = xvfb_program();
        if (program.empty()) {
            reason = "Xvfb is not installed";
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string fd = std::to_string(fds[1]);
        const char* argv[] = {program.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            reason = "Xvfb could not be started";
            pid_ = 0;
            close(fds[0]);
            return;
        }
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char ch;
        while (poll(&wait, 1, 10000) > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
        close(fds[0]);
        if (number.empty()) {
            reason = "Xvfb did not report its display";
            return;
        }
        display = ":" + number;
    }
    ~XServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    std::string display, reason;

private:
    pid_t pid_ = 0;
};

}  // namespace qsl::testing
