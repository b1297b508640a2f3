#include "bench/bench_support.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/platform/environment.h"
#include "sample/sample_install.h"

namespace qv::bench {

double best_seconds(int rounds, const std::function<void()>& job) { return best_seconds(rounds, [] {}, job); }

double best_seconds(int rounds, const std::function<void()>& before, const std::function<void()>& job) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        before();
        const auto start = std::chrono::steady_clock::now();
        job();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::optional<std::filesystem::path> make_bench_folder(std::string_view benchmark) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(benchmark) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "%.*s: cannot create a temporary folder\n", static_cast<int>(benchmark.size()),
                     benchmark.data());
        return std::nullopt;
    }
    return std::filesystem::path(pattern);
}

void use_sample_installation(const std::filesystem::path& folder) {
    sample::write_installation(folder);
    set_env("QUORVANT_ROOT", folder.string());
    set_env("QUORVANT_TODAY", "2020-12-07");
}

void leave_bench_folder(const std::filesystem::path& folder) {
    if (get_env("QV_BENCH_KEEP")) {
        std::fprintf(stderr, "kept %s\n", folder.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

std::string file_contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_clc_history(const Commodity& row) {
    ClcWriter writer;
    if (!writer.create(clc_file_name(row.tag), make_clc_header(row.tag, row.precision, row.bytes)))
        throw std::runtime_error("cannot write " + clc_file_name(row.tag));
    std::int32_t price = 20000;
    int count = 0;
    for (DayNumber d = date_to_lotus(1980, 12, 5); d <= date_to_lotus(2020, 12, 4); ++d) {
        if (weekday(d) == saturday || weekday(d) == sunday) continue;
        price = std::clamp<std::int32_t>(price + static_cast<std::int32_t>((d * 7919u) % 41) - 20, 1000, 60000);
        if (++count % 63 == 0) writer.write(ClcRecord{0, price, price, price, price + 40, 0, 0, 0});
        writer.write(ClcRecord{d, price - 5, price + 20, price - 25, price, 5000u + count % 300,
                               20000u + count % 1000, 60000u + count % 500});
    }
    if (!writer.finish()) throw std::runtime_error("cannot write " + clc_file_name(row.tag));
}

double timed_process(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    int status = -1;
    if (posix_spawn(&pid, words[0].c_str(), &actions, nullptr, argv.data(), environ) == 0)
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    const bool ok = pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) std::fprintf(stderr, "%s did not end with 0\n", words[0].c_str());
    return ok ? took.count() : -took.count();
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string load_average() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::uint64_t folder_checksum(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const auto add = [&](std::string_view bytes) {
        for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    };
    for (const auto& file : files) {
        add(std::filesystem::relative(file, folder).string());
        add(file_contents(file));
    }
    return hash;
}

}  // namespace qv::bench
