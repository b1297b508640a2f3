#include "distributor/meta_append.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/platform/files.h"
#include "common/metastock.h"
#include "common/metastock_data.h"
#include "common/testing/metastock_reader.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"
#include "common/platform/text.h"
#include "distributor/meta_security.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

Commodity row(const char* tag, double decimal, int compu_trac) {
    Commodity commodity;
    commodity.tag = tag;
    commodity.decimal = decimal;
    commodity.compu_trac = static_cast<std::int16_t>(compu_trac);
    return commodity;
}

// The console shows a message's text up to its "@" and the rest after it,
// whether on one line or on the warning screen's two.
bool shows(const std::string& screen, std::string_view message) {
    const auto at = message.find('@');
    const auto first = screen.find(message.substr(0, at));
    if (first == std::string::npos || at == std::string_view::npos) return first != std::string::npos;
    return screen.find(message.substr(at + 1), first + at) != std::string::npos;
}

// An update line of contract W_ 05H: open, high, low, close, then the
// contract's open interest, the volume and the total open interest.
std::string day_line(const char* yymmdd, double close, long oi, long volume, long total_oi,
                     const char* contract = "W_ 05H") {
    return format("%s%s %g %g %g %g %ld %ld %ld", contract, yymmdd, close - 1, close + 2, close - 2, close,
                  oi, volume, total_oi);
}

// A day of the independent reading: date, then open to open interest.
struct Day {
    long date;
    double close;
    double volume;
    double open_interest;
    friend bool operator==(const Day&, const Day&) = default;
};

std::ostream& operator<<(std::ostream& out, const Day& d) {
    return out << "{" << d.date << " close " << d.close << " vol " << d.volume << " oi " << d.open_interest
               << "}";
}

class MetaAppend : public ::testing::Test {
protected:
    MetaAppend() {
        settings.meta_path = "\\QUORVANT\\META\\";
        settings.meta_mask = "TTMYY";
        settings.data_format = "1SC ";
    }

    // Writes the update file EU050316.CLC with its heading line; returns its path.
    std::string update_file(const std::vector<std::string>& lines) {
        std::string text = "EU050316.CLC\n";
        for (const std::string& line : lines) text += line + "\n";
        install.write("UPDATES/EU050316.CLC", text);
        return "\\QUORVANT\\UPDATES\\EU050316.CLC";
    }

    // A security as the charting program or an earlier run left it.
    void make_security(const std::string& folder, const std::string& symbol,
                       const std::vector<MetaStockRecord>& days, int fields = 7) {
        const std::string directory = "\\QUORVANT\\META\\" + folder + "\\";
        ASSERT_TRUE(create_folders(directory));
        MasterReadResult read = read_master(directory);
        const Allocation allocation = allocate_series(read.master, symbol, symbol, 'D');
        ASSERT_EQ(allocation.status, Allocation::ok);
        MasterRecord& series = read.master.records[allocation.index];
        MetaStockData data;
        data.field_count = fields;
        data.records = days;
        ASSERT_EQ(write_dat(directory, series.file_number(), data), DataWrite::ok);
        describe_series(series, data);
        ASSERT_TRUE(write_master(directory, read.master));
    }

    static MetaStockRecord record(long date, float close, float volume, float open_interest) {
        MetaStockRecord r;
        r.date = static_cast<float>(date);
        r.values = {close - 1, close + 2, close - 2, close, volume, open_interest};
        return r;
    }

    std::vector<Day> days_of(const std::string& folder, const std::string& symbol) {
        const auto master = testing::read_ms_master(install.path("META/" + folder));
        if (!master) return {};
        const auto* series = master->find(symbol, 'D');
        if (!series) return {};
        std::vector<Day> days;
        for (const auto& r : testing::read_ms_dat(install.path("META/" + folder), *series).records) {
            if (series->field_count == 7)
                days.push_back({r.date, r.values.at(3), r.values.at(4), r.values.at(5)});
            else
                days.push_back({r.date, r.values.at(2), r.values.at(3), 0});
        }
        return days;
    }

    TempInstall install;
    RecordingConsole screen;
    DistributorSettings settings;
    CommodityTable commodities{{row("W_", 1.0, 2), row("BP", 100.0, 4)}};
    Distribution run{settings, commodities};
};

