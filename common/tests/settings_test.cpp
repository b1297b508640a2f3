#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "common/platform/environment.h"
#include "common/platform/program_end.h"
#include "common/settings.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"
#include "common/tool.h"

namespace qv {
namespace {

// A settings file as a user keeps it, dial-up keys and protected keys included.
const std::string full_file =
    "SPARE1 = 1\n"
    "SPARE2 = 2\n"
    "MODEM SPEED = 38400\n"
    "COM PORT = COM2\n"
    "MODEM DIAL MODE = PULSE\n"
    "UPDATE DIRECTORY = \\QUORVANT\\UPDATES\\\n"
    "BULLETIN DIRECTORY = \\QUORVANT\\BULLETIN\n"
    "COMM FLAGS = N81\n"
    "DIAL NUMBER = 555-0100\n"
    "USER ID = smith\n"
    "USER PASSWORD = secret\n"
    "PORT ADDRESS = 0x2f8\n"
    "PORT IRQ = 3\n"
    "MODEM CODES = ATZ\n"
    "*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****\n"
    "EXTENDED CONTRACTS = B\n"
    "ASCII PATH = C:\\DATA\\ASCII\\\n"
    "META PATH = C:\\DATA\\META\\\n"
    "ASCII MASK = TT&&%%.TXT\n"
    "META MASK = TT&%\n"
    "DATA FORMAT = 1CYN\n"
    "EU LAST DATE = 3/15/09\n";

// How the complete writer gives that file back.
const std::string full_file_written =
    "SPARE1 = 1\n"
    "SPARE2 = 2\n"
    "MODEM SPEED = 9600\n"
    "COM PORT = COM2\n"
    "MODEM DIAL MODE = PULSE\n"
    "UPDATE DIRECTORY = \\QUORVANT\\UPDATES\\\n"
    "BULLETIN DIRECTORY = \\QUORVANT\\BULLETIN\\\n"
    "COMM FLAGS = N81\n"
    "DIAL NUMBER = 555-0100\n"
    "USER ID = SMITH\n"
    "USER PASSWORD = SECRET\n"
    "PORT ADDRESS = 0X2F8\n"
    "PORT IRQ = 3\n"
    "MODEM CODES = ATZ\n"
    "*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****\n"
    "EXTENDED CONTRACTS = B\n"
    "ASCII PATH = C:\\DATA\\ASCII\\\n"
    "META PATH = C:\\DATA\\META\\\n"
    "ASCII MASK = TT&&%%.TXT\n"
    "META MASK = TT&%\n"
    "DATA FORMAT = 1CYN\n"
    "EU LAST DATE = 3/15/09\n";

TEST(SettingsGrammar, SplitsKeyAndValue) {
    struct Case {
        std::string line;
        std::optional<std::string> key;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"USER ID = SMITH", "USER ID", "SMITH"},
        {"USER ID=SMITH", "USER ID", "SMITH"},
        {"USER ID   =    SMITH X ", "USER ID", "SMITH X "},
        {"ABC=1", "ABC", "1"},          // "=" as the 4th character
        {"AB=1", std::nullopt, ""},     // before the 4th
        {"AB==1", std::nullopt, ""},    // the first "=" looked at is the 3rd character
        {std::string(30, 'K') + "=1", std::string(30, 'K'), "1"},  // the 31st character
        {std::string(31, 'K') + "=1", std::nullopt, ""},
        {"** USER ID = SMITH", std::nullopt, ""},
        {"*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****", std::nullopt, ""},
        {"NO EQUALS SIGN", std::nullopt, ""},
        {"KEY = ", "KEY", ""},
    };
    for (const Case& c : cases) {
        const auto parsed = parse_settings_line(c.line);
        ASSERT_EQ(parsed.has_value(), c.key.has_value()) << c.line;
        if (!parsed) continue;
        EXPECT_EQ(parsed->key, *c.key) << c.line;
        EXPECT_EQ(parsed->value, c.value) << c.line;
    }
}

TEST(SettingsReading, HoldsUpperCasedValuesInTheirForms) {
    const SettingsReader reader = read_settings_text(
        "update directory = c:\\quorvant\\updates\r\n"
        "Modem Speed = 38400\n"
        "port address = 0x2f8\n"
        "USER ID = first\n"
        "unknown key = 1\n"
        "USER ID = later\n"
        "EU LAST DATE = 01/15/08\n"
        "EXTENDED CONTRACTS = ascii");
    const Settings& s = reader.settings();
    EXPECT_EQ(s.update_directory, "C:\\QUORVANT\\UPDATES\\");
    EXPECT_EQ(s.modem_speed, 7);
    EXPECT_EQ(s.port_address, 760);
    EXPECT_EQ(s.user_id, "LATER");
    EXPECT_EQ(s.eu_last_date_text, "01/15/08");
    EXPECT_EQ(s.eu_last_date, 39462);  // 15 January 2008
    EXPECT_EQ(s.extended_contracts, 'A');
    EXPECT_TRUE(s.has(SettingsKey::update_directory));
    EXPECT_FALSE(s.has(SettingsKey::bulletin_directory));
    EXPECT_TRUE(reader.messages().empty());
    // An empty folder stays empty rather than becoming the root of the drive.
    EXPECT_EQ(read_settings_text("BULLETIN DIRECTORY = ").settings().bulletin_directory, "");
}

TEST(SettingsReading, InvalidValuesAreReportedAndLeftAsTheyWere) {
    struct Case {
        std::string line;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"MODEM SPEED = 28800", " INVALID BAUD RATE IN THE FILE QUORUP.INI "},
        {"COM PORT = COM5", " INVALID COM PORT SPECIFIED IN THE FILE QUORUP.INI "},
        {"PORT ADDRESS = 3F8", " ERROR - INVALID PORT ADDRESS IN QUORUP.INI FILE "},
        {"PORT ADDRESS = 0X3G8", " ERROR - INVALID PORT ADDRESS IN QUORUP FILE "},
        {"PORT ADDRESS = 0X", " ERROR - INVALID PORT ADDRESS IN QUORUP FILE "},
        {"PORT ADDRESS = 0X10000", " ERROR - INVALID PORT ADDRESS IN QUORUP FILE "},
    };
    for (const Case& c : cases) {
        const SettingsReader reader = read_settings_text("MODEM SPEED = 2400\nCOM PORT = COM3\nPORT ADDRESS = 0X3F8\n" +
                                                         c.line + "\n");
        EXPECT_EQ(reader.messages(), std::vector<std::string>{c.message}) << c.line;
        EXPECT_EQ(reader.settings().modem_speed, 5) << c.line;
        EXPECT_EQ(reader.settings().com_port, 2) << c.line;
        EXPECT_EQ(reader.settings().port_address, 0x3F8) << c.line;
    }
}

