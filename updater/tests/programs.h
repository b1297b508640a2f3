#pragma once

// The suite's programs started as processes in an installation, for the tests
// that run DFORGE and QUORUP one after the other as the daily chain does.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace qv::testing {

// Starts PROGRAM of the build's bin folder in `root` on the day `today`
// (YYYY-MM-DD), its screen output and keys taken from /dev/null.
inline pid_t start_program(const std::filesystem::path& root, const std::string& program,
                           const std::vector<std::string>& arguments, const std::string& today) {
    const std::string path = std::string(QV_BIN_DIR) + "/" + program;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(root.c_str()) != 0) ::_exit(127);
        ::setenv("QUORVANT_ROOT", root.c_str(), 1);
        ::setenv("QUORVANT_TODAY", today.c_str(), 1);
        ::setenv("QUORVANT_SYNC", "1", 1);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDIN_FILENO);
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

inline int wait_for_program(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

inline int run_program(const std::filesystem::path& root, const std::string& program,
                       const std::vector<std::string>& arguments, const std::string& today) {
    return wait_for_program(start_program(root, program, arguments, today));
}

}  // namespace qv::testing
