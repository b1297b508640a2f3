// builder_bench [ROUNDS [DFORGE]]: what a user waits for when DFORGE builds a daily
// output. It writes a sample installation with CLC files of ten commodities
// holding 40 years of weekdays each (a roll-over every quarter) into a
// temporary folder, and a build file joining their opens, highs, lows and
// closes, back-adjusted (linking method 3), into one daily ASCII output of
// about 3 MB. Then, ROUNDS times (default 11), alternating, each started as a
// process after a sync:
//   - cp of the ten input files and the output file into an empty folder (the
//     floor for a job that reads the one and writes the other),
//   - the same cp with its copy of the output left from the round before, so
//     that, as DFORGE replaces yesterday's output, the copy replaces
//     yesterday's copy (on a file system that discards freed blocks at once,
//     freeing the old file's blocks is a good part of the time),
//   - DFORGE running the build file,
// and prints the medians, their ratios (the goal: within 2 x, 3 x at most), the
// same for the processor time the processes used (less moved by a busy machine), and
// a checksum of the output, so that a change made for speed shows it wrote
// the same bytes. The same for a MetaStock series of one input's six fields
// against cp of the input and its F1.DAT. Last, the peak memory of DFORGE
// building the daily output over 10 and over 40 years, from the system's
// account of the finished process: the table is streamed, so the two should
// be alike.
//
// The machine's load changes the figures: compare ratios of one run, never
// times of different runs.
//
// A second argument names another DFORGE to time (an older build, say).
// With QV_BENCH_KEEP set, the installation stays for profiling and its folder
// is shown.
//
// Build and run: cmake -S . -B build-bench -DQV_BENCH=ON -DQV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//                cmake --build build-bench --target builder_bench DFORGE && build-bench/bin/builder_bench

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/bench_support.h"
#include "common/platform/process.h"
#include "common/tables.h"
#include "common/tool.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr std::size_t inputs = 10;
fs::path dforge = fs::path(QV_BIN_DIR) / "DFORGE";

// The build file: the ten series' prices side by side from `first_date` on.
std::string build_file(const CommodityTable& tables, const char* first_date) {
    std::string text = "#STARTINGDATE=" + std::string(first_date) + "\n#ENDINGDATE=12/04/2020\n";
    text += "#CLCLINKINGMETHOD=3\n\\QUORVANT\\ASCII\\BENCH.TXT\n";
    for (std::size_t i = 0; i < inputs; ++i) text += tables[i].tag + "_CLC 1,2,3,4\n";
    return text;
}

// The MetaStock build file: one series of the first input's bars.
std::string metastock_build_file(const CommodityTable& tables) {
    return "#STARTINGDATE=12/05/1980\n#ENDINGDATE=12/04/2020\n#OUTPUTFORMAT=M\n#CLCLINKINGMETHOD=3\n"
           "\\QUORVANT\\META\\BENCH\\" + tables[0].tag + "\n" + tables[0].tag + "_CLC 1,2,3,4,6,7\n";
}

// The time a program takes as a process (its screens discarded), after a
// sync: on the clock, and the processor time it used.
struct Timing {
    double wall = 0.0;
    double cpu = 0.0;
};

Timing time_of(const fs::path& program, const std::vector<std::string>& arguments) {
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    const MeasuredRun run = run_program_measured(program, arguments);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (run.status != 0) throw std::runtime_error(program.string() + " ended with " + std::to_string(run.status));
    return {took.count(), run.cpu_seconds};
}

Timing median(std::vector<Timing> values) {
    Timing middle;
    std::sort(values.begin(), values.end(), [](const Timing& a, const Timing& b) { return a.wall < b.wall; });
    middle.wall = values[values.size() / 2].wall;
    std::sort(values.begin(), values.end(), [](const Timing& a, const Timing& b) { return a.cpu < b.cpu; });
    middle.cpu = values[values.size() / 2].cpu;
    return middle;
}

// FNV-1a over the bytes of the files, as 16 hex digits.
std::string checksum(const std::vector<fs::path>& files) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const fs::path& file : files)
        for (const char byte : qv::bench::file_contents(file))
            hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

struct Medians {
    Timing copy;       // into an empty folder
    Timing replacing;  // the output's copy replacing the one of the round before
    Timing build;
};

// Medians of `rounds` alternating runs of cp of the inputs and the output,
// both ways, and of DFORGE on `build_file`. The output is the last of `copied`.
Medians alternate(int rounds, const std::vector<std::string>& copied, const fs::path& copy_folder,
                  const std::string& build_file) {
    const fs::path replacing_folder = copy_folder.string() + "_REPLACING";
    fs::remove_all(replacing_folder);
    fs::create_directory(replacing_folder);
    const auto copy_into = [&copied](const fs::path& folder) {
        std::vector<std::string> arguments = copied;
        arguments.push_back(folder.string());
        return time_of("/bin/cp", arguments);
    };
    copy_into(replacing_folder);
    std::vector<Timing> copies;
    std::vector<Timing> replacing;
    std::vector<Timing> builds;
    for (int i = 0; i < rounds; ++i) {
        fs::remove_all(copy_folder);
        fs::create_directory(copy_folder);
        copies.push_back(copy_into(copy_folder));
        for (std::size_t k = 0; k + 1 < copied.size(); ++k) {
            fs::remove(replacing_folder / fs::path(copied[k]).filename());
        }
        replacing.push_back(copy_into(replacing_folder));
        builds.push_back(time_of(dforge, {build_file}));
    }
    fs::remove_all(replacing_folder);
    return {median(copies), median(replacing), median(builds)};
}

