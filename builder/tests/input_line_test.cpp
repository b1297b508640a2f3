#include "builder/input_line.h"

#include <gtest/gtest.h>

#include <string>

#include "common/testing/recording_console.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;

TEST(InputLine, SeriesClassIsTheFirstNameFoundFromTheLeft) {
    struct Case {
        const char* series;
        SeriesClass found;
    };
    const Case cases[] = {
        {"BP_COT", SeriesClass::cot},        {"W_CLC", SeriesClass::clc},      {"w_clc", SeriesClass::clc},
        {"SPX_IDX", SeriesClass::idx},       {"PRICES.ASC", SeriesClass::asc}, {"C:\\DATA\\MINE.TXT", SeriesClass::asc},
        {"XCLCOT", SeriesClass::clc},        {"COTCLC", SeriesClass::cot},     {"CL", SeriesClass::asc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.series);
        EXPECT_EQ(find_series_class(c.series), c.found);
    }
}

TEST(InputLine, ClcTagStandsBeforeTheUnderscore) {
    EXPECT_EQ(clc_tag("BP_CLC"), "BP");
    EXPECT_EQ(clc_tag("W__CLC"), "W_");
    EXPECT_EQ(clc_tag("W_CLC"), std::nullopt);  // one character before it: no tag
    EXPECT_EQ(clc_tag("C:\\QUORVANT\\CLC\\SP_CLC.QVT"), "SP");
    EXPECT_EQ(clc_tag("CLC"), std::nullopt);
}

TEST(InputLine, CheckShowsWhatIsWrongAndWhere) {
    struct Case {
        std::string line;
        std::string shown;  // empty: the line is sound
    };
    const Case cases[] = {
        {"W_CLC 1,2,3,4", ""},
        {"W_CLC 1 2 3 4", ""},
        {"W_CLC,1, 2 ,,3", ""},
        {"W_CLC 4*100,4^ 1,2/.5,3+1.,1-2", ""},
        {"BP_COT 18", ""},
        {"SPX_IDX 99", ""},
        {"C:\\DATA\\MINE.TXT 250", ""},
        {"W_CLC", "NO FIELDS SPECIFIED FOR THIS FILE\n              (W_CLC)"},
        {"W_CLC 9", "9 IS AN INVALID FIELD NUMBER\n              (W_CLC 9)"},
        {"W_CLC 1,0", "0 IS AN INVALID FIELD NUMBER"},
        {"BP_COT 19", "19 IS AN INVALID FIELD NUMBER"},
        {"SPX_IDX 100", "100 IS AN INVALID FIELD NUMBER"},
        {"W_CLC 1,2;3", "INVALID CHARACTER AT POSITION 10 ON LINE\n              (W_CLC 1,2;3)"},
        {"W_CLC 1 2 X", "INVALID CHARACTER AT POSITION 11 ON LINE"},
        {"W_CLC 4**2", "INVALID CHARACTER AT POSITION 9 ON LINE"},
        {"W_CLC 4 *2", "INVALID CHARACTER AT POSITION 9 ON LINE"},
        {"W_CLC 4.5", "INVALID CHARACTER AT POSITION 8 ON LINE"},
        {"W_CLC 4*1.2.3", "INVALID CHARACTER AT POSITION 12 ON LINE"},
        {"W_CLC 4*.", "INVALID CHARACTER AT POSITION 9 ON LINE"},
        {"W_CLC 4*" + std::string(20, '1'), "INVALID CHARACTER AT POSITION 28 ON LINE"},
        {"W_CLC 1,2,", "THIS LINE DOESN'T END WITH A NUMBER?\n              (W_CLC 1,2,)"},
        {"W_CLC *4", "FIRST FIELD IN THIS LINE IS NOT A NUMBER?"},
        {"W_CLC .5", "FIRST FIELD IN THIS LINE IS NOT A NUMBER?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RecordingConsole screen;
        EXPECT_EQ(check_input_line(c.line), c.shown.empty() ? 0 : 1);
        if (c.shown.empty()) {
            EXPECT_EQ(screen.text(), "");
        } else {
            EXPECT_NE(screen.text().find(c.shown), std::string::npos) << screen.text();
        }
    }
}

TEST(FieldList, TermsInOrderWithTheirOperators) {
    RecordingConsole screen;
    const auto input = parse_field_list("W_CLC 4*100, 4^1 2/ .5,1");
    ASSERT_TRUE(input);
    EXPECT_EQ(input->series, "W_CLC");
    EXPECT_EQ(input->series_class, SeriesClass::clc);
    const std::vector<FieldTerm> expected{{4, '*', "100"}, {4, '^', "1"}, {2, '/', ".5"}, {1, '\0', ""}};
    EXPECT_EQ(input->terms, expected);
    EXPECT_EQ(screen.text(), "");
}

// Every line the check passes is built as checked: blanks separate terms as
// commas do.
TEST(FieldList, BlanksAndCommasSeparateAlike) {
    RecordingConsole screen;
    const auto commas = parse_field_list("W_CLC 1,2,3,4");
    const auto blanks = parse_field_list("W_CLC 1 2 3 4");
    ASSERT_TRUE(commas && blanks);
    EXPECT_EQ(commas->terms, blanks->terms);
    EXPECT_EQ(commas->terms.size(), 4u);
}

TEST(FieldList, ABrokenLineOrTooManyTermsIsShown) {
    {
        RecordingConsole screen;
        EXPECT_FALSE(parse_field_list("W_CLC 1;2"));
        EXPECT_NE(screen.text().find("INVALID FILE/FIELD LINE DETECTED - W_CLC 1;2"), std::string::npos);
    }
    std::string line = "MINE.TXT";
    for (int i = 0; i < 90; ++i) line += " 1";
    {
        RecordingConsole screen;
        EXPECT_EQ(parse_field_list(line)->terms.size(), 90u);
    }
    RecordingConsole screen;
    EXPECT_FALSE(parse_field_list(line + " 1"));
    EXPECT_NE(screen.text().find("ERROR-NUMBER OF FIELDS EXCEEDS = 90"), std::string::npos);
}

}  // namespace
}  // namespace qv::builder
