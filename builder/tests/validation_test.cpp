#include "builder/validation.h"

#include <gtest/gtest.h>

#include <string>

#include "builder/build_file.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

struct Checked {
    Validation outcome;
    std::string shown;
};

Checked validate(const std::string& content) {
    TempInstall install;
    install.write("AUTO/$TEST", content);
    RecordingConsole screen;
    const FilePtr file = open_build_file("$TEST");
    EXPECT_TRUE(file);
    const Validation outcome = validate_build_file(file.get(), "$TEST");
    return {outcome, screen.text()};
}

std::string inputs(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "W_CLC 1,2,3,4\n";
    return lines;
}

TEST(Validation, SoundFilesPassWithoutAMessage) {
    const std::string files[] = {
        "REM GOLD AND WHEAT\n#OUTPUTFORMAT=A\n\nC:\\OUT\\GOLD.ASC\n#SAMPLINGPERIOD=W\nREM: TEN INPUTS\n" + inputs(10) +
            "\n\n#STARTING DATE: 1/2/95\nC:\\OUT\\WHEAT.ASC\nW_CLC 1 2 3 4\n",
        "c:\\out\\gold.asc\n#starting date: 1/2/95\ngc_clc 4*100, 4^1\n",
        "C:\\OUT\\" + std::string(200, 'X') + "\nW_CLC 1\n",
    };
    for (const std::string& content : files) {
        SCOPED_TRACE(content);
        const Checked checked = validate(content);
        EXPECT_EQ(checked.outcome, Validation::sound);
        EXPECT_EQ(checked.shown, "");
    }
}