long peak_kib_of(const std::string& build_file) {
    const MeasuredRun run = run_program_measured(dforge, {build_file});
    if (run.status != 0) throw std::runtime_error("DFORGE failed");
    return run.peak_kib;
}

double load_average() {
    double load = 0.0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    if (argc > 2) dforge = fs::absolute(argv[2]);
    const std::optional<fs::path> folder = qv::bench::make_bench_folder("builder_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    int status = 0;
    try {
        qv::bench::use_sample_installation(root);
        fs::current_path(root);

        const CommodityTable tables = load_tables(builder_profile.tables);
        std::vector<std::string> copied;
        std::uintmax_t input_bytes = 0;
        for (std::size_t i = 0; i < inputs; ++i) {
            qv::bench::write_clc_history(tables[i]);
            const fs::path file = root / "CLC" / (tables[i].tag + "_CLC.QVT");
            input_bytes += fs::file_size(file);
            copied.push_back(file.string());
        }
        std::ofstream(root / "AUTO" / "$BENCH") << build_file(tables, "12/05/1980");
        std::ofstream(root / "AUTO" / "$BENCH10") << build_file(tables, "12/06/2010");
        std::ofstream(root / "AUTO" / "$BENCHMS") << metastock_build_file(tables);

        // A first build of each makes the outputs that the copies take too.
        const fs::path output = root / "ASCII" / "BENCH.TXT";
        const fs::path dat = root / "META" / "BENCH" / "F1.DAT";
        time_of(dforge, {"$BENCHMS"});
        time_of(dforge, {"$BENCH"});
        if (!fs::exists(output) || !fs::exists(dat)) throw std::runtime_error("DFORGE wrote no output");
        const std::uintmax_t output_bytes = fs::file_size(output);
        const std::uintmax_t dat_bytes = fs::file_size(dat);

        const double load_before = load_average();
        const fs::path copy_folder = root / "COPY";
        std::vector<std::string> daily_copied = copied;
        daily_copied.push_back(output.string());
        const Medians daily = alternate(rounds, daily_copied, copy_folder, "$BENCH");
        const std::string daily_sum = checksum({output});
        const Medians metastock = alternate(rounds, {copied.front(), dat.string()}, copy_folder, "$BENCHMS");
        const std::string metastock_sum = checksum({root / "META" / "BENCH" / "MASTER", dat});
        const long ten_years = peak_kib_of("$BENCH10");
        const long forty_years = peak_kib_of("$BENCH");
        const double load_after = load_average();

        std::printf("%zu CLC inputs of 40 years, %.1f MB; daily output of %zu columns, back-adjusted, %.1f MB\n",
                    inputs, static_cast<double>(input_bytes) / 1e6, 4 * inputs,
                    static_cast<double>(output_bytes) / 1e6);
        std::printf("medians of %d alternating runs as processes, a sync before each; load average %.2f to %.2f\n",
                    rounds, load_before, load_after);
        const auto show = [](const char* what, const Timing& time, const Timing& copy, const std::string& sum) {
            std::printf("  %-40s %8.4f s  %5.2f x copy   cpu %7.4f s  %5.2f x copy%s%s\n", what, time.wall,
                        time.wall / copy.wall, time.cpu, time.cpu / std::max(copy.cpu, 1e-6),
                        sum.empty() ? "" : "   checksum ", sum.c_str());
        };
        const auto show_all = [&show](const Medians& medians, const std::string& sum) {
            show("cp of the inputs and the output", medians.copy, medians.copy, "");
            show("DFORGE", medians.build, medians.copy, sum);
            std::printf("  against cp replacing its copy of the output: %.4f s, cpu %.4f s: DFORGE %.2f x, cpu %.2f x\n",
                        medians.replacing.wall, medians.replacing.cpu, medians.build.wall / medians.replacing.wall,
                        medians.build.cpu / std::max(medians.replacing.cpu, 1e-6));
        };
        show_all(daily, daily_sum);
        std::printf("one CLC input of 40 years to a MetaStock series of 6 fields, F1.DAT %.1f MB\n",
                    static_cast<double>(dat_bytes) / 1e6);
        show_all(metastock, metastock_sum);
        std::printf("peak memory of DFORGE: %ld KiB building 10 years, %ld KiB building 40 years\n", ten_years,
                    forty_years);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "builder_bench: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    qv::bench::leave_bench_folder(root);
    return status;
}
