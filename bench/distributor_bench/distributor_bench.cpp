// distributor_bench [ROUNDS]: the distributor as a user runs it, a process
// started on a pending update file, against cp -r of the files it touches.
// Into a temporary folder it writes a sample installation whose settings send
// contracts to ASCII files in the 7SCN format (EXTENDED CONTRACTS = A), 3000
// contract files of 1000 daily lines each, and an update file with the next
// day of every contract; then, medians of ROUNDS (default 7) alternating runs,
// each after a sync:
//   - DFANOUT, the daily append into the ASCII files,
//   - cp -r of the ASCII folder (every file it touches),
//   - the same copy followed by a syncfs of its file system, as the
//     distributor syncs before the update file gets its done name,
// and the same for MetaStock (EXTENDED CONTRACTS = M): 3000 securities of
// 1000 days each in the commodities' folders, against cp -r of the MetaStock
// folder. Before each round the output folder is put back as it was and the
// update file made pending again. Each case prints the checksum of the files
// the run left, the same in every round, so that a faster distributor shows it
// wrote the same bytes. With QV_BENCH_KEEP set, the temporary folder stays
// for profiling (set up for the MetaStock case) and its path is shown.
//
// Build and run: cmake -S . -B build-bench -DQV_BENCH=ON -DQV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//                cmake --build build-bench --target distributor_bench DFANOUT && build-bench/bin/distributor_bench

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "common/calendar.h"
#include "common/metastock.h"
#include "common/metastock_data.h"
#include "common/platform/console.h"
#include "common/platform/paths.h"
#include "common/platform/text.h"
#include "common/tables.h"
#include "common/tool.h"
#include "sample/sample_install.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr std::size_t contracts = 3000;
constexpr int days_per_file = 1000;
constexpr const char* contract_months = "FGHJKMNQUVXZ";

struct Contract {
    std::string tag;
    std::string name;  // by the mask TTMYY: "W_H21"
    std::string key;   // of the update line: "W_ 21H"
    int base = 0;      // price level
};

void write_text(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// The 1000 weekdays up to Friday 4 December 2020; the update brings Monday.
std::vector<DayNumber> history_days() {
    std::vector<DayNumber> days;
    for (DayNumber day = date_to_lotus(2020, 12, 4); days.size() < static_cast<std::size_t>(days_per_file); --day)
        if (weekday(day) != saturday && weekday(day) != sunday) days.push_back(day);
    std::reverse(days.begin(), days.end());
    return days;
}

// Contracts of every commodity, month by month over the coming years.
std::vector<Contract> all_contracts(const CommodityTable& table) {
    std::vector<Contract> all;
    for (int year = 21; all.size() < contracts; ++year)
        for (const Commodity& row : table)
            for (int m = 0; m < 12 && all.size() < contracts; ++m) {
                const char month = contract_months[m];
                all.push_back({row.tag, format("%s%c%02d", row.tag.c_str(), month, year),
                               format("%s %02d%c", row.tag.c_str(), year, month),
                               1000 + static_cast<int>(all.size() % 500)});
            }
    return all;
}

// Date style 7, blanks, volume and the contract's open interest (7SCN).
void write_ascii_files(const fs::path& folder, const std::vector<Contract>& all, const std::vector<DayNumber>& days) {
    for (const Contract& c : all) {
        fs::create_directories(folder / c.tag);
        std::string text;
        for (int d = 0; d < days_per_file; ++d) {
            const Date date = lotus_to_date(days[d]);
            const int price = c.base + d % 40;
            text += format("%04d%02d%02d %d %d %d %d %d %d\n", date.year, date.month, date.day, price, price + 5,
                           price - 5, price + 1, 1000 + price % 77, 20000 + price % 91);
        }
        write_text(folder / c.tag / (c.name + ".TXT"), text);
    }
}

// One security per contract in its commodity's folder, 7 fields, as the
// distributor's earlier days left it: its column file announces the decimals
// of the commodity's table row.
void write_metastock_folders(const std::vector<Contract>& all, const std::vector<DayNumber>& days,
                             const CommodityTable& table) {
    std::map<std::string, MetaStockMaster> masters;
    for (const Contract& c : all) {
        const std::string folder = "\\QUORVANT\\META\\" + c.tag + "\\";
        fs::create_directories(translate_path(folder));
        MetaStockMaster& master = masters[c.tag];
        const Allocation allocation = allocate_series(master, c.name, c.name, 'D');
        if (allocation.status != Allocation::ok) throw std::runtime_error("no room for " + c.name);
        MetaStockData data;
        for (int d = 0; d < days_per_file; ++d) {
            const Date date = lotus_to_date(days[d]);
            const float price = static_cast<float>(c.base + d % 40);
            data.records.push_back({static_cast<float>((date.year - 1900) * 10000 + date.month * 100 + date.day),
                                    {price, price + 5, price - 5, price + 1, 1000.0f + d % 77, 20000.0f + d % 91}});
        }
        MasterRecord& series = master.records[allocation.index];
        if (write_dat(folder, series.file_number(), data) != DataWrite::ok ||
            !write_dop(folder, series.file_number(), 7, table.find_no_case(c.tag)->compu_trac))
            throw std::runtime_error("cannot write the security " + c.name);
        describe_series(series, data);
    }
    for (const auto& [tag, master] : masters)
        if (!write_master("\\QUORVANT\\META\\" + tag + "\\", master))
            throw std::runtime_error("cannot write MASTER of " + tag);
}

std::string update_file(const std::vector<Contract>& all) {
    std::string update = "EU201207.CLC\n";
    for (const Contract& c : all)
        update += format("%s201207 %d %d %d %d %d %d %d\n", c.key.c_str(), c.base, c.base + 6, c.base - 6,
                         c.base + 2, 21000, 1500, 90000);
    return update;
}

std::string settings_for(char kind) {
    std::string ini = sample::quorup_ini();
    const auto replace = [&](const std::string& from, const std::string& to) {
        const auto at = ini.find(from);
        if (at == std::string::npos) throw std::runtime_error("the sample settings lack " + from);
        ini.replace(at, from.size(), to);
    };
    replace("EXTENDED CONTRACTS = B", std::string("EXTENDED CONTRACTS = ") + kind);
    replace("DATA FORMAT = 1C1N", "DATA FORMAT = 7SCN");
    return ini;
}

struct Timing {
    double run = 0;
    double copy = 0;
    double synced_copy = 0;
    std::uint64_t checksum = 0;
    bool same_bytes = true;
};

// Rounds of DFANOUT against cp -r of the output folder, alternating which goes first.
Timing time_case(const fs::path& root, const std::string& output, int rounds) {
    const fs::path pristine = root / ("PRISTINE_" + output);
    const fs::path copy = root / "COPY";
    const fs::path dfanout = fs::path(QV_BIN_DIR) / "DFANOUT";
    std::vector<double> runs;
    std::vector<double> copies;
    std::vector<double> synced_copies;
    Timing timing;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(root / output);
        fs::copy(pristine, root / output, fs::copy_options::recursive);
        fs::remove(root / "UPDATES" / "E_201207.CLC");
        fs::copy_file(root / "UPDATE.CLC", root / "UPDATES" / "EU201207.CLC", fs::copy_options::overwrite_existing);
        const auto run = [&] { runs.push_back(bench::timed_process(dfanout, {})); };
        const auto cp = [&] {
            fs::remove_all(copy);
            copies.push_back(bench::timed_process("/bin/cp", {"-r", pristine.string(), copy.string()}));
        };
        const auto synced_cp = [&] {
            fs::remove_all(copy);
            synced_copies.push_back(bench::timed_process("/bin/sh", {"-c", bench::copy_then_sync, pristine.string(), copy.string()}));
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
        if (!fs::exists(root / "UPDATES" / "E_201207.CLC")) {
            std::fprintf(stderr, "distributor_bench: DFANOUT left the update file pending\n");
            timing.same_bytes = false;
        }
        const std::uint64_t sum = bench::folder_checksum(root / output);
        if (round > 0 && sum != timing.checksum) timing.same_bytes = false;
        timing.checksum = sum;
    }
    timing.run = bench::median(runs);
    timing.copy = bench::median(copies);
    timing.synced_copy = bench::median(synced_copies);
    return timing;
}

double megabytes(const fs::path& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) bytes += entry.file_size();
    return static_cast<double>(bytes) / 1e6;
}

