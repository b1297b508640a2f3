#include "distributor/output_mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform/files.h"
#include "common/metastock.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"
#include "common/platform/text.h"

namespace qv::distributor {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

Commodity row(const char* tag, int group_index) {
    Commodity commodity;
    commodity.tag = tag;
    commodity.group_index = static_cast<std::int16_t>(group_index);
    return commodity;
}

class OutputMask : public ::testing::Test {
protected:
    OutputMask() {
        settings.ascii_path = "\\QUORVANT\\ASC\\";
        settings.meta_path = "\\QUORVANT\\META\\";
        settings.ascii_mask = "TTMYY";
        settings.meta_mask = "TTMYY";
        settings.data_format = "1SCN";
    }

    // A MASTER listing 255 securities, the first of them `first_symbol`.
    void full_master(const std::string& folder, const std::string& first_symbol = "S1") {
        ASSERT_TRUE(create_folders(folder));
        MetaStockMaster master;
        for (int n = 1; n <= max_file_number; ++n) {
            const std::string symbol = n == 1 ? first_symbol : format("S%d", n);
            master.records.push_back(MasterRecord::make(n, symbol, symbol, 'D'));
        }
        master.set_highest_file_number(max_file_number);
        ASSERT_TRUE(write_master(folder, master));
    }

