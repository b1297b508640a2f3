#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qv::testing {

// One of the suite's programs started as a process in an install folder, the
// way a scheduler or the daily chain starts it: the folder is its working
// directory and QUORVANT_ROOT, its standard input is empty, its screen output
// goes to a file. `environment` adds or replaces variables.
struct ToolStart {
    std::string program;  // a program of the build's bin folder: "QUORUP", "DFANOUT"
    std::vector<std::string> arguments;
    std::map<std::string, std::string> environment;
    // A full disk: files may grow to this many bytes, and a write beyond it
    // fails (RLIMIT_FSIZE, with SIGXFSZ ignored). 0: no limit.
    std::uint64_t file_size_limit = 0;
};

class ToolProcess {
public:
    // Starts the program; with a `gate` (a pipe) the process first waits until
    // the pipe's write end is closed, so that several programs can be let go
    // at one moment.
    ToolProcess(const std::filesystem::path& root, const ToolStart& start, const std::filesystem::path& output,
                const int* gate = nullptr);
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;
    ~ToolProcess();

    pid_t pid() const { return pid_; }
    // The raw wait status.
    int wait();

private:
    pid_t pid_ = -1;
    bool waited_ = false;
};

// Runs the program to its end; its screen output.
std::string run_tool(const std::filesystem::path& root, const ToolStart& start);

// Every regular file under the folder, by its path relative to it, with its bytes.
using FileSnapshot = std::map<std::string, std::string>;
FileSnapshot snapshot_files(const std::filesystem::path& root);

// Makes `to` an exact copy of `from` (what was in `to` before is removed).
void copy_folder(const std::filesystem::path& from, const std::filesystem::path& to);

// The paths whose content differs between two snapshots, or that only one holds.
std::vector<std::string> differing_files(const FileSnapshot& a, const FileSnapshot& b);

std::string read_whole(const std::filesystem::path& file);

// Runs a command line of a program outside the suite through the shell (the
// sqlite3 program reading an exported file); what it wrote to its standard
// output.
std::string command_output(const std::string& command);

}  // namespace qv::testing
