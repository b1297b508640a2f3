#include "postdownload/post_download.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::postdownload {
namespace {

namespace fs = std::filesystem;
using testing::RecordingConsole;
using testing::SampleInstall;

constexpr const char* merge_bat_text =
    "@ECHO OFF\n"
    "START QUORUP /M\n"
    "START CONQUIT \"Finished_-_Postquor\" 1000\n"
    "START CONQUIT \"Finished_-_Merge\" 1000\n";

// Steps that only note the commands and the batch file handed over.
struct FakeSteps {
    std::vector<std::string> commands;
    std::vector<std::string> batch_files;

    PostdownloadSteps steps() {
        return {
            [this](std::string_view command) {
                commands.emplace_back(command);
                return 0;
            },
            [this](std::string_view batch) { batch_files.emplace_back(batch); },
        };
    }
};

// Runs the whole processing as main does.
void run(FakeSteps& fake) {
    RecordingConsole screen;
    try {
        run_postdownload(fake.steps());
    } catch (const ProgramEnd&) {
    }
}

TEST(PostDownload, TidiesTheUpdateFolderPassesTheSystemMessageOnAndMerges) {
    SampleInstall install;
    install.write("QUORUP.LOG", "old log\n");
    install.write("TEMPZIP.BAT", "@ECHO OFF\n");
    install.write("QUORUP.MSG", "EARLIER LINE\n");
    install.write("SYSTEM.MSG", "VENDOR NEWS ONE\nVENDOR NEWS TWO\nVENDOR NEWS THREE\n");
    install.write("UPDATES/SYMBOLS.TXT", "W_ WHEAT\n");
    struct Case {
        const char* name;
        const char* content;
        bool kept;
    };
    const Case cases[] = {
        {"DU050315.CLC", "", false},
        {"DU050316.CLC", "W_,050316,300,310,290,305\n", true},
        {"EU050315.CLC", "", false},
        {"DU050315.IDX", "", false},
        {"DU050315.COT", "", false},
        {"DU050318.COT", "x\n", true},
        {"NOTES.TXT", "", true},  // only the database kinds are tidied
    };
    for (const Case& c : cases) install.write(std::string("UPDATES/") + c.name, c.content);

    FakeSteps fake;
    run(fake);

    for (const Case& c : cases)
        EXPECT_EQ(fs::exists(install.path(std::string("UPDATES/") + c.name)), c.kept) << c.name;
    EXPECT_FALSE(fs::exists(install.path("QUORUP.LOG")));
    EXPECT_FALSE(fs::exists(install.path("TEMPZIP.BAT")));
    EXPECT_FALSE(fs::exists(install.path("UPDATES/SYMBOLS.TXT")));
    EXPECT_EQ(install.read("QUORUP.MSG"), "EARLIER LINE\nVENDOR NEWS ONE\nVENDOR NEWS TWO\nVENDOR NEWS THREE\n");
    EXPECT_TRUE(fs::exists(install.path("SYSTEM.MSG")));
    EXPECT_EQ(fake.commands, std::vector<std::string>{"QUORUP.EXE /M"});
    EXPECT_TRUE(fake.batch_files.empty());
    EXPECT_FALSE(fs::exists(install.path("merge.bat")));
}

TEST(PostDownload, SystemMessageWithoutALastLineEndOrNoneAtAll) {
    SampleInstall install;
    install.write("QUORUP.MSG", "EARLIER LINE\n");
    process_system_msg();
    EXPECT_EQ(install.read("QUORUP.MSG"), "EARLIER LINE\n");

    // A line longer than the copy buffer goes over whole, and the last line
    // is ended so that the updater's messages start on a line of their own.
    const std::string long_line(400, 'N');
    install.write("SYSTEM.MSG", long_line + "\nLAST");
    process_system_msg();
    EXPECT_EQ(install.read("QUORUP.MSG"), "EARLIER LINE\n" + long_line + "\nLAST\n");
}

// Holiday-file trouble: the notice goes into QUORUP.MSG, the update folder is
// tidied all the same, and the merge is handed to merge.bat.
TEST(PostDownload, HolidayTroubleHandsTheMergeToMergeBat) {
    struct Case {
        const char* what;
        const char* holidays;  // nullptr: no file
        const char* notice;
    };
    const Case cases[] = {
        {"missing file", nullptr, "ERROR, could not open the holiday file HOLIDAYS.QVT"},
        {"bad century", "12/25/20 21\n", "BAD CENTURY VALUE IN HOLIDAYS.QVT, LINE = 12/25/20 21"},
        {"bad line", "13/25/20 20\n", "ERROR IN HOLIDAYS.QVT FILE, LINE = 13/25/20 20"},
    };
    for (const Case& c : cases) {
        SampleInstall install;
        if (c.holidays)
            install.write("HOLIDAYS.QVT", c.holidays);
        else
            fs::remove(install.path("HOLIDAYS.QVT"));
        install.write("SYSTEM.MSG", "VENDOR NEWS\n");
        install.write("UPDATES/DU050315.CLC", "");
        install.write("merge.bat", "old batch\n");
        fs::permissions(install.path("merge.bat"), fs::perms::owner_read);

        FakeSteps fake;
        run(fake);

        EXPECT_EQ(install.read("QUORUP.MSG"),
                  std::string("\n*******************     NOTICE     *************************\n\n") + c.notice + "\n")
            << c.what;
        EXPECT_EQ(install.read("merge.bat"), merge_bat_text) << c.what;
        EXPECT_EQ(fake.commands, std::vector<std::string>{"ATTRIB -R \\QUORVANT\\merge.bat"}) << c.what;
        EXPECT_EQ(fake.batch_files, std::vector<std::string>{"\\QUORVANT\\merge.bat"}) << c.what;
        EXPECT_FALSE(fs::exists(install.path("UPDATES/DU050315.CLC"))) << c.what;
        EXPECT_FALSE(fs::exists(install.path("MERGE.TMP"))) << c.what;
    }
}

TEST(PostDownload, SettingsThatCannotBeRewrittenHandTheMergeToMergeBat) {
    SampleInstall install;
    // The dial-number rule changes this number, so the settings are saved; a
    // folder in the work file's place keeps them from being rewritten.
    std::string settings = install.read("QUORUP.INI");
    settings.replace(settings.find("1-555-010-0134"), 14, "1-312-555-0142");
    install.write("QUORUP.INI", settings);
    fs::create_directory(install.path("TEMP0001.QVT"));

    FakeSteps fake;
    run(fake);

    EXPECT_EQ(install.read("QUORUP.INI"), settings);
    EXPECT_EQ(install.read("QUORUP.MSG"),
              "\n*******************     NOTICE     *************************\n\n"
              "COULD NOT OPEN TEMPORARY WORK FILE 0001 DOWNLOADING ABORTED\n");
    EXPECT_EQ(install.read("merge.bat"), merge_bat_text);
    EXPECT_EQ(fake.batch_files, std::vector<std::string>{"\\QUORVANT\\merge.bat"});
}

TEST(PostDownload, SettingsRewrittenByTheDialNumberRuleBeforeTheMerge) {
    SampleInstall install;
    std::string settings = install.read("QUORUP.INI");
    settings.replace(settings.find("1-555-010-0134"), 14, "1-312-555-0142");
    install.write("QUORUP.INI", settings);

    FakeSteps fake;
    run(fake);

    EXPECT_NE(install.read("QUORUP.INI").find("DIAL NUMBER = 1-312-555-0143\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(install.path("QUORUP.BAK")));
    EXPECT_EQ(fake.commands, std::vector<std::string>{"QUORUP.EXE /M"});
}

}  // namespace
}  // namespace qv::postdownload
