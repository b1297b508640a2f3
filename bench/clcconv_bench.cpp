// clcconv_bench [ROUNDS]: writes the sample installation with its CLC history
// into a temporary folder, then times, best of ROUNDS (default 5):
//   - copying every CLC database file (the floor for any whole-file job),
//   - clcconv's conversion of the whole database to ASCII,
//   - and its conversion of those ASCII files back to binary,
// and prints each time with its ratio to the copy. The round trip is checked
// to give every file back byte for byte.

#include "bench/bench_support.h"
#include "clcconv/clcconv.h"

#include "common/platform/console.h"
#include "common/platform/environment.h"
#include "common/platform/process.h"
#include "common/tool.h"
#include "sample/sample_install.h"

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

namespace {

namespace fs = std::filesystem;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::optional<fs::path> folder = qv::bench::make_bench_folder("clcconv_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    qv::sample::write_installation(root);
    const fs::path generator = fs::path(QV_BIN_DIR) / "make_clc_history";
    if (qv::run_program(generator, {root.string()}) != 0) {
        std::fprintf(stderr, "clcconv_bench: %s failed\n", generator.c_str());
        fs::remove_all(root);
        return 1;
    }
    qv::set_env("QUORVANT_ROOT", root.string());

    qv::SilentConsole quiet;
    qv::ScopedConsole scope(quiet);
    const qv::CommodityTable table = qv::load_tables(qv::clcconv_profile.tables);

    std::vector<fs::path> files;
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(root / "CLC"))
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
            bytes += entry.file_size();
        }
    const fs::path copies = root / "COPY";
    fs::create_directories(copies);

    const double copy = qv::bench::best_seconds(rounds, [&] {
        for (const fs::path& file : files)
            fs::copy_file(file, copies / file.filename(), fs::copy_options::overwrite_existing);
    });
    const double to_ascii = qv::bench::best_seconds(rounds, [&] { qv::clcconv::run({"/1"}, table); });
    const double to_binary = qv::bench::best_seconds(rounds, [&] { qv::clcconv::run({"/2"}, table); });

    int differing = 0;
    for (const fs::path& file : files) {
        const fs::path bin = root / "CLC" / "TEMP" / file.filename().replace_extension(".BIN");
        if (qv::bench::file_contents(file) != qv::bench::file_contents(bin)) ++differing;
    }

    std::printf("CLC sample database: %zu files, %.1f MB; best of %d rounds\n", files.size(),
                static_cast<double>(bytes) / 1e6, rounds);
    std::printf("  %-28s %9.4f s  %7.1f x copy\n", "copy the database files", copy, 1.0);
    std::printf("  %-28s %9.4f s  %7.1f x copy\n", "clcconv /1 (to ASCII)", to_ascii, to_ascii / copy);
    std::printf("  %-28s %9.4f s  %7.1f x copy\n", "clcconv /2 (back to binary)", to_binary, to_binary / copy);
    std::printf("  round trip: %s\n", differing == 0 ? "every file identical" : "FILES DIFFER");
    fs::remove_all(root);
    return differing == 0 ? 0 : 1;
}
