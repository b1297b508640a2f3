// updater_bench [ROUNDS]: the updater as a user runs it, QUORUP started as a
// process on a pending daily update, against cp -r of the CLC folder (the
// floor for a job that replaces every file of it). Into a temporary folder it
// writes a sample installation with a CLC database of 72 commodities holding
// 40 years of weekdays each (18 MB) and a daily update with a line for each of
// them; then, medians of ROUNDS (default 9) alternating runs, each after a
// sync:
//   - QUORUP: its start-up, the merge, the one syncfs before the update file
//     gets its merged name, its messages and the hand-over to its batch file,
//   - cp -r of the CLC folder,
//   - the same copy followed by a syncfs of its file system (sync -f), the
//     floor for a job that must have its files on the disk before it ends,
// with the ratio. Before each round the CLC folder, the update file and the
// message file are put back as they were. It prints the checksum of the CLC
// folder the merge left, the same in every round, so that a faster updater
// shows it wrote the same bytes. With QV_BENCH_KEEP set, the installation
// stays for profiling and its folder is shown.
//
// Build and run: cmake -S . -B build-bench -DQV_BENCH=ON -DQV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//                cmake --build build-bench --target updater_bench && build-bench/bin/updater_bench

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "common/platform/console.h"
#include "common/tables.h"
#include "common/tool.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr std::size_t commodities = 72;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::optional<fs::path> folder = bench::make_bench_folder("updater_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    int status = 0;
    try {
        bench::use_sample_installation(root);
        {
            SilentConsole quiet;
            ScopedConsole scope(quiet);
            const CommodityTable tables = load_tables(updater_profile.tables);
            std::string update = "DU201207.CLC\n";
            for (std::size_t i = 0; i < commodities && i < tables.size(); ++i) {
                bench::write_clc_history(tables[i]);
                // Prices without a decimal point are taken as stored numbers.
                update += tables[i].tag + " 201207 20000 20100 19900 20050 5100 21000 60100\n";
            }
            std::ofstream(root / "UPDATE.CLC", std::ios::binary) << update;
        }
        const fs::path pristine = root / "PRISTINE_CLC";
        fs::rename(root / "CLC", pristine);
        std::uintmax_t bytes = 0;
        for (const auto& entry : fs::directory_iterator(pristine)) bytes += entry.file_size();

        const fs::path quorup = fs::path(QV_BIN_DIR) / "QUORUP";
        const fs::path copy = root / "COPY";
        std::vector<double> runs;
        std::vector<double> copies;
        std::vector<double> synced_copies;
        std::uint64_t checksum = 0;
        bool same = true;
        std::printf("load average before: %s\n", bench::load_average().c_str());
        for (int round = 0; round < rounds; ++round) {
            fs::remove_all(root / "CLC");
            fs::copy(pristine, root / "CLC");
            fs::remove(root / "UPDATES" / "D_201207.CLC");
            fs::remove(root / "QUORUP.MSG");
            fs::copy_file(root / "UPDATE.CLC", root / "UPDATES" / "DU201207.CLC", fs::copy_options::overwrite_existing);
            const auto run = [&] { runs.push_back(bench::timed_process(quorup, {"/M"})); };
            const auto cp = [&] {
                fs::remove_all(copy);
                copies.push_back(bench::timed_process("/bin/cp", {"-r", pristine.string(), copy.string()}));
            };
            const auto synced_cp = [&] {
                fs::remove_all(copy);
                synced_copies.push_back(
                    bench::timed_process("/bin/sh", {"-c", bench::copy_then_sync, pristine.string(), copy.string()}));
            };
            if (round % 2 == 0) {
                run();
                cp();
                synced_cp();
            } else {
                synced_cp();
                cp();
                run();
            }
            if (!fs::exists(root / "UPDATES" / "D_201207.CLC")) {
                std::fprintf(stderr, "updater_bench: QUORUP did not merge the update; see QUORUP.MSG\n");
                same = false;
            }
            const std::uint64_t sum = bench::folder_checksum(root / "CLC");
            if (round > 0 && sum != checksum) same = false;
            checksum = sum;
        }
        const double run = bench::median(runs);
        const double cp = bench::median(copies);
        const double synced_cp = bench::median(synced_copies);
        std::printf("CLC database: %zu files, 40 years each, %.1f MB; one daily update; medians of %d alternating runs\n",
                    commodities, static_cast<double>(bytes) / 1e6, rounds);
        std::printf("  %-30s %8.4f s\n", "QUORUP /M, the daily merge", run);
        std::printf("  %-30s %8.4f s\n", "cp -r of the CLC folder", cp);
        std::printf("  %-30s %8.4f s\n", "cp -r, then syncfs", synced_cp);
        std::printf("  ratio %.2f x the copy (%.2f x the synced copy); checksum %016llx%s\n", run / cp, run / synced_cp,
                    static_cast<unsigned long long>(checksum),
                    same ? "" : "  (DIFFERED BETWEEN ROUNDS)");
        std::printf("load average after: %s\n", bench::load_average().c_str());
        status = same ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "updater_bench: %s\n", error.what());
        status = 1;
    }
    bench::leave_bench_folder(root);
    return status;
}