    TempInstall install;
    DistributorSettings settings;
    CommodityTable commodities{{row("W_", 0), row("BO", 3), row("JY", 7)}};
    Distribution run{settings, commodities};
};

TEST_F(OutputMask, NamesContractsByTheMask) {
    const struct Case {
        const char* mask;
        const char* contract;
        const char* name;
    } cases[] = {
        {"TTMYY", "W_ 05H050315", "W_H05"},
        {"TTTMMYYYY.TX", "W_ 05H050315", "W__032005.TX"},
        {"TTMMYYYY.TXT", "W_ 05H050315", "W_032005.TXT"},  // the later T's are literal
        {"TTMMMYYY", "W_ 98H980315", "W_MAR098"},
        {"TTMMMYYY", "W_ 05Z050315", "W_DEC105"},
        {"TTMYYYY", "W_ 96U960315", "W_U1996"},
        {"TTMYYYY", "W_ 29U290315", "W_U2029"},
        {"TTMYY", "W_ 05A050315", "W_A05"},  // a single M copies any letter
        {"MYYTT", "W_ 05H050315", "H05W_"},
        // Characters before the codes and later runs of M or Y stand for
        // themselves instead of cutting the name.
        {"XXTTMYY", "W_ 05H050315", "XXW_H05"},
        {"TTMYY.DAY", "W_ 05H050315", "W_H05.DAY"},
        {"TTMYYM", "W_ 05H050315", "W_H05M"},
        {"TTMYY.TXT   ", "W_ 05H050315", "W_H05.TXT"},  // blanks trailing the settings value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        settings.ascii_mask = c.mask;
        std::string path;
        std::string name;
        ASSERT_EQ(determine_name(c.contract, 'A', run, path, name), 0);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(path, std::string("\\QUORVANT\\ASC\\W_\\") + c.name);
    }
}

TEST_F(OutputMask, RefusesMasksThatCannotNameAContract) {
    const struct Case {
        const char* mask;
        const char* contract;
        const char* message;
    } cases[] = {
        {"TMYY", "W_ 05H050315", "ERROR-only one ticker code in MASK line"},
        {"MYY", "W_ 05H050315", "ERROR-ticker codes missing in MASK line"},
        {"", "W_ 05H050315", "ERROR-ticker codes missing in MASK line"},
        {"TTYY", "W_ 05H050315", "ERROR-month code missing in MASK"},
        {"TTMMMMYY", "W_ 05H050315", "ERROR-too many month codes in MASK"},
        {"TTMMYY", "W_ 05A050315", "ERROR-invalid month code in MASK"},
        {"TTMMMYY", "W_ 05A050315", "ERROR-invalid month code in MASK"},
        {"TTM", "W_ 05H050315", "ERROR-year code missing in MASK"},
        {"TTMY", "W_ 05H050315", "ERROR - Single digit Year is not supported."},
        {"TTMYYYYY", "W_ 05H050315", "ERROR-too many year codes in MASK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        settings.ascii_mask = c.mask;
        RecordingConsole screen;
        std::string path = "unchanged";
        std::string name = "unchanged";
        EXPECT_EQ(determine_name(c.contract, 'A', run, path, name), -1);
        EXPECT_NE(screen.text().find(c.message), std::string::npos) << screen.text();
        EXPECT_EQ(path, "unchanged");
        EXPECT_EQ(name, "unchanged");
    }
}

TEST_F(OutputMask, GroupFoldersHoldAsciiFilesOnly) {
    const struct Case {
        const char* format;
        char kind;
        const char* contract;
        const char* path;
    } cases[] = {
        {"1SCY", 'A', "BO 05H050315", "\\QUORVANT\\ASC\\OILS\\BOH05"},
        {"1SCY", 'A', "bo 05H050315", "\\QUORVANT\\ASC\\OILS\\boH05"},
        {"1SCY", 'A', "JY 05H050315", "\\QUORVANT\\ASC\\CURRENCY\\JYH05"},
        {"1SCY", 'A', "ZZ 05H050315", "\\QUORVANT\\ASC\\ZZ\\ZZH05"},  // not in the table
        {"1SCN", 'A', "BO 05H050315", "\\QUORVANT\\ASC\\BO\\BOH05"},
        {"1SCY", 'M', "BO 05H050315", "\\QUORVANT\\META\\BO\\BOH05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        settings.data_format = c.format;
        std::string path;
        std::string name;
        ASSERT_EQ(determine_name(c.contract, c.kind, run, path, name), 0);
        EXPECT_EQ(path, c.path);
    }
}

// A full folder (255 securities) sends a new security on to the next numbered
// folder; one it already lists stays in it.
TEST_F(OutputMask, MetaStockSecuritiesGoToAFolderWithRoom) {
    full_master("\\QUORVANT\\META\\W_\\", "w_h05");
    std::string path;
    std::string name;
    ASSERT_EQ(determine_name("W_ 05H050315", 'M', run, path, name), 0);
    EXPECT_EQ(path, "\\QUORVANT\\META\\W_\\W_H05");
    EXPECT_EQ(name, "W_H05");

    ASSERT_EQ(determine_name("W_ 05M050315", 'M', run, path, name), 0);
    EXPECT_EQ(path, "\\QUORVANT\\META\\W_1\\W_M05");
    EXPECT_EQ(name, "W_M05");

    // A folder with room takes the security.
    ASSERT_TRUE(create_folders("\\QUORVANT\\META\\W_1"));
    MetaStockMaster some;
    some.records.push_back(MasterRecord::make(1, "OTHER", "OTHER", 'D'));
    some.set_highest_file_number(1);
    ASSERT_TRUE(write_master("\\QUORVANT\\META\\W_1\\", some));
    ASSERT_EQ(determine_name("W_ 05M050315", 'M', run, path, name), 0);
    EXPECT_EQ(path, "\\QUORVANT\\META\\W_1\\W_M05");
}

TEST_F(OutputMask, TenFullMetaStockFoldersAreTooMany) {
    full_master("\\QUORVANT\\META\\W_\\");
    for (int k = 1; k <= 9; ++k) full_master(format("\\QUORVANT\\META\\W_%d\\", k));
    RecordingConsole screen;
    std::string path;
    std::string name;
    EXPECT_EQ(determine_name("W_ 05H050315", 'M', run, path, name), -1);
    EXPECT_NE(screen.text().find("ERROR-too many Metastock sub folders"), std::string::npos);
}

// A symbol is found up to its first blank: a name with a blank could never be found again.
TEST_F(OutputMask, MetaStockNameWithABlankIsRefused) {
    settings.meta_mask = "TT MYY";
    RecordingConsole screen;
    std::string path;
    std::string name;
    EXPECT_EQ(determine_name("W_ 05H050315", 'M', run, path, name), -1);
    EXPECT_NE(screen.text().find("ERROR-blank in META MASK"), std::string::npos);
    settings.ascii_mask = "TT MYY";
    EXPECT_EQ(determine_name("W_ 05H050315", 'A', run, path, name), 0);
    EXPECT_EQ(name, "W_ H05");
}

// A damaged MASTER cannot say whether it holds the security: nothing is chosen.
TEST_F(OutputMask, DamagedMasterStopsTheChoice) {
    install.write("META/W_/MASTER", "short");
    RecordingConsole screen;
    std::string path;
    std::string name;
    EXPECT_EQ(determine_name("W_ 05H050315", 'M', run, path, name), -1);
    EXPECT_NE(screen.text(), "");
    EXPECT_EQ(install.read("META/W_/MASTER"), "short");
}

}  // namespace
}  // namespace qv::distributor
