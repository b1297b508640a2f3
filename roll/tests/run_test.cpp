#include "roll/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/platform/program_end.h"
#include "common/start_up.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "sample/sample_install.h"

namespace qv::roll {
namespace {

using testing::RecordingConsole;
using testing::SampleInstall;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool has_line(const std::string& text, const std::string& line) {
    const std::vector<std::string> all = lines_of(text);
    return std::find(all.begin(), all.end(), line) != all.end();
}

// Thursday 10 December 2020: the stock indexes roll (the Thursday before the
// second Friday); the dollar index rolls on the second Monday, the 14th.
TEST(RollRun, WritesBothReportsForTheSampleTable) {
    SampleInstall install("2020-12-10");
    RecordingConsole screen;
    EXPECT_EQ(run_program([] { run_roll(); }), 0);

    const std::string show = install.read("ROLLSHOW.TXT");
    const std::string print = install.read("ROLLPRNT.TXT");
    EXPECT_TRUE(has_line(show, "*SP S&P 500      \t\tDEC\t  0\t  0\tDEC 10\t            MAR                  HMU<Z>"));
    EXPECT_TRUE(has_line(show, " DX US DOLLAR IDX\tDEC\t  4\t  2\tDEC 14\t            MAR                  HMU<Z>"));
    EXPECT_TRUE(has_line(print, "*SP S&P 500      \tDEC\t  0\t  0\tDEC 10\tMAR  HMU<Z>"));
    EXPECT_TRUE(print.starts_with("\n  ROLL, VER. 2.9           ROLL OVER STATUS AS OF DATE: 12/10/2020     "));

    // One line per commodity, in tag order, and the note once at the end.
    std::vector<std::string> tags;
    for (const std::string& line : lines_of(show))
        if (line.size() > 17 && line[17] == '\t') tags.push_back(line.substr(1, 2));
    EXPECT_EQ(tags.size(), 76u);
    EXPECT_TRUE(std::is_sorted(tags.begin(), tags.end()));
    const std::string note = " *  This commodity is rolling today to the next contract.\n";
    EXPECT_TRUE(show.ends_with("\n" + note));
    EXPECT_EQ(show.find(note), show.size() - note.size());
    EXPECT_TRUE(print.ends_with("\n" + note));
    EXPECT_FALSE(std::filesystem::exists(install.path("ROLLSHOW.TMP")));
    EXPECT_FALSE(std::filesystem::exists(install.path("ROLLPRNT.TMP")));
}

TEST(RollRun, ExpiredHolidaysAreNotedAndTheReportsStillWritten) {
    SampleInstall install("2031-03-03");
    RecordingConsole screen;
    run_program([] { run_roll(); });
    EXPECT_NE(screen.text().find("WARNING-HOLIDAY FILE HAS EXPIRED!!"), std::string::npos);
    EXPECT_TRUE(has_line(install.read("ROLLSHOW.TXT"),
                         " SP S&P 500      \t\tMAR\t 10\t  8\tMAR 13\t            JUN                  <H>MUZ"));
}

struct BadInput {
    const char* what;
    std::string file;
    std::string content;
    const char* message;
};

// A damaged support file ends the run with its message, and the reports of
// the previous run stay as they were.
TEST(RollRun, BadInputLeavesThePreviousReports) {
    std::string tables = sample::tables_ini();
    const std::string bad_code = [&] {
        std::string text = tables;
        text.replace(text.find("[all_tag]\n-HH") + 12, 1, "A");
        return text;
    }();
    const BadInput cases[] = {
        {"too many commodities", "TABLES.INI", "[numcom] = 101\n",
         "SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE"},
        {"a table cut short", "TABLES.INI", tables.substr(0, tables.find("[bytes]") + 20),
         "ERROR-FILE 'TABLES.INI' IS MISSING DATA"},
        {"a letter that is no month code", "TABLES.INI", bad_code,
         "TROUBLE: \n\nERROR- COULDN'T FIND MONTH CODE A IN MCODES TABLE"},
        {"a bad holiday line", "HOLIDAYS.QVT", "01/01/20 20\n13/01/20 20\n",
         "ERROR IN HOLIDAYS.QVT FILE, LINE = 13/01/20 20"},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.what);
        SampleInstall install;
        install.write("ROLLSHOW.TXT", "previous show");
        install.write("ROLLPRNT.TXT", "previous print");
        install.write(c.file, c.content);
        RecordingConsole screen;
        EXPECT_EQ(run_program([] { run_roll(); }), 0);
        EXPECT_NE(screen.text().find(c.message), std::string::npos) << screen.text();
        EXPECT_EQ(install.read("ROLLSHOW.TXT"), "previous show");
        EXPECT_EQ(install.read("ROLLPRNT.TXT"), "previous print");
    }
}

// A report that cannot be written keeps both previous reports: a folder
// stands where each work file would go.
TEST(RollRun, AReportThatCannotBeWrittenReplacesNeither) {
    for (const char* blocked : {"ROLLSHOW.TMP", "ROLLPRNT.TMP"}) {
        SCOPED_TRACE(blocked);
        SampleInstall install;
        install.write("ROLLSHOW.TXT", "previous show");
        install.write("ROLLPRNT.TXT", "previous print");
        std::filesystem::create_directory(install.path(blocked));
        RecordingConsole screen;
        run_program([] { run_roll(); });
        const std::string report = std::string(blocked).substr(0, 8) + ".TXT";
        EXPECT_NE(screen.text().find("TROUBLE: ERROR-UNABLE TO CREATE THE FILE " + report), std::string::npos);
        EXPECT_EQ(install.read("ROLLSHOW.TXT"), "previous show");
        EXPECT_EQ(install.read("ROLLPRNT.TXT"), "previous print");
    }
}

}  // namespace
}  // namespace qv::roll
