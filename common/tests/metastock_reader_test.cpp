#include "common/testing/metastock_reader.h"

#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace qv::testing {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

TEST(MetaStockReader, MbfNumbers) {
    struct Case {
        std::string mbf;
        double value;
    };
    const Case cases[] = {
        {bytes({0, 0, 0, 0x81}), 1.0},
        {bytes({0, 0, 0xA0, 0x82}), -2.5},
        {bytes({0x12, 0x34, 0x56, 0}), 0.0},           // exponent 0 is zero whatever the mantissa
        {bytes({0xD8, 0x32, 0x0B, 0x95}), 1140315.0},  // a date: 15 March 2014
    };
    for (const Case& c : cases) EXPECT_EQ(mbf_value(c.mbf), c.value);
}

TEST(MetaStockReader, ReadsAFolderAndRefusesBrokenFiles) {
    TempInstall install;
    EXPECT_FALSE(read_ms_master(install.path("")));

    std::string header(53, '\0');
    header[0] = 1;
    header[2] = 3;
    std::string record(53, '\0');
    record[0] = 3;
    record[1] = 101;
    record[3] = 20;
    record[4] = 5;
    record.replace(7, 16, "CORN-N          ");
    record.replace(29, 4, bytes({0xD8, 0x32, 0x0B, 0x95}));
    record[33] = 'W';
    record.replace(36, 14, "C             ");
    record[50] = record[51] = ' ';
    install.write("ms/master", header + record);
    std::string dat(3 * 20, '\0');
    dat[2] = 2;  // one counted record and a stray one after it
    dat.replace(20, 4, bytes({0xD8, 0x32, 0x0B, 0x95}));
    dat.replace(28, 4, bytes({0, 0, 0xA0, 0x82}));
    install.write("ms/F3.DAT", dat);
    install.write("ms/F3.DOP", "\"DATE\",0,0\r\n\"HIGH\",2,2\n\x1A");

    const auto master = read_ms_master(install.path("ms"));
    ASSERT_TRUE(master);
    EXPECT_EQ(master->highest, 3u);
    ASSERT_EQ(master->series.size(), 1u);
    const MsSeries* series = master->find("C", 'W');
    ASSERT_TRUE(series);
    EXPECT_FALSE(master->find("C", 'D'));
    EXPECT_EQ(series->name, "CORN-N          ");
    EXPECT_EQ(series->last_date, 1140315.0);
    const MsData data = read_ms_dat(install.path("ms"), *series);
    EXPECT_EQ(data.last_record, 2u);
    ASSERT_EQ(data.stored_records, 2u);
    EXPECT_EQ(data.records[0].date, 1140315);
    EXPECT_EQ(data.records[0].values, (std::vector<double>{0, -2.5, 0, 0}));
    const MsDop dop = read_ms_dop(install.path("ms"), 3);
    EXPECT_TRUE(dop.end_mark);
    EXPECT_EQ(dop.lines, (std::vector<std::string>{"\"DATE\",0,0", "\"HIGH\",2,2"}));

    install.write("ms/F3.DAT", dat.substr(0, 50));
    EXPECT_THROW(read_ms_dat(install.path("ms"), *series), std::runtime_error);
    install.write("ms/master", header);  // counts a series it does not hold
    EXPECT_THROW(read_ms_master(install.path("ms")), std::runtime_error);
}

}  // namespace
}  // namespace qv::testing
