#include "distributor/computrac.h"

#include <gtest/gtest.h>

#include <string>

#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

Commodity row(const char* tag, int compu_trac) {
    Commodity commodity;
    commodity.tag = tag;
    commodity.compu_trac = static_cast<std::int16_t>(compu_trac);
    return commodity;
}

// The console shows a message's text up to its "@" and the rest after it,
// whether on one line or on the warning screen's two.
bool shows(const std::string& screen, std::string_view message) {
    const auto at = message.find('@');
    const auto first = screen.find(message.substr(0, at));
    if (first == std::string::npos || at == std::string_view::npos) return first != std::string::npos;
    return screen.find(message.substr(at + 1), first + at) != std::string::npos;
}

TEST(Computrac, OverridesUpToTheFirstBadLine) {
    const struct Case {
        const char* file;
        int bp;
        int w;
        const char* warning;     // empty: none
        const char* value = "";  // shown after the warning
    } cases[] = {
        {"BP = 4\nW_=-7\n", 4, -7, ""},
        {"\n  \nbp = 1000\r\nW_ = 100\n", 1000, 100, ""},
        {"BP = 4\nXX = 3\nW_ = 2\n", 4, 1,
         "ERROR-unknown commodity tag in your COMPUTRC file,@example of format is BP = 4 or W_ = 2 "},
        {"BP = 5\nW_ 2\n", 5, 1, "ERROR-equal sign missing in your COMPUTRC file "},
        {"BP = 3\nW_ = 9\nBP = 1\n", 3, 1, "ERROR-you specified invalid COMPUTRC value = ", "9"},
        {"W_ = -8\n", 2, 1, "ERROR-you specified invalid COMPUTRC value = ", "-8"},
        // A value that is no number is not taken as 0.
        {"BP = ABC\n", 2, 1, "ERROR-you specified invalid COMPUTRC value = ABC"},
        {"BP = 4.5\n", 2, 1, "ERROR-you specified invalid COMPUTRC value = 4.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempInstall install;
        RecordingConsole screen;
        install.write("COMPUTRC", c.file);
        CommodityTable commodities{{row("BP", 2), row("W_", 1)}};
        change_comptrac_array(commodities);
        EXPECT_EQ(commodities[0].compu_trac, c.bp);
        EXPECT_EQ(commodities[1].compu_trac, c.w);
        const std::string shown = screen.text();
        if (*c.warning) {
            EXPECT_TRUE(shows(shown, c.warning)) << shown;
            EXPECT_NE(shown.find(c.value, shown.find("COMPUTRC")), std::string::npos) << shown;
        } else
            EXPECT_EQ(screen.text(), "");
    }
}

TEST(Computrac, MissingFileChangesNothing) {
    TempInstall install;
    RecordingConsole screen;
    CommodityTable commodities{{row("BP", 2)}};
    change_comptrac_array(commodities);
    EXPECT_EQ(commodities[0].compu_trac, 2);
    EXPECT_EQ(screen.text(), "");
}

}  // namespace
}  // namespace qv::distributor
