// The broadcast in the daily chain: an output that DFORGE built up to one day
// and the updater then broadcast the next day into is the output that DFORGE
// builds up to that next day, byte for byte; and a broadcast killed at any
// moment leaves every output as it was or as it should be, and the next run
// finishes it once.
// Run alone: BUILD/bin/updater_tests --gtest_filter='BroadcastChain*'

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/clc_file.h"
#include "common/platform/text.h"
#include "common/testing/sample_install.h"
#include "updater/tests/fixture.h"
#include "updater/tests/programs.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string iso(DayNumber day) {
    const Date date = lotus_to_date(day);
    return format("%04d-%02d-%02d", date.year, date.month, date.day);
}

// Wheat (precision 2, three-byte prices) from June 2020 up to `last`, weekdays
// but the sample's holidays, with a roll from the September to the December
// contract on 25 August, so that a back-adjusted series moves its history.
std::string wheat_history(DayNumber last, const std::vector<DayNumber>& holidays) {
    std::vector<ClcRecord> records;
    for (DayNumber d = testing::day(2020, 6, 1); d <= last; ++d) {
        const int w = weekday(d);
        if (w == saturday || w == sunday || std::find(holidays.begin(), holidays.end(), d) != holidays.end()) continue;
        if (d == testing::day(2020, 8, 25)) records.push_back(testing::rollover(50000, 51200));
        records.push_back(testing::record(d, 50000 + (d % 37) * 25, 1000 + d % 50, 3000 + d % 70, 9000 + d % 90));
    }
    return testing::clc_bytes("W_", 2, 3, records);
}

// The daily update of `day`, as the vendor sends it; with a roll-over line
// first when `rolls`.
std::string wheat_update(DayNumber day, bool rolls) {
    const Date date = lotus_to_date(day);
    const std::string yymmdd = format("%02d%02d%02d", date.year % 100, date.month, date.day);
    std::string text = "DU" + yymmdd + ".CLC\n";
    if (rolls) text += "W_ 000000 503.00 503.00 503.00 503.00 1 1 1\n";
    text += "W_ " + yymmdd + " 511.50 514.25 509.00 512.75 1234 5678 9012\n";
    return text;
}

std::string update_name(DayNumber day, char state, std::string_view kind = "CLC") {
    const Date date = lotus_to_date(day);
    return format("D%c%02d%02d%02d.%s", state, date.year % 100, date.month, date.day, std::string(kind).c_str());
}

std::string index_fields(DayNumber d) {
    return format("%d.%02d %d.%02d %d.%02d %d.%02d", 6900 + d % 40, d % 100, 6950 + d % 30, d % 97, 6850 + d % 20,
                  d % 89, 6920 + d % 35, d % 83);
}

// The stock index SP from November 2020 up to `last`, on the same days.
std::string index_history(DayNumber last, const std::vector<DayNumber>& holidays) {
    std::string text;
    for (DayNumber d = testing::day(2020, 11, 2); d <= last; ++d) {
        const int w = weekday(d);
        if (w == saturday || w == sunday || std::find(holidays.begin(), holidays.end(), d) != holidays.end()) continue;
        const Date date = lotus_to_date(d);
        text += format("%04d%02d%02d %s\n", date.year, date.month, date.day, index_fields(d).c_str());
    }
    return text;
}

std::string index_update(DayNumber day) {
    const Date date = lotus_to_date(day);
    const std::string yymmdd = format("%02d%02d%02d", date.year % 100, date.month, date.day);
    return "DU" + yymmdd + ".IDX\nSP " + yymmdd + " " + index_fields(day) + "\n";
}

// The files of an output: an ASCII file, or a MetaStock folder's MASTER and
// series files.
std::map<std::string, std::string> output_files(const testing::TempInstall& install, const std::string& output) {
    std::map<std::string, std::string> files;
    const fs::path path = install.path(output);
    if (fs::is_directory(path)) {
        for (const auto& entry : fs::directory_iterator(path))
            files[entry.path().filename().string()] = install.read(output + "/" + entry.path().filename().string());
    } else if (fs::exists(path)) {
        files[output] = install.read(output);
    }
    return files;
}

// MASTER's header carries a stamp of the moment the builder wrote it; the
// updater writes it back as it read it.
std::map<std::string, std::string> without_stamp(std::map<std::string, std::string> files) {
    if (files.count("MASTER") && files["MASTER"].size() >= 53) files["MASTER"].replace(49, 4, 4, '\0');
    return files;
}

struct Case {
    const char* title;
    const char* build_file;   // \QUORVANT\AUTO\$EQ
    const char* output;       // relative to the install folder
    DayNumber built_to;       // DFORGE's day N
    DayNumber broadcast;      // the broadcast's day N + 1
    bool rolls = false;       // the update carries a roll-over: the chain rebuilds through $ROLL
};

