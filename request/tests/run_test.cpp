#include "request/run.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/clc_file.h"
#include "common/cot_file.h"
#include "common/platform/files.h"
#include "common/start_up.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::request {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

DayNumber day(int year, int month, int day_of_month) { return date_to_lotus(year, month, day_of_month); }

std::string clc_bytes(std::int16_t bytes, const std::vector<DayNumber>& days) {
    std::string out(clc_header_size, '\0');
    encode_header(make_clc_header("W_", 2, bytes), reinterpret_cast<std::uint8_t*>(out.data()));
    for (DayNumber d : days) {
        ClcRecord record;
        record.day = d;
        record.open = record.high = record.low = record.close = 500;
        std::string raw(clc_record_size(bytes), '\0');
        encode_record(record, bytes, reinterpret_cast<std::uint8_t*>(raw.data()));
        out += raw;
    }
    return out;
}

std::string cot_bytes(const std::vector<DayNumber>& days) {
    std::string out;
    for (DayNumber d : days) {
        CotRecord record;
        record.day = d;
        std::string raw(cot_record_size, '\0');
        encode_cot_record(record, reinterpret_cast<std::uint8_t*>(raw.data()));
        out += raw;
    }
    return out;
}

// The sample installation on Monday 7 December 2020: the CLC file last dated
// Wednesday 2 December (and ending in a roll-over record) with the Friday's
// CLC file waiting, the IDX database up to Friday 4 December (the file of an
// index whose tag begins with M is passed over), the last COT report of
// Tuesday 1 December, and empty files of a failed download.
class RequestRun : public ::testing::Test {
protected:
    SampleInstall install{"2020-12-07"};
    RecordingConsole screen;

    void SetUp() override {
        install.write("CLC/W__CLC.QVT", clc_bytes(3, {day(2020, 12, 1), day(2020, 12, 2), 0}));
        install.write("COT/W__COT.QVT", cot_bytes({day(2020, 11, 24), day(2020, 12, 1)}));
        install.write("IDX/SP_IDX.QVT", "20201203 3666.72\n20201204 3699.12\n");
        install.write("IDX/MA_IDX.QVT", "20201207 1.0\n");
        install.write("UPDATES/DU201204.CLC", "DU201204.CLC\n");
        install.write("UPDATES/DU201130.CLC", "");
        install.write("UPDATES/EU201130.CLC", "");
        for (const char* leftover : {"NEEDFIL2.TXT", "QUORUP.MSG", "SYSTEM.MSG", "TEMPZIP.BAT", "QUORUP.ERR"})
            install.write(leftover, "left by the previous run");
    }

    void run() { EXPECT_EQ(run_program([] { run_request(); }), 0); }
    bool exists(const char* path) const { return std::filesystem::exists(install.path(path)); }
};

TEST_F(RequestRun, WritesTheRequestFileAndClearsThePreviousRun) {
    const std::string settings = install.read("QUORUP.INI");
    run();
    EXPECT_EQ(install.read("NEEDFIL2.TXT"),
              "1-312-555-0142\nsample01\nharvest\nsystem.msg\ndu201207.idx\ndu201203.clc\ndu201207.clc\neu201207.clc\n");
    for (const char* leftover : {"QUORUP.MSG", "SYSTEM.MSG", "TEMPZIP.BAT", "QUORUP.ERR", "UPDATES/DU201130.CLC",
                                 "UPDATES/EU201130.CLC", "NEEDFIL2.TMP"})
        EXPECT_FALSE(exists(leftover)) << leftover;
    EXPECT_TRUE(exists("UPDATES/DU201204.CLC"));
    EXPECT_EQ(install.read("MAIL/POSITION.QVT"), "44172\n44172\n");
    EXPECT_FALSE(is_writable("\\QUORVANT\\MAIL\\POSITION.QVT"));
    EXPECT_EQ(install.read("QUORUP.INI"), settings);
    EXPECT_TRUE(screen.events().empty());
}

TEST_F(RequestRun, AnExistingPositionFileIsKept) {
    install.write("MAIL/POSITION.QVT", "40000\n40001\n");
    run();
    EXPECT_EQ(install.read("MAIL/POSITION.QVT"), "40000\n40001\n");
}

