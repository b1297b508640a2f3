#include "distributor/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "common/platform/text.h"
#include "distributor/distributor_settings.h"

namespace qv::distributor {
namespace {

namespace fs = std::filesystem;
using testing::RecordingConsole;
using testing::SampleInstall;

std::string base_name(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// The line of QUORUP.INI that notes the last day distributed, as it stands.
std::string eu_line(const SampleInstall& install) {
    const std::string text = install.read("QUORUP.INI");
    const std::size_t at = text.find("EU LAST DATE");
    return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
}

// Steps that write nothing: they note which update file they were given in
// which order, what QUORUP.INI said at that moment, and the newest day that
// each file "wrote".
struct FakeSteps {
    explicit FakeSteps(const SampleInstall& into) : install(into) {}

    const SampleInstall& install;
    std::vector<std::string> ascii;
    std::vector<std::string> meta;
    std::vector<std::string> eu_lines;  // before each file
    std::vector<std::string> started;
    std::string failing;                // this file's ASCII append fails
    DayNumber writes = date_to_lotus(2005, 3, 11);
    int comptrac_calls = 0;
    bool header_flag = false;
    HistoryMode mode = HistoryMode::update;

    DistributorSteps steps() {
        return {
            [this](CommodityTable&) { ++comptrac_calls; },
            [this](const std::string& path, Distribution& run) {
                ascii.push_back(base_name(path));
                eu_lines.push_back(eu_line(install));
                header_flag = run.header_flag;
                mode = run.mode;
                run.newest_written = std::max(run.newest_written, writes);
                return base_name(path) == failing ? -1 : 0;
            },
            [this](const std::string& path, Distribution&) {
                meta.push_back(base_name(path));
                return 0;
            },
            [this](std::string_view command) {
                started.emplace_back(command);
                return true;
            },
        };
    }
};

std::vector<std::string> update_folder(const SampleInstall& install) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(install.path("UPDATES")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string packed_name(const char* type, DayNumber day) {
    const Date d = lotus_to_date(day);
    return format("%s%02d%02d%02d.CLC", type, d.year % 100, d.month, d.day);
}

struct Job {
    DistributorSettings settings;
    CommodityTable commodities;
    Distribution distribution{settings, commodities};
    explicit Job(char kind) { settings.extended_contracts = kind; }
};

// Oldest first whatever the listing: the history file (1999) before the 2005
// files, 15 March before 16 March. Each done file gets its done name, its line
// in QUORUP.MSG and its day in QUORUP.INI; after the history file the note
// holds the newest day written, not 12/31/99.
TEST(ProcessUpdateFiles, TakesTheFilesOldestFirstAndMarksEachDone) {
    SampleInstall install;
    install.write("UPDATES/EU050316.CLC", "16\n");
    install.write("UPDATES/EU050315.CLC", "15\n");
    install.write("UPDATES/EU991231.CLC", "history\n");
    install.write("UPDATES/E_050315.CLC", "done by an earlier run\n");
    FakeSteps fake{install};
    Job run('B');
    RecordingConsole screen;
    process_update_files(run.distribution, fake.steps());

    const std::vector<std::string> order = {"EU991231.CLC", "EU050315.CLC", "EU050316.CLC"};
    EXPECT_EQ(fake.ascii, order);
    EXPECT_EQ(fake.meta, order);
    EXPECT_EQ(fake.eu_lines, (std::vector<std::string>{"EU LAST DATE = 12/04/20", "EU LAST DATE = 3/11/05",
                                                        "EU LAST DATE = 3/15/05"}));
    EXPECT_EQ(eu_line(install), "EU LAST DATE = 3/16/05");
    EXPECT_EQ(install.read("QUORUP.MSG"),
              "EU991231.CLC MERGED O.K.\nEU050315.CLC MERGED O.K.\nEU050316.CLC MERGED O.K.\n");
    EXPECT_EQ(update_folder(install), (std::vector<std::string>{"E_050315.CLC", "E_050316.CLC", "E_991231.CLC"}));
    EXPECT_EQ(install.read("UPDATES/E_050315.CLC"), "15\n");
    EXPECT_NE(screen.transcript().find("{go to 52,14}EU050315.CLC"), std::string::npos);
}

// A file that fails stays pending under its EU name with every later one, and
// the run ends.
TEST(ProcessUpdateFiles, AFailedFileEndsTheRunAndStaysPending) {
    SampleInstall install;
    for (const char* name : {"EU050315.CLC", "EU050316.CLC", "EU050317.CLC"}) install.write(format("UPDATES/%s", name), "x\n");
    FakeSteps fake{install};
    fake.failing = "EU050316.CLC";
    Job run('A');
    RecordingConsole screen;
    EXPECT_THROW(process_update_files(run.distribution, fake.steps()), ProgramEnd);
    EXPECT_EQ(fake.ascii, (std::vector<std::string>{"EU050315.CLC", "EU050316.CLC"}));
    EXPECT_TRUE(fake.meta.empty());
    EXPECT_EQ(update_folder(install), (std::vector<std::string>{"EU050316.CLC", "EU050317.CLC", "E_050315.CLC"}));
    EXPECT_EQ(install.read("QUORUP.MSG"), "EU050315.CLC MERGED O.K.\n");
    EXPECT_EQ(eu_line(install), "EU LAST DATE = 3/15/05");
}

// An output kind that is neither A, M nor B writes nothing but still passes
// every file as done.
TEST(ProcessUpdateFiles, KindXMarksEveryFileDone) {
    SampleInstall install;
    install.write("UPDATES/EU050315.CLC", "x\n");
    install.write("UPDATES/EU050316.CLC", "x\n");
    FakeSteps fake{install};
    Job run('X');
    RecordingConsole screen;
    process_update_files(run.distribution, fake.steps());
    EXPECT_TRUE(fake.ascii.empty());
    EXPECT_TRUE(fake.meta.empty());
    EXPECT_EQ(update_folder(install), (std::vector<std::string>{"E_050315.CLC", "E_050316.CLC"}));
    EXPECT_EQ(install.read("QUORUP.MSG"), "EU050315.CLC MERGED O.K.\nEU050316.CLC MERGED O.K.\n");
    EXPECT_EQ(eu_line(install), "EU LAST DATE = 3/16/05");
}

// The table holds 100 files: the 100th taken already warns, and a 101st waits
// for the next run.
TEST(ProcessUpdateFiles, TakesAtMostAHundredFiles) {
    struct Case {
        int files;
        bool warned;
        std::size_t left;
    };
    for (const Case c : {Case{99, false, 0}, Case{100, true, 0}, Case{101, true, 1}}) {
        SCOPED_TRACE(c.files);
        SampleInstall install;
        const DayNumber first = date_to_lotus(2005, 1, 3);
        for (int i = 0; i < c.files; ++i) install.write("UPDATES/" + packed_name("EU", first + i), "x\n");
        FakeSteps fake{install};
        Job run('A');
        RecordingConsole screen;
        process_update_files(run.distribution, fake.steps());
        EXPECT_EQ(fake.ascii.size(), std::min(c.files, 100));
        const std::string warning = "WARNING- TOO MANY UPDATE FILES TO PROCESS THEM ALL, \n              (RERUN DFANOUT AGAIN TO PROCESS THE REST.)";
        EXPECT_EQ(screen.text().find(warning) != std::string::npos, c.warned);
        EXPECT_EQ(screen.text().find("Hit a KEY to continue.....") != std::string::npos, c.warned);
        const std::vector<std::string> names = update_folder(install);
        const auto pending = std::count_if(names.begin(), names.end(), [](const std::string& n) { return n[1] == 'U'; });
        EXPECT_EQ(static_cast<std::size_t>(pending), c.left);
        if (c.left) {
            EXPECT_EQ(names.front(), packed_name("EU", first + 100));
        }
    }
}

// A name matching the pattern without a date in it is left alone rather than
// taken over and over.
TEST(ProcessUpdateFiles, LeavesANameWithoutADateAlone) {
    SampleInstall install;
    install.write("UPDATES/EU05AB15.CLC", "x\n");
    install.write("UPDATES/EU051315.CLC", "x\n");
    install.write("UPDATES/EU050315.CLC", "x\n");
    FakeSteps fake{install};
    Job run('A');
    RecordingConsole screen;
    process_update_files(run.distribution, fake.steps());
    EXPECT_EQ(fake.ascii, std::vector<std::string>{"EU050315.CLC"});
    EXPECT_EQ(update_folder(install), (std::vector<std::string>{"EU051315.CLC", "EU05AB15.CLC", "E_050315.CLC"}));
}

TEST(UpdateFileDay, ReadsTheNamesDateWithTheHistoryCentury) {
    EXPECT_EQ(update_file_day("EU050315.CLC"), date_to_lotus(2005, 3, 15));
    EXPECT_EQ(update_file_day("EU291231.CLC"), date_to_lotus(2029, 12, 31));
    EXPECT_EQ(update_file_day("EU300101.CLC"), date_to_lotus(1930, 1, 1));
    EXPECT_EQ(update_file_day("EU991231.CLC"), date_to_lotus(1999, 12, 31));
    EXPECT_EQ(update_file_day("EU0503.CLC"), no_date);
}

// The history file's size chooses the screen; sparse files stand in for the
// large histories.
TEST(DetectHistoryMode, ChoosesTheModeByTheHistoryFilesSize) {
    struct Case {
        std::uintmax_t size;
        HistoryMode mode;
        const char* row_11;
        const char* row_14;
    };
    const char* update_text = "UPDATING INDIVIDUAL FUTURES CONTRACTS";
    const char* light_text = "INSTALLING LIGHT HISTORY FUTURES CONTRACTS";
    const char* deep_text = "INSTALLING DEEP HISTORY FUTURES CONTRACTS";
    const char* update_row = "Update File Being Processed:              ";
    const char* history_row = "Data Format:          ";
    const Case cases[] = {
        {900'000, HistoryMode::update, update_text, update_row},
        {1'000'000, HistoryMode::update, update_text, update_row},
        {1'000'001, HistoryMode::light_history, light_text, history_row},
        {50'000'000, HistoryMode::light_history, light_text, history_row},
        {100'000'000, HistoryMode::light_history, light_text, history_row},
        {100'000'001, HistoryMode::deep_history, deep_text, history_row},
        {150'000'000, HistoryMode::deep_history, deep_text, history_row},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        SampleInstall install;
        install.write("UPDATES/EU991231.CLC", "");
        fs::resize_file(install.path("UPDATES/EU991231.CLC"), c.size);
        RecordingConsole screen;
        const HistoryMode mode = detect_history_mode();
        EXPECT_EQ(mode, c.mode);
        show_working_screen(mode);
        EXPECT_EQ(screen.transcript(), format("{go to 32,8}---WORKING ON---{go to 23,11}%s{go to 23,14}%s{go to 23,17}%s",
                                              c.row_11, c.row_14,
                                              mode == HistoryMode::update ? "Commodity Being Updated:   "
                                                                          : "Commodity Being Installed:    "));
        EXPECT_EQ(fs::file_size(install.path("UPDATES/EU991231.CLC")), c.size);
    }
}

// With the history file present a done file of an earlier run goes; pending
// update files and the history file stay. Without it nothing is deleted.
TEST(DetectHistoryMode, DeletesOnlyADoneFile) {
    for (const bool history : {true, false}) {
        SCOPED_TRACE(history);
        SampleInstall install;
        if (history) install.write("UPDATES/EU991231.CLC", "history\n");
        install.write("UPDATES/EU050315.CLC", "pending\n");
        install.write("UPDATES/E_050314.CLC", "done\n");
        EXPECT_EQ(detect_history_mode(), HistoryMode::update);
        std::vector<std::string> expected = {"EU050315.CLC"};
        if (history) expected.push_back("EU991231.CLC");
        if (!history) expected.push_back("E_050314.CLC");
        EXPECT_EQ(update_folder(install), expected);
    }
}

TEST(StartFavourites, StartsMkpicksOnlyForAFavouritesList) {
    for (const char* list : {"", "FAVOR.ASC", "FAVOR.MS"}) {
        SCOPED_TRACE(list);
        SampleInstall install;
        install.write("MKPICKS.EXE", "");
        if (*list) install.write(list, "W_H05\n");
        FakeSteps fake{install};
        EXPECT_THROW(start_favourites(fake.steps()), ProgramEnd);
        EXPECT_EQ(fake.started, *list ? std::vector<std::string>{"\\QUORVANT\\MKPICKS.EXE"} : std::vector<std::string>{});
    }
}

// A chain stopped after the user's files changed and before the favourites
// builder finished leaves the mark; the next run, with nothing to carry, starts
// the favourites builder for it. Without favourites no mark is made.
TEST(StartFavourites, AStoppedRunsFavouritesAreCopiedByTheNextRun) {
    for (const bool favourites : {false, true}) {
        SCOPED_TRACE(favourites);
        SampleInstall install;
        install.write("MKPICKS.EXE", "");
        if (favourites) install.write("FAVOR.ASC", "W_H05\n");
        install.write("UPDATES/EU050315.CLC", "x\n");
        FakeSteps fake{install};
        bool marked_before_appending = false;
        DistributorSteps steps = fake.steps();
        const auto append = steps.append_ascii_updates;
        steps.append_ascii_updates = [&](const std::string& path, Distribution& run) {
            marked_before_appending = fs::exists(install.path("FAVOR.PND"));
            return append(path, run);
        };
        steps.start_program = [](std::string_view) { return true; };  // MKPICKS is stopped before it ends
        RecordingConsole screen;
        EXPECT_THROW(run_distributor(steps), ProgramEnd);
        EXPECT_EQ(marked_before_appending, favourites);

        FakeSteps rerun{install};
        EXPECT_THROW(run_distributor(rerun.steps()), ProgramEnd);
        EXPECT_TRUE(rerun.ascii.empty());
        EXPECT_EQ(rerun.started, favourites ? std::vector<std::string>{"\\QUORVANT\\MKPICKS.EXE"}
                                            : std::vector<std::string>{});
    }
    // A mark left when the user has given up favourites since goes.
    SampleInstall install;
    install.write("FAVOR.PND", "");
    FakeSteps fake{install};
    RecordingConsole screen;
    EXPECT_THROW(run_distributor(fake.steps()), ProgramEnd);
    EXPECT_TRUE(fake.started.empty());
    EXPECT_FALSE(fs::exists(install.path("FAVOR.PND")));
}

// The whole run: an update folder with only done files ends silently after
// the banner; a pending file gets the working screen and is carried over with
// the header flag of META13.TXT.
TEST(RunDistributor, EndsSilentlyWithoutPendingFilesAndWorksOtherwise) {
    for (const bool pending : {false, true}) {
        SCOPED_TRACE(pending);
        SampleInstall install;
        install.write("fullsize", "");
        install.write("META13.TXT", "");
        install.write("UPDATES/E_050314.CLC", "done\n");
        if (pending) install.write("UPDATES/EU050315.CLC", "x\n");
        FakeSteps fake{install};
        RecordingConsole screen;
        EXPECT_THROW(run_distributor(fake.steps()), ProgramEnd);
        EXPECT_EQ(fake.comptrac_calls, 1);
        EXPECT_FALSE(fs::exists(install.path("fullsize")));
        EXPECT_NE(screen.text().find("DFANOUT PROGRAM, VERSION 3.0"), std::string::npos);
        EXPECT_EQ(screen.text().find("---WORKING ON---") != std::string::npos, pending);
        EXPECT_EQ(fake.ascii, pending ? std::vector<std::string>{"EU050315.CLC"} : std::vector<std::string>{});
        EXPECT_EQ(fake.meta, fake.ascii);  // the sample installation distributes both kinds
        if (pending) {
            EXPECT_TRUE(fake.header_flag);
            EXPECT_EQ(update_folder(install), (std::vector<std::string>{"E_050314.CLC", "E_050315.CLC"}));
        } else {
            EXPECT_EQ(update_folder(install), std::vector<std::string>{"E_050314.CLC"});
            EXPECT_FALSE(fs::exists(install.path("QUORUP.MSG")));
        }
    }
}

// With the real steps: the sample installation's settings send a contract
// to its ASCII file and its MetaStock folder.
TEST(RunDistributor, CarriesAContractIntoTheUsersFiles) {
    SampleInstall install;
    install.write("UPDATES/EU201207.CLC",
                  "EU201207.CLC\n"
                  "W_ 21H201204 5.8000 5.9000 5.7000 5.8500 4000 2000 21000\n"
                  "W_ 21H201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n");
    RecordingConsole screen;
    EXPECT_THROW(run_distributor(distributor_steps()), ProgramEnd);
    EXPECT_EQ(install.read("ASCII/W_/W_H21.TXT"),
              "12/04/20,5.8000,5.9000,5.7000,5.8500,2000,4000\n"
              "12/07/20,5.8500,5.9500,5.8000,5.9000,2100,4100\n");
    EXPECT_TRUE(fs::exists(install.path("META/W_/MASTER")));
    EXPECT_EQ(update_folder(install), std::vector<std::string>{"E_201207.CLC"});
    EXPECT_EQ(install.read("QUORUP.MSG"), "EU201207.CLC MERGED O.K.\n");
    EXPECT_EQ(eu_line(install), "EU LAST DATE = 12/7/20");
}

// Every output file under the user's ASCII and MetaStock roots, with its bytes.
std::map<std::string, std::string> outputs(const SampleInstall& install) {
    std::map<std::string, std::string> files;
    for (const char* root : {"ASCII", "META"}) {
        if (!fs::exists(install.path(root))) continue;
        for (const auto& entry : fs::recursive_directory_iterator(install.path(root)))
            if (entry.is_regular_file())
                files[fs::relative(entry.path(), install.root()).string()] =
                    install.read(fs::relative(entry.path(), install.root()).string());
    }
    return files;
}

// An update file is done only when every write it asked for succeeded: a
// contract file that cannot be written (here a folder stands in its place,
// as a write-protected or full disk would refuse it) keeps the file pending
// under its EU name, with the failed file named, QUORUP.MSG not claiming a
// merge and EU LAST DATE not moved. Once the obstacle is gone the next run
// completes it, and the outputs are those of a run that never failed.
TEST(RunDistributor, AFailedWriteKeepsTheUpdatePendingAndTheRerunCompletesIt) {
    const std::string update =
        "EU201207.CLC\n"
        "W_ 21H201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n"
        "W_ 21K201207 5.9500 6.0500 5.9000 6.0000 3100 1100 11100\n"
        "W_ 21N201207 6.0500 6.1500 6.0000 6.1000 2100 1000 10100\n";
    std::map<std::string, std::string> uninterrupted;
    {
        SampleInstall install;
        install.write("UPDATES/EU201207.CLC", update);
        RecordingConsole screen;
        EXPECT_THROW(run_distributor(distributor_steps()), ProgramEnd);
        uninterrupted = outputs(install);
        ASSERT_TRUE(uninterrupted.count("ASCII/W_/W_K21.TXT"));
    }
    SampleInstall install;
    install.write("UPDATES/EU201207.CLC", update);
    fs::create_directories(install.path("ASCII/W_/W_K21.TXT"));
    {
        RecordingConsole screen;
        EXPECT_THROW(run_distributor(distributor_steps()), ProgramEnd);
        EXPECT_NE(screen.text().find("W_K21.TXT"), std::string::npos) << screen.text();
        EXPECT_NE(screen.text().find("EU201207.CLC STAYS PENDING FOR THE NEXT RUN."), std::string::npos);
    }
    EXPECT_EQ(update_folder(install), std::vector<std::string>{"EU201207.CLC"});
    const std::string log = install.read("QUORUP.MSG");
    EXPECT_EQ(log.find("MERGED O.K."), std::string::npos) << log;
    EXPECT_NE(log.find("EU201207.CLC NOT MERGED"), std::string::npos) << log;
    EXPECT_NE(log.find("W_K21.TXT"), std::string::npos) << log;
    EXPECT_EQ(eu_line(install), "EU LAST DATE = 12/04/20");

    fs::remove(install.path("ASCII/W_/W_K21.TXT"));
    {
        RecordingConsole screen;
        EXPECT_THROW(run_distributor(distributor_steps()), ProgramEnd);
    }
    EXPECT_EQ(update_folder(install), std::vector<std::string>{"E_201207.CLC"});
    EXPECT_EQ(outputs(install), uninterrupted);
    EXPECT_NE(install.read("QUORUP.MSG").find("EU201207.CLC MERGED O.K.\n"), std::string::npos);
    EXPECT_EQ(eu_line(install), "EU LAST DATE = 12/7/20");
}

std::set<std::string> every_file(const SampleInstall& install) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(install.root()))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), install.root()).string());
    return files;
}

