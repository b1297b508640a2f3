#include "common/text.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(Text, FormatsLikePrintf) {
    EXPECT_EQ(format("ERROR-LINE %d IN TABLE %s INVALID", 3, "roll_day"), "ERROR-LINE 3 IN TABLE roll_day INVALID");
    EXPECT_EQ(format("%02d/%02d/%04d", 1, 2, 1995), "01/02/1995");
}

TEST(Text, ComparesWithoutCase) {
    EXPECT_TRUE(equal_no_case("[NUMCOM]", "[numcom]"));
    EXPECT_TRUE(starts_with_no_case("[NumCom] = 95", "[numcom"));
    EXPECT_FALSE(starts_with_no_case("[num", "[numcom"));
    EXPECT_EQ(to_upper("w_ wheat"), "W_ WHEAT");
}

}  // namespace
}  // namespace qv
