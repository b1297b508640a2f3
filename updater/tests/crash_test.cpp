// The updater killed at random moments while it merges a large update: every
// CLC file is afterwards either as it was or as the whole merge leaves it.
// Run alone: BUILD/bin/updater_tests --gtest_filter='UpdaterCrash.*'

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "common/clc_file.h"
#include "common/tables.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

using Clock = std::chrono::steady_clock;

// Starts the updater in the install folder, its screen output dropped.
pid_t start_updater(const std::filesystem::path& root) {
    const std::string program = std::string(QV_BIN_DIR) + "/QUORUP";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(root.c_str()) != 0) ::_exit(127);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDIN_FILENO);
        ::execl(program.c_str(), program.c_str(), "/M", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

int wait_for(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(UpdaterCrash, AKilledMergeLeavesEveryClcFileOldOrNew) {
    testing::SampleInstall install("2020-12-08");
    CommodityTable tables;
    {
        testing::RecordingConsole quiet;
        tables = load_tables(updater_profile.tables);
    }

    // Eight years of weekdays for every commodity, and a multi-day update with
    // two new days for each, so that every file is rewritten record by record.
    std::map<std::string, std::string> old_files;
    std::string update = "MU201208.CLC\n";
    for (const Commodity& row : tables) {
        std::vector<ClcRecord> records;
        for (DayNumber d = testing::day(2012, 12, 4); d <= testing::day(2020, 12, 4); ++d)
            if (weekday(d) != saturday && weekday(d) != sunday) records.push_back(testing::record(d, 1000 + d % 500));
        old_files[row.tag] = testing::clc_bytes(row.tag, row.precision, row.bytes, records);
        update += row.tag + " 201207 1500 1510 1490 1505 10 20 30\n";
        update += row.tag + " 201208 1505 1515 1495 1510 11 21 31\n";
    }
    const auto restore = [&] {
        for (const auto& [tag, bytes] : old_files) install.write(testing::clc_path(tag), bytes);
        std::filesystem::remove(install.path("CLC/TEMP_CLC.QVT"));
        std::filesystem::remove(install.path("UPDATES/M_201208.CLC"));
        install.write("UPDATES/MU201208.CLC", update);
    };

    // One whole run gives the new files and the time the run takes.
    restore();
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(wait_for(start_updater(install.root())), 0);
    const auto whole_run = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    ASSERT_TRUE(std::filesystem::exists(install.path("UPDATES/M_201208.CLC")));
    std::map<std::string, std::string> new_files;
    for (const auto& [tag, bytes] : old_files) {
        new_files[tag] = install.read(testing::clc_path(tag));
        ASSERT_NE(new_files[tag], bytes) << tag;
    }

    std::mt19937 random(20201208);
    int torn_between = 0;  // runs killed after some files were replaced and before others
    // At least 60 kills, and more (up to 300) until enough of them fell while
    // some files were replaced and others not: a loaded machine stretches the
    // start-up, which leaves fewer kills inside the merge.
    for (int trial = 0; trial < 300 && (trial < 60 || torn_between <= 10); ++trial) {
        SCOPED_TRACE(trial);
        restore();
        const pid_t child = start_updater(install.root());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (whole_run.count() + 1)));
        ::kill(child, SIGKILL);
        wait_for(child);
        int old_count = 0;
        int new_count = 0;
        for (const auto& [tag, bytes] : old_files) {
            const std::string now = install.read(testing::clc_path(tag));
            ASSERT_TRUE(now == bytes || now == new_files[tag]) << tag << " is neither its old nor its new content";
            (now == bytes ? old_count : new_count) += 1;
        }
        if (old_count > 0 && new_count > 0) ++torn_between;
    }
    // The kills must have fallen into the merge, not only before or after it.
    EXPECT_GT(torn_between, 10);
}

}  // namespace
}  // namespace qv::updater