// Files that cannot be read count as databases without data: the last two
// weekdays and the last COT report released are requested.
TEST_F(RequestRun, DamagedDatabaseFilesStartTheDatabasesAfresh) {
    install.write("CLC/W__CLC.QVT", clc_bytes(3, {}).replace(4, 1, "\x07"));
    install.write("COT/W__COT.QVT", "short");
    install.write("IDX/SP_IDX.QVT", "garbage\n");
    install.write("UPDATES/DU201204.CLC", "");
    run();
    EXPECT_EQ(install.read("NEEDFIL2.TXT"), "1-312-555-0142\nsample01\nharvest\nsystem.msg\n"
                                            "du201204.idx\ndu201207.idx\ndu201204.clc\ndu201207.clc\neu201207.clc\n"
                                            "du201201.cot\n");
}

TEST_F(RequestRun, SettingsWithoutTheKeysAskForNoDistributorFiles) {
    install.write("QUORUP.INI", "SPARE1 = 1\n");
    run();
    EXPECT_EQ(install.read("NEEDFIL2.TXT"), "1-312-555-0142\n\n\nsystem.msg\ndu201207.idx\ndu201203.clc\ndu201207.clc\n");
}

// The dial-number rule rewrites the settings in the reduced form, keeping the
// previous file as QUORUP.BAK.
TEST_F(RequestRun, AChangedDialNumberIsSavedInTheReducedForm) {
    const std::string old_settings = "UPDATE DIRECTORY = C:\\QUORVANT\\UPDATES\nDIAL NUMBER = 1-708-555-0100\n"
                                     "USER ID = Sample01\nUSER PASSWORD = Harvest\n";
    install.write("QUORUP.INI", old_settings);
    run();
    EXPECT_EQ(install.read("QUORUP.INI"),
              "SPARE1 = 1\nSPARE2 = 2\nUPDATE DIRECTORY = C:\\QUORVANT\\UPDATES\\\nBULLETIN DIRECTORY = \n"
              "COMM FLAGS = \nDIAL NUMBER = 1-312-555-0142\nUSER ID = SAMPLE01\nUSER PASSWORD = HARVEST\n");
    EXPECT_EQ(install.read("QUORUP.BAK"), old_settings);
    EXPECT_TRUE(install.read("NEEDFIL2.TXT").starts_with("1-312-555-0142\nsample01\nharvest\nsystem.msg\n"));
}

struct Failure {
    const char* what;
    std::function<void(SampleInstall&)> arrange;
    const char* message;
};

// A failure is written to QUORUP.ERR and ends the run without a request file.
TEST_F(RequestRun, FailuresAreRecordedInTheErrorFile) {
    const Failure failures[] = {
        {"no settings file", [](SampleInstall& i) { std::filesystem::remove(i.path("QUORUP.INI")); },
         " ERROR, could not open the initialization file QUORUP.INI \n"},
        {"no MAIL folder", [](SampleInstall& i) { std::filesystem::remove_all(i.path("MAIL")); },
         " ERROR, could not create the file \\QUORVANT\\MAIL\\POSITION.QVT\n"},
        {"the request file cannot be written",
         [](SampleInstall& i) { std::filesystem::create_directory(i.path("NEEDFIL2.TMP")); },
         "ERROR-UNABLE TO CREATE THE FILE NEEDFIL2.TXT\n"},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.what);
        failure.arrange(install);
        run();
        EXPECT_EQ(install.read("QUORUP.ERR"), failure.message);
        EXPECT_FALSE(exists("NEEDFIL2.TXT"));
        std::filesystem::remove_all(install.path("NEEDFIL2.TMP"));
        install.write("QUORUP.INI", "SPARE1 = 1\n");
        install.write("MAIL/POSITION.QVT", "1\n1\n");
    }
}

TEST_F(RequestRun, ADamagedTableFileEndsWithItsMessage) {
    install.write("TABLES.INI", "[numcom] = 2\n[roll_day]\n1,2,3\n");
    run();
    EXPECT_NE(screen.text().find("ERROR-LINE 1 IN TABLE roll_day INVALID"), std::string::npos) << screen.text();
    EXPECT_FALSE(exists("NEEDFIL2.TXT"));
}

}  // namespace
}  // namespace qv::request
