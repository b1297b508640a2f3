// Two runs of each program that writes an installation, started at the same
// moment on one sample installation: one of them works, the other is refused
// with its message and changes nothing, and every file ends as one run alone
// leaves it. A run may also end before the other starts; then both work, one
// after the other, and the files are those of two runs in a row.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/platform/installation_lock.h"
#include "common/testing/tool_process.h"

namespace qv::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view refusal = "ANOTHER PROGRAM OF THE SUITE IS WORKING ON";

// A refused run says so before anything else (the updater's bulletin viewer
// may show the refusal that the other run recorded in QUORUP.MSG, later).
bool was_refused(const std::string& screen) { return screen.rfind("\n" + std::string(refusal), 0) == 0; }

std::map<std::string, std::string> run_environment() {
    return {{"QUORVANT_TODAY", "2020-12-07"}, {"QUORVANT_SYNC", "1"}, {"QUORVANT_LOCK_WAIT", "0"}};
}

// The sample installation of the daily chain, as sample/run-sample.sh makes
// it: history, the vendor's update files, build files.
class SampleFolder {
public:
    SampleFolder() {
        std::string pattern = (fs::temp_directory_path() / "qvruns-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        base_ = pattern;
        fs::create_directories(pristine());
        for (const char* maker : {"make_sample", "make_clc_history", "make_updates", "make_cot_idx", "make_build_files"})
            run_tool(pristine(), {maker, {pristine().string()}, run_environment()});
    }
    ~SampleFolder() {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }
    fs::path pristine() const { return base_ / "pristine"; }
    fs::path work() const { return base_ / "work"; }
    fs::path output(int n) const { return base_ / ("run" + std::to_string(n) + ".out"); }

private:
    fs::path base_;
};

SampleFolder& sample() {
    static SampleFolder folder;
    return folder;
}

std::string first_build_file(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root / "AUTO"))
        if (entry.path().filename().string().front() == '$') names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names.empty() ? std::string() : names.front();
}

struct WritingProgram {
    std::string program;
    std::vector<std::string> arguments;
};

ToolStart start_of(const WritingProgram& writer) {
    std::vector<std::string> arguments = writer.arguments;
    if (writer.program == "DFORGE") arguments = {first_build_file(sample().pristine())};
    return {writer.program, arguments, run_environment()};
}

// A refused updater records its refusal in the message file as well; that
// block is the only trace it may leave.
FileSnapshot without_refusals(FileSnapshot files) {
    for (auto& [name, bytes] : files) {
        std::size_t at;
        while ((at = bytes.find(refusal)) != std::string::npos) {
            const std::size_t end = bytes.find("\n\n", at);
            bytes.erase(at, end == std::string::npos ? std::string::npos : end + 2 - at);
        }
    }
    return files;
}

FileSnapshot after_runs(const ToolStart& start, int runs) {
    copy_folder(sample().pristine(), sample().work());
    for (int i = 0; i < runs; ++i) {
        const std::string screen = run_tool(sample().work(), start);
        EXPECT_FALSE(was_refused(screen)) << screen;
    }
    return snapshot_files(sample().work());
}

// The distributor has given an update file its done name.
bool distributed(const fs::path& root) {
    for (const auto& entry : fs::directory_iterator(root / "UPDATES"))
        if (entry.path().filename().string().rfind("E_", 0) == 0) return true;
    return false;
}

class TwoRunsAtOnce : public ::testing::TestWithParam<WritingProgram> {};

