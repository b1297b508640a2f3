#include "builder/broadcast_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

TEST(BroadcastList, RecordsEachBuildFileOnce) {
    struct Case {
        const char* name;
        std::optional<std::string> list;  // nothing: no BCAST.TXT yet
        const char* build_file;
        std::string after;
    };
    const Case cases[] = {
        {"a missing list is made", std::nullopt, "$GOLD", "$GOLD\n"},
        {"a new name is appended in upper case", "$WHEAT\n", "$gold", "$WHEAT\n$GOLD\n"},
        {"a name already listed in another case is not", "$WHEAT\n$Gold\n", "$GOLD", "$WHEAT\n$Gold\n"},
        {"a listed name on an unended last line is not", "$WHEAT\n$GOLD", "$gold", "$WHEAT\n$GOLD"},
        {"an unended last line keeps its name whole", "$WHEAT", "$GOLD", "$WHEAT\n$GOLD\n"},
        {"COT builds are not broadcast", "$WHEAT\n", "$MYCOTS", "$WHEAT\n"},
        {"nor are COT builds in lower case", std::nullopt, "$cot1", ""},
        {"nor the relinking list", "$WHEAT\n", "$roll", "$WHEAT\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempInstall install;
        if (c.list) install.write("BCAST.TXT", *c.list);
        RecordingConsole screen;
        record_in_broadcast_list(c.build_file);
        const bool exists = std::filesystem::exists(install.path("BCAST.TXT"));
        EXPECT_EQ(exists ? install.read("BCAST.TXT") : "", c.after);
        EXPECT_EQ(screen.text(), "");
    }
}

TEST(BroadcastList, AListThatCannotBeWrittenIsBypassedWithAMessage) {
    TempInstall install;
    std::filesystem::create_directories(install.path("BCAST.TXT"));
    RecordingConsole screen;
    record_in_broadcast_list("$GOLD");
    EXPECT_NE(screen.text().find("ERROR-CAN'T OPEN 'BCAST' FILE, BYPASSING"), std::string::npos) << screen.text();
}

}  // namespace
}  // namespace qv::builder
