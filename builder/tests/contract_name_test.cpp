#include "builder/contract_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clc_file.h"
#include "common/platform/files.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

class ContractName : public ::testing::Test {
protected:
    void SetUp() override {
        Commodity sp;
        sp.tag = "SP";
        sp.precision = 2;
        sp.bytes = 3;
        sp.roll_day = 15;
        sp.all_tag = "-HHHMMMUUUZZZ";
        table = CommodityTable({sp});
        // The last record is on 20 March 2014: past the roll, in June.
        ASSERT_TRUE(create_folders("\\QUORVANT\\CLC"));
        ClcWriter writer;
        ASSERT_TRUE(writer.create(clc_file_name("SP"), make_clc_header("SP", 2, 3)));
        ClcRecord record;
        record.day = date_to_lotus(2014, 3, 10);
        writer.write(record);
        record.day = date_to_lotus(2014, 3, 20);
        writer.write(record);
        ASSERT_TRUE(writer.finish());
    }

    int substitute(std::string& name, const std::vector<std::string>& lines, bool& substituted) {
        const BuildContext context{settings, table, holidays};
        return substitute_contract_into_name(name, lines, context, substituted);
    }

    RecordingConsole screen;
    TempInstall install;
    CommodityTable table;
    BuildSettings settings;
    HolidayTable holidays;
    const std::vector<std::string> clc_lines = {"SPX_IDX 1", "SP_CLC 1,2,3,4"};
};

TEST_F(ContractName, MonthAndYearInTheFileName) {
    struct Case {
        std::string ending_date;
        std::string pattern;
        std::string name;
    };
    const Case cases[] = {
        {"12/30/2049", "C:\\OUT\\SP&&&%%.TXT", "C:\\OUT\\SPJUN14.TXT"},
        {"03/10/2014", "C:\\OUT\\SP&&&%%.TXT", "C:\\OUT\\SPMAR14.TXT"},  // the ending date comes first
        {"12/30/2049", "SP&&-%%%%.TXT", "SP06-2014.TXT"},
        {"12/30/2049", "SP&%.TXT", "SPM4.TXT"},
        {"12/30/2049", "SP&%.&&&&", "SP&4.&JUN"},  // only the last run of each, at most three months
        {"12/30/2049", "SP%%%.TXT", "SP%14.TXT"},
        {"12/30/2049", "\\D&%\\SP&.TXT", "\\D&%\\SPM.TXT"},  // the folder keeps its characters
        {"12/30/2049", "SP%.TXT", "SP4.TXT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern + " to " + c.ending_date);
        settings.ending_date = c.ending_date;
        std::string name = c.pattern;
        bool substituted = false;
        EXPECT_EQ(substitute(name, clc_lines, substituted), 0);
        EXPECT_EQ(name, c.name);
        EXPECT_TRUE(substituted);
    }
}

TEST_F(ContractName, OtherSubstitutionCharacters) {
    settings.month_substitution = '!';
    settings.year_substitution = '@';
    std::string name = "SP!!!&@@.TXT";
    bool substituted = false;
    EXPECT_EQ(substitute(name, clc_lines, substituted), 0);
    EXPECT_EQ(name, "SPJUN&14.TXT");
}

TEST_F(ContractName, NothingToPutIn) {
    bool substituted = true;
    std::string name = "C:\\OUT\\SP.TXT";
    EXPECT_EQ(substitute(name, clc_lines, substituted), 0);
    EXPECT_EQ(name, "C:\\OUT\\SP.TXT");
    EXPECT_FALSE(substituted);

    // Without a CLC input the characters stay, even equal ones.
    settings.year_substitution = '&';
    name = "SP&&&.TXT";
    EXPECT_EQ(substitute(name, {"SPX_IDX 1"}, substituted), 0);
    EXPECT_EQ(name, "SP&&&.TXT");
    EXPECT_FALSE(substituted);
    EXPECT_TRUE(screen.text().empty());
}

TEST_F(ContractName, Refusals) {
    bool substituted = true;
    settings.year_substitution = '&';
    std::string name = "SP&&&.TXT";
    EXPECT_EQ(substitute(name, clc_lines, substituted), -1);
    EXPECT_NE(screen.text().find("ERROR-month and year substitution characters"), std::string::npos);
    EXPECT_FALSE(substituted);

    // A commodity the table lacks: a warning, and the name stays.
    settings.year_substitution = '%';
    screen.clear();
    name = "XX&&&%%.TXT";
    EXPECT_EQ(substitute(name, {"XX_CLC 1"}, substituted), 0);
    EXPECT_EQ(name, "XX&&&%%.TXT");
    EXPECT_FALSE(substituted);
    EXPECT_NE(screen.text().find("WARNING-no CLC input file specified"), std::string::npos);

    // The commodity's CLC file is missing: no name, so nothing is built.
    ASSERT_TRUE(delete_file(clc_file_name("SP")));
    name = "SP&&&%%.TXT";
    EXPECT_EQ(substitute(name, clc_lines, substituted), 1);
    EXPECT_EQ(name, "");
}

}  // namespace
}  // namespace qv::builder