class BroadcastChain : public ::testing::Test {
protected:
    BroadcastChain() : install_(iso(testing::day(2020, 12, 9))) {}

    std::vector<DayNumber> holidays() const { return {testing::day(2020, 9, 7), testing::day(2020, 11, 26), testing::day(2020, 12, 25)}; }

    // The database up to N, the build file built by DFORGE on N, and the
    // update of N + 1 waiting.
    void build_to_day_n(const Case& c) {
        install_.write("CLC/W__CLC.QVT", wheat_history(c.built_to, holidays()));
        install_.write("IDX/SP_IDX.QVT", index_history(c.built_to, holidays()));
        install_.write("AUTO/$EQ", c.build_file);
        ASSERT_EQ(testing::run_program(install_.root(), "DFORGE", {"$EQ"}, iso(c.built_to)), 0);
        ASSERT_TRUE(fs::exists(install_.path(c.output))) << c.title;
        ASSERT_EQ(install_.read("BCAST.TXT"), "$EQ\n");
        install_.write("UPDATES/" + update_name(c.broadcast, 'U'), wheat_update(c.broadcast, c.rolls));
        install_.write("UPDATES/" + update_name(c.broadcast, 'U', "IDX"), index_update(c.broadcast));
    }

    testing::SampleInstall install_;
};

