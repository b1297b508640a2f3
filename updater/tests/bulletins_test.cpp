#include "updater/bulletins.h"

#include <gtest/gtest.h>

#include <string>

#include "updater/tests/fixture.h"

namespace qv {
namespace {

class Bulletins : public ::testing::Test {
protected:
    Bulletins() : state_(testing::updater_state({testing::commodity("BP", 4, 2)})) {
        std::filesystem::create_directories(install_.path("BULLETIN"));
    }
    static std::string numbered_lines(int count) {
        std::string lines;
        for (int i = 1; i <= count; ++i) lines += "NOTICE LINE " + std::to_string(i) + "\n";
        return lines;
    }
    bool has(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }

    testing::TempInstall install_;
    UpdaterState state_;
};

TEST_F(Bulletins, ABulletinIsTakenOutOnceAndAtMostTwentyLines) {
    struct Case {
        const char* what;
        std::string update;
        std::string bulletin;  // empty: no bulletin file
    };
    const Case cases[] = {
        {"three lines", "DU201207.CLC\n$\n" + numbered_lines(3) + "$\nBP 201207 1 1 1 1 1 1 1\n", numbered_lines(3)},
        {"25 lines", "DU201207.CLC\n$ NEWS\n" + numbered_lines(25) + "$\n", numbered_lines(20)},
        {"a line end supplied", "DU201207.CLC\n$\nLAST", "LAST\n"},
        {"no bulletin", "DU201207.CLC\nBP 201207 1 1 1 1 1 1 1\n$\nX\n$\n", ""},
        {"a header that names no proper file", "DU2012/7.CLC\n$\nX\n$\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(install_.path("BULLETIN/BU201207.CLC"));
        install_.write("UPDATES/DU201207.CLC", c.update);
        extract_bulletin(state_, "DU201207.CLC");
        EXPECT_EQ(has("BULLETIN/BU201207.CLC"), !c.bulletin.empty());
        if (!c.bulletin.empty()) {
            EXPECT_EQ(install_.read("BULLETIN/BU201207.CLC"), c.bulletin);
        }
    }
}

// An empty bulletin file is what a run killed, or stopped by a full disk,
// while it extracted the bulletin may have left: it counts as not extracted,
// shown or not, and the bulletin is taken out again.
TEST_F(Bulletins, AnEmptyBulletinFileIsExtractedAgain) {
    install_.write("UPDATES/DU201207.CLC", "DU201207.CLC\n$\nNEW TEXT\n$\n");
    for (const char* earlier : {"BULLETIN/BU201207.CLC", "BULLETIN/B_201207.CLC"}) {
        SCOPED_TRACE(earlier);
        std::filesystem::remove_all(install_.path("BULLETIN"));
        install_.write(earlier, "");
        extract_bulletin(state_, "DU201207.CLC");
        EXPECT_EQ(install_.read("BULLETIN/BU201207.CLC"), "NEW TEXT\n");
        EXPECT_FALSE(has("BULLETIN/B_201207.CLC"));
    }
}

// The same update file is merged again after a failure: its bulletin is not
// taken again, shown or not.
TEST_F(Bulletins, ABulletinExtractedBeforeIsNotTakenAgain) {
    install_.write("UPDATES/DU201207.CLC", "DU201207.CLC\n$\nNEW TEXT\n$\n");
    for (const char* earlier : {"BULLETIN/BU201207.CLC", "BULLETIN/B_201207.CLC"}) {
        SCOPED_TRACE(earlier);
        std::filesystem::remove_all(install_.path("BULLETIN"));
        install_.write(earlier, "OLD TEXT\n");
        extract_bulletin(state_, "DU201207.CLC");
        EXPECT_EQ(install_.read(earlier), "OLD TEXT\n");
        const auto files = std::distance(std::filesystem::directory_iterator(install_.path("BULLETIN")),
                                         std::filesystem::directory_iterator());
        EXPECT_EQ(files, 1);
    }
}

TEST_F(Bulletins, WaitingBulletinsAreCopiedIntoTheMessageFileAndMarkedShown) {
    install_.write("QUORUP.MSG", "HEADER\n");
    install_.write("BULLETIN/BU201204.CLC", "FIRST NOTICE\nSECOND LINE\n");
    install_.write("BULLETIN/BU201207.COT", "OTHER NOTICE\r\n");
    install_.write("BULLETIN/B_201130.CLC", "SHOWN BEFORE\n");
    show_bulletins(state_);
    EXPECT_EQ(install_.read("QUORUP.MSG"), "HEADER\n\nFIRST NOTICE\nSECOND LINE\n\nOTHER NOTICE\n");
    EXPECT_TRUE(has("BULLETIN/B_201204.CLC"));
    EXPECT_TRUE(has("BULLETIN/B_201207.COT"));
    EXPECT_FALSE(has("BULLETIN/BU201204.CLC"));
    EXPECT_FALSE(has("BULLETIN/BU201207.COT"));
}

}  // namespace
}  // namespace qv
