#include "distributor/ascii_append.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"
#include "common/platform/text.h"
#include "distributor/ascii_line.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

Commodity row(const char* tag, double decimal) {
    Commodity commodity;
    commodity.tag = tag;
    commodity.decimal = decimal;
    return commodity;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class AsciiAppend : public ::testing::Test {
protected:
    AsciiAppend() {
        settings.ascii_path = "\\QUORVANT\\ASC\\";
        settings.ascii_mask = "TTMYY.TXT";
        settings.data_format = "1SCN";
    }

    // Runs an update file holding the lines after its heading.
    int append(const std::vector<std::string>& lines) {
        install.write("UPDATES/EU050316.CLC", "EU050316.CLC\n" + joined(lines));
        return append_ascii_updates("\\QUORVANT\\UPDATES\\EU050316.CLC", run);
    }
    std::string contract_file(const char* name = "W_H05.TXT") const {
        return install.read(std::string("ASC/W_/") + name);
    }
    void write_contract_file(const std::vector<std::string>& lines) const {
        install.write("ASC/W_/W_H05.TXT", joined(lines));
    }

    TempInstall install;
    RecordingConsole screen;
    DistributorSettings settings;
    CommodityTable commodities{{row("W_", 1.0), row("JY", 100.0)}};
    Distribution run{settings, commodities};
};

TEST_F(AsciiAppend, CreatesTheFileOfANewContract) {
    run.header_flag = true;
    ASSERT_EQ(append({"W_ 05H050314 3.25 3.30 3.20 3.28 1200 5000 9000",
                      "W_ 05H050315 3.28 3.35 3.27 3.31 1250 5100 9100",
                      "W_ 05K050315 4.10 4.20 4.00 4.15 300 400 9100"}),
              0);
    EXPECT_EQ(contract_file(), "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI\n"
                               "03/14/05 3.25 3.30 3.20 3.28 5000 1200\n"
                               "03/15/05 3.28 3.35 3.27 3.31 5100 1250\n");
    EXPECT_EQ(contract_file("W_K05.TXT"), "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI\n"
                                          "03/15/05 4.10 4.20 4.00 4.15 400 300\n");
    EXPECT_EQ(run.newest_written, date_to_lotus(2005, 3, 15));
    EXPECT_FALSE(std::filesystem::exists(install.path("ASC/W_/TEMP")));

    // A deletion alone makes no file.
    ASSERT_EQ(append({"W_ 05M050315"}), 0);
    EXPECT_FALSE(std::filesystem::exists(install.path("ASC/W_/W_M05.TXT")));
}

// Lines written before an out-of-order line stay; the rest of the contract is passed over.
TEST_F(AsciiAppend, NewFileStopsAtADateOutOfOrder) {
    ASSERT_EQ(append({"W_ 05H050315 3.25 3.30 3.20 3.28 1200 5000 9000",
                      "W_ 05H050314 3.28 3.35 3.27 3.31 1250 5100 9100",
                      "W_ 05H050316 3.28 3.35 3.27 3.31 1250 5100 9100"}),
              0);
    EXPECT_EQ(contract_file(), "03/15/05 3.25 3.30 3.20 3.28 5000 1200\n");
    EXPECT_NE(screen.text().find("ERROR-date sequence of W_ 05H050314 3.28"), std::string::npos);
}

TEST_F(AsciiAppend, MergesUpdatesIntoTheFile) {
    const std::vector<std::string> existing = {
        "03/07/05 3.00 3.10 2.90 3.05 100 10",
        "03/08/05 3.05 3.15 2.95 3.10 110 11",
        "03/10/05 3.10 3.20 3.00 3.15 120 12",
    };
    const struct Case {
        const char* what;
        std::vector<std::string> update;
        std::vector<std::string> expected;
        std::vector<std::string> before = {};  // when not `existing`
    } cases[] = {
        {"a single newer day refreshes the last line's volume and open interest",
         {"W_ 05H050311 3.20 3.30 3.10 3.25 13 130 900"},
         {existing[0], existing[1], "03/10/05 3.10 3.20 3.00 3.15 130 13", "03/11/05 3.20 3.30 3.10 3.25 130 13"}},
        {"a day already there is replaced",
         {"W_ 05H050308 9.05 9.15 8.95 9.10 99 990 900"},
         {existing[0], "03/08/05 9.05 9.15 8.95 9.10 990 99", existing[2]}},
        {"a day between the last two lines is inserted between them",
         {"W_ 05H050309 3.07 3.17 2.97 3.12 11 115 900"},
         {existing[0], existing[1], "03/09/05 3.07 3.17 2.97 3.12 115 11", existing[2]}},
        {"a day before the first goes first", {"W_ 05H050304 2.90 3.00 2.80 2.95 9 90 900"},
         {"03/04/05 2.90 3.00 2.80 2.95 90 9", existing[0], existing[1], existing[2]}},
        {"the key and date alone delete the day", {"W_ 05H050308"}, {existing[0], existing[2]}},
        {"a run of new days refreshes the old last line once",
         {"W_ 05H050311 3.20 3.30 3.10 3.25 13 130 900", "W_ 05H050314 3.30 3.40 3.20 3.35 14 140 900"},
         {existing[0], existing[1], "03/10/05 3.10 3.20 3.00 3.15 130 13", "03/11/05 3.20 3.30 3.10 3.25 130 13",
          "03/14/05 3.30 3.40 3.20 3.35 140 14"}},
        {"a last line without volume and open interest keeps its prices",
         {"W_ 05H050311 3.20 3.30 3.10 3.25 13 130 900"},
         {existing[0], existing[1], "03/10/05 3.10 3.20 3.00 3.15", "03/11/05 3.20 3.30 3.10 3.25 130 13"},
         {existing[0], existing[1], "03/10/05 3.10 3.20 3.00 3.15"}},
        {"lines dated before June 1968 are not data", {"W_ 05H680531 1 1 1 1 1 1 1", "W_ 05H050308"},
         {existing[0], existing[2]}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write_contract_file(c.before.empty() ? existing : c.before);
        ASSERT_EQ(append(c.update), 0);
        EXPECT_EQ(contract_file(), joined(c.expected));
    }
}

// New days for files of several folders: the work file of the first folder
// serves the others, and none is left anywhere.
TEST_F(AsciiAppend, NewDaysIntoFilesOfSeveralFoldersLeaveNoWorkFile) {
    const std::string last = "03/10/05 3.10 3.20 3.00 3.15 120 12\n";
    for (const char* file : {"W_/W_H05.TXT", "W_/W_K05.TXT", "JY/JYH05.TXT", "JY/JYK05.TXT"})
        install.write(std::string("ASC/") + file, last);
    ASSERT_EQ(append({"W_ 05H050311 3.20 3.30 3.10 3.25 13 130 900", "W_ 05K050311 3.20 3.30 3.10 3.25 13 130 900",
                      "JY 05H050311 3.20 3.30 3.10 3.25 13 130 900", "JY 05K050311 3.20 3.30 3.10 3.25 13 130 900"}),
              0);
    for (const char* file : {"W_/W_H05.TXT", "W_/W_K05.TXT", "JY/JYH05.TXT", "JY/JYK05.TXT"}) {
        const bool scaled = file[0] == 'J';  // JY's prices by its multiplier 100
        EXPECT_EQ(install.read(std::string("ASC/") + file),
                  last.substr(0, 29) + "130 13\n03/11/05 " + (scaled ? "320 330 310 325" : "3.20 3.30 3.10 3.25") +
                      " 130 13\n")
            << file;
    }
    for (const char* folder : {"W_", "JY"})
        for (const auto& entry : std::filesystem::directory_iterator(install.path(std::string("ASC/") + folder)))
            EXPECT_NE(entry.path().filename().string(), "TEMP") << entry.path();
}

// A correction older than a long file's first day keeps the whole history.
TEST_F(AsciiAppend, CorrectionBeforeALongFileKeepsEveryLine) {
    std::vector<std::string> existing;
    const DayNumber first = date_to_lotus(2000, 1, 3);
    for (DayNumber day = first; existing.size() < 2000; ++day) {
        const Date date = lotus_to_date(day);
        existing.push_back(format("%02d/%02d/%02d 1.%04zu 2 0.5 1.5 %zu 7", date.month, date.day, date.year % 100,
                                  existing.size(), existing.size()));
    }
    write_contract_file(existing);
    ASSERT_EQ(append({"W_ 05H991231 1.00 1.10 0.90 1.05 70 700 900"}), 0);
    std::vector<std::string> expected = {"12/31/99 1.00 1.10 0.90 1.05 700 70"};
    expected.insert(expected.end(), existing.begin(), existing.end());
    EXPECT_EQ(contract_file(), joined(expected));
    EXPECT_EQ(run.newest_written, first + 1999);
}

TEST_F(AsciiAppend, CleansStrayAndRepeatedLines) {
    write_contract_file({"03/07/05 3.00 3.10 2.90 3.05 100 10", "", "garbage", "03/07/05 3.01 3.10 2.90 3.05 100 10",
                         "03/08/05 3.05 3.15 2.95 3.10 110 11", "01/01/01 short"});
    ASSERT_EQ(append({"W_ 05H050309 3.20 3.30 3.10 3.25 13 130 900"}), 0);
    EXPECT_EQ(contract_file(), "03/07/05 3.00 3.10 2.90 3.05 100 10\n"
                               "03/08/05 3.05 3.15 2.95 3.10 130 13\n"
                               "03/09/05 3.20 3.30 3.10 3.25 130 13\n");
}

// With the header flag a file keeps its heading, and a file written before the
// flag was set gets one without losing its first day.
TEST_F(AsciiAppend, HeadingLines) {
    run.header_flag = true;
    write_contract_file({"MY OWN HEADING", "03/07/05 3.00 3.10 2.90 3.05 100 10"});
    ASSERT_EQ(append({"W_ 05H050308 3.05 3.15 2.95 3.10 11 110 900"}), 0);
    EXPECT_EQ(contract_file(), "MY OWN HEADING\n"
                               "03/07/05 3.00 3.10 2.90 3.05 110 11\n"
                               "03/08/05 3.05 3.15 2.95 3.10 110 11\n");

    write_contract_file({"03/07/05 3.00 3.10 2.90 3.05 100 10", "03/08/05 3.05 3.15 2.95 3.10 110 11"});
    ASSERT_EQ(append({"W_ 05H050307 2.00 3.10 2.90 3.05 100 10 900"}), 0);
    EXPECT_EQ(contract_file(), "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI\n"
                               "03/07/05 2.00 3.10 2.90 3.05 10 100\n"
                               "03/08/05 3.05 3.15 2.95 3.10 110 11\n");

    // Without the flag a heading is no data line and goes.
    run.header_flag = false;
    ASSERT_EQ(append({"W_ 05H050308 3.05 3.15 2.95 3.10 12 120 900"}), 0);
    EXPECT_EQ(contract_file(), "03/07/05 2.00 3.10 2.90 3.05 10 100\n"
                               "03/08/05 3.05 3.15 2.95 3.10 120 12\n");
}

// A file whose dates do not read in the user's date style was written in
// another one: cleaning would empty it, so it is left alone.
TEST_F(AsciiAppend, FileOfAnotherDateStyleIsLeftAlone) {
    const std::string existing = "20050307 3.00 3.10 2.90 3.05 100 10\n20050308 3.05 3.15 2.95 3.10 110 11\n";
    install.write("ASC/W_/W_H05.TXT", existing);
    ASSERT_EQ(append({"W_ 05H050309 3.20 3.30 3.10 3.25 13 130 900"}), 0);
    EXPECT_EQ(contract_file(), existing);
    EXPECT_NE(screen.text().find("ERROR-dates of \\QUORVANT\\ASC\\W_\\W_H05.TXT do not read"), std::string::npos);
}

TEST_F(AsciiAppend, DateStylesAndSeparators) {
    const struct Case {
        const char* format;
        const char* line;
    } cases[] = {
        {"1SC", "03/15/05 1.25 1.5 1 1.375 20 10"},
        {"2SC", "\"03/15/05\" 1.25 1.5 1 1.375 20 10"},
        {"3SC", "050315 1.25 1.5 1 1.375 20 10"},
        {"4SC", "\"050315\" 1.25 1.5 1 1.375 20 10"},
        {"5TC", "03/15/2005\t1.25\t1.5\t1\t1.375\t20\t10"},
        {"6,C", "\"03/15/2005\",1.25,1.5,1,1.375,20,10"},
        {"7SC", "20050315 1.25 1.5 1 1.375 20 10"},
        {"8SC", "\"20050315\" 1.25 1.5 1 1.375 20 10"},
        {"7ST", "20050315 1.25 1.5 1 1.375 20 30"},
        {"7SN", "20050315 1.25 1.5 1 1.375"},
        {"7SX", "20050315 1.25 1.5 1 1.375 20 10"},
        {" SC", "03/15/05 1.25 1.5 1 1.375 20 10"},  // no date style: the first
    };
    const std::string update = "W_ 05H050315 1.25 1.5 1 1.375 10 20 30";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        settings.data_format = c.format;
        const std::string line = ascii_line_text(*reformat_update_line(update, 1.0, settings.volume_option()), settings);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(ascii_line_day(line, settings.date_style()), date_to_lotus(2005, 3, 15));
    }
    EXPECT_EQ(ascii_line_day("02/30/05 1 2 3 4", '1'), no_date);
    EXPECT_EQ(ascii_line_day("03/15/5", '1'), no_date);
    EXPECT_EQ(ascii_line_day("03/15/30 1", '1'), date_to_lotus(1930, 3, 15));
}

TEST_F(AsciiAppend, PricesScaledByTheMultiplier) {
    const struct Case {
        const char* update;
        double multiplier;
        char option;
        const char* reformatted;
    } cases[] = {
        {"JY 05H050315 1.2345 1.25 1.2 1.2401 10 20 30", 100.0, 'C', "JY 05H050315 123.45 125 120 124.01 20 10"},
        {"JY 05H050315 12345 12500 12000 12401 10 20 30", 100.0, 'T', "JY 05H050315 1234500 1250000 1200000 1240100 20 30"},
        {"JY 05H050315 12345 12500 12001 12401 10 20 30", 0.01, 'C', "JY 05H050315 123 125 120 124 20 10"},
        {"JY 05H050315 1.2345 1.25 1.2 1.2401 10 20 30", 100.0, 'N', "JY 05H050315 123.45 125 120 124.01"},
        {"JY 05H050315 1.2345 1.25 1.2 1.2401 10 20 30", 1.0, 'T', "JY 05H050315 1.2345 1.25 1.2 1.2401 20 30"},
        {"JY 05H050315 1.2345 1.25 1.2 1.2401 10 20 30", 1.0, 'N', "JY 05H050315 1.2345 1.25 1.2 1.2401"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.update);
        EXPECT_EQ(reformat_update_line(c.update, c.multiplier, c.option).value_or("(none)"), c.reformatted);
    }
    // A line without the figures the option needs is no data line.
    EXPECT_FALSE(reformat_update_line("JY 05H050315 1.2 1.3 1.1 1.2 10", 1.0, 'C'));
    EXPECT_FALSE(reformat_update_line("JY 05H050315 1.2 X 1.1 1.2 10 20 30", 100.0, 'C'));

    settings.data_format = "1SC";
    ASSERT_EQ(append({"JY 05H050315 1.2345 1.25 1.2 1.2401 10 20 30"}), 0);
    EXPECT_EQ(install.read("ASC/JY/JYH05.TXT"), "03/15/05 123.45 125 120 124.01 20 10\n");
}

TEST_F(AsciiAppend, Failures) {
    EXPECT_EQ(append_ascii_updates("\\QUORVANT\\UPDATES\\EU050317.CLC", run), -1);
    EXPECT_NE(screen.text().find("ERROR: CANNOT FIND FILE"), std::string::npos);

    // A bad mask warns for every line and writes nothing.
    screen.clear();
    settings.ascii_mask = "TMYY";
    ASSERT_EQ(append({"W_ 05H050314 3.25 3.30 3.20 3.28 1200 5000 9000",
                      "W_ 05H050315 3.28 3.35 3.27 3.31 1250 5100 9100"}),
              0);
    std::string text = screen.text();
    std::size_t warnings = 0;
    for (std::size_t at = 0; (at = text.find("only one ticker code", at)) != std::string::npos; ++at) ++warnings;
    EXPECT_EQ(warnings, 2u);
    EXPECT_FALSE(std::filesystem::exists(install.path("ASC")));
}

// In a history mode the screen names the output kind; the tag is shown always.
TEST_F(AsciiAppend, ShowsTheContractBeingWorkedOn) {
    run.mode = HistoryMode::deep_history;
    ASSERT_EQ(append({"W_ 05H050314 3.25 3.30 3.20 3.28 1200 5000 9000"}), 0);
    EXPECT_NE(screen.transcript().find("{go to 36,14}ASCII       {go to 50,17}W_"), std::string::npos);
    screen.clear();
    run.mode = HistoryMode::update;
    ASSERT_EQ(append({"W_ 05H050315 3.25 3.30 3.20 3.28 1200 5000 9000"}), 0);
    EXPECT_EQ(screen.transcript(), "{go to 50,17}W_");
}

}  // namespace
}  // namespace qv::distributor