TEST(SettingsReading, TheTailOfAnOverlongLineIsNoLineOfItsOwn) {
    testing::TempInstall install;
    install.write("QUORUP.INI", "USER ID = " + std::string(185, 'A') + "USER PASSWORD = STOLEN\nSPARE1 = 1\n");
    const auto settings = load_settings(updater_profile, reading_settings);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->user_id.size(), settings_line_length - 10);
    EXPECT_FALSE(settings->has(SettingsKey::user_password));
    EXPECT_TRUE(settings->has(SettingsKey::spare1));
}

TEST(SettingsWriting, CompleteAndReducedLayouts) {
    const Settings read = read_settings_text(full_file).settings();
    EXPECT_EQ(settings_file_text(read, SettingsLayout::complete), full_file_written);

    // The reduced form adds no dial-up keys that were not there...
    const Settings reduced_file = read_settings_text(
                                      "UPDATE DIRECTORY = \\QUORVANT\\UPDATES\\\n"
                                      "EXTENDED CONTRACTS = N\n"
                                      "EU LAST DATE = 3/15/09\n"
                                      "USERCD = abc\n")
                                      .settings();
    EXPECT_EQ(settings_file_text(reduced_file, SettingsLayout::reduced),
              "SPARE1 = 1\n"
              "SPARE2 = 2\n"
              "UPDATE DIRECTORY = \\QUORVANT\\UPDATES\\\n"
              "BULLETIN DIRECTORY = \n"
              "COMM FLAGS = \n"
              "USER ID = \n"
              "USER PASSWORD = \n"
              "*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****\n"
              "EXTENDED CONTRACTS = N\n"
              "ASCII PATH = \n"
              "META PATH = \n"
              "ASCII MASK = \n"
              "META MASK = \n"
              "DATA FORMAT = \n"
              "EU LAST DATE = 3/15/09\n"
              "USERCD = ABC\n");
    // ...and loses none that were.
    EXPECT_EQ(settings_file_text(read, SettingsLayout::reduced), full_file_written);
}

// A temporary install with a settings file, today fixed, and a recording console.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override { set_env("QUORVANT_TODAY", "2009-03-20"); }
    void TearDown() override { unset_env("QUORVANT_TODAY"); }

    std::string messages() const { return install.read("QUORUP.MSG"); }
    bool exists(const char* name) const { return std::filesystem::exists(install.path(name)); }

    testing::TempInstall install;
    testing::RecordingConsole console;
};

