#include "sample/tests/chain_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "common/platform/environment.h"
#include "common/testing/tool_process.h"

namespace qv::sample::testing {

namespace fs = std::filesystem;

namespace {

// The child's side of a start: its own process group, the install folder as
// working directory, the console dropped, then the program.
[[noreturn]] void exec_in(const fs::path& folder, const std::string& program, const std::vector<std::string>& arguments) {
    ::setpgid(0, 0);
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

pid_t start_in(const fs::path& folder, std::string_view program, const std::vector<std::string>& arguments) {
    set_env("QUORVANT_ROOT", folder.string());
    set_env("QUORVANT_SYNC", "1");
    const std::string path = (fs::path(QV_BIN_DIR) / program).string();
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot start " + path);
    if (child == 0) exec_in(folder, path, arguments);
    // Set here too, so that a kill right after the start reaches the group.
    ::setpgid(child, child);
    return child;
}

int wait_for(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

bool is_work_file(const std::string& name) {
    return name.starts_with("TEMP_") || name.ends_with(".TMP") || name.ends_with(".tmp");
}

}  // namespace

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int run_in(const fs::path& folder, std::string_view program, const std::vector<std::string>& arguments) {
    return wait_for(start_in(folder, program, arguments));
}

void make_chain_installation(const fs::path& folder) {
    const std::string root = folder.string();
    // Three years of CLC history keep the merges short.
    const std::vector<std::vector<std::string>> generators = {
        {"make_sample", root}, {"make_clc_history", root, "2018"}, {"make_cot_idx", root},
        {"make_vendor_days", root}, {"make_build_files", root}};
    for (const std::vector<std::string>& generator : generators)
        if (run_in(fs::temp_directory_path(), generator[0], {generator.begin() + 1, generator.end()}) != 0)
            throw std::runtime_error(generator[0] + " failed");
    // In name order, as the sample script builds them: BCAST.TXT, and so the
    // updater's roll list, then take the build files in that order.
    set_env("QUORVANT_TODAY", "2020-12-04");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder / "AUTO"))
        if (entry.path().filename().string().starts_with("$")) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) run_in(folder, "DFORGE", {name});
}

pid_t start_chain(const fs::path& folder, std::string_view day) {
    set_env("QUORVANT_TODAY", day);
    return start_in(folder, "qbatch", {"DAILY.BAT"});
}

void wait_chain(pid_t chain) { wait_for(chain); }

void kill_chain(pid_t chain) {
    ::kill(-chain, SIGKILL);
    wait_for(chain);
    // The other programs of the group die with it; those whose parent died
    // first may stay zombies for a while, which kill() still finds, so the
    // wait for them is short.
    for (int wait = 0; wait < 50 && ::kill(-chain, 0) == 0; ++wait) ::usleep(1000);
}

void run_chain(const fs::path& folder, std::string_view day) { wait_chain(start_chain(folder, day)); }

FileSet kept_files(const fs::path& folder) {
    FileSet files;
    for (const char* kept : {"CLC", "COT", "IDX", "ASCII", "META"}) {
        const fs::path top = folder / kept;
        if (!fs::exists(top)) continue;
        const bool database = std::string_view(kept).size() == 3 && kept[0] != 'M';
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            if (!entry.is_regular_file()) continue;
            const std::string name = entry.path().filename().string();
            if (is_work_file(name)) continue;
            // The converter's folder CLC\TEMP is no part of the database.
            const std::string relative = fs::relative(entry.path(), folder).string();
            if (database && relative.find("/TEMP/") != std::string::npos) continue;
            std::string bytes = read_file(entry.path());
            if (name == "MASTER" && bytes.size() >= 53) bytes.replace(49, 4, 4, '\0');
            files[relative] = std::move(bytes);
        }
    }
    return files;
}

std::string sqlite_digest(const fs::path& file) {
    return qv::testing::command_output("sqlite3 '" + file.string() + "' 'PRAGMA integrity_check' .sha3sum 2>&1");
}

}  // namespace qv::sample::testing
