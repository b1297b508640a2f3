// The sample installation's daily chain (DAILY.BAT) run day by day over ten
// days of the vendor's prepared weeks, checked against the tools themselves:
// the database against a fresh round trip through the converter, every
// autobuild output against a fresh DFORGE build of its build file, the
// user's contract files and favourites against the days that were traded, and
// the SQLite copy of the database against a fresh export.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/metastock.h"
#include "common/platform/text.h"
#include "common/testing/temp_install.h"
#include "sample/tests/chain_run.h"

namespace qv::sample::testing {
namespace {

namespace fs = std::filesystem;
using qv::testing::TempInstall;

// The installation before the first day, made once for the chain tests.
class DailyChain : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        start_ = std::make_unique<TempInstall>();
        make_chain_installation(start_->root());
    }
    static void TearDownTestSuite() { start_.reset(); }

    // A copy of the starting installation in `into`.
    static void copy_start(const TempInstall& into) {
        fs::copy(start_->root(), into.root(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

    static std::unique_ptr<TempInstall> start_;
};
std::unique_ptr<TempInstall> DailyChain::start_;

DayNumber day_of(const std::string& iso) {
    return date_to_lotus(std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)), std::stoi(iso.substr(8, 2)));
}

bool is_trading_day(DayNumber day) {
    const Date date = lotus_to_date(day);
    const bool holiday = (date.month == 12 && date.day == 25) || (date.month == 1 && date.day == 1);
    return weekday(day) != saturday && weekday(day) != sunday && !holiday;
}

struct ClcFile {
    int bytes = 0;
    std::vector<std::string> records;  // each record's bytes
};

ClcFile read_clc(const fs::path& path) {
    const std::string text = read_file(path);
    ClcFile file;
    if (text.size() < clc_header_size) return file;
    file.bytes = static_cast<std::uint8_t>(text[4]) | static_cast<std::uint8_t>(text[5]) << 8;
    const std::size_t size = clc_record_size(file.bytes);
    for (std::size_t at = clc_header_size; at + size <= text.size(); at += size) file.records.push_back(text.substr(at, size));
    return file;
}

DayNumber record_day(const std::string& record) {
    return static_cast<DayNumber>(static_cast<std::uint8_t>(record[0]) | static_cast<std::uint8_t>(record[1]) << 8);
}

// Every CLC file converted to text and back holds the same records.
void expect_clc_round_trip(const fs::path& install, const std::string& day) {
    ASSERT_EQ(run_in(install, "clcconv", {"/1"}), 0);
    ASSERT_EQ(run_in(install, "clcconv", {"/2"}), 0);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(install / "CLC")) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with("_CLC.QVT")) continue;
        ++files;
        ClcFile stored = read_clc(entry.path());
        const ClcFile converted = read_clc(install / "CLC" / "TEMP" / (name.substr(0, 2) + "_CLC.BIN"));
        // The converter drops a roll-over record at the very start.
        if (!stored.records.empty() && record_day(stored.records.front()) == 0) stored.records.erase(stored.records.begin());
        EXPECT_TRUE(stored.records == converted.records)
            << name << " on " << day << ": " << stored.records.size() << " records, " << converted.records.size() << " converted";
    }
    EXPECT_GT(files, 70);
    fs::remove_all(install / "CLC" / "TEMP");
}

// The days after the history in wheat's CLC file are the trading days up to
// the day's last one, each once.
void expect_trading_days(const fs::path& install, const std::string& day) {
    std::vector<DayNumber> expected;
    for (DayNumber d = date_to_lotus(2020, 12, 5); d <= day_of(day); ++d)
        if (is_trading_day(d)) expected.push_back(d);
    std::vector<DayNumber> stored;
    for (const std::string& record : read_clc(install / "CLC" / "W__CLC.QVT").records)
        if (record_day(record) > date_to_lotus(2020, 12, 4)) stored.push_back(record_day(record));
    EXPECT_EQ(stored, expected) << day;
}

std::vector<std::string> autobuild_outputs(const fs::path& install) {
    std::vector<std::string> outputs;
    for (const char* folder : {"ASCII/BUILT", "META/BUILT"})
        for (const auto& entry : fs::directory_iterator(install / folder))
            outputs.push_back(fs::relative(entry.path(), install).string());
    return outputs;
}

// The outputs the broadcast does not serve, which stand as they were until a
// rebuild: bars (weekly bars of gold, as text and as the MetaStock series F2;
// no day is a sampling day of bars) and the COT build, which DFORGE never
// lists in BCAST.TXT.
bool left_to_rebuilds(const std::string& output) {
    return output == "ASCII/BUILT/GC_WEEK.TXT" || output == "ASCII/BUILT/GC_COT.TXT" || output == "META/BUILT/F2.DAT";
}