TEST_F(SettingsFiles, WithoutExtendedContractsTheProtectedKeysAreNeitherMissingNorWritten) {
    install.write("QUORUP.INI",
                  "SPARE1 = 1\nSPARE2 = 2\nMODEM SPEED = 9600\nCOM PORT = COM1\nMODEM DIAL MODE = TONE\n"
                  "UPDATE DIRECTORY = \\QUORVANT\\UPDATES\nBULLETIN DIRECTORY = \\QUORVANT\\BULLETIN\n"
                  "COMM FLAGS = N81\nUSER ID = SMITH\nUSER PASSWORD = SECRET\nPORT ADDRESS = 0X3F8\n"
                  "PORT IRQ = 4\nMODEM CODES = ATZ\n");
    const auto settings = load_settings(updater_profile, updater_settings);
    ASSERT_TRUE(settings);
    EXPECT_EQ(messages(),
              "WARNING-MISSING ITEM DIAL NUMBER FROM QUORUP.INI FILE.\n"
              "WARNING-MISSING ITEM EXTENDED CONTRACTS FROM QUORUP.INI FILE.\n");
    ASSERT_TRUE(save_settings(*settings, updater_profile, updater_settings));
    const std::string written = install.read("QUORUP.INI");
    EXPECT_EQ(written.find("WARNING-DO NOT CHANGE"), std::string::npos);
    EXPECT_EQ(written.find("ASCII PATH"), std::string::npos);
    EXPECT_EQ(written.find("EU LAST DATE"), std::string::npos);
    EXPECT_NE(written.find("BULLETIN DIRECTORY = \\QUORVANT\\BULLETIN\\\n"), std::string::npos);
}

TEST_F(SettingsFiles, StaleEuLastDateTakesTheNewestUpdateFileDate) {
    install.write("QUORUP.INI", "EXTENDED CONTRACTS = A\nEU LAST DATE = 01/15/08\n");
    install.write("UPDATES/EU080301.CLC", "x");
    install.write("UPDATES/EU080302.CLC", "x");
    install.write("UPDATES/E_NOTADATE", "x");
    auto settings = load_settings(updater_profile, updater_settings);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->eu_last_date, 39509);  // 2 March 2008
    ASSERT_TRUE(save_settings(*settings, updater_profile, updater_settings));
    EXPECT_NE(install.read("QUORUP.INI").find("EU LAST DATE = 01/15/08\n"), std::string::npos);

    // Without such files: today minus 10. A recent date stands.
    std::filesystem::remove_all(install.path("UPDATES"));
    EXPECT_EQ(load_settings(updater_profile, updater_settings)->eu_last_date, date_to_lotus(2009, 3, 20) - 10);
    install.write("QUORUP.INI", "EXTENDED CONTRACTS = A\nEU LAST DATE = 06/06/08\n");
    EXPECT_EQ(load_settings(updater_profile, updater_settings)->eu_last_date, 39605);
}

TEST_F(SettingsFiles, SaveKeepsThePreviousFileAsBackup) {
    install.write("QUORUP.INI", full_file);
    install.write("QUORUP.BAK", "an older backup\n");
    const auto settings = load_settings(updater_profile, updater_settings);
    ASSERT_TRUE(settings);
    ASSERT_TRUE(save_settings(*settings, updater_profile, updater_settings));
    EXPECT_EQ(install.read("QUORUP.BAK"), full_file);
    EXPECT_EQ(install.read("QUORUP.INI"), full_file_written);
    EXPECT_FALSE(exists("TEMP0001.QVT"));
}

TEST_F(SettingsFiles, PostDownloadSaveReplacesTheFileWithoutBackup) {
    install.write("QUORUP.INI", full_file);
    const auto settings = load_settings(postdownload_profile, reading_settings);
    ASSERT_TRUE(settings);
    ASSERT_TRUE(save_settings(*settings, postdownload_profile, postdownload_settings));
    EXPECT_EQ(install.read("QUORUP.INI"), full_file_written);
    EXPECT_FALSE(exists("QUORUP.BAK"));
    EXPECT_FALSE(exists("TEMP0001.QVT"));
}

TEST_F(SettingsFiles, AMissingFileIsReplacedByItsBackup) {
    install.write("QUORUP.BAK", "USER ID = FROM BACKUP\n");
    const auto settings = load_settings(updater_profile, reading_settings);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->user_id, "FROM BACKUP");
    EXPECT_EQ(install.read("QUORUP.INI"), "USER ID = FROM BACKUP\n");
    EXPECT_FALSE(exists("QUORUP.BAK"));
    EXPECT_EQ(messages(), "");
}

TEST_F(SettingsFiles, NeitherFileIsFatal) {
    // The updater goes on without settings; the other tools end.
    EXPECT_FALSE(load_settings(updater_profile, updater_settings));
    EXPECT_THROW(load_settings(postdownload_profile, postdownload_settings), ProgramEnd);
    EXPECT_NE(messages().find(" ERROR, could not open the initialization file QUORUP.INI "), std::string::npos);
}