TEST_F(MetaAppend, NewSecurityWithItsMasterRecordDataAndColumnFile) {
    run.mode = HistoryMode::light_history;
    ASSERT_EQ(append_meta_updates(update_file({"BP 05M050315 1.2345 1.25 1.2 1.24 10 200 3000",
                                               "BP 05M050316 1.24 1.26 1.23 1.25 11 210 3100"}),
                                  run),
              0);

    const auto master = testing::read_ms_master(install.path("META/BP"));
    ASSERT_TRUE(master);
    ASSERT_EQ(master->series_count, 1u);
    EXPECT_EQ(master->highest, 1u);
    const testing::MsSeries& series = master->series.at(0);
    EXPECT_EQ(series.trimmed_symbol(), "BPM05");
    EXPECT_EQ(series.name, "BPM05           ");
    EXPECT_EQ(series.time_frame, 'D');
    EXPECT_EQ(series.file_number, 1);
    EXPECT_EQ(series.field_count, 7);
    EXPECT_EQ(series.record_length, 28);
    EXPECT_EQ(series.first_date, 1050315);
    EXPECT_EQ(series.last_date, 1050316);

    const testing::MsData data = testing::read_ms_dat(install.path("META/BP"), series);
    EXPECT_EQ(data.last_record, 3u);
    ASSERT_EQ(data.records.size(), 2u);
    // Prices scaled by the commodity's multiplier; with option C the volume is
    // field 8 and the open interest the contract's, field 7. Days of one
    // update keep their own volume and open interest.
    const std::vector<double> first = {123.45, 125, 120, 124, 200, 10};
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_NEAR(data.records[0].values.at(i), first[i], 1e-3) << i;
    EXPECT_EQ(data.records[1].date, 1050316);

    const testing::MsDop dop = testing::read_ms_dop(install.path("META/BP"), 1);
    EXPECT_EQ(dop.lines,
              (std::vector<std::string>{"\"DATE\",0,0", "\"OPEN\",4,4", "\"HIGH\",4,4", "\"LOW\",4,4",
                                        "\"CLOSE\",4,4", "\"VOL\",0,0", "\"OI\",0,0"}));
    EXPECT_TRUE(dop.end_mark);

    EXPECT_EQ(run.newest_written, date_to_lotus(2005, 3, 16));
    EXPECT_NE(screen.transcript().find("{go to 36,14}METASTOCK    "), std::string::npos);
    EXPECT_NE(screen.transcript().find("{go to 50,17}BP"), std::string::npos);
}

