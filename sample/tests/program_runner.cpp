#include "sample/tests/program_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace qv::testing {

namespace {

// In the child: the folder, the environment, then the program.
[[noreturn]] void exec_in(const std::string& program, const std::vector<std::string>& arguments,
                          const std::filesystem::path& folder, const std::vector<std::string>& environment) {
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    for (const std::string& entry : environment) {
        const std::size_t equals = entry.find('=');
        ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    const std::string path = std::string(QV_BIN_DIR) + "/" + program;
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
}

std::string read_all(int descriptor) {
    std::string text;
    char piece[4096];
    for (;;) {
        const ssize_t got = ::read(descriptor, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // a pseudo-terminal reports EIO once the child has gone
        text.append(piece, static_cast<std::size_t>(got));
    }
    return text;
}

int exit_code_of(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ProgramRun run_built_program(const std::string& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& folder, const std::vector<std::string>& environment) {
    int out[2];
    if (::pipe(out) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(out[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        exec_in(program, arguments, folder, environment);
    }
    ::close(out[1]);
    ProgramRun run;
    run.output = read_all(out[0]);
    ::close(out[0]);
    run.exit_code = exit_code_of(child);
    return run;
}

ProgramRun run_on_terminal(const std::string& program, const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder, const std::vector<std::string>& environment) {
    int terminal = -1;
    winsize size{};
    size.ws_row = 25;
    size.ws_col = 80;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, &size);
    if (child < 0) return {};
    if (child == 0) exec_in(program, arguments, folder, environment);
    ProgramRun run;
    run.output = read_all(terminal);
    ::close(terminal);
    run.exit_code = exit_code_of(child);
    return run;
}

std::vector<std::pair<std::string, std::string>> folder_contents(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(entry.path(), folder).string();
        if (!entry.is_regular_file()) {
            files.emplace_back(name + "/", "");
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(name, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace qv::testing
