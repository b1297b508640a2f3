// The daily chain killed at random moments: each of the ten days is started
// and killed again and again, whatever program of the chain runs at that
// moment, and then run to its end. Afterwards every database file, autobuild
// output and user file, and the SQLite copy of the database, is what an
// uninterrupted run of the same days leaves.
// Run alone: BUILD/bin/sample_tests --gtest_filter='DailyChainKill.*'

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/testing/temp_install.h"
#include "sample/tests/chain_run.h"

namespace qv::sample::testing {
namespace {

namespace fs = std::filesystem;
using qv::testing::TempInstall;
using Clock = std::chrono::steady_clock;

constexpr int kills_per_day = 11;

TEST(DailyChainKill, KilledChainsRerunToTheSameFiles) {
    TempInstall start;
    make_chain_installation(start.root());
    TempInstall uninterrupted;
    TempInstall killed;
    for (const TempInstall* copy : {&uninterrupted, &killed})
        fs::copy(start.root(), copy->root(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);

    std::vector<std::chrono::microseconds> durations;
    for (const std::string& day : chain_days) {
        const auto begin = Clock::now();
        run_chain(uninterrupted.root(), day);
        durations.push_back(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin));
    }

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    int kills = 0;
    for (std::size_t i = 0; i < chain_days.size(); ++i) {
        // Moments over the whole day's run, and a little after its end.
        std::uniform_int_distribution<long> moment(0, durations[i].count() * 11 / 10);
        for (int k = 0; k < kills_per_day; ++k) {
            const pid_t chain = start_chain(killed.root(), chain_days[i]);
            ::usleep(static_cast<useconds_t>(moment(random)));
            kill_chain(chain);
            ++kills;
        }
        run_chain(killed.root(), chain_days[i]);
    }
    EXPECT_GE(kills, 100);

    const FileSet expected = kept_files(uninterrupted.root());
    const FileSet found = kept_files(killed.root());
    for (const auto& [path, bytes] : expected) {
        const auto other = found.find(path);
        if (other == found.end())
            ADD_FAILURE() << path << " is missing after the kills (seed " << seed << ")";
        else
            EXPECT_TRUE(other->second == bytes) << path << " differs after the kills (seed " << seed << ")";
    }
    for (const auto& [path, bytes] : found)
        EXPECT_TRUE(expected.contains(path)) << path << " is left over after the kills (seed " << seed << ")";
    // A killed export left the SQLite file as it was, and the rerun completed it.
    const std::string exported = sqlite_digest(uninterrupted.root() / "QUORVANT.SQLITE");
    EXPECT_TRUE(exported.starts_with("ok\n")) << exported;
    EXPECT_EQ(sqlite_digest(killed.root() / "QUORVANT.SQLITE"), exported) << "seed " << seed;
}

}  // namespace
}  // namespace qv::sample::testing
