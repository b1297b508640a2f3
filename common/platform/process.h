#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Processes as the tools see them. No shell is ever involved: command lines are
// carried out by the suite's own interpreter (common/command.h) and programs are
// started directly with their arguments.

// Runs a command line ("QUORUP.EXE /M", "MKDIR \QUORVANT\UPDATES",
// "ATTRIB -R \QUORVANT\NEEDFIL2.TXT") and waits for it. 0 when it was carried
// out, -1 when it could not be run at all (an unknown program, a batch file that
// cannot be read), otherwise the failed command's status.
int run_command(std::string_view command_line);

// Starts a command line ("\QUORVANT\MKPICKS.EXE") without waiting for it; with
// QUORVANT_SYNC=1 it waits. False when it could not be started.
bool start_command(std::string_view command_line);

// Runs the batch file in place of this program: an exec of `qbatch FILE` from
// the folder of the running program. Open stdio streams are flushed first, but
// no destructor runs. Returns only when the exec failed.
void replace_by_batch(std::string_view batch_file);

// Low level: runs a program file and waits. `arguments` are argv[1] onwards;
// argv[0] is always the program's path. Its exit status, or -1 when it could
// not be started.
int run_program(const std::filesystem::path& program, const std::vector<std::string>& arguments);

// For measuring a program: run_program with the program's standard output
// discarded, giving its exit status (-1 when it could not be started), the
// peak resident memory of the finished program in KiB and the processor time
// it used (user and system).
struct MeasuredRun {
    int status = -1;
    long peak_kib = 0;
    double cpu_seconds = 0.0;
};
MeasuredRun run_program_measured(const std::filesystem::path& program, const std::vector<std::string>& arguments);

// Starts a program file without waiting (QUORVANT_SYNC=1: waits); the started
// program is not left behind as a zombie of this one. False when it could not
// be started.
bool spawn_program(const std::filesystem::path& program, const std::vector<std::string>& arguments);

// Starts a program file in a working folder (empty: this program's) and, when
// `wait` is set, waits for it; a program started without waiting is not left
// behind as a zombie. The exit status (0 when not waited for), or -1 when it
// could not be started, with the system's error number in start_error.
int start_program(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                  const std::filesystem::path& folder, bool wait, int& start_error);

}  // namespace qv
