#include "qvexport/csv_export.h"
#include "qvexport/export_run.h"
#include "qvexport/series_blocks.h"
#include "qvexport/sqlite_export.h"

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/cot_file.h"
#include "common/idx_file.h"
#include "common/platform/files.h"
#include "common/testing/sample_install.h"
#include "common/testing/temp_install.h"
#include "common/testing/tool_process.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qv::qvexport {
namespace {

namespace fs = std::filesystem;

// The sqlite3 command-line program reads the files: a reader that shares no
// code with the export.
std::string sqlite_query(const fs::path& file, const std::string& sql) {
    return qv::testing::command_output("sqlite3 -separator '|' '" + file.string() + "' \"" + sql + "\"");
}

Commodity row(const char* tag, int precision, int bytes) {
    Commodity c;
    c.tag = tag;
    c.name = std::string(tag) + " NAME        ";
    c.precision = static_cast<std::int16_t>(precision);
    c.bytes = static_cast<std::int16_t>(bytes);
    c.all_tag = "-HHHMMMUUUZZZ";
    c.cycle = "HMUZ";
    c.roll_day = 14;
    return c;
}

void write_clc(std::string_view tag, int precision, int bytes, const std::vector<ClcRecord>& records) {
    ClcWriter writer;
    ASSERT_TRUE(writer.create(clc_file_name(tag), make_clc_header(tag, precision, bytes)));
    for (const ClcRecord& r : records) writer.write(r);
    ASSERT_TRUE(writer.finish());
}

const DayNumber dec7 = date_to_lotus(2020, 12, 7);

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"CLC", "COT", "IDX"}) fs::create_directories(install.path(folder));
    }

    std::vector<const Commodity*> all() const {
        std::vector<const Commodity*> selected;
        for (const Commodity& c : table.rows()) selected.push_back(&c);
        return selected;
    }

    void export_all(const fs::path& file) {
        std::vector<std::string> problems;
        export_sqlite(file.string(), all(), problems);
        EXPECT_TRUE(problems.empty());
    }

    qv::testing::TempInstall install;
    // Every price width, with precisions 0, 1, 2, 4 and 5.
    CommodityTable table{{row("CC", 0, 2), row("GC", 1, 3), row("BN", 2, 4), row("AD", 4, 2), row("FV", 5, 4)}};
};

TEST_F(ExportTest, EveryRecordAndRollOverKeepsItsExactStoredValue) {
    // The largest price of each width, a negative 32-bit price, and a roll-over
    // between 11 and 14 December (the roll day is the 14th).
    const std::vector<std::pair<const char*, std::int32_t>> highs = {
        {"CC", 65535}, {"GC", 16777215}, {"BN", -125}, {"AD", 1}, {"FV", 2147483647}};
    for (const auto& [tag, high] : highs) {
        const Commodity& c = *table.find(tag);
        write_clc(tag, c.precision, c.bytes,
                  {{DayNumber(dec7), 100, std::int32_t(high), 90, 95, 16777215, 0, 7},
                   {DayNumber(dec7 + 4), 96, 99, 94, 98, 10, 20, 30},
                   {0, 98, 0, 0, 103, 0, 0, 0},
                   {DayNumber(dec7 + 7), 104, 106, 101, 105, 11, 21, 31}});
    }
    const fs::path db = install.root() / "out.sqlite";
    export_all(db);

    EXPECT_EQ(sqlite_query(db, "SELECT tag, date, open, high, low, close, open_interest, total_volume, "
                               "total_open_interest, contract FROM prices WHERE tag IN ('CC','BN','FV') "
                               "ORDER BY tag, date"),
              "BN|2020-12-07|100|-125|90|95|16777215|0|7|2020Z\n"
              "BN|2020-12-11|96|99|94|98|10|20|30|2020Z\n"
              "BN|2020-12-14|104|106|101|105|11|21|31|2021H\n"
              "CC|2020-12-07|100|65535|90|95|16777215|0|7|2020Z\n"
              "CC|2020-12-11|96|99|94|98|10|20|30|2020Z\n"
              "CC|2020-12-14|104|106|101|105|11|21|31|2021H\n"
              "FV|2020-12-07|100|2147483647|90|95|16777215|0|7|2020Z\n"
              "FV|2020-12-11|96|99|94|98|10|20|30|2020Z\n"
              "FV|2020-12-14|104|106|101|105|11|21|31|2021H\n");
    EXPECT_EQ(sqlite_query(db, "SELECT tag, date, contract_left, contract_taken, price_left, price_taken, gap "
                               "FROM rollovers ORDER BY tag"),
              "AD|2020-12-14|2020Z|2021H|98|103|5\nBN|2020-12-14|2020Z|2021H|98|103|5\n"
              "CC|2020-12-14|2020Z|2021H|98|103|5\nFV|2020-12-14|2020Z|2021H|98|103|5\n"
              "GC|2020-12-14|2020Z|2021H|98|103|5\n");
    // The stored numbers divided by 10^precision, and the table's description.
    EXPECT_EQ(sqlite_query(db, "SELECT tag, printf('%.5f', high) FROM price_values WHERE date = '2020-12-07' "
                               "ORDER BY tag"),
              "AD|0.00010\nBN|-1.25000\nCC|65535.00000\nFV|21474.83647\nGC|1677721.50000\n");
    EXPECT_EQ(sqlite_query(db, "SELECT tag, name, precision, scale, storage_width, contracts, roll_day "
                               "FROM commodities WHERE tag = 'FV'"),
              "FV|FV NAME|5|100000|4|HMUZ|14\n");
}