TEST_F(SettingsFiles, AProtectedFileIsNeitherLostNorHalfReplaced) {
    install.write("QUORUP.INI", full_file);
    // A backup that cannot be deleted keeps QUORUP.INI from becoming QUORUP.BAK.
    std::filesystem::create_directory(install.path("QUORUP.BAK"));
    const Settings settings = read_settings_text(full_file).settings();
    EXPECT_THROW(save_settings(settings, updater_profile, updater_settings), ProgramEnd);
    EXPECT_EQ(messages(), " CAN'T RENAME QUORUP.INI FILE TO QUORUP.BAK,\n PLEASE UNPROTECT IT AND RESTART. \n\n");
    EXPECT_EQ(install.read("QUORUP.INI"), full_file);
    EXPECT_FALSE(exists("TEMP0001.QVT"));
}

TEST_F(SettingsFiles, WorkFileThatCannotBeCreated) {
    install.write("QUORUP.INI", full_file);
    std::filesystem::create_directory(install.path("TEMP0001.QVT"));
    const Settings settings = read_settings_text(full_file).settings();
    EXPECT_FALSE(save_settings(settings, updater_profile, updater_settings));
    EXPECT_FALSE(save_settings(settings, postdownload_profile, postdownload_settings));
    EXPECT_EQ(install.read("QUORUP.INI"), full_file);
    // The post-download processing's notice turns the "@" into a blank.
    EXPECT_NE(messages().find("COULD NOT OPEN TEMPORARY WORK FILE 0001 DOWNLOADING ABORTED"), std::string::npos);
}

TEST(DialNumberRule, MovesToTheCurrentNumbersAndAlternates) {
    struct Case {
        const char* number;
        const char* after;
        bool changed;
    };
    const std::vector<Case> cases = {
        {"1-708-555-0199", "1-312-555-0142", true},
        {"1 (708) 555-2000", "1-312-555-0142", true},
        {"1-312-555-0142", "1-312-555-0143", true},
        {"13125550143", "1-312-555-0142", true},
        {"1-212-555-0177", "1-212-555-0177", false},  // the user's own number stays
    };
    const DayNumber after_change = 37210;
    for (const Case& c : cases) {
        Settings s = read_settings_text(std::string("DIAL NUMBER = ") + c.number).settings();
        EXPECT_EQ(apply_dial_number_rule(s, after_change), c.changed) << c.number;
        EXPECT_EQ(s.dial_number, c.after) << c.number;
    }
    Settings before = read_settings_text("DIAL NUMBER = 1-708-555-0199").settings();
    EXPECT_FALSE(apply_dial_number_rule(before, 37209));
    Settings absent;
    EXPECT_FALSE(apply_dial_number_rule(absent, after_change));
}

TEST_F(SettingsFiles, ChangedDialNumberIsSavedWhileLoading) {
    install.write("QUORUP.INI", [] {
        std::string text = full_file;
        text.replace(text.find("555-0100"), 8, "1-312-555-0142");
        return text;
    }());
    const auto first = load_settings(updater_profile, updater_settings);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->dial_number, "1-312-555-0143");
    EXPECT_NE(install.read("QUORUP.INI").find("DIAL NUMBER = 1-312-555-0143\n"), std::string::npos);
    EXPECT_NE(install.read("QUORUP.BAK").find("DIAL NUMBER = 1-312-555-0142\n"), std::string::npos);
    EXPECT_EQ(load_settings(updater_profile, updater_settings)->dial_number, "1-312-555-0142");
}

// The updater killed at any moment of a save leaves the settings whole under
// QUORUP.INI or QUORUP.BAK: a child saves generation after generation, each
// with its number in USER ID and USERCD as the last line, and is killed at a
// different moment each round; the next load must find a whole file.
TEST(SettingsSave, KilledWhileSavingLeavesWholeSettings) {
    testing::TempInstall install;
    std::string first = full_file + "USERCD = G0\n";
    first.replace(first.find("USER ID = smith"), 15, "USER ID = G0");
    install.write("QUORUP.INI", first);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Settings settings = read_settings_text(full_file).settings();
            for (int generation = 1;; ++generation) {
                settings.user_id = settings.usercd = "G" + std::to_string(generation);
                save_settings(settings, updater_profile, updater_settings);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + round * 3));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const auto loaded = load_settings(updater_profile, reading_settings);
        ASSERT_TRUE(loaded) << "round " << round;
        EXPECT_EQ(loaded->user_id, loaded->usercd) << "round " << round;
        EXPECT_EQ(loaded->user_id.front(), 'G') << "round " << round;
    }
}

}  // namespace
}  // namespace qv
