// builder_bench [ROUNDS]: writes a sample installation with CLC files of ten
// commodities holding 40 years of weekdays each into a temporary folder, and a
// build file joining their opens, highs, lows and closes into one daily ASCII
// output, then times, best of ROUNDS (default 5):
//   - cp of the ten input files and the output file (the floor for a job that
//     reads the one and writes the other),
//   - DFORGE running the build file, in process,
// and prints the time with its ratio to the copy (the goal is within 3 x); the
// same for a MetaStock series of the first input's six fields over 40 years.
// It then builds the same output over 10 and over 40 years and prints the peak
// memory of each build: the table is streamed, so the two should be alike.
// Last come checksums of the 40-year output file and F1.DAT: a change made for
// speed must leave them as they were.
//
// Build and run: cmake -S . -B build-bench -DQV_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//                cmake --build build-bench --target builder_bench && build-bench/bin/builder_bench

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "builder/driver.h"
#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/platform/console.h"
#include "common/platform/environment.h"
#include "common/platform/process.h"
#include "common/platform/program_end.h"
#include "common/tables.h"
#include "common/tool.h"
#include "sample/sample_install.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr std::size_t inputs = 10;

// The build file: the ten series' prices side by side from `first_date` on.
std::string build_file(const CommodityTable& tables, const char* first_date) {
    std::string text = "#STARTINGDATE=" + std::string(first_date) + "\n#ENDINGDATE=12/04/2020\n";
    text += "#CLCLINKINGMETHOD=1\n\\QUORVANT\\ASCII\\BENCH.TXT\n";
    for (std::size_t i = 0; i < inputs; ++i) text += tables[i].tag + "_CLC 1,2,3,4\n";
    return text;
}

// The MetaStock build file: one series of the first input's bars.
std::string metastock_build_file(const CommodityTable& tables) {
    return "#STARTINGDATE=12/05/1980\n#ENDINGDATE=12/04/2020\n#OUTPUTFORMAT=M\n"
           "\\QUORVANT\\META\\BENCH\\" + tables[0].tag + "\n" + tables[0].tag + "_CLC 1,2,3,4,6,7\n";
}

void run_build(const fs::path& output, std::string_view build_file = "$BENCH") {
    fs::remove(output);
    try {
        builder::run_builder({build_file});
    } catch (const ProgramEnd&) {
    }
    if (!fs::exists(output)) throw std::runtime_error("DFORGE wrote no output; run it on the folder to see why");
}

// The peak resident memory of `job` in KiB: the high-water mark is reset
// before it (Linux clear_refs 5) and read from VmHWM after it.
long peak_kib(const std::function<void()>& job) {
    std::ofstream("/proc/self/clear_refs") << "5";
    job();
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// FNV-1a over the bytes of a file, as 16 hex digits.
std::string checksum(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::uint64_t hash = 14695981039346656037ull;
    char byte = 0;
    while (in.get(byte)) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::optional<fs::path> folder = qv::bench::make_bench_folder("builder_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    int status = 0;
    try {
        sample::write_installation(root);
        set_env("QUORVANT_ROOT", root.string());
        set_env("QUORVANT_TODAY", "2020-12-07");
        fs::current_path(root);
        SilentConsole quiet;
        ScopedConsole scope(quiet);

        const CommodityTable tables = load_tables(builder_profile.tables);
        std::vector<std::string> copied;
        std::uintmax_t input_bytes = 0;
        for (std::size_t i = 0; i < inputs; ++i) {
            qv::bench::write_clc_history(tables[i]);
            const fs::path file = root / "CLC" / (tables[i].tag + "_CLC.QVT");
            input_bytes += fs::file_size(file);
            copied.push_back(file.string());
        }
        const fs::path output = root / "ASCII" / "BENCH.TXT";
        const auto write_build_file = [&](const char* first_date) {
            std::ofstream(root / "AUTO" / "$BENCH") << build_file(tables, first_date);
        };

        write_build_file("12/05/1980");
        const double build = qv::bench::best_seconds(rounds, [&] { run_build(output); });
        const std::uintmax_t output_bytes = fs::file_size(output);
        copied.push_back(output.string());

        const fs::path copy_folder = root / "COPY";
        const double copy = qv::bench::best_seconds(rounds, [&] {
            fs::remove_all(copy_folder);
            fs::create_directory(copy_folder);
            std::vector<std::string> arguments = copied;
            arguments.push_back(copy_folder.string());
            if (run_program("/bin/cp", arguments) != 0) throw std::runtime_error("cp failed");
        });

        std::ofstream(root / "AUTO" / "$BENCHMS") << metastock_build_file(tables);
        const fs::path dat = root / "META" / "BENCH" / "F1.DAT";
        const double metastock = qv::bench::best_seconds(rounds, [&] { run_build(dat, "$BENCHMS"); });
        const std::uintmax_t dat_bytes = fs::file_size(dat);
        const double metastock_copy = qv::bench::best_seconds(rounds, [&] {
            fs::remove_all(copy_folder);
            fs::create_directory(copy_folder);
            if (run_program("/bin/cp", {copied.front(), dat.string(), copy_folder.string()}) != 0)
                throw std::runtime_error("cp failed");
        });

        write_build_file("12/06/2010");
        const long ten_years = peak_kib([&] { run_build(output); });
        write_build_file("12/05/1980");
        const long forty_years = peak_kib([&] { run_build(output); });

        std::printf("%zu CLC inputs of 40 years, %.1f MB; daily output of %zu columns, %.1f MB; best of %d rounds\n",
                    inputs, static_cast<double>(input_bytes) / 1e6, 4 * inputs,
                    static_cast<double>(output_bytes) / 1e6, rounds);
        std::printf("  %-40s %9.4f s  %6.2f x copy\n", "cp of the inputs and the output", copy, 1.0);
        std::printf("  %-40s %9.4f s  %6.2f x copy\n", "DFORGE build", build, build / copy);
        std::printf("one CLC input of 40 years to a MetaStock series of 7 fields, %.1f MB\n",
                    static_cast<double>(dat_bytes) / 1e6);
        std::printf("  %-40s %9.4f s  %6.2f x copy\n", "cp of the input and F1.DAT", metastock_copy, 1.0);
        std::printf("  %-40s %9.4f s  %6.2f x copy\n", "DFORGE build", metastock, metastock / metastock_copy);
        std::printf("  peak memory of the process: %ld KiB building 10 years, %ld KiB building 40 years\n",
                    ten_years, forty_years);
        std::printf("  checksums: daily output %s, F1.DAT %s\n", checksum(output).c_str(), checksum(dat).c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "builder_bench: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(root, ignored);
    return status;
}
