// The updater's merge of a mixed update folder with the real merges: IDX files
// first, then CLC, then COT, each kind oldest first, and a failure in one kind
// leaves the files of the later kinds waiting under their received names.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/cot_file.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"
#include "updater/run.h"
#include "updater/tests/fixture.h"

namespace qv::updater {
namespace {

using testing::clc_bytes;
using testing::record;

class MergeOrder : public ::testing::Test {
protected:
    MergeOrder() : install_("2020-12-09") {}

    void SetUp() override {
        install_.write("CLC/C__CLC.QVT", corn_);
        install_.write("IDX/I1_IDX.QVT", "20201203 3123.45 3130.00 3110.20 3125.10\n");
    }
    void add(std::string_view name, std::string_view lines) {
        install_.write("UPDATES/" + std::string(name), std::string(name) + "\n" + std::string(lines));
    }
    bool has(std::string_view relative) const { return std::filesystem::exists(install_.path(relative)); }
    void run() {
        run_updater([](std::string_view) {});
    }
    // This run's lines of the message file, after its dated header.
    std::string messages() const {
        const std::string all = install_.read("QUORUP.MSG");
        return all.substr(all.find("\n\n\n") + 3);
    }

    testing::SampleInstall install_;
    testing::RecordingConsole screen_;
    const std::string corn_ = clc_bytes("C_", 2, 3, {record(testing::day(2020, 12, 4), 42100)});
};

constexpr std::string_view corn_monday = "C_ 201207 421.50 425.00 420.25 424.75 1000 2000 3000\n";
constexpr std::string_view sp_report = "SP 201208 1 2 3 4 5 6 7 8 9 10 11\n";

TEST_F(MergeOrder, IdxThenClcThenCotEachOldestFirst) {
    add("DU201208.COT", sp_report);
    add("DU201207.CLC", corn_monday);
    add("DU201208.IDX", "I1 201208 3150.00 3160.00\n");
    add("DU201207.IDX", "I1 201207 3145.00 3150.00\n");
    run();
    EXPECT_EQ(messages(),
              "DU201207.IDX MERGED O.K.\nDU201208.IDX MERGED O.K.\nDU201207.CLC MERGED O.K.\n"
              "DU201208.COT MERGED O.K.\n");
    for (const char* name : {"D_201207.IDX", "D_201208.IDX", "D_201207.CLC", "D_201208.COT"})
        EXPECT_TRUE(has(std::string("UPDATES/") + name)) << name;
    EXPECT_EQ(install_.read("IDX/I1_IDX.QVT"),
              "20201203 3123.45 3130.00 3110.20 3125.10\n20201207 3145.00 3150.00\n20201208 3150.00 3160.00\n");
    EXPECT_GT(install_.read("CLC/C__CLC.QVT").size(), corn_.size());
    EXPECT_EQ(install_.read("COT/SP_COT.QVT").size(), cot_record_size);
}

TEST_F(MergeOrder, AFailedKindStopsTheKindsAfterIt) {
    struct Case {
        const char* what;
        std::string idx_lines;
        std::string clc_lines;
        std::string messages;
        std::vector<std::string> names_after;
    };
    const Case cases[] = {
        {"CLC fails", "I1 201207 3145.00 3150.00\n", "C_ 201207 1 2 3\n",
         "DU201207.IDX MERGED O.K.\n CLC UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 12/7/2020\n\n"
         "DU201207.CLC ******  MERGE PROBLEM  ******\n",
         {"D_201207.IDX", "DU201207.CLC", "DU201208.COT"}},
        {"IDX fails", "I1 201307 3145.00\n", std::string(corn_monday),
         " IDX UPDATE LINE OF DATA OUT OF SYNC,\nDATE = 13/7/2020\n\nDU201207.IDX ******  MERGE PROBLEM  ******\n",
         {"DU201207.IDX", "DU201207.CLC", "DU201208.COT"}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(install_.path("UPDATES"));
        std::filesystem::remove(install_.path("QUORUP.MSG"));
        add("DU201207.IDX", c.idx_lines);
        add("DU201207.CLC", c.clc_lines);
        add("DU201208.COT", sp_report);
        run();
        EXPECT_EQ(messages(), c.messages) << c.what;
        for (const std::string& name : c.names_after) EXPECT_TRUE(has("UPDATES/" + name)) << c.what << name;
        EXPECT_EQ(install_.read("CLC/C__CLC.QVT"), corn_) << c.what;
        EXPECT_FALSE(has("COT/SP_COT.QVT")) << c.what;
    }
}

}  // namespace
}  // namespace qv::updater