void report(const char* what, const fs::path& folder, const Timing& t, int rounds) {
    std::printf("%s: %zu contracts of %d days, %.1f MB; medians of %d alternating runs\n", what, contracts,
                days_per_file, megabytes(folder), rounds);
    std::printf("  %-30s %8.4f s\n", "DFANOUT, one new day", t.run);
    std::printf("  %-30s %8.4f s\n", "cp -r of the touched files", t.copy);
    std::printf("  %-30s %8.4f s\n", "cp -r, then syncfs", t.synced_copy);
    std::printf("  ratio %.2f x the copy (%.2f x the synced copy); checksum %016llx%s\n", t.run / t.copy,
                t.run / t.synced_copy,
                static_cast<unsigned long long>(t.checksum), t.same_bytes ? "" : "  (DIFFERED BETWEEN ROUNDS)");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::optional<fs::path> folder = bench::make_bench_folder("distributor_bench");
    if (!folder) return 1;
    const fs::path root = *folder;
    int status = 0;
    try {
        // MASTER is stamped with the second of the clock, which the fixed day holds still.
        bench::use_sample_installation(root);
        SilentConsole quiet;
        ScopedConsole scope(quiet);
        const CommodityTable table = load_tables(distributor_profile.tables);
        const std::vector<Contract> all = all_contracts(table);
        const std::vector<DayNumber> days = history_days();
        write_text(root / "UPDATE.CLC", update_file(all));
        write_ascii_files(root / "PRISTINE_ASCII", all, days);
        write_metastock_folders(all, days, table);
        fs::rename(root / "META", root / "PRISTINE_META");

        std::printf("load average before: %s\n", bench::load_average().c_str());
        write_text(root / "QUORUP.INI", settings_for('A'));
        const Timing ascii = time_case(root, "ASCII", rounds);
        write_text(root / "QUORUP.INI", settings_for('M'));
        const Timing meta = time_case(root, "META", rounds);
        report("ASCII files, 7SCN", root / "ASCII", ascii, rounds);
        report("MetaStock securities", root / "META", meta, rounds);
        std::printf("load average after: %s\n", bench::load_average().c_str());
        status = ascii.same_bytes && meta.same_bytes ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "distributor_bench: %s\n", error.what());
        status = 1;
    }
    bench::leave_bench_folder(root);
    return status;
}
