#include "common/messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

TEST(MessageFile, AppendsEachMessageByTheAtRule) {
    struct Case {
        const char* text;
        int code;
        const char* written;
    };
    const Case cases[] = {
        {"ERROR-COULDN'T OPEN FILE C:\\DATA\\W_.ASC,@BROADCASTING WITH THIS FILE BYPASSED", 0,
         "ERROR-COULDN'T OPEN FILE C:\\DATA\\W_.ASC,\nBROADCASTING WITH THIS FILE BYPASSED\n\n"},
        {"FIRST@SECOND@THIRD", 7, "FIRST\nSECOND@THIRD 7\n\n"},
        {"DU201207.CLC MERGED O.K.", 0, "DU201207.CLC MERGED O.K.\n"},
        {"WITH A CODE", -3, "WITH A CODE -3\n"},
        {"\n", 0, "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TempInstall install;
        install.write("QUORUP.MSG", "QUORUP.MSG FILE        DATE:12/7/2020\n\n\n");
        append_message(c.text, c.code);
        EXPECT_EQ(install.read("QUORUP.MSG"), std::string("QUORUP.MSG FILE        DATE:12/7/2020\n\n\n") + c.written);
    }
}

TEST(MessageFile, UnopenableFileIsPassedOverSilently) {
    TempInstall install;
    std::filesystem::create_directory(install.path("QUORUP.MSG"));
    RecordingConsole screen;
    append_message("ANYTHING");
    EXPECT_TRUE(screen.events().empty());
}

TEST(WarningScreen, DrawsTheScreenWaitsForAKeyAndReturnsIt) {
    RecordingConsole screen("q");
    EXPECT_EQ(warning_screen("NO FILE", 126), 'q');
    EXPECT_EQ(screen.transcript(),
              "{hide cursor}{high intensity}{background 9}{clear screen}"
              "\n\n\n\n\n\n\n\n\n\n                              ---WARNING---"
              "\n\n\n\n              NO FILE = 126"
              "\n\n\n\n                           Hit a KEY to exit....."
              "{key q}{clear screen}");
}

TEST(WarningScreen, SplitsAtTheFirstAtAndShowsNoCode) {
    struct Case {
        const char* text;
        int code;
        const char* shown;
    };
    const Case cases[] = {
        {"MASTER DATA FILE W_ IS CORRUPTED, @BYPASSING THIS FILE", 126,
         "              MASTER DATA FILE W_ IS CORRUPTED, \n              (BYPASSING THIS FILE)\n"},
        {"ONE@TWO@THREE", 0, "              ONE\n              (TWO@THREE)\n"},
        {"NO CODE", 0, "              NO CODE\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingConsole screen;
        warning_screen(c.text, c.code);
        EXPECT_NE(screen.text().find(c.shown), std::string::npos) << screen.text();
        EXPECT_EQ(screen.text().find("126"), std::string::npos);
    }
}

TEST(WarningScreen, YesOrNoGoesOnOnlyForY) {
    const std::pair<const char*, bool> answers[] = {{"Y", true}, {"y", true}, {"N", false}, {"x", false}, {"", false}};
    for (const auto& [keys, yes] : answers) {
        SCOPED_TRACE(keys);
        RecordingConsole screen(keys);
        EXPECT_EQ(ask_yes_no("OVERWRITE THE FILE? (Y or N):"), yes);
    }
}

TEST(ErrorFile, HoldsOnlyTheLastMessage) {
    TempInstall install;
    install.write("QUORUP.ERR", "AN EARLIER MESSAGE THAT WAS LONGER\n");
    write_error_file(" ERROR, could not create the file \\QUORVANT\\MAIL\\POSITION.QVT", 0);
    EXPECT_EQ(install.read("QUORUP.ERR"), " ERROR, could not create the file \\QUORVANT\\MAIL\\POSITION.QVT\n");
    write_error_file("SYSTEM ERROR #110", 12);
    EXPECT_EQ(install.read("QUORUP.ERR"), "SYSTEM ERROR #110 12\n");
}

TEST(ErrorFile, EndsTheProgramWhenItCannotBeCreated) {
    TempInstall install;
    std::filesystem::create_directory(install.path("QUORUP.ERR"));
    EXPECT_THROW(write_error_file("X"), ProgramEnd);
}

TEST(Notice, DropsLeadingBlanksAndTurnsEveryAtIntoABlank) {
    TempInstall install;
    install.write("QUORUP.MSG", "SYSTEM MESSAGE\n");
    append_notice("   ERROR, could not open the holiday file@HOLIDAYS.QVT@NOW", 0);
    append_notice("BAD LINE", 9);
    EXPECT_EQ(install.read("QUORUP.MSG"),
              "SYSTEM MESSAGE\n"
              "\n*******************     NOTICE     *************************\n\n"
              "ERROR, could not open the holiday file HOLIDAYS.QVT NOW\n"
              "\n*******************     NOTICE     *************************\n\n"
              "BAD LINE 9\n");
}

TEST(Notice, EndsTheProgramWhenTheMessageFileCannotBeOpened) {
    TempInstall install;
    std::filesystem::create_directory(install.path("QUORUP.MSG"));
    RecordingConsole screen;
    EXPECT_THROW(append_notice("X"), ProgramEnd);
    EXPECT_EQ(screen.text(), "\n\n\n\n\nCANNOT CREATE FILE QUORUP.MSG\n\n\n\n\n");
}

TEST(FramedMessage, WaitsForAKeyWithEchoAndEnds) {
    RecordingConsole screen("k");
    EXPECT_THROW(framed_message(" ERROR- COULD NOT CREATE THE DIRECTORY: C:\\DATA\\FAVORITE"), ProgramEnd);
    EXPECT_EQ(screen.transcript(),
              "\n\n\n\n\n ERROR- COULD NOT CREATE THE DIRECTORY: C:\\DATA\\FAVORITE\n\n\n\n\n"
              "              HIT ANY KEY TO EXIT {key k}k");
}

// What each tool's message and fatal-error operations leave behind: in the
// message file, the error file, on the console, and whether the program ends.
TEST(ToolMessages, EachToolShowsAndEndsItsOwnWay) {
    struct Case {
        const ToolProfile* tool;
        bool fatal;
        bool ends;
        const char* msg_file;
        const char* err_file;
        const char* console;
    };
    const char* notice = "\n*******************     NOTICE     *************************\n\nA B\n";
    const Case cases[] = {
        {&updater_profile, false, false, "A\nB\n\n", "", ""},
        {&updater_profile, true, false, "A\nB\n\n", "", ""},
        {&builder_profile, false, false, "", "", "              A\n              (B)"},
        {&builder_profile, true, true, "", "", "              A\n              (B)"},
        {&request_profile, false, false, "", "A@B\n", ""},
        {&request_profile, true, true, "", "A@B\n", ""},
        {&favorites_profile, false, true, "", "", "\n\n\n\n\nA@B\n\n\n\n\n"},
        {&postdownload_profile, false, false, notice, "", ""},
        {&postdownload_profile, true, true, notice, "", ""},
        {&roll_profile, true, false, "", "", "TROUBLE: A@B"},
        {&distributor_profile, true, true, "", "", "              A\n              (B)"},
        {&clcconv_profile, false, false, "", "", "A@B\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tool->program) + (c.fatal ? " fatal" : " message"));
        TempInstall install;
        RecordingConsole screen;
        bool ended = false;
        try {
            if (c.fatal)
                fatal_error(*c.tool, "A@B");
            else
                message(*c.tool, "A@B");
        } catch (const ProgramEnd& end) {
            ended = true;
            EXPECT_EQ(end.exit_code, 0);
        }
        EXPECT_EQ(ended, c.ends);
        EXPECT_EQ(install.read("QUORUP.MSG"), c.msg_file);
        EXPECT_EQ(install.read("QUORUP.ERR"), c.err_file);
        EXPECT_NE(screen.text().find(c.console), std::string::npos) << screen.text();
    }
}

}  // namespace
}  // namespace qv
