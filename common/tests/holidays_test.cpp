#include "common/holidays.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

// An install folder that is also the working directory, as the tools expect,
// with the clock standing still on 1 December 2020.
class HolidayFixture : public ::testing::Test {
protected:
    HolidayFixture() : previous_folder_(std::filesystem::current_path()) {
        std::filesystem::current_path(install_.root());
        setenv("QUORVANT_TODAY", "2020-12-01", 1);
    }
    ~HolidayFixture() override {
        unsetenv("QUORVANT_TODAY");
        std::filesystem::current_path(previous_folder_);
    }

    void write_holidays(const std::string& text) { install_.write("HOLIDAYS.QVT", text); }

    // The console text of a load that must end the program.
    std::string failure_of(const HolidayRules& rules) {
        RecordingConsole console;
        try {
            load_holidays(rules);
        } catch (const ProgramEnd&) {
            return console.text();
        }
        ADD_FAILURE() << "HOLIDAYS.QVT was accepted";
        return {};
    }

    TempInstall install_;
    std::filesystem::path previous_folder_;
};

// Holiday lines for `count` days from 2 January 2021 on, one day apart.
std::string holiday_lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const Date date = lotus_to_date(static_cast<DayNumber>(date_to_lotus(2021, 1, 2) + i));
        text += output_date_text(date, '1').substr(0, 6) + std::to_string(date.year % 100 + 100).substr(1) + " " +
                std::to_string(date.year / 100) + "\n";
    }
    return text;
}

TEST_F(HolidayFixture, ReadsLinesUntilAShortLine) {
    write_holidays("12/25/20 20\r\n01/01/21 20 NEW YEAR\n12/31/99 19\n07/04/21 20\n\n12/25/21 20\n");
    RecordingConsole console;
    const HolidayTable table = load_holidays(updater_profile.holidays);
    EXPECT_EQ(table.days(), (std::vector<DayNumber>{44190, 44197, 36525, date_to_lotus(2021, 7, 4)}));
    EXPECT_TRUE(table.contains(44190));
    EXPECT_FALSE(table.contains(date_to_lotus(2021, 12, 25)));
    EXPECT_EQ(console.text(), "");
}

