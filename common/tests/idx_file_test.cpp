#include "common/idx_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/platform/files.h"
#include "common/testing/temp_install.h"

namespace qv {
namespace {

TEST(IdxFile, LineDateComesFromTheFirstEightCharacters) {
    struct Case {
        const char* line;
        DayNumber day;
    };
    const Case cases[] = {
        {"20201207 3123.45 3130.00 3110.20 3125.10\n", date_to_lotus(2020, 12, 7)},
        {"19991231,1.5", date_to_lotus(1999, 12, 31)},
        {"20201207", date_to_lotus(2020, 12, 7)},
        {"2020120", no_date},
        {"2020-12-07 1.0", no_date},
        {"20201307 1.0", no_date},
        {"\n", no_date},
    };
    for (const Case& c : cases) EXPECT_EQ(idx_line_day(c.line), c.day) << c.line;
}

// Lines of about 50 characters, one per day from 1 January 1990, up to at
// least `size` bytes.
std::string index_history(std::size_t size, DayNumber& last) {
    std::string content;
    for (DayNumber day = date_to_lotus(1990, 1, 1); content.size() < size; ++day) {
        const Date d = lotus_to_date(day);
        content += std::to_string(d.year * 10000 + d.month * 100 + d.day) + " 3123.45 3130.00 3110.20 3125.10\n";
        last = day;
    }
    return content;
}

TEST(IdxFile, LastLineOfSmallAndLargeFiles) {
    testing::TempInstall install;
    DayNumber last = 0;
    const std::string large = index_history(60000, last);
    struct Case {
        const char* what;
        std::string content;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"small", "20201204 1.0\n20201207 2.0\n", "20201207 2.0"},
        {"no line end at the end", "20201204 1.0\n20201207 2.0", "20201207 2.0"},
        {"carriage returns", "20201204 1.0\r\n20201207 2.0\r\n", "20201207 2.0"},
        {"empty", "", std::nullopt},
        {"large", large, large.substr(large.rfind('\n', large.size() - 2) + 1, 40)},
        // No line starts within the window: the whole file is read.
        {"last line longer than the window", large + std::string(900, 'y') + "\n", std::string(900, 'y')},
    };
    for (const Case& c : cases) {
        install.write("IDX/I1_IDX.QVT", c.content);
        EXPECT_EQ(last_idx_line(idx_file_name("I1")), c.line) << c.what;
    }
    install.write("IDX/I1_IDX.QVT", large);
    EXPECT_EQ(last_idx_date(idx_file_name("I1")), last);
    EXPECT_EQ(last_idx_date(idx_file_name("I2")), no_date);
}

TEST(IdxFile, LinesAreReadWholeAndWrittenWithTheirLineEnd) {
    testing::TempInstall install;
    const std::string long_line = "20201207" + std::string(300, '1');
    install.write("IDX/I1_IDX.QVT", long_line + "\n20201208 2.0");
    FilePtr file = open_file(idx_file_name("I1"), "rb");
    std::string line;
    ASSERT_TRUE(read_idx_line(file.get(), line));
    EXPECT_EQ(line, long_line + "\n");
    ASSERT_TRUE(read_idx_line(file.get(), line));
    EXPECT_EQ(line, "20201208 2.0");
    EXPECT_FALSE(read_idx_line(file.get(), line));
    file.reset();

    FilePtr out = open_file(idx_file_name("I2"), "wb");
    EXPECT_TRUE(write_idx_line(out.get(), "20201207 1.0"));
    EXPECT_TRUE(write_idx_line(out.get(), "20201208 2.0\n"));
    out.reset();
    EXPECT_EQ(install.read("IDX/I2_IDX.QVT"), "20201207 1.0\n20201208 2.0\n");
}

}  // namespace
}  // namespace qv