TEST(Validation, EachFaultIsShownWithItsLine) {
    struct Case {
        std::string content;
        std::string shown;
    };
    const Case cases[] = {
        {"#NOSUCHOPTION=Y\nOUT.ASC\nW_CLC 1\n", "INCORRECT WORDING IN FOLLOWING OPTION LINE:\n              (#NOSUCHOPTION=Y)"},
        {"#DAYSPERBAR=0\nOUT.ASC\nW_CLC 1\n", "INVALID OPTION VALUE SPECIFIED IN FOLLOWING LINE:\n              (#DAYSPERBAR=0)"},
        {"#STARTINGDATE=1-2-1995\nOUT.ASC\nW_CLC 1\n", "INVALID OPTION VALUE SPECIFIED IN FOLLOWING LINE:"},
        {"OUT.ASC\n#SAMPLING PERIOD D\nW_CLC 1\n", "INCORRECT WORDING IN OPTION LINE:\n              (#SAMPLING PERIOD D)"},
        {"OUT.ASC\n#SAMPLINGPERIOD=8\nW_CLC 1\n", "INVALID OPTION VALUE SPECIFIED IN LINE:\n              (#SAMPLINGPERIOD=8)"},
        {"OUT.ASC\nW_CLC 1\n#SAMPLINGPERIOD=W\n", "OPTION LINE MUST PRECEDE THE INPUT LINES:\n              (#SAMPLINGPERIOD=W)"},
        {"OUT.ASC\n" + inputs(11), "TOO MANY INPUT LINES FOR THIS OUTPUT FILE:\n              (OUT.ASC)"},
        {"OUT.ASC\n\nW_CLC 1\n", "NO INPUT FILE/FIELDS DEFINED FOR THIS OUTPUT FILE:\n              (OUT.ASC)"},
        {"A.ASC\nW_CLC 1\n\nB.ASC\n", "NO MATCHING INPUT LINES FOR THIS OUTPUT FILE\n              (B.ASC)"},
        {"OUT.ASC\nW_CLC 1," + std::string(70, '2') + "\n", "FOLLOWING FILE/FIELD INPUT LINE TOO LONG:"},
        {"OUT.ASC\nW_CLC 9\n", "9 IS AN INVALID FIELD NUMBER"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        const Checked checked = validate(c.content);
        EXPECT_EQ(checked.outcome, Validation::fault);
        EXPECT_NE(checked.shown.find(c.shown), std::string::npos) << checked.shown;
    }
}

TEST(Validation, AFileWithoutOutputLinesIsEmpty) {
    const Checked checked = validate("REM NOTHING HERE\n#OUTPUTFORMAT=M\n\n");
    EXPECT_EQ(checked.outcome, Validation::empty);
    EXPECT_NE(checked.shown.find("AUTO BUILD FILE $TEST IS EMPTY?"), std::string::npos);
}

TEST(Validation, AFileMustNotEndWithAComment) {
    for (const char* content : {"OUT.ASC\nW_CLC 1\nREM LAST\n", "OUT.ASC\nW_CLC 1\n\nREM: LAST"}) {
        SCOPED_TRACE(content);
        TempInstall install;
        install.write("AUTO/$TEST", content);
        RecordingConsole screen;
        const FilePtr file = open_build_file("$TEST");
        EXPECT_THROW(validate_build_file(file.get(), "$TEST"), ProgramEnd);
        EXPECT_NE(screen.text().find("ERROR-AUTO BUILD FILE MUST NOT END WITH 'REM' LINE"), std::string::npos);
    }
}

TEST(BuildFile, LinesAreClassified) {
    struct Case {
        const char* line;
        LineKind kind;
    };
    const Case cases[] = {
        {"", LineKind::blank},          {"REM NOTE", LineKind::comment}, {"REM:NOTE", LineKind::comment},
        {"REM", LineKind::comment},     {"REMARKS.ASC", LineKind::other}, {"#OUTPUTFORMAT=M", LineKind::option},
        {"W_CLC 1", LineKind::other},   {" REM", LineKind::other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(classify_line(c.line), c.kind);
    }
}

TEST(BuildFile, LinesAreReadWholeUpperCasedAndTrimmed) {
    TempInstall install;
    const std::string long_line(400, 'a');
    install.write("LINES.TXT", "w_clc 1,2  \r\n" + long_line + "\n   \nlast");
    const FilePtr file = open_file("\\QUORVANT\\LINES.TXT", "r");
    std::string line;
    ASSERT_TRUE(read_build_line(file.get(), line));
    EXPECT_EQ(line, "W_CLC 1,2");
    ASSERT_TRUE(read_build_line(file.get(), line));
    EXPECT_EQ(line, std::string(400, 'A'));
    ASSERT_TRUE(read_build_line(file.get(), line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(read_build_line(file.get(), line));
    EXPECT_EQ(line, "LAST");
    EXPECT_FALSE(read_build_line(file.get(), line));
}

TEST(BuildFile, TheArgumentIsOneNameBeginningWithDollar) {
    {
        RecordingConsole screen;
        EXPECT_EQ(build_file_argument({"$GOLD"}), "$GOLD");
    }
    struct Case {
        std::vector<std::string_view> arguments;
        const char* shown;
    };
    const Case cases[] = {
        {{}, "ERROR - NO SCRIPT FILE SPECIFIED"},
        {{"$A", "$B"}, "ERROR - NO SCRIPT FILE SPECIFIED"},
        {{"GOLD.BLD"}, "ERROR - INVALID SCRIPT FILE = GOLD.BLD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        RecordingConsole screen;
        EXPECT_THROW(build_file_argument(c.arguments), ProgramEnd);
        EXPECT_NE(screen.text().find(c.shown), std::string::npos);
    }
}

TEST(BuildFile, AMissingBuildFileIsShown) {
    TempInstall install;
    RecordingConsole screen;
    EXPECT_FALSE(open_build_file("$NOWHERE"));
    EXPECT_NE(screen.text().find("UNABLE TO LOCATE AUTO BUILD FILE\n              ($NOWHERE)"), std::string::npos);
}

TEST(BuildFile, AnOutputFileIsKeptWhenTheAnswerIsNo) {
    TempInstall install;
    install.write("OUT.ASC", "19950102,1.5\n");
    const std::string path = "\\QUORVANT\\OUT.ASC";
    BuildSettings ask;
    ask.overwrite_output_file = 'N';
    {
        RecordingConsole screen("n");
        EXPECT_FALSE(may_write_output(ask, path));
        EXPECT_NE(screen.text().find("WARNING!! OUTPUT FILE EXISTS, OVERWRITE IT? (Y OR N):"), std::string::npos);
        EXPECT_EQ(install.read("OUT.ASC"), "19950102,1.5\n");
    }
    {
        RecordingConsole screen("Y");
        EXPECT_TRUE(may_write_output(ask, path));
    }
    RecordingConsole screen;
    EXPECT_TRUE(may_write_output(BuildSettings{}, path));
    EXPECT_TRUE(may_write_output(ask, "\\QUORVANT\\NEW.ASC"));
    EXPECT_EQ(screen.text(), "");
}

}  // namespace
}  // namespace qv::builder
