// Whole programs on a sample installation, the way the daily chain runs them.
//
// Two runs of each program that writes an installation, started at the same
// moment: one of them works, the other is refused with its message and
// changes nothing, and every file ends as one run alone leaves it. A run may
// also end before the other starts; then both work, one after the other, and
// the files are those of two runs in a row.
//
// The distributor and the builder killed at random moments, or stopped by a
// full disk: every file is afterwards old or new, and a run after it gives
// what one uninterrupted run gives.

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/metastock.h"
#include "common/platform/installation_lock.h"
#include "common/testing/tool_process.h"

namespace qv::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view refusal = "ANOTHER PROGRAM OF THE SUITE IS WORKING ON";

// A refused run says so before anything else (the updater's bulletin viewer
// may show the refusal that the other run recorded in QUORUP.MSG, later).
bool was_refused(const std::string& screen) {
    const std::size_t text = screen.find_first_not_of('\n');
    return text != std::string::npos && screen.compare(text, refusal.size(), refusal) == 0;
}

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
        for (const char* maker : {"make_sample", "make_clc_history", "make_vendor_days", "make_cot_idx", "make_build_files"})
            run_tool(pristine(), {maker, {pristine().string()}, run_environment()});
        // The week the download brought: the vendor's daily and contract files
        // of 7 to 11 December waiting in the update folder.
        for (const auto& entry : fs::directory_iterator(pristine() / "VENDOR")) {
            const std::string name = entry.path().filename().string();
            if ((name.rfind("DU", 0) == 0 || name.rfind("EU", 0) == 0) && name.substr(2, 6) >= "201207" &&
                name.substr(2, 6) <= "201211")
                fs::copy_file(entry.path(), pristine() / "UPDATES" / name, fs::copy_options::overwrite_existing);
        }
        // One day of contracts for the distributor: a cut-off run then leaves
        // each file before or after that day.
        copy_folder(pristine(), one_day());
        // The distributor alone: no favourites lists, so it starts no MKPICKS.
        fs::remove(one_day() / "FAVOR.ASC");
        fs::remove(one_day() / "FAVOR.MS");
        for (const auto& entry : fs::directory_iterator(one_day() / "UPDATES")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("EU", 0) == 0 && name != "EU201207.CLC") fs::remove(entry.path());
        }
    }
    ~SampleFolder() {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }
    fs::path pristine() const { return base_ / "pristine"; }
    fs::path one_day() const { return base_ / "one-day"; }
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
    {"POSTQUOR", {}},   {"MKPICKS", {}}, {"roll", {}},        {"clcconv", {"/1", "/W_", "/SP"}},
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

// Work files a cut-off run may leave (the next run writes them afresh), the
// lock file, the settings backup (which holds whatever QUORUP.INI said before
// its last rewrite) and the message file, whose lines are compared without
// the repeats of a file noted both before and after a kill and without the
// report of writes that failed.
bool left_aside(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return name.rfind("TEMP", 0) == 0 || name == "QUORVANT.LCK" || name == "QUORUP.BAK" || name == "QUORUP.MSG";
}

std::set<std::string> message_lines(const FileSnapshot& files) {
    std::set<std::string> lines;
    const auto found = files.find("QUORUP.MSG");
    if (found == files.end()) return lines;
    std::istringstream in(found->second);
    // A run that could not write says so, naming the files; the run after it
    // adds what one run writes.
    for (std::string line; std::getline(in, line);)
        if (line.find(" NOT MERGED, ") == std::string::npos && line.rfind("   ", 0) != 0) lines.insert(line);
    return lines;
}

// Every file is as it was before the run or as the whole run leaves it.
// A MetaStock folder's MASTER is rewritten once for each security of the
// folder that a run updates, each time whole and naming the data files written
// so far: a run stopped between two securities leaves one of those states.
bool whole_intermediate_master(const fs::path& root, const std::string& name) {
    if (name != "MASTER" && !name.ends_with("/MASTER")) return false;
    const fs::path folder = (root / name).parent_path();
    return qv::read_master(folder.string() + "/").status == MasterReadResult::ok;
}