TEST_F(MetaAppend, VolumeAndOpenInterestByTheDataFormatOption) {
    const struct Case {
        char option;
        const char* contract;
        double volume;
        double open_interest;
    } cases[] = {{'C', "W_ 01H", 200, 10},
                 {'T', "W_ 02H", 200, 3000},
                 {'N', "W_ 03H", 200, 3000},
                 {'X', "W_ 04H", 200, 3000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        settings.data_format = std::string("1S") + c.option;
        ASSERT_EQ(append_meta_updates(update_file({day_line("050315", 5, 10, 200, 3000, c.contract)}), run),
                  0);
        const std::string symbol = "W_H" + std::string(c.contract + 3, 2);
        EXPECT_EQ(days_of("W_", symbol), (std::vector<Day>{{1050315, 5, c.volume, c.open_interest}}));
    }
}

TEST_F(MetaAppend, InsertsReplacesDeletesAndAppendsWithTheVolumeCarry) {
    make_security("W_", "W_H05",
                  {record(1050301, 1, 10, 1), record(1050302, 2, 20, 2), record(1050304, 4, 40, 4),
                   record(1050307, 7, 70, 7)});
    ASSERT_EQ(append_meta_updates(update_file({
                                      day_line("050228", 28, 280, 2800, 0),  // before the first day
                                      day_line("050302", 22, 220, 2200, 0),  // replaces
                                      day_line("050303", 3, 30, 300, 0),     // between two days
                                      "W_ 05H050304",                        // deletes
                                      day_line("050308", 8, 80, 800, 0),     // after the last: carry
                                      day_line("050309", 9, 90, 900, 0),  // after its own previous line: none
                                      day_line("050305", 5, 50, 500, 0),  // between the last two days
                                  }),
                                  run),
              0);
    EXPECT_EQ(days_of("W_", "W_H05"), (std::vector<Day>{{1050228, 28, 2800, 280},
                                                        {1050301, 1, 10, 1},
                                                        {1050302, 22, 2200, 220},
                                                        {1050303, 3, 300, 30},
                                                        {1050305, 5, 500, 50},
                                                        {1050307, 7, 800, 80},
                                                        {1050308, 8, 800, 80},
                                                        {1050309, 9, 900, 90}}));
    const auto master = testing::read_ms_master(install.path("META/W_"));
    EXPECT_EQ(master->series.at(0).first_date, 1050228);
    EXPECT_EQ(master->series.at(0).last_date, 1050309);
}

TEST_F(MetaAppend, LongHistoryKeepsEveryDay) {
    std::vector<MetaStockRecord> history;
    const DayNumber start = date_to_lotus(2000, 1, 3);
    for (int i = 0; i < 1300; ++i) {
        const Date d = lotus_to_date(static_cast<DayNumber>(start + i));
        history.push_back(record(metastock_date(d.year, d.month, d.day), static_cast<float>(i), 1, 1));
    }
    make_security("W_", "W_H05", history);
    const Date next = lotus_to_date(static_cast<DayNumber>(start + 1300));
    const std::string yymmdd = format("%02d%02d%02d", next.year % 100, next.month, next.day);
    // A correction older than the whole history and the next day.
    ASSERT_EQ(append_meta_updates(
                  update_file({day_line("991230", 1, 1, 1, 1), day_line(yymmdd.c_str(), 2, 2, 2, 2)}), run),
              0);
    const auto days = days_of("W_", "W_H05");
    ASSERT_EQ(days.size(), 1302u);
    EXPECT_EQ(days.front().date, 991230);
    EXPECT_EQ(days[1].date, 1000103);
    EXPECT_EQ(days[1].close, 0);
    EXPECT_EQ(days.back().date, metastock_date(next.year, next.month, next.day));
}

TEST_F(MetaAppend, DaysIntoSecuritiesOfSeveralFoldersLeaveNoWorkFile) {
    // Days after the last in every security, so that the work files of the
    // first folder serve the others; then a correction, which reads them whole.
    for (const char* folder : {"W_", "BP"})
        for (const char* month : {"H", "K"})
            make_security(folder, format("%s%s05", folder, month),
                          {record(1050301, 1, 10, 1), record(1050314, 2, 20, 2)});
    std::vector<std::string> lines;
    for (const char* contract : {"W_ 05H", "W_ 05K", "BP 05H", "BP 05K"})
        lines.push_back(day_line("050315", 5, 30, 300, 3000, contract));
    ASSERT_EQ(append_meta_updates(update_file(lines), run), 0);
    ASSERT_EQ(append_meta_updates(update_file({day_line("050301", 7, 40, 400, 4000, "BP 05K")}), run), 0);

    for (const char* folder : {"W_", "BP"}) {
        const double scale = std::string(folder) == "BP" ? 100 : 1;  // the table's multiplier
        for (const char* month : {"H", "K"}) {
            const auto days = days_of(folder, format("%s%s05", folder, month));
            ASSERT_EQ(days.size(), 3u) << folder << month;
            EXPECT_EQ(days[1], (Day{1050314, 2, 300, 30})) << folder << month;
            EXPECT_EQ(days[2], (Day{1050315, 5 * scale, 300, 30})) << folder << month;
            const bool corrected = std::string(folder) == "BP" && std::string(month) == "K";
            EXPECT_EQ(days[0].close, corrected ? 7 * scale : 1) << folder << month;
        }
        for (const auto& entry : std::filesystem::directory_iterator(install.path("META/" + std::string(folder))))
            EXPECT_NE(entry.path().filename().string().rfind("TEMP", 0), 0u) << entry.path();
    }
}

TEST_F(MetaAppend, FolderInUseStopsTheRunAndWritesNothing) {
    make_security("W_", "W_H05", {record(1050301, 1, 10, 1)});
    install.write("META/W_/~MSFL.USR", "");
    const std::string master = install.read("META/W_/MASTER");
    const std::string dat = install.read("META/W_/F1.DAT");
    EXPECT_EQ(append_meta_updates(update_file({day_line("050315", 5, 10, 200, 3000)}), run), -1);
    EXPECT_TRUE(shows(screen.text(), "FOLDER@CURRENTLY IN USE, ABORTING THIS UPDATE")) << screen.text();
    EXPECT_EQ(install.read("META/W_/MASTER"), master);
    EXPECT_EQ(install.read("META/W_/F1.DAT"), dat);
    EXPECT_FALSE(file_exists(install.path("META/W_/F1.DOP").string()));
}

TEST_F(MetaAppend, FullFolderSendsANewSecurityToTheNextFolder) {
    const std::string directory = "\\QUORVANT\\META\\W_\\";
    ASSERT_TRUE(create_folders(directory));
    MetaStockMaster full;
    for (int n = 1; n <= max_file_number; ++n)
        full.records.push_back(MasterRecord::make(n, format("S%d", n), format("S%d", n), 'D'));
    full.set_highest_file_number(max_file_number);
    ASSERT_TRUE(write_master(directory, full));
    const std::string before = install.read("META/W_/MASTER");

    ASSERT_EQ(append_meta_updates(update_file({day_line("050315", 5, 10, 200, 3000)}), run), 0);
    EXPECT_EQ(install.read("META/W_/MASTER"), before);
    EXPECT_EQ(days_of("W_1", "W_H05"), (std::vector<Day>{{1050315, 5, 200, 10}}));
}

TEST_F(MetaAppend, FolderWithoutRoomStopsTheRun) {
    // A MASTER that says its highest number is 255 while listing 255 records
    // under other time frames: no folder is free and no number either.
    const std::string directory = "\\QUORVANT\\META\\W_\\";
    ASSERT_TRUE(create_folders(directory));
    MetaStockMaster full;
    for (int n = 1; n <= max_file_number; ++n)
        full.records.push_back(MasterRecord::make(n, "W_H05", "W_H05", 'W'));
    full.set_highest_file_number(max_file_number);
    ASSERT_TRUE(write_master(directory, full));
    EXPECT_EQ(append_meta_updates(update_file({day_line("050315", 5, 10, 200, 3000)}), run), -1);
    EXPECT_TRUE(shows(screen.text(), distributor_full_message)) << screen.text();
    EXPECT_TRUE(shows(screen.text(), "MSREPAIR COMES WITH")) << screen.text();
}

TEST_F(MetaAppend, RecordWithoutItsDataFileStartsAgainAsANewSecurity) {
    make_security("W_", "W_H05", {record(1050301, 1, 10, 1)});
    make_security("W_", "W_M05", {record(1050301, 1, 10, 1)});
    ASSERT_TRUE(delete_file(install.path("META/W_/F1.DAT").string()));
    install.write("META/W_/F1.DOP", "old");

    ASSERT_EQ(
        append_meta_updates(
            update_file({day_line("050315", 5, 10, 200, 3000), day_line("050316", 6, 11, 210, 3100)}), run),
        0);
    EXPECT_TRUE(
        shows(screen.text(), "META STOCK FILE \\QUORVANT\\META\\W_\\W_H05@DOES NOT EXIST, BYPASSING IT."))
        << screen.text();
    const auto master = testing::read_ms_master(install.path("META/W_"));
    ASSERT_EQ(master->series.size(), 2u);
    EXPECT_EQ(master->series[0].trimmed_symbol(), "W_M05");
    EXPECT_EQ(master->series[1].trimmed_symbol(), "W_H05");
    EXPECT_EQ(master->series[1].file_number, 3);
    EXPECT_FALSE(file_exists(install.path("META/W_/F1.DOP").string()));
    // Both update lines are in it, the first one too.
    EXPECT_EQ(days_of("W_", "W_H05"), (std::vector<Day>{{1050315, 5, 200, 10}, {1050316, 6, 210, 11}}));
}

TEST_F(MetaAppend, DamagedDataFileIsLeftAloneAndTheOtherContractsGoOn) {
    make_security("W_", "W_H05", {record(1050301, 1, 10, 1), record(1050302, 2, 20, 2)});
    const std::string cut = install.read("META/W_/F1.DAT").substr(0, 40);  // counts 2 days, holds 0
    install.write("META/W_/F1.DAT", cut);
    const std::string master = install.read("META/W_/MASTER");
    ASSERT_EQ(append_meta_updates(update_file({day_line("050315", 5, 10, 200, 3000),
                                               day_line("050316", 6, 10, 200, 3000),
                                               day_line("050315", 5, 10, 200, 3000, "W_ 05M")}),
                                  run),
              0);
    // Once for the contract, not once for each of its lines.
    const std::string shown = screen.text();
    const auto first = shown.find("DAMAGED METASTOCK DATA FILE");
    ASSERT_NE(first, std::string::npos) << shown;
    EXPECT_EQ(shown.find("DAMAGED METASTOCK DATA FILE", first + 1), std::string::npos) << shown;
    EXPECT_EQ(install.read("META/W_/F1.DAT"), cut);
    EXPECT_EQ(days_of("W_", "W_M05"), (std::vector<Day>{{1050315, 5, 200, 10}}));
    EXPECT_EQ(install.read("META/W_/MASTER").substr(53, 53), master.substr(53, 53));
}

TEST_F(MetaAppend, FiveFieldSecurityKeepsItsLayout) {
    MetaStockRecord old;
    old.date = 1050314;
    old.values = {6, 2, 4, 50};  // high, low, close, volume
    make_security("W_", "W_H05", {old}, 5);
    ASSERT_EQ(append_meta_updates(update_file({day_line("050315", 5, 10, 200, 3000)}), run), 0);
    const auto master = testing::read_ms_master(install.path("META/W_"));
    EXPECT_EQ(master->series.at(0).field_count, 5);
    EXPECT_EQ(days_of("W_", "W_H05"), (std::vector<Day>{{1050314, 4, 200, 0}, {1050315, 5, 200, 0}}));
    EXPECT_EQ(testing::read_ms_dop(install.path("META/W_"), 1).lines.size(), 5u);
}

TEST_F(MetaAppend, BadInputIsReportedAndLosesNothing) {
    make_security("W_", "W_H05", {record(1050301, 1, 10, 1)});

    // A missing update file.
    EXPECT_EQ(append_meta_updates("\\QUORVANT\\UPDATES\\EU050317.CLC", run), -1);
    EXPECT_TRUE(
        shows(screen.text(), " ERROR: CANNOT FIND FILE@\\QUORVANT\\UPDATES\\EU050317.CLC, UPDATE ABORTED."))
        << screen.text();

    // Lines whose date or numbers do not read are passed over; the good one goes in.
    ASSERT_EQ(append_meta_updates(
                  update_file({day_line("05AB15", 5, 10, 200, 3000), day_line("051345", 5, 10, 200, 3000),
                               "W_ 05H050316 1 2 X 4 5 6 7", day_line("050317", 7, 10, 200, 3000)}),
                  run),
              0);
    EXPECT_TRUE(shows(screen.text(), "ERROR-INVALID DATE IN UPDATE LINE@W_ 05H05AB15")) << screen.text();
    EXPECT_TRUE(shows(screen.text(), "ERROR-UPDATE LINE OUT OF FORMAT@W_ 05H050316")) << screen.text();
    EXPECT_EQ(days_of("W_", "W_H05"), (std::vector<Day>{{1050301, 1, 200, 10}, {1050317, 7, 200, 10}}));

    // A data file the user made read-only is left as it was, with a warning.
    const std::string written = install.read("META/W_/F1.DAT");
    const std::string master = install.read("META/W_/MASTER");
    ASSERT_TRUE(make_read_only(install.path("META/W_/F1.DAT").string()));
    ASSERT_EQ(append_meta_updates(update_file({day_line("050318", 8, 10, 200, 3000)}), run), 0);
    EXPECT_TRUE(shows(screen.text(), meta_dat_message)) << screen.text();
    EXPECT_EQ(install.read("META/W_/F1.DAT"), written);
    EXPECT_EQ(install.read("META/W_/MASTER"), master);
    make_writable(install.path("META/W_/F1.DAT").string());

    // A stored day whose date is no date stops the rewrite of its security.
    MetaStockRecord foreign = record(1050301, 1, 10, 1);
    foreign.date = 1051340;
    make_security("W_", "W_M05", {foreign});
    const std::string foreign_dat = install.read("META/W_/F2.DAT");
    ASSERT_EQ(append_meta_updates(update_file({day_line("050318", 8, 10, 200, 3000, "W_ 05M")}), run), 0);
    EXPECT_TRUE(shows(screen.text(), "ERROR-SYSTEM ERROR #120, INVALID DATE FORMAT@VALUE = 1051340"))
        << screen.text();
    EXPECT_EQ(install.read("META/W_/F2.DAT"), foreign_dat);

    // A new security whose MASTER record cannot be written leaves no data file.
    ASSERT_TRUE(make_read_only(install.path("META/W_/MASTER").string()));
    ASSERT_EQ(append_meta_updates(update_file({day_line("050318", 8, 10, 200, 3000, "W_ 05N")}), run), 0);
    EXPECT_TRUE(shows(screen.text(), "CAN'T UPDATE MASTER FILE: \\QUORVANT\\META\\W_\\MASTER"))
        << screen.text();
    EXPECT_FALSE(file_exists(install.path("META/W_/F3.DAT").string()));
    make_writable(install.path("META/W_/MASTER").string());
}

}  // namespace
}  // namespace qv::distributor
