#include "sample/sample_install.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace qv::sample {
namespace {

std::vector<std::string> holiday_lines_ending(std::string_view year_and_century) {
    std::vector<std::string> lines;
    std::istringstream in(holidays_qvt());
    for (std::string line; std::getline(in, line);)
        if (line.size() == 11 && line.substr(6) == year_and_century) lines.push_back(line);
    return lines;
}

// The exchanges' own calendars for a few years: weekend holidays moved to the
// Friday before or the Monday after, a Saturday New Year not moved back into
// December, Martin Luther King Day only from 1998.
TEST(SampleHolidays, FollowTheExchangeCalendar) {
    const std::vector<std::string> y2020 = {"01/01/20 20", "01/20/20 20", "02/17/20 20", "04/10/20 20", "05/25/20 20",
                                            "07/03/20 20", "09/07/20 20", "11/26/20 20", "12/25/20 20"};
    const std::vector<std::string> y2022 = {"01/17/22 20", "02/21/22 20", "04/15/22 20", "05/30/22 20",
                                            "07/04/22 20", "09/05/22 20", "11/24/22 20", "12/26/22 20"};
    const std::vector<std::string> y1997 = {"01/01/97 19", "02/17/97 19", "03/28/97 19", "05/26/97 19",
                                            "07/04/97 19", "09/01/97 19", "11/27/97 19", "12/25/97 19"};
    EXPECT_EQ(holiday_lines_ending("20 20"), y2020);
    EXPECT_EQ(holiday_lines_ending("22 20"), y2022);
    EXPECT_EQ(holiday_lines_ending("97 19"), y1997);
    EXPECT_EQ(holiday_lines_ending("98 19").at(1), "01/19/98 19");
}

TEST(SampleHolidays, RunAscendingFrom1970To2030) {
    std::istringstream in(holidays_qvt());
    std::string line, previous;
    std::string first;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.size(), 11u) << line;
        const std::string key = line.substr(9, 2) + line.substr(6, 2) + line.substr(0, 2) + line.substr(3, 2);
        if (first.empty()) first = line;
        EXPECT_LT(previous, key) << line;
        previous = key;
    }
    EXPECT_EQ(first, "01/01/70 19");
    EXPECT_EQ(previous, "20301225");
}

}  // namespace
}  // namespace qv::sample