TEST_F(HolidayFixture, FaultsEndTheLoadWithTheirMessage) {
    const struct {
        const char* what;
        std::string file;
        std::string message;
    } cases[] = {
        {"century 21", "12/24/20 20\n12/25/20 21\n", "BAD CENTURY VALUE IN HOLIDAYS.QVT, LINE = 12/25/20 21\n"},
        {"no century", "12/25/20\n", "BAD CENTURY VALUE IN HOLIDAYS.QVT, LINE = 12/25/20\n"},
        {"month 13", "13/25/20 20\n", "ERROR IN HOLIDAYS.QVT FILE, LINE = 13/25/20 20\n"},
        {"day 0", "12/00/20 20\n", "ERROR IN HOLIDAYS.QVT FILE, LINE = 12/00/20 20\n"},
        {"30 February", "02/30/20 20\n", "ERROR IN HOLIDAYS.QVT FILE, LINE = 02/30/20 20\n"},
        {"year not digits", "12/25/XX 20\n", "ERROR IN HOLIDAYS.QVT FILE, LINE = 12/25/XX 20\n"},
        {"beyond the last day number", "12/25/99 20\n", "ERROR IN HOLIDAYS.QVT FILE, LINE = 12/25/99 20\n"},
        {"truncated last line", "12/24/20 20\n12/25/2", "BAD CENTURY VALUE IN HOLIDAYS.QVT, LINE = 12/25/2\n"},
        {"NUL and high bytes", std::string("12/\0\xFF/20 20\n", 12), "ERROR IN HOLIDAYS.QVT FILE, LINE = 12/?\xFF/20 20\n"},
        {"overlong junk line", std::string(500, '\x01') + "\n",
         "BAD CENTURY VALUE IN HOLIDAYS.QVT, LINE = " + std::string(79, '?') + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_holidays(c.file);
        EXPECT_EQ(failure_of(updater_profile.holidays), c.message);
    }
}

TEST_F(HolidayFixture, MissingFile) {
    EXPECT_EQ(failure_of(roll_profile.holidays), "ERROR, could not open the holiday file HOLIDAYS.QVT\n");
}

TEST_F(HolidayFixture, OverlongLineIsReadAsOneLine) {
    write_holidays("12/25/20 20 " + std::string(300, '*') + "\n12/31/20 20\n");
    RecordingConsole console;
    EXPECT_EQ(load_holidays(updater_profile.holidays).days(), (std::vector<DayNumber>{44190, 44196}));
}

TEST_F(HolidayFixture, BoundPerTool) {
    const std::string too_many = "TOO MANY HOLIDAYS, CAN'T LOAD HOLIDAY FILE INTO MEMORY";
    {
        write_holidays(holiday_lines(1600));
        RecordingConsole console;
        EXPECT_EQ(load_holidays(updater_profile.holidays).size(), 1600u);
        write_holidays(holiday_lines(1601));
        EXPECT_EQ(failure_of(updater_profile.holidays), too_many + "\n");
        write_holidays(holiday_lines(2001));
        EXPECT_EQ(failure_of(postdownload_profile.holidays), too_many + "\n");
    }
    {
        // The builder shows its warning screen and goes on with the holidays it has.
        write_holidays(holiday_lines(2001));
        RecordingConsole console;
        const HolidayTable table = load_holidays(builder_profile.holidays);
        EXPECT_EQ(table.size(), 2000u);
        EXPECT_NE(console.text().find("---WARNING---"), std::string::npos);
        EXPECT_NE(console.text().find(too_many), std::string::npos);
    }
    {
        write_holidays(holiday_lines(1501));
        RecordingConsole console;
        std::vector<std::string> warnings;
        const HolidayTable table =
            load_holidays(distributor_profile.holidays, [&](std::string_view text) { warnings.emplace_back(text); });
        EXPECT_EQ(table.size(), 1500u);
        EXPECT_EQ(warnings, (std::vector<std::string>{too_many}));
    }
}

TEST_F(HolidayFixture, WorkingDirectoryFirstThenInstallFolder) {
    write_holidays("12/25/20 20\n");
    TempInstall elsewhere;  // another working directory, with its own file
    elsewhere.write("HOLIDAYS.QVT", "12/24/20 20\n12/25/20 20\n");
    setenv("QUORVANT_ROOT", install_.root().c_str(), 1);
    std::filesystem::current_path(elsewhere.root());
    RecordingConsole console;
    EXPECT_EQ(load_holidays(updater_profile.holidays).size(), 2u);
    EXPECT_EQ(load_holidays(builder_profile.holidays).size(), 1u);
    std::filesystem::remove(elsewhere.path("HOLIDAYS.QVT"));
    EXPECT_EQ(load_holidays(updater_profile.holidays).size(), 1u);
    std::filesystem::current_path(previous_folder_);
}

TEST_F(HolidayFixture, DistributorWarnsAndGoesOn) {
    RecordingConsole console;
    EXPECT_TRUE(load_holidays(distributor_profile.holidays).empty());
    EXPECT_EQ(console.text(), "WARNING, could not open the holiday file HOLIDAYS.QVT\n");

    console.clear();
    write_holidays("12/25/20 20\n12/26/20 21\n13/01/21 20\n12/31/20 20\n");
    EXPECT_EQ(load_holidays(distributor_profile.holidays).days(), (std::vector<DayNumber>{44190, 44196}));
    EXPECT_EQ(console.text(),
              "WARNING IN HOLIDAYS.QVT FILE, LINE = 12/26/20 21\n"
              "WARNING IN HOLIDAYS.QVT FILE, LINE = 13/01/21 20\n"
              "NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = 30\n");
}

TEST_F(HolidayFixture, ExpiryWarningAndDaysToEnd) {
    // Today is 1 December 2020.
    const struct {
        const char* last_line;
        const char* note;
    } cases[] = {
        {"12/31/20 20\n", "NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = 30\n"},
        {"12/01/20 20\n", "NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = 0\n"},
        {"01/29/21 20\n", "NOTE:NUMBER OF DAYS TO END OF HOLIDAY FILE = 59\n"},
        {"01/30/21 20\n", ""},
        {"11/30/20 20\n", "WARNING-HOLIDAY FILE HAS EXPIRED!!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last_line);
        write_holidays(std::string("01/01/20 20\n") + c.last_line);
        RecordingConsole console;
        EXPECT_EQ(load_holidays(updater_profile.holidays).size(), 2u);
        EXPECT_EQ(console.text(), c.note);
    }
}

TEST_F(HolidayFixture, DamagedFilesLoadOrFailCleanly) {
    std::mt19937 random(44172);
    const std::string good = holiday_lines(30);
    for (int round = 0; round < 400; ++round) {
        std::string text = good;
        for (unsigned change = 0, changes = 1 + random() % 4; change < changes && !text.empty(); ++change) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
                case 0: text[at] = static_cast<char>(random()); break;
                case 1: text.erase(at, 1 + random() % 20); break;
                default: text.insert(at, std::string(1 + random() % 120, static_cast<char>(random()))); break;
            }
        }
        write_holidays(text);
        const HolidayRules& rules = round % 2 ? distributor_profile.holidays : updater_profile.holidays;
        RecordingConsole console;
        try {
            for (const DayNumber day : load_holidays(rules)) ASSERT_GE(day, first_day_number) << round;
        } catch (const ProgramEnd&) {
            ASSERT_FALSE(rules.warnings_only) << round;
            ASSERT_FALSE(console.text().empty()) << round;
        }
    }
}

}  // namespace
}  // namespace qv