TEST_F(ExportTest, CotAndIdxRows) {
    {
        const FilePtr cot = open_file(cot_file_name("GC"), "wb");
        ASSERT_TRUE(cot);
        const CotRecord report{DayNumber(dec7 + 1), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        ASSERT_TRUE(write_cot_record(cot.get(), report));
    }
    install.write("IDX/CC_IDX.QVT", "20201207 3123.45 3130.00\n20201208,1.5,2\n");
    const fs::path db = install.root() / "out.sqlite";
    export_all(db);
    EXPECT_EQ(sqlite_query(db, "SELECT * FROM cot"), "GC|2020-12-08|1|2|3|4|5|6|7|8|9|10|11\n");
    EXPECT_EQ(sqlite_query(db, "SELECT * FROM idx ORDER BY date"),
              "CC|2020-12-07|3123.45 3130.00\nCC|2020-12-08|1.5,2\n");
}

TEST_F(ExportTest, ASecondRunAddsTheNewDayAndTheCorrectionOnly) {
    std::vector<ClcRecord> records;
    // 600 days: fingerprint blocks of 256, 32 and 4 days.
    for (int i = 0; i < 600; ++i)
        records.push_back({DayNumber(dec7 - 900 + i), 100 + i, 110 + i, 90 + i, 105 + i, 1, 2, 3});
    write_clc("CC", 0, 2, records);
    const fs::path db = install.root() / "out.sqlite";
    export_all(db);
    EXPECT_EQ(sqlite_query(db, "SELECT count(*) FROM prices"), "600\n");

    // A day's merge: the new day, and the day before gets the update's open interest.
    records.back().open_interest = 77;
    records.push_back({DayNumber(dec7 - 300), 1, 2, 3, 4, 5, 6, 7});
    write_clc("CC", 0, 2, records);
    std::vector<std::string> problems;
    ExportCounts counts = export_sqlite(db.string(), all(), problems);
    EXPECT_EQ(counts.series_changed, 1);
    // Only the last small block is written again (four days) and the new day.
    EXPECT_LE(counts.rows_written, 5);
    EXPECT_EQ(sqlite_query(db, "SELECT count(*), max(date) FROM prices"), "601|2020-02-11\n");
    EXPECT_EQ(sqlite_query(db, "SELECT open_interest FROM prices WHERE date = '2020-02-10'"), "77\n");

    // A correction deep in the history and a deleted day.
    records[10].close = 5000;
    records.erase(records.begin() + 20);
    write_clc("CC", 0, 2, records);
    counts = export_sqlite(db.string(), all(), problems);
    EXPECT_EQ(sqlite_query(db, "SELECT count(*) FROM prices"), "600\n");
    const fs::path fresh = install.root() / "fresh.sqlite";
    export_all(fresh);
    const std::string all_rows = "SELECT * FROM prices ORDER BY tag, date";
    EXPECT_EQ(sqlite_query(db, all_rows), sqlite_query(fresh, all_rows));
    EXPECT_TRUE(problems.empty());

    // Nothing changed: nothing written.
    counts = export_sqlite(db.string(), all(), problems);
    EXPECT_EQ(counts.series_changed, 0);
    EXPECT_EQ(counts.rows_written, 0);
}

TEST_F(ExportTest, AChangedRollCodeWritesTheContractsAgain) {
    write_clc("CC", 0, 2, {{DayNumber(dec7), 1, 2, 3, 4, 5, 6, 7}, {DayNumber(dec7 + 7), 1, 2, 3, 4, 5, 6, 7}});
    const fs::path db = install.root() / "out.sqlite";
    export_all(db);
    const std::string contracts = "SELECT date, contract FROM prices ORDER BY date";
    EXPECT_EQ(sqlite_query(db, contracts), "2020-12-07|2020Z\n2020-12-14|2021H\n");

    // Rolled on the 15th from now on: the 14th is still in the December contract.
    Commodity later = *table.find("CC");
    later.roll_day = 15;
    const CommodityTable changed{{later}};
    std::vector<std::string> problems;
    export_sqlite(db.string(), {&changed.rows()[0]}, problems);
    EXPECT_EQ(sqlite_query(db, contracts), "2020-12-07|2020Z\n2020-12-14|2020Z\n");
}

// A series of one-byte units, one per day.
DatabaseSeries series_of(const std::vector<DayNumber>& days) {
    DatabaseSeries series;
    for (const DayNumber day : days) {
        series.units.push_back({day, static_cast<std::uint32_t>(series.bytes.size()), 1});
        series.bytes += char(day);
    }
    return series;
}

TEST(SeriesBlocks, FirstChangeFindsTheEarliestDayToWriteAgain) {
    std::vector<DayNumber> days;
    for (int i = 0; i < 300; ++i) days.push_back(DayNumber(1000 + i));
    const std::vector<Block> before = blocks_of(series_of(days));
    ASSERT_EQ(before.size(), 5u);  // 256, 32, 4, 4 and 4 days
    EXPECT_FALSE(first_change(before, before));
    EXPECT_EQ(first_change({}, before)->from_day, 1000);

    // A day's merge: the last day changed and a day added write the last small block again.
    DatabaseSeries merged = series_of(days);
    merged.bytes.back() = 'x';
    merged.units.push_back({1300, static_cast<std::uint32_t>(merged.bytes.size()), 1});
    merged.bytes += 'y';
    auto change = first_change(before, blocks_of(merged));
    EXPECT_EQ(change->block, 4u);
    EXPECT_EQ(change->from_day, 1296);

    // Grown by 20 days, the small blocks after day 1288 make one of 32.
    std::vector<DayNumber> grown = days;
    for (int i = 300; i < 320; ++i) grown.push_back(DayNumber(1000 + i));
    change = first_change(before, blocks_of(series_of(grown)));
    EXPECT_EQ(change->block, 2u);
    EXPECT_EQ(change->from_day, 1288);

    // A day inserted before the first block's first day moves every block.
    std::vector<DayNumber> inserted = days;
    inserted.insert(inserted.begin(), 999);
    EXPECT_EQ(first_change(before, blocks_of(series_of(inserted)))->from_day, 999);

    // A series that lost its last days.
    days.resize(256);
    EXPECT_EQ(first_change(before, blocks_of(series_of(days)))->block, 1u);
    EXPECT_EQ(first_change(before, blocks_of(series_of(days)))->from_day, 1256);

    // Another contract rule changes every block.
    EXPECT_EQ(first_change(blocks_of(series_of(days), "HMUZ 14 0"), blocks_of(series_of(days), "HMUZ 15 0"))->block,
              0u);
}

TEST_F(ExportTest, CsvFilesWithHeadersIsoDatesAndExactDecimals) {
    write_clc("AD", 4, 2,
              {{DayNumber(dec7), 7512, 7600, 7500, 7555, 1, 2, 3},
               {0, 7555, 0, 0, 7601, 0, 0, 0},
               {DayNumber(dec7 + 1), 7601, 7650, 7580, 7620, 4, 5, 6}});
    install.write("IDX/CC_IDX.QVT", "20201207 3123.45 3130.00\n20201208,1.5\n");
    std::vector<std::string> problems;
    const fs::path folder = install.root() / "csv";
    EXPECT_EQ(export_csv(folder.string(), all(), problems), 2);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(install.read("csv/AD_clc.csv"),
              "date,open,high,low,close,open_interest,total_volume,total_open_interest,contract,"
              "roll_price_left,roll_price_taken\n"
              "2020-12-07,0.7512,0.7600,0.7500,0.7555,1,2,3,2020Z,,\n"
              "2020-12-08,0.7601,0.7650,0.7580,0.7620,4,5,6,2020Z,0.7555,0.7601\n");
    EXPECT_EQ(install.read("csv/CC_idx.csv"), "date,value1,value2\n2020-12-07,3123.45,3130.00\n2020-12-08,1.5,\n");
}

TEST_F(ExportTest, UnknownTagsAndBadArgumentsAreRefused) {
    std::string error;
    EXPECT_FALSE(read_arguments({}, error));
    EXPECT_FALSE(read_arguments({"--sqlite"}, error));
    EXPECT_FALSE(read_arguments({"--bogus", "x"}, error));
    const auto request = read_arguments({"--sqlite", "x.sqlite", "cc", "gc"}, error);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->tags, (std::vector<std::string>{"CC", "GC"}));

    ExportRequest unknown{(install.root() / "x.sqlite").string(), "", {"ZZ"}};
    EXPECT_EQ(run_export(unknown, table), 1);
    EXPECT_FALSE(fs::exists(install.root() / "x.sqlite"));
}