// MASTER describes every series of its folder: its header and the entry of
// each series the broadcast serves equal a fresh build's; the entry of a
// series left to rebuilds is the day before's or a fresh build's.
void expect_master(const FileSet& chain, const FileSet& built, const FileSet& day_before, const std::string& day) {
    const std::string master = "META/BUILT/MASTER";
    const std::string& ours = chain.at(master);
    ASSERT_EQ(ours.size(), built.at(master).size()) << day;
    // The header, then one entry a series; both 53 bytes.
    EXPECT_EQ(ours.substr(0, master_record_size), built.at(master).substr(0, master_record_size)) << day;
    for (std::size_t at = master_record_size; at < ours.size(); at += master_record_size) {
        const std::string entry = ours.substr(at, master_record_size);
        const std::string data_file = format("META/BUILT/F%d.DAT", static_cast<std::uint8_t>(entry[0]));
        EXPECT_TRUE(entry == built.at(master).substr(at, master_record_size) ||
                    (left_to_rebuilds(data_file) && entry == day_before.at(master).substr(at, master_record_size)))
            << "MASTER's entry of " << data_file << " on " << day;
    }
}

// Each autobuild output equals what DFORGE builds from its build file on the
// same day in a copy of the installation; on a roll-over day that includes
// the history of a back-adjusted output, which only a relinking rebuild moves.
void expect_fresh_builds(const fs::path& install, const std::string& day, const FileSet& day_before) {
    TempInstall fresh;
    fs::copy(install, fresh.root(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const auto& entry : fs::directory_iterator(fresh.root() / "AUTO")) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("$")) run_in(fresh.root(), "DFORGE", {name});
    }
    const FileSet chain = kept_files(install);
    const FileSet built = kept_files(fresh.root());
    for (const std::string& output : autobuild_outputs(install)) {
        ASSERT_TRUE(built.contains(output)) << output << " on " << day;
        if (output == "META/BUILT/MASTER")
            expect_master(chain, built, day_before, day);
        else if (left_to_rebuilds(output))
            EXPECT_TRUE(chain.at(output) == built.at(output) || chain.at(output) == day_before.at(output))
                << output << " on " << day;
        else
            EXPECT_TRUE(chain.at(output) == built.at(output)) << output << " on " << day;
    }
}

// The currencies roll over on Monday 14 December: the chain relinks the pound
// and yen outputs of AUTO\ (the broadcast alone appends the day to the old
// linking), each set with its own build file's options.
void expect_relinked(const fs::path& install, const FileSet& day_before) {
    const FileSet chain = kept_files(install);
    for (const char* output : {"ASCII/BUILT/BP_BACK.TXT", "META/BUILT/F3.DAT"})
        EXPECT_NE(chain.at(output).substr(0, 64), day_before.at(output).substr(0, 64)) << output;
    const std::string roll = read_file(install / "$ROLL");
    EXPECT_NE(roll.find("\\QUORVANT\\META\\BUILT\\JY\n#OUTPUTFORMAT=M\n"), std::string::npos) << roll;
    EXPECT_NE(roll.find("\\QUORVANT\\ASCII\\BUILT\\BP_BACK.TXT\n"), std::string::npos) << roll;
}

// The user's contract file got the day, and every ASCII favourite is a copy of
// the contract file it names.
void expect_user_files(const fs::path& install, const std::string& day) {
    DayNumber last = day_of(day);
    while (!is_trading_day(last)) --last;
    const Date date = lotus_to_date(last);
    const std::string text = read_file(install / "ASCII" / "W_" / "W_H21.TXT");
    const std::string last_line = text.substr(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_TRUE(last_line.starts_with(format("%02d/%02d/%02d,", date.month, date.day, date.year % 100)))
        << last_line << " on " << day;
    for (const char* favourite : {"W_H21.TXT", "SPH21.TXT", "JYH21.TXT"})
        EXPECT_EQ(read_file(install / "ASCII" / "FAVORITE" / favourite),
                  read_file(install / "ASCII" / std::string(favourite).substr(0, 2) / favourite))
            << favourite << " on " << day;
    EXPECT_TRUE(fs::exists(install / "META" / "FAVORITE" / "MASTER")) << day;
}

TEST_F(DailyChain, TenDaysAgreeWithTheToolsRunOneByOne) {
    TempInstall install;
    copy_start(install);
    FileSet day_before = kept_files(install.root());
    for (const std::string& day : chain_days) {
        run_chain(install.root(), day);
        expect_trading_days(install.root(), day);
        expect_clc_round_trip(install.root(), day);
        expect_fresh_builds(install.root(), day, day_before);
        if (day == "2020-12-14") expect_relinked(install.root(), day_before);
        expect_user_files(install.root(), day);
        day_before = kept_files(install.root());
    }
    // The chain's last step kept the SQLite copy of the database up to date:
    // it holds the rows a fresh export of the installation holds.
    ASSERT_EQ(run_in(install.root(), "qvexport", {"--sqlite", "FRESH.SQLITE"}), 0);
    const std::string fresh = sqlite_digest(install.root() / "FRESH.SQLITE");
    EXPECT_TRUE(fresh.starts_with("ok\n")) << fresh;
    EXPECT_EQ(sqlite_digest(install.root() / "QUORVANT.SQLITE"), fresh);
}

}  // namespace
}  // namespace qv::sample::testing
