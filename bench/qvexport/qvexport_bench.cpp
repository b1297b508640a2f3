// qvexport_bench [ROUNDS]: the sample installation with its CLC, COT and IDX
// history in a temporary folder, then, each as a process started from here,
// medians of ROUNDS (default 7) alternating runs, after a sync each:
//   - the first export of the whole database into a new SQLite file,
//   - the daily run: the export after a day's merge (a new day and the day
//     before's open interest in every CLC file), into the file of the day
//     before, against copying that file (cp),
// with a checksum of the file each run leaves, so that a faster run shows it
// wrote the same bytes.

#include "bench/bench_support.h"

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/platform/environment.h"
#include "common/platform/process.h"
#include "sample/sample_install.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The processor time (user and system) of the programs this one has waited for.
double children_cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A run's elapsed time, and beside it its processor time, which other work
// on the machine changes far less.
struct Timing {
    std::vector<double> elapsed;
    std::vector<double> cpu;
};

void time_run(Timing& timing, const fs::path& program, const std::vector<std::string>& args) {
    ::sync();
    const double cpu_before = children_cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    const int status = qv::run_program(program, args);
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) std::fprintf(stderr, "qvexport_bench: %s ended with %d\n", program.c_str(), status);
    timing.elapsed.push_back(std::chrono::duration<double>(end - start).count());
    timing.cpu.push_back(children_cpu_seconds() - cpu_before);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

unsigned long long checksum(const fs::path& file) {
    unsigned long long hash = 0xcbf29ce484222325ULL;
    for (const char c : qv::bench::file_contents(file)) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

// A day's merge as the updater leaves it: every CLC file gains the next
// weekday, and its last day takes the new day's open interest.
void merge_a_day(const fs::path& clc_folder) {
    for (const auto& entry : fs::directory_iterator(clc_folder)) {
        if (entry.path().extension() != ".QVT" || entry.path().filename().string().rfind("TEMP", 0) == 0) continue;
        qv::ClcReader reader;
        if (reader.open(entry.path().string()) != qv::ClcReader::Status::ok) continue;
        std::vector<qv::ClcRecord> records;
        qv::ClcRecord record;
        while (reader.read(record)) records.push_back(record);
        const qv::ClcHeader header = reader.header();
        if (records.empty()) continue;
        qv::ClcRecord next = records.back();
        next.day = qv::next_weekday(records.back().day);
        records.back().open_interest = next.open_interest + 1;
        records.push_back(next);
        qv::ClcWriter writer;
        if (!writer.create(entry.path().string(), header)) continue;
        for (const qv::ClcRecord& r : records) writer.write(r);
        writer.finish();
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::optional<fs::path> folder = qv::bench::make_bench_folder("qvexport_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    qv::sample::write_installation(root);
    const fs::path bin(QV_BIN_DIR);
    for (const char* generator : {"make_clc_history", "make_cot_idx"}) {
        if (qv::run_program(bin / generator, {root.string()}) != 0) {
            std::fprintf(stderr, "qvexport_bench: %s failed\n", generator);
            fs::remove_all(root);
            return 1;
        }
    }
    qv::set_env("QUORVANT_ROOT", root.string());
    const fs::path qvexport = bin / "qvexport";
    const fs::path cp = "/bin/cp";
    const fs::path day_before = root / "day_before.sqlite";
    const fs::path work = root / "work.sqlite";
    const fs::path copy = root / "copy.sqlite";

    Timing full;
    unsigned long long full_sum = 0;
    for (int round = 0; round < rounds; ++round) {
        fs::remove(work);
        time_run(full, qvexport, {"--sqlite", work.string()});
        full_sum = checksum(work);
    }
    fs::copy_file(work, day_before, fs::copy_options::overwrite_existing);
    merge_a_day(root / "CLC");

    Timing daily, copying;
    unsigned long long daily_sum = 0;
    for (int round = 0; round < rounds; ++round) {
        fs::copy_file(day_before, work, fs::copy_options::overwrite_existing);
        fs::remove(copy);
        // Alternating which goes first, so neither always finds the caches warm.
        if (round % 2 == 0) {
            time_run(daily, qvexport, {"--sqlite", work.string()});
            time_run(copying, cp, {day_before.string(), copy.string()});
        } else {
            time_run(copying, cp, {day_before.string(), copy.string()});
            time_run(daily, qvexport, {"--sqlite", work.string()});
        }
        const unsigned long long sum = checksum(work);
        if (round > 0 && sum != daily_sum) std::printf("  the daily run wrote other bytes in round %d\n", round);
        daily_sum = sum;
    }

    std::printf("qvexport of the sample installation (%.1f MB SQLite file); medians of %d runs as processes\n",
                static_cast<double>(fs::file_size(day_before)) / 1e6, rounds);
    std::printf("  %-34s %8s   %8s\n", "", "elapsed", "cpu");
    std::printf("  %-34s %8.4f s %8.4f s   checksum %016llx\n", "first export, whole database", median(full.elapsed),
                median(full.cpu), full_sum);
    std::printf("  %-34s %8.4f s %8.4f s   checksum %016llx\n", "daily run after a day's merge",
                median(daily.elapsed), median(daily.cpu), daily_sum);
    std::printf("  %-34s %8.4f s %8.4f s\n", "cp of the SQLite file", median(copying.elapsed), median(copying.cpu));
    std::printf("  daily run: %.2f x the copy (processor time: %.2f x)\n", median(daily.elapsed) / median(copying.elapsed),
                median(daily.cpu) / median(copying.cpu));
    fs::remove_all(root);
    return 0;
}
