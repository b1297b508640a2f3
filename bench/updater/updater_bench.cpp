// updater_bench [ROUNDS]: writes a sample installation with a CLC database of
// 72 commodities holding 40 years of weekdays each into a temporary folder and
// a daily update with a line for each of them, then times, best of ROUNDS
// (default 5):
//   - cp -r of the CLC folder (the floor for a job that rewrites every file),
//   - the updater's merge of the daily update (block copy of the old records),
//   - the same merge record by record,
//   - the merge in blocks followed by the one sync of the CLC folder's file system
//     that the updater makes before the update file gets its merged name,
// and prints each time with its ratio to the copy. The two merges are checked
// to give the same files.
//
// Build and run: cmake -S . -B build-bench -DQV_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//                cmake --build build-bench --target updater_bench && build-bench/bin/updater_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "common/clc_file.h"
#include "common/platform/console.h"
#include "common/platform/environment.h"
#include "common/holidays.h"
#include "common/install_files.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/tables.h"
#include "common/platform/text.h"
#include "sample/sample_install.h"
#include "updater/merge_clc.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr std::size_t commodities = 72;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::optional<fs::path> folder = qv::bench::make_bench_folder("updater_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    int status = 0;
    try {
        sample::write_installation(root);
        set_env("QUORVANT_ROOT", root.string());
        SilentConsole quiet;
        ScopedConsole scope(quiet);

        UpdaterState state;
        state.tables = load_tables(updater_profile.tables);
        state.reset_commodity_states();
        std::string update = "DU201207.CLC\n";
        std::uintmax_t bytes = 0;
        for (std::size_t i = 0; i < commodities && i < state.tables.size(); ++i) {
            const Commodity& row = state.tables[i];
            qv::bench::write_clc_history(row);
            bytes += fs::file_size(root / "CLC" / (row.tag + "_CLC.QVT"));
            // Prices without a decimal point are taken as stored numbers.
            update += row.tag + " 201207 20000 20100 19900 20050 5100 21000 60100\n";
        }
        std::ofstream(root / "UPDATES" / "DU201207.CLC") << update;

        const fs::path copy_folder = root / "COPY";
        const double copy = qv::bench::best_seconds(
            rounds, [&] { fs::remove_all(copy_folder); },
            [&] {
                if (run_program("/bin/cp", {"-r", (root / "CLC").string(), copy_folder.string()}) != 0)
                    throw std::runtime_error("cp -r failed");
            });
        fs::remove_all(copy_folder);

        // The first merge adds Monday; every later one replaces it, the same work.
        const auto merge = [&](bool block_copy) {
            if (merge_clc(state, "DU201207.CLC", ClcMergeOptions{block_copy}) != 0)
                throw std::runtime_error("the merge failed; see QUORUP.MSG");
        };
        const double blocks = qv::bench::best_seconds(rounds, [] {}, [&] { merge(true); });
        std::vector<std::string> merged;
        for (std::size_t i = 0; i < commodities; ++i)
            merged.push_back(qv::bench::file_contents(root / "CLC" / (state.tables[i].tag + "_CLC.QVT")));
        const double records = qv::bench::best_seconds(rounds, [] {}, [&] { merge(false); });
        // The updater syncs the folder's file system once before the update
        // file gets its merged name.
        const double synced = qv::bench::best_seconds(rounds, [] {}, [&] {
            merge(true);
            sync_to_disk({std::string(install::clc_folder)});
        });
        int differing = 0;
        for (std::size_t i = 0; i < commodities; ++i)
            if (qv::bench::file_contents(root / "CLC" / (state.tables[i].tag + "_CLC.QVT")) != merged[i]) ++differing;

        std::printf("CLC database: %zu files, 40 years each, %.1f MB; one daily update; best of %d rounds\n",
                    commodities, static_cast<double>(bytes) / 1e6, rounds);
        std::printf("  %-34s %9.4f s  %6.2f x copy\n", "cp -r of the CLC folder", copy, 1.0);
        std::printf("  %-34s %9.4f s  %6.2f x copy\n", "merge, old records copied in blocks", blocks,
                    blocks / copy);
        std::printf("  %-34s %9.4f s  %6.2f x copy\n", "merge, record by record", records, records / copy);
        std::printf("  %-34s %9.4f s  %6.2f x copy\n", "merge in blocks, then one syncfs", synced,
                    synced / copy);
        std::printf("  both merges: %s\n", differing == 0 ? "the same files" : "FILES DIFFER");
        status = differing == 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "updater_bench: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(root);
    return status;
}
