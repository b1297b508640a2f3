#include "common/testing/tool_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qv::testing {

namespace fs = std::filesystem;

namespace {

std::string bin_folder() {
    if (const char* bin = std::getenv("QV_BIN_DIR")) return bin;
#ifdef QV_BIN_DIR
    return QV_BIN_DIR;
#else
    return (fs::current_path() / "bin").string();
#endif
}

}  // namespace

ToolProcess::ToolProcess(const fs::path& root, const ToolStart& start, const fs::path& output, const int* gate) {
    const std::string program = bin_folder() + "/" + start.program;
    std::vector<std::string> storage{program};
    storage.insert(storage.end(), start.arguments.begin(), start.arguments.end());
    std::vector<char*> argv;
    for (std::string& text : storage) argv.push_back(text.data());
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ != 0) return;
    if (gate) {
        ::close(gate[1]);
        char byte;
        while (::read(gate[0], &byte, 1) > 0) {
        }
        ::close(gate[0]);
    }
    if (::chdir(root.c_str()) != 0) ::_exit(127);
    ::setenv("QUORVANT_ROOT", root.c_str(), 1);
    for (const auto& [name, value] : start.environment) ::setenv(name.c_str(), value.c_str(), 1);
    const int null = ::open("/dev/null", O_RDONLY);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (null < 0 || out < 0) ::_exit(127);
    if (start.file_size_limit > 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit{start.file_size_limit, start.file_size_limit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    }
    ::dup2(null, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

ToolProcess::~ToolProcess() {
    if (!waited_ && pid_ > 0) wait();
}

int ToolProcess::wait() {
    int status = 0;
    if (::waitpid(pid_, &status, 0) < 0) status = -1;
    waited_ = true;
    return status;
}

std::string run_tool(const fs::path& root, const ToolStart& start) {
    const fs::path output = fs::temp_directory_path() / ("qvtool-" + std::to_string(::getpid()) + ".out");
    {
        ToolProcess process(root, start, output);
        process.wait();
    }
    std::string text = read_whole(output);
    fs::remove(output);
    return text;
}

std::string command_output(const std::string& command) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "cannot run " + command;
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

std::string read_whole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

FileSnapshot snapshot_files(const fs::path& root) {
    FileSnapshot files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = read_whole(entry.path());
    return files;
}

void copy_folder(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

std::vector<std::string> differing_files(const FileSnapshot& a, const FileSnapshot& b) {
    std::vector<std::string> differ;
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        if (other == b.end() || other->second != bytes) differ.push_back(name);
    }
    for (const auto& [name, bytes] : b)
        if (!a.count(name)) differ.push_back(name);
    return differ;
}

}  // namespace qv::testing
