#include <gtest/gtest.h>
#include <unistd.h>

#include "script_host.h"

namespace qsl::testing {
int ScriptHost::getpid_() { return int(::getpid()); }
}  // namespace qsl::testing

using qsl::testing::ScriptHost;

TEST(Smoke, AssignsAVariable) {
    ScriptHost host;
    EXPECT_EQ(host.run("a = 1 + 2\nb = \"x\"\n"), 0);
    EXPECT_EQ(host.var("a"), "3");
    EXPECT_EQ(host.var("b"), "x");
}