TEST_F(BroadcastChain, BroadcastDayEqualsRebuildUpToIt) {
    const DayNumber wednesday = testing::day(2020, 12, 9);
    const DayNumber thursday = testing::day(2020, 12, 10);
    const DayNumber friday = testing::day(2020, 12, 11);
    const Case cases[] = {
        {"ASCII daily, back-adjusted, headings and title",
         "#OUTPUTCOLUMNHEADINGS=Y\n#FIRSTLINETITLE=WHEAT\n\\QUORVANT\\OUT\\DAILY.TXT\nW__CLC 1,2,3,4,5,6,7,8\n",
         "OUT/DAILY.TXT", wednesday, thursday},
        {"ASCII daily, no adjustment, blanks and US dates",
         "#CLCLINKINGMETHOD=1\n#COLSEPARATORCHARACTER=S\n#OUTPUTDATEFORMAT=2\n\\QUORVANT\\OUT\\PLAIN.TXT\nW__CLC 4,6\n",
         "OUT/PLAIN.TXT", wednesday, thursday},
        {"ASCII weekly on Friday",
         "#SAMPLINGPERIOD=W\n\\QUORVANT\\OUT\\WEEKLY.TXT\nW__CLC 1,2,3,4,5,6,7\n", "OUT/WEEKLY.TXT", thursday, friday},
        {"ASCII daily with holidays included, over Christmas",
         "#INCLUDEHOLIDAYS=Y\n\\QUORVANT\\OUT\\HOLIDAYS.TXT\nW__CLC 4,5,6,7\n", "OUT/HOLIDAYS.TXT",
         testing::day(2020, 12, 24), testing::day(2020, 12, 28)},
        {"ASCII daily of an index and a CLC series side by side",
         "\\QUORVANT\\OUT\\INDEX.TXT\nSP_IDX 1,4\nW__CLC 4\n", "OUT/INDEX.TXT", wednesday, thursday},
        {"MetaStock daily", "#OUTPUTFORMAT=M\n\\QUORVANT\\META\\EQ\\W\nW__CLC 1,2,3,4,6,7\n", "META/EQ", wednesday,
         thursday},
        {"MetaStock daily of one field", "#OUTPUTFORMAT=M\n\\QUORVANT\\META\\ONE\\WC\nW__CLC 4\n", "META/ONE",
         wednesday, thursday},
        {"ASCII daily, back-adjusted, on a roll-over: the broadcast does not move the history, the chain "
         "rebuilds the output through $ROLL",
         "\\QUORVANT\\OUT\\ROLLED.TXT\nW__CLC 1,2,3,4\n", "OUT/ROLLED.TXT", wednesday, thursday, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        for (const char* folder : {"OUT", "META", "UPDATES", "CLC", "IDX"}) fs::remove_all(install_.path(folder));
        for (const char* file : {"BCAST.TXT", "QUORUP.MSG", "$ROLL"}) fs::remove(install_.path(file));
        fs::create_directories(install_.path("UPDATES"));
        build_to_day_n(c);
        const auto built_to_n = output_files(install_, c.output);

        ASSERT_EQ(testing::run_program(install_.root(), "QUORUP", {"/M"}, iso(c.broadcast)), 0);
        const std::string messages = install_.read("QUORUP.MSG");
        EXPECT_NE(messages.find(update_name(c.broadcast, 'B') + " BROADCASTED O.K."), std::string::npos) << messages;
        EXPECT_TRUE(fs::exists(install_.path("UPDATES/" + update_name(c.broadcast, '_'))));
        const auto broadcast = output_files(install_, c.output);
        EXPECT_NE(without_stamp(broadcast), without_stamp(built_to_n));
        if (c.rolls) {
            EXPECT_NE(messages.find("THE FOLLOWING 1 COMMODITIES HAVE ROLLED OVER AND WERE AUTOMATICALLY RELINKED"),
                      std::string::npos);
            EXPECT_NE(messages.find("WHEAT"), std::string::npos);
        }

        fs::remove_all(install_.path(c.output));
        ASSERT_EQ(testing::run_program(install_.root(), "DFORGE", {"$EQ"}, iso(c.broadcast)), 0);
        EXPECT_EQ(without_stamp(broadcast), without_stamp(output_files(install_, c.output)));
    }
}

// Outputs of every kind, the updater killed at random moments of its run.
TEST_F(BroadcastChain, AKilledBroadcastLeavesOutputsOldOrNewAndTheRerunFinishesIt) {
    const Case c{"kill", nullptr, nullptr, testing::day(2020, 12, 9), testing::day(2020, 12, 10)};
    const std::string build_file =
        "\\QUORVANT\\OUT\\A.TXT\nW__CLC 1,2,3,4,5,6,7\n\n"
        "#INCLUDEHOLIDAYS=A\n\\QUORVANT\\OUT\\B.TXT\nW__CLC 4,5\n\n"
        "#INCLUDEHOLIDAYS=N\n#OUTPUTFORMAT=M\n\\QUORVANT\\META\\K\\W\nW__CLC 1,2,3,4,6,7\n";
    const std::vector<std::string> outputs{"OUT/A.TXT", "OUT/B.TXT", "META/K"};
    Case with_file = c;
    with_file.build_file = build_file.c_str();
    with_file.output = "OUT/A.TXT";
    build_to_day_n(with_file);
    const fs::path pristine = install_.root().string() + ".pristine";
    fs::remove_all(pristine);
    fs::copy(install_.root(), pristine, fs::copy_options::recursive);
    const auto restore = [&] {
        fs::remove_all(install_.root());
        fs::copy(pristine, install_.root(), fs::copy_options::recursive);
    };
    std::map<std::string, std::string> before;
    for (const std::string& output : outputs)
        for (const auto& [name, bytes] : output_files(install_, output)) before[output + "/" + name] = bytes;

    const Clock::time_point start = Clock::now();
    ASSERT_EQ(testing::run_program(install_.root(), "QUORUP", {"/M"}, iso(c.broadcast)), 0);
    const auto whole_run = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    std::map<std::string, std::string> after;
    for (const std::string& output : outputs)
        for (const auto& [name, bytes] : output_files(install_, output)) after[output + "/" + name] = bytes;
    ASSERT_EQ(before.size(), after.size());

    std::mt19937 random(20201210);
    int torn = 0;  // kills that left some outputs old and others new
    for (int trial = 0; trial < 200 && (trial < 50 || torn < 3); ++trial) {
        SCOPED_TRACE(trial);
        restore();
        const pid_t child = testing::start_program(install_.root(), "QUORUP", {"/M"}, iso(c.broadcast));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (whole_run.count() + 1)));
        ::kill(child, SIGKILL);
        testing::wait_for_program(child);
        int old_count = 0;
        int new_count = 0;
        for (const std::string& output : outputs) {
            for (const auto& [name, bytes] : output_files(install_, output)) {
                const std::string key = output + "/" + name;
                if (name == "TEMP_MS.QVT") continue;  // a work file the kill left; the rerun removes it
                ASSERT_TRUE(after.count(key)) << key << " is a file left over";
                ASSERT_TRUE(bytes == before[key] || bytes == after[key]) << key << " is neither old nor new";
                (bytes == before[key] ? old_count : new_count) += 1;
            }
        }
        if (old_count > 0 && new_count > 0) ++torn;
        ASSERT_EQ(testing::run_program(install_.root(), "QUORUP", {"/M"}, iso(c.broadcast)), 0);
        EXPECT_FALSE(fs::exists(install_.path("META/K/TEMP_MS.QVT")));
        EXPECT_FALSE(fs::exists(install_.path("OUT/A.TXT.QVB")));
        EXPECT_FALSE(fs::exists(install_.path("OUT/B.TXT.QVB")));
        for (const std::string& output : outputs)
            for (const auto& [name, bytes] : output_files(install_, output))
                ASSERT_EQ(without_stamp({{name, bytes}}), without_stamp({{name, after[output + "/" + name]}}))
                    << output << "/" << name << " after the rerun";
    }
    EXPECT_GT(torn, 0);
    fs::remove_all(pristine);
}

}  // namespace
}  // namespace qv
