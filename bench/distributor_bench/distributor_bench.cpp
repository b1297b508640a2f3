// distributor_bench [ROUNDS]: writes a sample installation into a temporary
// folder with 3000 contract files of 1000 daily lines each in the user's ASCII
// folder and a distributor update file with one new day for every contract,
// then times, best of ROUNDS (default 5):
//   - copying every contract file (the floor for a job that rewrites them all),
//   - the distributor's ASCII append of the update file,
// and prints each time with its ratio to the copy. Before each round the files
// are put back as they were; after it every file is checked to end with its
// new day and to have kept all its lines.
//
// Build and run: cmake -S . -B build-bench -DQV_BENCH=ON -DQV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//                cmake --build build-bench --target distributor_bench && build-bench/bin/distributor_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "common/calendar.h"
#include "common/platform/console.h"
#include "common/platform/environment.h"
#include "common/tables.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "distributor/ascii_append.h"
#include "distributor/distribution.h"
#include "sample/sample_install.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr std::size_t contracts = 3000;
constexpr int lines_per_file = 1000;
constexpr const char* contract_months = "FGHJKMNQUVXZ";

struct Contract {
    std::string tag;
    std::string key;  // "21H"
    fs::path file;
};

void write_text(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::vector<std::string> read_lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Date style 1 with comma separators: "03/15/05,open,high,low,close,volume,oi".
std::string ascii_line(DayNumber day, int price) {
    const Date d = lotus_to_date(day);
    return format("%02d/%02d/%02d,%d,%d,%d,%d,%d,%d\n", d.month, d.day, d.year % 100, price, price + 5, price - 5,
                  price + 1, 1000 + price % 77, 20000 + price % 91);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::optional<fs::path> folder = qv::bench::make_bench_folder("distributor_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    sample::write_installation(root);
    set_env("QUORVANT_ROOT", root.string());

    SilentConsole quiet;
    ScopedConsole scope(quiet);
    const CommodityTable table = load_tables(distributor_profile.tables);

    // Contracts of every commodity, month by month over the coming years,
    // until there are enough.
    std::vector<Contract> all;
    for (int year = 21; all.size() < contracts; ++year)
        for (const Commodity& row : table)
            for (int m = 0; m < 12 && all.size() < contracts; ++m) {
                const std::string key = format("%02d%c", year, contract_months[m]);
                all.push_back({row.tag, key, fs::path()});
            }

    std::vector<DayNumber> days;
    for (DayNumber day = date_to_lotus(2017, 1, 2); days.size() < static_cast<std::size_t>(lines_per_file) + 1; ++day)
        if (weekday(day) != saturday && weekday(day) != sunday) days.push_back(day);
    const DayNumber new_day = days.back();
    const Date nd = lotus_to_date(new_day);

    const fs::path pristine = root / "PRISTINE";
    const fs::path ascii = root / "ASCII";
    const fs::path copies = root / "COPY";
    std::string update = "EU201207.CLC\n";
    std::uintmax_t bytes = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        Contract& c = all[i];
        const std::string name = c.tag + c.key.substr(2) + c.key.substr(0, 2) + ".TXT";
        fs::create_directories(pristine / c.tag);
        fs::create_directories(copies / c.tag);
        c.file = fs::path(c.tag) / name;
        std::string text;
        const int base = 1000 + static_cast<int>(i % 500);
        for (int d = 0; d < lines_per_file; ++d) text += ascii_line(days[d], base + d % 40);
        write_text(pristine / c.file, text);
        bytes += text.size();
        update += format("%s %s%02d%02d%02d %d %d %d %d %d %d %d\n", c.tag.c_str(), c.key.c_str(), nd.year % 100,
                         nd.month, nd.day, base, base + 6, base - 6, base + 2, 21000, 1500, 90000);
    }
    write_text(root / "UPDATES" / "EU201207.CLC", update);

    distributor::DistributorSettings settings;
    settings.extended_contracts = 'A';
    settings.ascii_path = "\\QUORVANT\\ASCII\\";
    settings.ascii_mask = "TTMYY.TXT";
    settings.data_format = "1C1N";
    distributor::Distribution run{settings, table};

    const auto restore = [&] {
        fs::remove_all(ascii);
        fs::copy(pristine, ascii, fs::copy_options::recursive);
    };
    const double copy = qv::bench::best_seconds(rounds, [] {}, [&] {
        for (const Contract& c : all)
            fs::copy_file(pristine / c.file, copies / c.file, fs::copy_options::overwrite_existing);
    });
    int failures = 0;
    const double append = qv::bench::best_seconds(rounds, restore, [&] {
        if (distributor::append_ascii_updates("\\QUORVANT\\UPDATES\\EU201207.CLC", run) != 0) ++failures;
    });

    const std::string new_date = format("%02d/%02d/%02d,", nd.month, nd.day, nd.year % 100);
    for (const Contract& c : all) {
        const std::vector<std::string> lines = read_lines(ascii / c.file);
        if (lines.size() != static_cast<std::size_t>(lines_per_file) + 1 || !lines.back().starts_with(new_date))
            ++failures;
    }

    std::printf("Distributor ASCII append: %zu contract files of %d lines, %.1f MB; best of %d rounds\n", all.size(),
                lines_per_file, static_cast<double>(bytes) / 1e6, rounds);
    std::printf("  %-28s %9.4f s  %7.1f x copy\n", "copy the contract files", copy, 1.0);
    std::printf("  %-28s %9.4f s  %7.1f x copy\n", "append one day", append, append / copy);
    std::printf("  result: %s\n", failures == 0 ? "every file holds its lines and the new day" : "FILES WRONG");
    fs::remove_all(root);
    return failures == 0 ? 0 : 1;
}
