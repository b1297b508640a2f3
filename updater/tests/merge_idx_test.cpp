#include "updater/merge_idx.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/testing/recording_console.h"
#include "common/platform/text.h"
#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

class MergeIdxTest : public ::testing::Test {
protected:
    // The installation's database folder.
    void SetUp() override { std::filesystem::create_directories(install_.path("IDX")); }
    static std::string path(std::string_view tag) { return "IDX/" + std::string(tag) + "_IDX.QVT"; }
    void store(std::string_view tag, std::string_view content) { install_.write(path(tag), content); }
    std::string stored(std::string_view tag) const { return install_.read(path(tag)); }
    bool has(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }
    int merge(std::string_view lines) {
        install_.write("UPDATES/DU201208.IDX", "DU201208.IDX\n" + std::string(lines));
        return merge_idx(state_, "DU201208.IDX");
    }
    std::string messages() const { return has("QUORUP.MSG") ? install_.read("QUORUP.MSG") : ""; }

    testing::TempInstall install_;
    testing::RecordingConsole console_;
    UpdaterState state_ = testing::updater_state({});
};

constexpr std::string_view three_days =
    "20201203 3123.45 3130.00 3110.20 3125.10\n"
    "20201204 3125.10 3140.00 3120.00 3138.75\n"
    "20201207 3138.75 3150.00 3130.00 3145.00\n";

// Lines of about 50 characters, one per day up to 4 December 2020, of at
// least 60000 bytes together.
std::string long_history() {
    std::vector<std::string> lines;
    std::size_t size = 0;
    for (DayNumber d = testing::day(2020, 12, 4); size < 60000; --d) {
        const Date date = lotus_to_date(d);
        lines.push_back(format("%04d%02d%02d 3123.45 3130.00 3110.20 3125.10\n", date.year, date.month, date.day));
        size += lines.back().size();
    }
    std::string content;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) content += *line;
    return content;
}

TEST_F(MergeIdxTest, LinesAfterTheLastDayOfALargeFileAreAppendedInPlace) {
    const std::string history = long_history();
    ASSERT_GT(history.size(), 60000u);
    store("I1", history);
    // A second name for the file sees what is done to this file, and keeps the
    // old content if the file is replaced by another one instead.
    std::filesystem::create_hard_link(install_.path(path("I1")), install_.path("IDX/LINK.QVT"));
    // Date-only lines are left out; a short line of another tag is passed over.
    EXPECT_EQ(merge("I1 201207 3145.00 3150.00\nI1 201208\nX\nI1 201209 3150.00 3160.00\n"), 0);
    const std::string expected = history + "20201207 3145.00 3150.00\n20201209 3150.00 3160.00\n";
    EXPECT_EQ(stored("I1"), expected);
    EXPECT_EQ(install_.read("IDX/LINK.QVT"), expected);
    EXPECT_FALSE(has("IDX/TEMP_IDX.QVT"));
    EXPECT_EQ(messages(), "");
}

TEST_F(MergeIdxTest, AppendingToALastLineWithoutItsLineEndEndsThatLineFirst) {
    store("I1", "20201204 3125.10 3140.00 3120.00 3138.75");
    EXPECT_EQ(merge("I1 201207 3145.00 3150.00\n"), 0);
    EXPECT_EQ(stored("I1"), "20201204 3125.10 3140.00 3120.00 3138.75\n20201207 3145.00 3150.00\n");
}

