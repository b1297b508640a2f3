#include "common/platform/files.h"
#include "common/platform/program_pipe.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace qv {

std::optional<int> run_piped(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                             std::string_view input, std::string* output) {
    std::vector<std::string> storage{program.string()};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : storage) argv.push_back(text.data());
    argv.push_back(nullptr);

    int to_child[2], from_child[2];
    if (::pipe2(to_child, O_CLOEXEC) != 0) return std::nullopt;
    if (::pipe2(from_child, O_CLOEXEC) != 0) {
        ::close(to_child[0]);
        ::close(to_child[1]);
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(to_child[0], STDIN_FILENO);
        // Without an output wanted, a child that lingers (a selection owner
        // serving its text) must not hold the pipe open.
        int out = output ? from_child[1] : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(out, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    if (child < 0) {
        ::close(to_child[1]);
        ::close(from_child[0]);
        return std::nullopt;
    }
    // A child that stops reading must not end this program with SIGPIPE.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    write_all_bytes(to_child[1], input);
    ::sigaction(SIGPIPE, &previous, nullptr);
    ::close(to_child[1]);
    char block[4096];
    for (;;) {
        ssize_t got = ::read(from_child[0], block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (output) output->append(block, size_t(got));
    }
    ::close(from_child[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return std::nullopt;
    return WEXITSTATUS(status);
}

}  // namespace qv