// The vendor's contract keys become file and folder names: a tag such as
// ".." or "/.", a year or a month code that is no such thing, is warned about
// and skipped, and nothing is written outside the contract folders; the good
// contract of the same file is carried as always.
TEST(RunDistributor, ContractKeysThatAreNoNamesAreSkipped) {
    SampleInstall install;
    install.write("UPDATES/EU201207.CLC",
                  "EU201207.CLC\n"
                  ".. 21H201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n"
                  "/. 21H201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n"
                  "W_ 2/H201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n"
                  "W_ 21/201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n"
                  "W_ 21H201207 5.8500 5.9500 5.8000 5.9000 4100 2100 21100\n");
    const std::set<std::string> before = every_file(install);
    RecordingConsole screen;
    EXPECT_THROW(run_distributor(distributor_steps()), ProgramEnd);
    for (const char* key : {"\".. 21H\"", "\"/. 21H\"", "\"W_ 2/H\"", "\"W_ 21/\""})
        EXPECT_NE(screen.text().find(std::string("ERROR-INVALID CONTRACT ") + key), std::string::npos) << key;
    for (const std::string& file : every_file(install)) {
        if (before.count(file)) continue;
        const bool allowed = file.rfind("ASCII/W_/", 0) == 0 || file.rfind("META/W_/", 0) == 0 ||
                             file == "UPDATES/E_201207.CLC" || file == "QUORUP.MSG" || file == "QUORUP.BAK";
        EXPECT_TRUE(allowed) << file;
    }
    EXPECT_EQ(install.read("ASCII/W_/W_H21.TXT"), "12/07/20,5.8500,5.9500,5.8000,5.9000,2100,4100\n");
    EXPECT_TRUE(fs::exists(install.path("META/W_/MASTER")));
}

}  // namespace
}  // namespace qv::distributor