TEST_F(ExportTest, ADamagedDatabaseFileIsReportedAndTheOthersExported) {
    install.write("CLC/GC_CLC.QVT", "GC");  // ends inside its header
    write_clc("CC", 0, 2, {{DayNumber(dec7), 1, 2, 3, 4, 5, 6, 7}});
    const fs::path db = install.root() / "out.sqlite";
    std::vector<std::string> problems;
    export_sqlite(db.string(), all(), problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("GC_CLC.QVT"), std::string::npos);
    EXPECT_EQ(sqlite_query(db, "SELECT tag, date FROM prices"), "CC|2020-12-07\n");
}

// The export started as a process and killed at random moments while it
// writes, first into a new file, then into the file of an earlier run: the
// file is always whole, holds the state before or after the run, and the next
// run brings it to what an uninterrupted run gives.
TEST(ExportKill, AKilledRunLeavesTheFileAsItWas) {
    qv::testing::SampleInstall install;
    for (const char* folder : {"CLC", "COT", "IDX"}) fs::create_directories(install.path(folder));
    const std::vector<std::string> tags = {"CC", "GC", "BN", "AD", "FV", "SP", "W_", "C_"};
    auto write_history = [&](int days) {
        for (const std::string& tag : tags) {
            std::vector<ClcRecord> records;
            for (int i = 0; i < days; ++i)
                records.push_back({DayNumber(20000 + i), 100 + i % 50, 200, 50, 120, 1, 2, 3});
            ClcWriter writer;
            ASSERT_TRUE(writer.create(clc_file_name(tag), make_clc_header(tag, 2, 4)));
            for (const ClcRecord& r : records) writer.write(r);
            ASSERT_TRUE(writer.finish());
        }
    };
    const fs::path program = fs::path(QV_BIN_DIR) / "qvexport";
    const fs::path db = install.root() / "kill.sqlite";
    auto run = [&](std::optional<std::chrono::microseconds> kill_after) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(program.c_str(), "qvexport", "--sqlite", db.c_str(), "CC", "GC", "BN", "AD", "FV", "SP", "W_",
                    "C_", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (kill_after) {
            std::this_thread::sleep_for(*kill_after);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    };
    const std::string count = "SELECT count(*) FROM prices";
    write_history(8000);
    const std::string before = std::to_string(8 * 8000) + "\n";
    std::mt19937 random(20201207);
    std::uniform_int_distribution<int> delay(0, 400000);
    // The first export, built under a work name: no file, or the whole one.
    for (int trial = 0; trial < 10; ++trial) {
        fs::remove(db);
        run(std::chrono::microseconds(delay(random)));
        if (!fs::exists(db)) continue;
        EXPECT_EQ(sqlite_query(db, "PRAGMA integrity_check"), "ok\n") << "first export, trial " << trial;
        EXPECT_EQ(sqlite_query(db, count), before) << "first export, trial " << trial;
    }
    fs::remove(db);
    run(std::nullopt);
    ASSERT_EQ(sqlite_query(db, count), before);
    EXPECT_FALSE(fs::exists(db.string() + "-work"));

    write_history(9000);
    const std::string after = std::to_string(8 * 9000) + "\n";
    for (int trial = 0; trial < 20; ++trial) {
        fs::copy_file(db, install.root() / "before.sqlite", fs::copy_options::overwrite_existing);
        run(std::chrono::microseconds(delay(random)));
        EXPECT_EQ(sqlite_query(db, "PRAGMA integrity_check"), "ok\n") << "trial " << trial;
        const std::string rows = sqlite_query(db, count);
        EXPECT_TRUE(rows == before || rows == after) << "trial " << trial << ": " << rows;
        // Back to the state before the run, for the next kill.
        if (rows == after) {
            fs::remove(db.string() + "-journal");
            fs::copy_file(install.root() / "before.sqlite", db, fs::copy_options::overwrite_existing);
        }
    }
    run(std::nullopt);
    EXPECT_EQ(sqlite_query(db, count), after);
    EXPECT_EQ(sqlite_query(db, "PRAGMA integrity_check"), "ok\n");
}

}  // namespace
}  // namespace qv::qvexport
