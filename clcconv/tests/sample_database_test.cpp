// The CLC database of the sample installation, as make_clc_history writes it:
// a sound history that clcconv turns into ASCII and back without changing a byte.

#include "clcconv/clcconv.h"

#include "common/clc_file.h"
#include "common/contract_rule.h"
#include "common/platform/process.h"
#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"
#include "common/tool.h"
#include "sample/sample_install.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qv::clcconv {
namespace {

class SampleDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        sample::write_installation(install.root());
        const std::filesystem::path generator = std::filesystem::path(QV_BIN_DIR) / "make_clc_history";
        ASSERT_EQ(run_program(generator, {install.root().string()}), 0);
        table = load_tables(clcconv_profile.tables);
    }

    qv::testing::TempInstall install;
    CommodityTable table;
};

// Days ascend, no file begins with a roll-over record or has two in a row, and
// a roll-over record stands exactly where the contract rule changes contract.
TEST_F(SampleDatabase, RollOversAtTheRollDays) {
    for (const Commodity& commodity : table) {
        ClcReader reader;
        ASSERT_EQ(reader.open(clc_file_name(commodity.tag)), ClcReader::Status::ok) << commodity.tag;
        EXPECT_EQ(reader.price_width(), commodity.bytes);
        EXPECT_EQ(reader.header().precision, commodity.precision);
        ClcRecord r;
        DayNumber last_day = 0;
        bool roll_pending = false;
        int dated = 0, rolls = 0;
        Contract held;
        while (reader.read(r)) {
            if (r.is_roll_over()) {
                ASSERT_GT(last_day, 0) << commodity.tag << ": roll-over at the start or after another";
                ASSERT_FALSE(roll_pending) << commodity.tag;
                roll_pending = true;
                ++rolls;
                continue;
            }
            ASSERT_GT(r.day, last_day) << commodity.tag;
            ASSERT_TRUE(r.low <= r.open && r.open <= r.high && r.low <= r.close && r.close <= r.high)
                << commodity.tag << " on " << r.day;
            const Contract contract = contract_in_force(r.day, commodity);
            if (dated > 0) {
                EXPECT_EQ(roll_pending, contract != held) << commodity.tag << " on " << r.day;
            }
            held = contract;
            roll_pending = false;
            last_day = r.day;
            ++dated;
        }
        EXPECT_FALSE(reader.cut());
        EXPECT_GT(dated, 7000) << commodity.tag;  // three decades of trading days
        EXPECT_GT(rolls, 30) << commodity.tag;
        EXPECT_EQ(last_day, date_to_lotus(2020, 12, 4)) << commodity.tag;
    }
}

TEST_F(SampleDatabase, AsciiRoundTripGivesEveryFileBack) {
    qv::testing::RecordingConsole console;
    run({"/1"}, table);
    run({"/2"}, table);
    EXPECT_EQ(console.text().find("ERROR"), std::string::npos) << console.text();
    EXPECT_EQ(console.text().find("Zero price"), std::string::npos);
    for (const Commodity& commodity : table) {
        const std::string name = commodity.tag + "_CLC";
        const std::string original = install.read("CLC/" + name + ".QVT");
        ASSERT_GT(original.size(), clc_header_size) << commodity.tag;
        EXPECT_TRUE(install.read("CLC/TEMP/" + name + ".BIN") == original) << commodity.tag;
    }
}

}  // namespace
}  // namespace qv::clcconv