TEST_F(MergeIdxTest, StoredDaysAreReplacedDeletedOrJoinedInDateOrder) {
    const std::string day3 = "20201203 3123.45 3130.00 3110.20 3125.10\n";
    const std::string day4 = "20201204 3125.10 3140.00 3120.00 3138.75\n";
    const std::string day7 = "20201207 3138.75 3150.00 3130.00 3145.00\n";
    struct Case {
        const char* what;
        std::string lines;
        std::string result;
    };
    const Case cases[] = {
        {"a stored day replaced", "I1 201204 1.0 2.0\n", day3 + "20201204 1.0 2.0\n" + day7},
        {"a stored day deleted", "I1 201204\n", day3 + day7},
        {"a date-only line for a day not stored", "I1 201205\n", std::string(three_days)},
        {"days before, between and on the last", "I1 201202 1.0 2.0\nI1 201206 3.0 4.0\nI1 201207 5.0 6.0\n",
         "20201202 1.0 2.0\n" + day3 + day4 + "20201206 3.0 4.0\n20201207 5.0 6.0\n"},
        // Such a line is passed over, tag and date run together or two blanks.
        {"a tag without its single blank", "I1201204 1.0 2.0\nI1  201204 1.0 2.0\nI1 201204\n", day3 + day7},
    };
    for (const Case& c : cases) {
        store("I1", three_days);
        EXPECT_EQ(merge(c.lines), 0) << c.what;
        EXPECT_EQ(stored("I1"), c.result) << c.what;
        EXPECT_FALSE(has("IDX/TEMP_IDX.QVT")) << c.what;
    }
    EXPECT_EQ(messages(), "");
}

TEST_F(MergeIdxTest, StoredLinesWithoutADateKeepTheirPlace) {
    store("I1", "20201203 1.0\n\n20201207 2.0");
    EXPECT_EQ(merge("I1 201204 3.0\n"), 0);
    EXPECT_EQ(stored("I1"), "20201203 1.0\n\n20201204 3.0\n20201207 2.0\n");
}

TEST_F(MergeIdxTest, ATagWithoutAFileGetsOneWithFourDigitYears) {
    // Tags are not looked up in the commodity table; years 0 to 29 are 20YY, others 19YY.
    EXPECT_EQ(merge("Q9 991231 1.0\nQ9 000103 2.0\nQ9 000104\nQ9 291231 3.0\nQ9 301231 4.0\n"), 0);
    EXPECT_EQ(stored("Q9"), "19991231 1.0\n20000103 2.0\n20291231 3.0\n19301231 4.0\n");
}

TEST_F(MergeIdxTest, ALongRunOfUnusableLinesEndsTheMerge) {
    struct Case {
        int unusable;
        bool merged;
    };
    for (const Case c : {Case{51, true}, Case{52, false}}) {
        std::string lines = "I1 201208 1.0\n";
        for (int i = 0; i < c.unusable; ++i) lines += i % 2 ? "12 201208 1.0\n" : "I2\n";
        lines += "I2 201208 2.0\n";
        std::filesystem::remove(install_.path(path("I2")));
        EXPECT_EQ(merge(lines), 0) << c.unusable;
        EXPECT_EQ(has(path("I2")), c.merged) << c.unusable;
    }
    EXPECT_EQ(stored("I1"), "20201208 1.0\n");
}

TEST_F(MergeIdxTest, ALineThatDoesNotReadFailsTheMergeAndLeavesTheFileAsItWas) {
    const std::string history = long_history();
    struct Case {
        const char* what;
        std::string content;
        std::string lines;
    };
    const Case cases[] = {
        {"while appending", history, "I1 201207 1.0\nI1 201308 2.0\n"},
        {"while rewriting", std::string(three_days), "I1 201204 1.0\nI1 201308 2.0\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(install_.path("QUORUP.MSG"));
        store("I1", c.content);
        EXPECT_EQ(merge(c.lines), -1) << c.what;
        EXPECT_EQ(stored("I1"), c.content) << c.what;
        EXPECT_EQ(messages(), " IDX UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 13/8/2020\n\n") << c.what;
        EXPECT_FALSE(has("IDX/TEMP_IDX.QVT")) << c.what;
    }
}

TEST_F(MergeIdxTest, ALeftoverWorkFileIsDeletedFirst) {
    install_.write("IDX/TEMP_IDX.QVT", "left over");
    EXPECT_EQ(merge(""), 0);
    EXPECT_FALSE(has("IDX/TEMP_IDX.QVT"));
}

}  // namespace
}  // namespace qv::updater
