#pragma once

// Runs the suite's built programs as processes, the way a user, a shell or cron
// does, for the tests of what a whole program does around its job.

#include <filesystem>
#include <string>
#include <vector>

namespace qv::testing {

struct ProgramRun {
    int exit_code = -1;
    std::string output;  // standard output and standard error together
};

// The program of the build (QV_BIN_DIR) run in `folder` with the arguments,
// standard input from /dev/null, output into a pipe; `environment` entries
// ("NAME=VALUE") are added to the test's own environment.
ProgramRun run_built_program(const std::string& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& folder, const std::vector<std::string>& environment = {});

// The same on a pseudo-terminal of 80 by 25 cells: what the terminal received.
ProgramRun run_on_terminal(const std::string& program, const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder, const std::vector<std::string>& environment = {});

// Every file under the folder with its bytes, by path relative to it.
std::vector<std::pair<std::string, std::string>> folder_contents(const std::filesystem::path& folder);

}  // namespace qv::testing
