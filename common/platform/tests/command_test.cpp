#include "common/platform/command.h"

#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace qv {
namespace {

namespace fs = std::filesystem;

// The tests run with their temporary install folder as the working folder, as
// the tools do, so that bare names land inside it.
class InstallFolder : public testing::TempInstall {
public:
    InstallFolder() : previous_(fs::current_path()) { fs::current_path(root()); }
    ~InstallFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

bool wait_for_file(const fs::path& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

TEST(Command, SplitsWordsOnBlanksWithQuotes) {
    const auto words = split_command_line("START  CONQUIT \"Finished_-_Merge\" 1000\t\"a b\"c \"\"");
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(words[0].text, "START");
    EXPECT_EQ(words[2].text, "Finished_-_Merge");
    EXPECT_TRUE(words[2].quoted);
    EXPECT_FALSE(words[3].quoted);
    EXPECT_EQ(words[4].text, "a bc");
    EXPECT_EQ(words[5].text, "");
}

TEST(Command, RunsABatchFileLineByLine) {
    InstallFolder install;
    testing::RecordingConsole console;
    install.write("UPDATES/DU201207.CLC", "x");
    install.write("UPDATES/du201208.clc", "x");
    install.write("UPDATES/EU201207.CLC", "keep");
    install.write("NESTED.BAT", "@echo off\r\nECHO in nested\r\nmd \\quorvant\\FROMNESTED\r\n");
    install.write("OTHER.BAT", "echo other\n");
    install.write("MAIN.BAT",
                  "@ECHO OFF\n"
                  "MKDIR \\QUORVANT\\AUTO\\NEW\n"
                  "ECHO hello  world\n"
                  "ECHO.\n"
                  "DEL \\QUORVANT\\UPDATES\\D?20????.CLC\n"
                  "CALL nested.bat\n"
                  "ECHO back in main\n"
                  "REM nothing\n"
                  ":label\n"
                  "\\QUORVANT\\QBATCH.EXE \\QUORVANT\\OTHER.BAT\n"
                  "OTHER\n"
                  "ECHO never shown\n");
    CommandInterpreter interpreter;
    EXPECT_EQ(interpreter.run_batch("\\QUORVANT\\main.bat"), 0);

    EXPECT_EQ(console.text(), "hello  world\n\nin nested\nback in main\nother\n");
    EXPECT_TRUE(fs::is_directory(install.path("AUTO/NEW")));
    EXPECT_TRUE(fs::is_directory(install.path("FROMNESTED")));
    EXPECT_FALSE(fs::exists(install.path("UPDATES/DU201207.CLC")));
    EXPECT_FALSE(fs::exists(install.path("UPDATES/du201208.clc")));
    EXPECT_EQ(install.read("UPDATES/EU201207.CLC"), "keep");
}

TEST(Command, ShowsLinesWhileEchoIsOn) {
    InstallFolder install;
    testing::RecordingConsole console;
    install.write("SHOW.BAT", "MD A\n@MD B\nECHO\nECHO OFF\nECHO\n");
    CommandInterpreter interpreter;
    interpreter.run_batch("SHOW.BAT");
    EXPECT_EQ(console.text(), "MD A\nECHO\nECHO is on.\nECHO OFF\nECHO is off.\n");
}

TEST(Command, CarriesOutTheToolsCommandLines) {
    InstallFolder install;
    testing::RecordingConsole console;
    install.write("FAV/ASC/W_Z12.ASC", "x");
    install.write("FAV/ASC/SPH13", "x");
    install.write("FAV/ASC/KEEP/INNER.TXT", "x");
    install.write("NEEDFIL2.TXT", "x");
    ::chmod(install.path("NEEDFIL2.TXT").c_str(), 0444);
    install.write("RO.TXT", "x");
    ::chmod(install.path("RO.TXT").c_str(), 0444);

    EXPECT_EQ(run_command("attrib -r \\quorvant\\needfil2.txt"), 0);
    EXPECT_TRUE(is_writable("\\QUORVANT\\NEEDFIL2.TXT"));
    EXPECT_EQ(run_command("ATTRIB -R \\QUORVANT\\NOFILE.TXT"), 1);

    EXPECT_EQ(run_command("ERASE \\QUORVANT\\FAV\\ASC\\*.* /F/Q"), 0);
    EXPECT_TRUE(fs::is_empty(install.path("FAV/ASC/KEEP")) == false);
    EXPECT_FALSE(fs::exists(install.path("FAV/ASC/W_Z12.ASC")));
    EXPECT_FALSE(fs::exists(install.path("FAV/ASC/SPH13")));

    // Without /F a read-only file stays; an unknown switch deletes nothing.
    EXPECT_EQ(run_command("DEL RO.TXT"), 1);
    EXPECT_EQ(run_command("DEL RO.TXT /S"), 1);
    EXPECT_TRUE(fs::exists(install.path("RO.TXT")));
    EXPECT_EQ(run_command("DEL \\QUORVANT\\RO.TXT /F"), 0);
    EXPECT_FALSE(fs::exists(install.path("RO.TXT")));

    EXPECT_EQ(run_command("MD \\QUORVANT\\FAV\\MS"), 0);
    EXPECT_EQ(run_command("MD \\QUORVANT\\FAV\\MS"), 1);
    EXPECT_EQ(run_command("conquit.exe \"cmd.exe\""), 0);
    EXPECT_EQ(run_command("NOSUCHPROGRAM /M"), -1);
    EXPECT_EQ(run_command("CALL MISSING.BAT"), -1);
    EXPECT_EQ(run_command("SHELLCMD"), -1);
}

TEST(Command, FileNamesNeverReachAShell) {
    InstallFolder install;
    testing::RecordingConsole console;
    const char* names[] = {"a;touch PWNED", "b$(touch PWNED)", "c`touch PWNED`", "d&touch PWNED", "e|touch PWNED",
                           "f*"};
    for (const char* name : names) install.write(std::string("DATA/") + name, "x");
    install.write("DATA/SAFE.TXT", "x");

    EXPECT_EQ(run_command("DEL \"\\QUORVANT\\DATA\\a;touch PWNED\""), 0);
    EXPECT_EQ(run_command("DEL \\QUORVANT\\DATA\\b$(touch PWNED)"), 1);  // two names, neither exists
    EXPECT_EQ(run_command("DEL \\QUORVANT\\DATA\\*TOUCH*"), 0);
    EXPECT_EQ(run_command("MD \"\\QUORVANT\\$(touch PWNED);x\""), 0);
    EXPECT_EQ(run_command("ECHO `touch PWNED` | touch PWNED & touch PWNED"), 0);
    EXPECT_EQ(run_command("START QBATCH `touch PWNED`;touch PWNED"), 0);
    // "f*" as a pattern matches every remaining name starting with F; none is a command.
    EXPECT_EQ(run_command("DEL \\QUORVANT\\DATA\\f*"), 0);

    for (const char* name : names) EXPECT_FALSE(fs::exists(install.path(std::string("DATA/") + name))) << name;
    EXPECT_TRUE(fs::exists(install.path("DATA/SAFE.TXT")));
    EXPECT_TRUE(fs::is_directory(install.path("$(touch PWNED);x")));
    for (const fs::path& folder : {install.root(), install.root() / "DATA", fs::current_path()})
        EXPECT_FALSE(fs::exists(folder / "PWNED")) << folder;
}

TEST(Command, FindsTheSuitesProgramsBesideTheRunningProgram) {
    InstallFolder install;
    EXPECT_EQ(program_folder(), fs::path(QV_BIN_DIR));
    const auto found = find_suite_program("\\QUORVANT\\QBATCH.EXE");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, fs::path(QV_BIN_DIR) / "qbatch");
    EXPECT_EQ(find_suite_program("c:conquit"), fs::path(QV_BIN_DIR) / "CONQUIT");
    EXPECT_TRUE(file_exists("\\QUORVANT\\BulShow.exe"));
    EXPECT_FALSE(file_exists("\\QUORVANT\\NOSUCHPROGRAM.EXE"));
    EXPECT_FALSE(find_suite_program("\\QUORVANT\\"));
}

TEST(Command, StartsWithoutWaitingUnlessSynchronous) {
    InstallFolder install;
    testing::RecordingConsole console;
    install.write("SLOW.BAT", "@ECHO OFF\nCONQUIT\nMD \\QUORVANT\\STARTED\n");
    set_env("QUORVANT_SYNC", "1");
    EXPECT_TRUE(start_command("START \"title\" \\QUORVANT\\SLOW.BAT"));
    EXPECT_TRUE(fs::is_directory(install.path("STARTED")));  // waited for it
    fs::remove(install.path("STARTED"));
    unset_env("QUORVANT_SYNC");

    EXPECT_TRUE(start_command("\\QUORVANT\\QBATCH.EXE \\QUORVANT\\SLOW.BAT"));
    EXPECT_TRUE(wait_for_file(install.path("STARTED")));
    EXPECT_FALSE(start_command("\\QUORVANT\\MISSING.EXE"));
}

TEST(Command, ReplacesTheRunningProgramByABatchFile) {
    InstallFolder install;
    install.write("TEMPZIP.BAT", "@ECHO OFF\nMD \\QUORVANT\\RAN\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        replace_by_batch("\\QUORVANT\\TEMPZIP.BAT");
        ::_exit(99);  // the exec failed
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(fs::is_directory(install.path("RAN")));
}

}  // namespace
}  // namespace qv