TEST_P(TwoRunsAtOnce, LeaveOneRunsFilesAndRefuseTheOther) {
    const ToolStart start = start_of(GetParam());
    const FileSnapshot one_run = after_runs(start, 1);
    const FileSnapshot two_runs = after_runs(start, 2);

    int refused_runs = 0;
    for (int trial = 0; trial < 20; ++trial) {
        SCOPED_TRACE(trial);
        copy_folder(sample().pristine(), sample().work());
        int gate[2];
        ASSERT_EQ(::pipe(gate), 0);
        {
            ToolProcess first(sample().work(), start, sample().output(1), gate);
            ToolProcess second(sample().work(), start, sample().output(2), gate);
            ::close(gate[0]);
            ::close(gate[1]);  // both go
            first.wait();
            second.wait();
        }
        int refused = 0;
        for (int n : {1, 2})
            if (was_refused(read_whole(sample().output(n)))) ++refused;
        ASSERT_LE(refused, 1) << "both runs were refused";
        const FileSnapshot now = without_refusals(snapshot_files(sample().work()));
        const FileSnapshot& expected = refused == 1 ? one_run : two_runs;
        EXPECT_EQ(differing_files(now, expected), std::vector<std::string>{})
            << (refused == 1 ? "one run refused" : "two runs in a row");
        refused_runs += refused;
    }
    // The runs did meet: most trials start both before either ends.
    EXPECT_GT(refused_runs, 0);
}

const WritingProgram writing_programs[] = {
    {"QUORUP", {"/M"}}, {"DFANOUT", {}}, {"DFORGE", {}},      {"PREQUOR", {}},
    {"POSTQUOR", {}},   {"MKPICKS", {}}, {"roll", {}},        {"clcconv", {"/1"}},
};

INSTANTIATE_TEST_SUITE_P(EveryWriter, TwoRunsAtOnce, ::testing::ValuesIn(writing_programs),
                         [](const auto& info) { return info.param.program; });

// A lock held by another program refuses each writer at once (no wait asked
// for): the message, and not one file changed; the updater, which runs
// unattended, also records the refusal in QUORUP.MSG.
TEST(InstallationLock, AHeldLockRefusesEveryWriterWhichChangesNothing) {
    copy_folder(sample().pristine(), sample().work());
    const FileSnapshot before = snapshot_files(sample().work());
    FileLock other(sample().work() / "QUORVANT.LCK", std::chrono::milliseconds(0));
    ASSERT_TRUE(other.held());
    for (const WritingProgram& writer : writing_programs) {
        SCOPED_TRACE(writer.program);
        const std::string screen = run_tool(sample().work(), start_of(writer));
        EXPECT_TRUE(was_refused(screen)) << screen;
        EXPECT_NE(screen.find(writer.program + " CHANGED NOTHING"), std::string::npos) << screen;
        FileSnapshot now = snapshot_files(sample().work());
        if (writer.program == "QUORUP") {
            EXPECT_NE(now["QUORUP.MSG"].find(refusal), std::string::npos);
            now.erase("QUORUP.MSG");
            fs::remove(sample().work() / "QUORUP.MSG");
        }
        now.erase("QUORVANT.LCK");
        FileSnapshot expected = before;
        expected.erase("QUORVANT.LCK");
        EXPECT_EQ(differing_files(now, expected), std::vector<std::string>{});
    }
}

// A second run waits a short while for the lock before it gives up, so a
// scheduler that starts a program just as another ends is not refused.
TEST(InstallationLock, ASecondRunWaitsForALockThatIsSoonFree) {
    copy_folder(sample().pristine(), sample().work());
    auto other = std::make_unique<FileLock>(sample().work() / "QUORVANT.LCK", std::chrono::milliseconds(0));
    ASSERT_TRUE(other->held());
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        other.reset();
    });
    ToolStart start{"DFANOUT", {}, run_environment()};
    start.environment["QUORVANT_LOCK_WAIT"] = "10";
    const std::string screen = run_tool(sample().work(), start);
    release.join();
    EXPECT_FALSE(was_refused(screen)) << screen;
    EXPECT_TRUE(distributed(sample().work())) << screen;
}

// The daily chain holds the lock from the updater to its last program: the
// distributor that the updater's batch file starts is not refused, and did
// its work.
TEST(InstallationLock, TheDailyChainSharesTheLock) {
    copy_folder(sample().pristine(), sample().work());
    const std::string screen = run_tool(sample().work(), {"QUORUP", {"/M"}, run_environment()});
    EXPECT_EQ(screen.find(refusal), std::string::npos) << screen;  // not the distributor either
    EXPECT_TRUE(distributed(sample().work())) << screen;
}

}  // namespace
}  // namespace qv::testing
