// The bytes the distributor writes for a table of updates, pinned by a checksum
// of every output file: a faster way of writing the same files must give the
// same checksums. The expected values were taken from the distributor that
// read and rewrote every file whole.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/platform/environment.h"
#include "common/platform/text.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"
#include "common/testing/tool_process.h"
#include "distributor/ascii_append.h"
#include "distributor/meta_append.h"

namespace qv::distributor {
namespace {

namespace fs = std::filesystem;
using testing::RecordingConsole;
using testing::TempInstall;

Commodity row(const char* tag, double decimal, int compu_trac) {
    Commodity commodity;
    commodity.tag = tag;
    commodity.decimal = decimal;
    commodity.compu_trac = static_cast<std::int16_t>(compu_trac);
    return commodity;
}

// Thirty weekdays of contract W_ 05H (and JY 05M) up to Monday 14 March 2005,
// prices with decimals.
std::string history_lines(const char* key, bool skip_march_9) {
    std::string lines;
    int n = 0;
    for (DayNumber d = date_to_lotus(2005, 2, 1); d <= date_to_lotus(2005, 3, 14); ++d) {
        if (weekday(d) == saturday || weekday(d) == sunday) continue;
        if (skip_march_9 && d == date_to_lotus(2005, 3, 9)) continue;
        const Date date = lotus_to_date(d);
        const double close = 3.25 + 0.01 * (n++ % 17);
        lines += format("%s%02d%02d%02d %.2f %.2f %.2f %.2f %d %d %d\n", key, date.year % 100, date.month, date.day,
                        close - 0.02, close + 0.05, close - 0.04, close, 1000 + n, 5000 + 3 * n, 9000 + n);
    }
    return lines;
}

std::uint64_t fnv(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

// Every file under the output folders, by name and bytes.
std::uint64_t outputs_checksum(const TempInstall& install, DayNumber newest) {
    std::uint64_t hash = fnv(0xcbf29ce484222325ULL, std::to_string(newest));
    for (const char* folder : {"ASC", "META"}) {
        if (!fs::exists(install.path(folder))) continue;
        for (const auto& [name, bytes] : testing::snapshot_files(install.path(folder)))
            hash = fnv(fnv(hash, name + '\n'), bytes + '\n');
    }
    return hash;
}

struct Case {
    const char* what;
    const char* data_format;
    char kind;         // 'A' ASCII, 'M' MetaStock, 'B' both
    bool header_flag;  // of the run that appends (the files are made with it too, unless noted)
    // Makes the files before the update: history lines go through the
    // distributor, then the ASCII file may be changed by hand.
    bool made_without_heading;
    bool skip_march_9;
    std::function<std::string(std::string)> edit;  // of W_H05.TXT; null: as made
    std::vector<std::string> update;
    std::uint64_t expected;
};

const char* const daily = "W_ 05H050315 3.40 3.45 3.35 3.41 1500 7000 9900";
const char* const next_day = "W_ 05H050316 3.42 3.47 3.37 3.43 1510 7010 9910";
const char* const correction = "W_ 05H050310 3.30 3.31 3.29 3.30 1111 2222 3333";

std::string without_last_newline(std::string text) {
    text.pop_back();
    return text;
}

std::string with_cr_lf(const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> table = {
        {"daily append, heading", "7SCN", 'A', true, false, false, nullptr, {daily}, 0xdc17608ab1d77419ULL},
        {"daily append, no heading", "7SCN", 'A', false, false, false, nullptr, {daily}, 0x0584449f0a6173b5ULL},
        {"daily append, heading added", "7SCN", 'A', true, true, false, nullptr, {daily}, 0x1dbe8d42e95adbc0ULL},
        {"daily append, own heading kept", "7SCN", 'A', true, false, false,
         [](const std::string& text) { return "Date Open High Low Close" + text.substr(text.find_first_of('\n')); }, {daily}, 0x5a7197eaf495a8b0ULL},
        {"daily append, commas, volume left out", "1CNN", 'A', true, false, false, nullptr, {daily}, 0xcd9131f58bc5058dULL},
        {"daily append, quoted dates and tabs", "2TTN", 'A', false, false, false, nullptr, {daily}, 0x776e112d00794443ULL},
        {"daily append, multiplier", "5SCN", 'A', true, false, false, nullptr,
         {"JY 05M050315 1.2345 1.2400 1.2300 1.2350 10 20 30"}, 0xc7cda1422ee0c47aULL},
        {"two new days", "7SCN", 'A', true, false, false, nullptr, {daily, next_day}, 0xc6d0e59f4a9dc148ULL},
        {"correction", "7SCN", 'A', true, false, false, nullptr, {correction}, 0x2f5923d1b779b3d1ULL},
        {"insert", "7SCN", 'A', true, false, true, nullptr, {"W_ 05H050309 3.30 3.31 3.29 3.30 1 2 3"}, 0x0ec3e05eeeb53697ULL},
        {"deletion", "7SCN", 'A', true, false, false, nullptr, {"W_ 05H050310"}, 0xda4e22f97e8d9267ULL},
        {"new contract", "7SCN", 'A', true, false, false, nullptr, {"W_ 05N050315 3.50 3.55 3.45 3.52 10 20 30"}, 0xe5fe09a70a672a94ULL},
        {"no newline at the end", "7SCN", 'A', true, false, false, without_last_newline, {daily}, 0xdc17608ab1d77419ULL},
        {"CR LF lines", "7SCN", 'A', true, false, false, with_cr_lf, {daily}, 0xdc17608ab1d77419ULL},
        {"blank lines and a note after the last day", "7SCN", 'A', true, false, false,
         [](std::string text) { return text + "\n\nend of data\n"; }, {daily}, 0xdc17608ab1d77419ULL},
        {"last line repeated", "7SCN", 'A', true, false, false,
         [](std::string text) { return text + text.substr(text.rfind('\n', text.size() - 2) + 1); }, {daily}, 0xdc17608ab1d77419ULL},
        {"MetaStock daily append", "7SCN", 'M', false, false, false, nullptr, {daily}, 0xad3e494a3fe0d704ULL},
        {"MetaStock two new days", "7SCN", 'M', false, false, false, nullptr, {daily, next_day}, 0x7dd067e6196b2538ULL},
        {"MetaStock correction", "7SCT", 'M', false, false, false, nullptr, {correction}, 0x3972821b380b0ec6ULL},
        {"MetaStock insert", "7SCN", 'M', false, false, true, nullptr, {"W_ 05H050309 3.30 3.31 3.29 3.30 1 2 3"}, 0xa66873bd2fad313cULL},
        {"MetaStock deletion", "7SCN", 'M', false, false, false, nullptr, {"W_ 05H050310"}, 0x85ab7dfb1d2acf8dULL},
        {"MetaStock new day and deletion", "7SCN", 'M', false, false, false, nullptr, {daily, "W_ 05H050316"}, 0xad3e494a3fe0d704ULL},
        {"extended contracts, both kinds", "7SCN", 'B', true, false, false, nullptr,
         {daily, "JY 05M050315 1.2345 1.2400 1.2300 1.2350 10 20 30"}, 0x3b1c0e694ef28bd2ULL},
    };
    return table;
}

// Runs the case in a fresh install folder and sums the files it leaves.
std::uint64_t checksum_of(const Case& c) {
    TempInstall install;
    RecordingConsole screen;
    DistributorSettings settings;
    settings.ascii_path = "\\QUORVANT\\ASC\\";
    settings.ascii_mask = "TTMYY.TXT";
    settings.meta_path = "\\QUORVANT\\META\\";
    settings.meta_mask = "TTMYY";
    settings.data_format = c.data_format;
    const CommodityTable commodities{{row("W_", 1.0, 2), row("JY", 100.0, 4)}};
    Distribution run{settings, commodities};
    const auto distribute = [&](const std::string& name, const std::string& lines) {
        install.write("UPDATES/" + name, name + "\n" + lines);
        const std::string path = "\\QUORVANT\\UPDATES\\" + name;
        if (c.kind == 'A' || c.kind == 'B') {
            EXPECT_EQ(append_ascii_updates(path, run), 0);
        }
        if (c.kind == 'M' || c.kind == 'B') {
            EXPECT_EQ(append_meta_updates(path, run), 0);
        }
    };

    run.header_flag = c.header_flag && !c.made_without_heading;
    distribute("EU050314.CLC", history_lines("W_ 05H", c.skip_march_9) + history_lines("JY 05M", c.skip_march_9));
    if (c.edit) {
        const std::string file = "ASC/W_/W_H05.TXT";
        install.write(file, c.edit(install.read(file)));
    }
    run.header_flag = c.header_flag;
    run.newest_written = no_date;
    std::string update;
    for (const std::string& line : c.update) update += line + "\n";
    distribute("EU050315.CLC", update);
    return outputs_checksum(install, run.newest_written);
}

TEST(WrittenBytes, EveryKindOfUpdateWritesTheBytesItAlwaysWrote) {
    // MASTER carries a stamp of the second it was written.
    set_env("QUORVANT_TODAY", "2005-03-15");
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        const std::uint64_t sum = checksum_of(c);
        EXPECT_EQ(sum, c.expected) << format("0x%016llxULL", static_cast<unsigned long long>(sum));
    }
    unset_env("QUORVANT_TODAY");
}

}  // namespace
}  // namespace qv::distributor
