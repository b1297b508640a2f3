#include "common/platform/process.h"

#include "common/platform/command.h"
#include "common/platform/console.h"
#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/platform/run_status.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace qv {
namespace {

// Everything written so far must appear before the child's output, and
// plain output must not run into it.
void flush_output() {
    console().flush();
    console().end_output();
    std::fflush(nullptr);
}

std::vector<char*> argv_of(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                           std::vector<std::string>& storage) {
    storage.clear();
    storage.push_back(program.string());
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : storage) argv.push_back(text.data());
    argv.push_back(nullptr);
    return argv;
}

// Waits for the child; with `measured`, its peak resident memory and processor
// time from the system's account of it.
int wait_for(pid_t pid, MeasuredRun* measured = nullptr) {
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) return -1;
    }
    if (measured) {
        measured->peak_kib = usage.ru_maxrss;
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
        measured->cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Forks; the child (or, detached, a grandchild) execs the program. An exec that
// fails reports its errno through a close-on-exec pipe, so that the caller
// learns whether the program really started.
int launch(const std::filesystem::path& program, const std::vector<std::string>& arguments, bool wait,
           const std::filesystem::path& folder = {}, int* start_error = nullptr, MeasuredRun* measured = nullptr,
           bool discard_output = false) {
    std::vector<std::string> storage;
    std::vector<char*> argv = argv_of(program, arguments, storage);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return -1;
    flush_output();

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return -1;
    }
    if (child == 0) {
        ::close(report[0]);
        if (!wait) {
            // The intermediate child ends at once; the grandchild belongs to init
            // and is reaped there.
            const pid_t grandchild = ::fork();
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(report[1], &error, sizeof error);
                ::_exit(127);
            }
            if (grandchild > 0) ::_exit(0);
        }
        if (discard_output) {
            const int null = ::open("/dev/null", O_WRONLY);
            if (null >= 0) ::dup2(null, STDOUT_FILENO);
        }
        if (folder.empty() || ::chdir(folder.c_str()) == 0) ::execv(argv[0], argv.data());
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int exec_error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &exec_error, sizeof exec_error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);

    const int status = wait_for(child, measured);
    if (start_error) *start_error = got > 0 ? exec_error : 0;
    if (got > 0) return -1;
    return wait ? status : 0;
}

}  // namespace

int run_program(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    const int status = launch(program, arguments, true);
    // Only a program asked for exit statuses ends with 1 for a failed run.
    if (status == 1 && env_flag("QUORVANT_EXIT_STATUS")) note_failed_run();
    return status;
}

MeasuredRun run_program_measured(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    MeasuredRun run;
    run.status = launch(program, arguments, true, {}, nullptr, &run, true);
    return run;
}

bool spawn_program(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    if (env_flag("QUORVANT_SYNC")) return run_program(program, arguments) != -1;
    return launch(program, arguments, false) == 0;
}

int start_program(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& folder, bool wait, int& start_error) {
    return launch(program, arguments, wait, folder, &start_error);
}

int run_command(std::string_view command_line) {
    CommandInterpreter interpreter;
    return interpreter.run_line(command_line);
}

bool start_command(std::string_view command_line) {
    CommandInterpreter interpreter;
    return interpreter.start(command_line) == 0;
}

void replace_by_batch(std::string_view batch_file) {
    const auto qbatch = find_suite_program("qbatch");
    if (!qbatch) return;
    std::vector<std::string> storage;
    std::vector<char*> argv = argv_of(*qbatch, {std::string(batch_file)}, storage);
    flush_output();
    // No destructor runs across the exec: the terminal is handed back here.
    console().restore_terminal();
    pass_failure_on();
    ::execv(argv[0], argv.data());
}

}  // namespace qv