std::vector<std::string> neither_old_nor_new(const FileSnapshot& old_files, const FileSnapshot& new_files,
                                             const FileSnapshot& now, const fs::path& root) {
    std::set<std::string> names;
    for (const FileSnapshot* files : {&old_files, &new_files, &now})
        for (const auto& [name, bytes] : *files) names.insert(name);
    std::vector<std::string> torn;
    for (const std::string& name : names) {
        if (left_aside(name)) continue;
        const auto in = [&](const FileSnapshot& files) -> std::optional<std::string> {
            const auto found = files.find(name);
            if (found == files.end()) return std::nullopt;
            return found->second;
        };
        const auto current = in(now);
        if (current != in(old_files) && current != in(new_files) && !whole_intermediate_master(root, name))
            torn.push_back(name);
    }
    return torn;
}

std::vector<std::string> differing_results(const FileSnapshot& expected, const FileSnapshot& now) {
    FileSnapshot a;
    FileSnapshot b;
    for (const auto& [name, bytes] : expected)
        if (!left_aside(name)) a[name] = bytes;
    for (const auto& [name, bytes] : now)
        if (!left_aside(name)) b[name] = bytes;
    std::vector<std::string> differ = differing_files(a, b);
    if (message_lines(expected) != message_lines(now)) differ.push_back("QUORUP.MSG");
    return differ;
}

class Interrupted : public ::testing::TestWithParam<WritingProgram> {};

TEST_P(Interrupted, AKilledRunLeavesEveryFileOldOrNewAndTheNextRunCompletesIt) {
    const ToolStart start = start_of(GetParam());
    const FileSnapshot old_files = snapshot_files(sample().one_day());
    copy_folder(sample().one_day(), sample().work());
    const auto begin = std::chrono::steady_clock::now();
    run_tool(sample().work(), start);
    const auto whole_run =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin);
    const FileSnapshot new_files = snapshot_files(sample().work());
    ASSERT_FALSE(differing_results(old_files, new_files).empty()) << "the program changed nothing";

    std::mt19937 random(20201207);
    for (int trial = 0; trial < 25; ++trial) {
        SCOPED_TRACE(trial);
        copy_folder(sample().one_day(), sample().work());
        {
            ToolProcess run(sample().work(), start, sample().output(1));
            std::this_thread::sleep_for(std::chrono::microseconds(random() % (whole_run.count() + 1)));
            ::kill(run.pid(), SIGKILL);
            run.wait();
        }
        EXPECT_EQ(neither_old_nor_new(old_files, new_files, snapshot_files(sample().work()), sample().work()),
                  std::vector<std::string>{});
        run_tool(sample().work(), start);
        EXPECT_EQ(differing_results(new_files, snapshot_files(sample().work())), std::vector<std::string>{});
    }
}

// A full disk (files may not grow past 40, 100 or 1000 bytes): what could be
// written is old or new, nothing is claimed done that was not written, and
// once there is room again the next run gives the uninterrupted result.
TEST_P(Interrupted, AFullDiskLeavesEveryFileOldOrNewAndTheNextRunCompletesIt) {
    const ToolStart start = start_of(GetParam());
    const FileSnapshot old_files = snapshot_files(sample().one_day());
    copy_folder(sample().one_day(), sample().work());
    run_tool(sample().work(), start);
    const FileSnapshot new_files = snapshot_files(sample().work());
    for (const std::uint64_t limit : {40u, 100u, 1000u}) {
        SCOPED_TRACE(limit);
        copy_folder(sample().one_day(), sample().work());
        ToolStart full = start;
        full.file_size_limit = limit;
        run_tool(sample().work(), full);
        const FileSnapshot now = snapshot_files(sample().work());
        EXPECT_EQ(neither_old_nor_new(old_files, new_files, now, sample().work()), std::vector<std::string>{});
        run_tool(sample().work(), start);
        // The message file may hold a report cut short by the full disk; the
        // run after it ends the file with what one run writes.
        FileSnapshot after = snapshot_files(sample().work());
        const std::string& expected_end = new_files.count("QUORUP.MSG") ? new_files.at("QUORUP.MSG") : "";
        const std::string& messages = after["QUORUP.MSG"];
        EXPECT_TRUE(messages.size() >= expected_end.size() &&
                    messages.compare(messages.size() - expected_end.size(), expected_end.size(), expected_end) == 0)
            << messages;
        after["QUORUP.MSG"] = expected_end;
        EXPECT_EQ(differing_results(new_files, after), std::vector<std::string>{});
    }
}

const WritingProgram interrupted_programs[] = {{"DFANOUT", {}}, {"DFORGE", {}}};

INSTANTIATE_TEST_SUITE_P(DistributorAndBuilder, Interrupted, ::testing::ValuesIn(interrupted_programs),
                         [](const auto& info) { return info.param.program; });

}  // namespace
}  // namespace qv::testing
