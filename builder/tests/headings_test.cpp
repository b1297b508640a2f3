#include "builder/headings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

BuildSettings with_headings(char quotes = 'N', char separator = 'C') {
    BuildSettings settings;
    settings.output_column_headings = 'Y';
    settings.col_headings_in_quotes = quotes;
    settings.col_separator_character = separator;
    return settings;
}

std::string heading_lines(const BuildSettings& settings, const std::vector<std::string>& input_lines) {
    std::string text;
    EXPECT_TRUE(write_title_and_headings(text, settings, input_lines, load_headings()));
    return text;
}

std::string lines_of(const std::string& first, int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) text += first + std::to_string(n) + "\n";
    return text;
}

TEST(Headings, HeadingLineByClassWithBuiltInHeadings) {
    TempInstall install;
    RecordingConsole screen;
    struct Case {
        const char* name;
        BuildSettings settings;
        std::vector<std::string> input_lines;
        std::string expected;
    };
    BuildSettings titled = with_headings();
    titled.first_line_title = "WHEAT AND BONDS";
    BuildSettings title_only;
    title_only.first_line_title = "JUST A TITLE";
    const Case cases[] = {
        {"placeholder filled by each line's tag", with_headings(), {"W__CLC 1,4", "BP_COT 16"},
         "Date,W_-Open,W_-Close,BP-CmNet\n"},
        {"no underscore gives ??", with_headings(), {"CLCDATA 2"}, "Date,?\?-High\n"},
        {"field 8 of CLC has no heading", with_headings(), {"SP_CLC 8,7"}, "Date,,SP-TotOI\n"},
        {"operator terms", with_headings(), {"W__CLC 4*100,1/ 2.123456,3^1"}, "Date,#4*100,#1/2.123,#3^1\n"},
        {"quoting: separators outside the quotes", with_headings('Y', 'T'), {"W__CLC 1,2"},
         "\"Date\"\t\"W_-Open\"\t\"W_-High\"\n"},
        {"ASCII columns lettered over the output", with_headings('N', 'S'),
         {"C:\\DATA\\PRICES.TXT 3,1", "US_CLC 4", "MINE.PRN 2*2,5"}, "Date A B US-Close #2*2 D\n"},
        {"index defaults; unknown field empty", with_headings(), {"B1_IDX 1,26,27", "X4_IDX 4"},
         "Date,B1-Fld1,B1-Fld26,,X4-Fld4\n"},
        {"an index outside the table named by its tag", with_headings(), {"DJ_IDX 4,1"}, "Date,DJ-Fld4,DJ-Fld1\n"},
        {"title then headings", titled, {"W__CLC 4"}, "WHEAT AND BONDS\nDate,W_-Close\n"},
        {"title without headings", title_only, {"W__CLC 4"}, "JUST A TITLE\n"},
        {"nothing asked", BuildSettings{}, {"W__CLC 4"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(heading_lines(c.settings, c.input_lines), c.expected);
    }
}

TEST(Headings, FieldListThatDoesNotParseStopsAfterItsMessage) {
    TempInstall install;
    RecordingConsole screen;
    std::string text;
    EXPECT_FALSE(write_title_and_headings(text, with_headings(), {"W__CLC 1", "BP_CLC"}, load_headings()));
    EXPECT_NE(screen.text().find("INVALID FILE/FIELD LINE DETECTED - BP_CLC"), std::string::npos);
}

TEST(Headings, HeadingFilesReplaceTheDefaultsOnlyWhenTheyFit) {
    TempInstall install;
    RecordingConsole screen;
    // Seven CLC lines (cut to 14) with the placeholder; 18 COT lines of at
    // least three characters (cut to 8), a short line not counting.
    install.write("CLC.HDG", "xX Opening Price\nXX High\nXX Low\nXX Close\nXX OI\nXX Volume\nXX All OI\n");
    install.write("COT.HDG", "XX\n" + lines_of("xxCotFld", 18));
    install.write("B2.HDG", lines_of("XX-Col", 16));
    EXPECT_EQ(heading_lines(with_headings(), {"W__CLC 1,6", "SP_COT 1,18", "B2_IDX 16"}),
              "Date,W_ Opening Pri,W_ Volume,SPCotFld,SPCotFld,B2-Col16\n");

    // An eighth CLC line, a 17th COT line and an index file of the wrong
    // length leave the built-in headings.
    install.write("CLC.HDG", lines_of("XX-Mine", 8));
    install.write("COT.HDG", lines_of("XX-Mine", 17));
    install.write("B2.HDG", lines_of("XX-Col", 17));
    EXPECT_EQ(heading_lines(with_headings(), {"W__CLC 1", "SP_COT 1", "B2_IDX 16"}),
              "Date,W_-Open,SP-CCotI,B2-Fld16\n");

    // Fewer than seven CLC lines name the first fields only; without "XX"
    // first, no tag is put in.
    install.write("CLC.HDG", "Open\nHigh\n");
    EXPECT_EQ(heading_lines(with_headings(), {"W__CLC 1,2,4"}), "Date,Open,High,XX-Close\n");
}

TEST(Headings, ColumnLetters) {
    const std::pair<int, const char*> cases[] = {{0, "A"},   {1, "B"},   {25, "Z"},   {26, "AA"},
                                                 {51, "AZ"}, {52, "BA"}, {701, "ZZ"}, {702, "AAA"}};
    for (const auto& [n, letters] : cases) EXPECT_EQ(column_letter(n), letters) << n;
}

TEST(Headings, MetastockStyleHeadingByTermCount) {
    TempInstall install;
    RecordingConsole screen;
    EXPECT_EQ(metastock_style_heading("W__CLC 4"), "DATE,CLOSE\n");
    EXPECT_EQ(metastock_style_heading("W__CLC 1,4"), "DATE,OPEN,CLOSE\n");
    EXPECT_EQ(metastock_style_heading("W__CLC 2 3,4"), "DATE,HIGH,LOW,CLOSE\n");
    EXPECT_EQ(metastock_style_heading("W__CLC 1,2,3,4,6,5"), "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI\n");
    EXPECT_THROW(metastock_style_heading("W__CLC 1,2,3,4,5,6,7"), ProgramEnd);
    EXPECT_NE(screen.text().find("\n\nCOUNT = 7\n\n"), std::string::npos);
}

TEST(Headings, Meta13MarkerIsFoundByItsPresence) {
    TempInstall install;
    EXPECT_FALSE(meta13_present());
    install.write("META13.TXT", "");
    EXPECT_TRUE(meta13_present());
}

}  // namespace
}  // namespace qv::builder
