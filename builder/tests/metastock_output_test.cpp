#include "builder/metastock_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/testing/metastock_reader.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv::builder {
namespace {

using testing::MsData;
using testing::MsSeries;
using testing::RecordingConsole;
using testing::TempInstall;

CommodityTable commodities() {
    Commodity soybeans;
    soybeans.tag = "S_";
    soybeans.name = "S_ SOYBEANS     ";
    soybeans.compu_trac = 2;
    Commodity sp;
    sp.tag = "SP";
    sp.name = "SP S&P 500 INDEX";
    sp.compu_trac = -1;
    return CommodityTable({soybeans, sp});
}

InputLine input(const std::string& series, SeriesClass series_class) {
    InputLine line;
    line.series = series;
    line.series_class = series_class;
    line.terms = {{4, '\0', ""}};
    return line;
}

// One output file's build as the driver makes it: the block, its preparation,
// the table written, and the series written from it.
struct Build {
    TempInstall install;
    BuildSettings settings;
    CommodityTable table_of_commodities = commodities();
    HolidayTable holidays;

    MetastockBlock block(const std::string& output_name,
                         const std::optional<InputLine>& first = input("S__CLC", SeriesClass::clc)) const {
        return MetastockBlock{settings, table_of_commodities, holidays, output_name, false, first, first};
    }

    // Prepares and writes; false when the output was skipped or refused.
    bool run(const std::vector<std::string>& table, const std::string& output_name = "\\QUORVANT\\MS\\S_",
             std::optional<MetastockBlock> given = std::nullopt) {
        std::string text;
        for (const std::string& line : table) text += line + "\n";
        install.write("TEMP0001.QVT", text);
        std::optional<MetastockOutput> output = MetastockOutput::prepare(given ? *given : block(output_name));
        return output && output->write("\\QUORVANT\\TEMP0001.QVT", false);
    }

    std::filesystem::path ms() const { return install.path("MS"); }
    testing::MsMaster master() const {
        auto master = testing::read_ms_master(ms());
        if (!master) throw std::runtime_error("no MASTER");
        return *master;
    }
    MsData data(const MsSeries& series) const { return testing::read_ms_dat(ms(), series); }
};

struct Record {
    long date;
    std::vector<double> values;
    bool operator==(const Record&) const = default;
};

std::vector<Record> records_of(const MsData& data) {
    std::vector<Record> records;
    for (const auto& r : data.records) records.push_back({r.date, r.values});
    return records;
}

TEST(MetastockOutput, CloseOnlyGivesFiveFieldsAndTheSeriesRecord) {
    RecordingConsole screen;
    Build build;
    build.settings.first_line_title = "SOYBEANS";
    build.settings.output_column_headings = 'Y';
    ASSERT_TRUE(build.run({"SOYBEANS", "Date,S_-Close", "19991231,5.25", "20000103,5.5", "20140315,-0.75"}));

    const auto master = build.master();
    EXPECT_EQ(master.series_count, 1u);
    EXPECT_EQ(master.highest, 1u);
    ASSERT_EQ(master.series.size(), 1u);
    const MsSeries& series = master.series[0];
    EXPECT_EQ(series.file_number, 1);
    EXPECT_EQ(series.file_type, 101u);
    EXPECT_EQ(series.field_count, 5);
    EXPECT_EQ(series.record_length, 20);
    EXPECT_EQ(series.name, "SOYBEANS   -R   ");
    EXPECT_EQ(series.symbol, "S_            ");
    EXPECT_EQ(series.time_frame, 'D');
    EXPECT_EQ(series.first_date, 991231);
    EXPECT_EQ(series.last_date, 1140315);

    const MsData data = build.data(series);
    EXPECT_EQ(data.last_record, 4u);
    EXPECT_EQ(data.header, std::string("\0\0\x04\0", 4) + std::string(16, '\0'));
    EXPECT_EQ(records_of(data), (std::vector<Record>{{991231, {5.25, 5.25, 5.25, 0}},
                                                     {1000103, {5.5, 5.5, 5.5, 0}},
                                                     {1140315, {-0.75, -0.75, -0.75, 0}}}));

    const auto dop = testing::read_ms_dop(build.ms(), 1);
    EXPECT_EQ(dop.lines, (std::vector<std::string>{"\"DATE\",0,0", "\"HIGH\",2,2", "\"LOW\",2,2", "\"CLOSE\",2,2",
                                                   "\"VOL\",0,0"}));
    EXPECT_TRUE(dop.end_mark);
    EXPECT_EQ(screen.text(), "");
}

TEST(MetastockOutput, ValuesByTheirCountAndSeparator) {
    struct Case {
        const char* what;
        char separator;
        char date_format;
        std::string line;  // dated 2 January 1995
        int fields;
        std::vector<double> values;
    };
    const Case cases[] = {
        {"high, low, close", 'C', '3', "19950102,3,1,2", 5, {3, 1, 2, 0}},
        {"two values: the second repeated", 'C', '3', "19950102,7,2", 5, {7, 2, 2, 0}},
        {"four values as they are", 'C', '3', "19950102,4,3,2,100", 5, {4, 3, 2, 100}},
        {"five values: no open interest", 'C', '3', "19950102,1,4,0.5,2,900", 7, {1, 4, 0.5, 2, 900, 0}},
        {"six values", 'C', '3', "19950102,1,4,0.5,2,900,12", 7, {1, 4, 0.5, 2, 900, 12}},
        {"padded blank-separated values", 'S', '3', "19950102   1.5    2", 5, {1.5, 2, 2, 0}},
        {"tab-separated", 'T', '3', "19950102\t1\t2\t3\t4\t5\t6", 7, {1, 2, 3, 4, 5, 6}},
        {"slashed dates, blank-separated", 'S', '1', "01/02/1995 8 9", 5, {8, 9, 9, 0}},
        {"quoted dates", 'C', '2', "\"01/02/1995\",1,2,3", 5, {1, 2, 3, 0}},
        {"quoted dates without slashes", 'T', '4', "\"19950102\"\t5", 5, {5, 5, 5, 0}},
        // An ASCII input's columns are taken as strtod reads them.
        {"a sign, hex, an exponent", 'C', '3', "19950102,+2,0x10,1e2", 5, {2, 16, 100, 0}},
        {"text after a number, a bare point", 'C', '3', "19950102,7abc,.5,3.", 5, {7, 0.5, 3, 0}},
        {"a value that is not a number", 'C', '3', "19950102,n/a,-0.25,1", 5, {0, -0.25, 1, 0}},
    };
    for (const Case& c : cases) {
        Build build;
        build.settings.col_separator_character = c.separator;
        build.settings.output_date_format = c.date_format;
        const std::string name = "\\QUORVANT\\MS\\X";
        ASSERT_TRUE(build.run({c.line}, name, build.block(name, input("X", SeriesClass::asc)))) << c.what;
        const auto master = build.master();
        const MsSeries& series = master.series.at(0);
        EXPECT_EQ(series.field_count, c.fields) << c.what;
        EXPECT_EQ(series.name, "X               ") << c.what;
        EXPECT_EQ(records_of(build.data(series)), (std::vector<Record>{{950102, c.values}})) << c.what;
        // Not a CLC series: five decimals.
        EXPECT_EQ(testing::read_ms_dop(build.ms(), 1).lines.at(1), c.fields == 7 ? "\"OPEN\",5,5" : "\"HIGH\",5,5")
            << c.what;
    }
}

TEST(MetastockOutput, WeeklyBarsAlwaysHaveSevenFields) {
    RecordingConsole screen;
    Build build;
    build.settings.sampling_period = 'K';
    // Monday 3 March 2014 to Wednesday 12 March: one whole week and a part.
    const std::vector<std::string> table = {
        "20140303,10,12,9,11",  "20140304,11,13,10,12", "20140305,12,12,8,9",  "20140306,9,10,9,10",
        "20140307,10,11,10,11", "20140310,11,11,11,11", "20140311,11,15,11,14", "20140312,14,14,13,13"};
    ASSERT_TRUE(build.run(table));
    const auto master = build.master();
    const MsSeries& series = master.series.at(0);
    EXPECT_EQ(series.time_frame, 'W');
    EXPECT_EQ(series.field_count, 7);
    EXPECT_EQ(series.record_length, 28);
    EXPECT_EQ(records_of(build.data(series)),
              (std::vector<Record>{{1140307, {10, 13, 8, 11, 0, 0}}, {1140312, {11, 15, 11, 13, 0, 0}}}));
    EXPECT_EQ(testing::read_ms_dop(build.ms(), 1).lines.size(), 7u);
}

TEST(MetastockOutput, TrailingAllZeroDaysAreNotCounted) {
    Build build;
    ASSERT_TRUE(build.run({"20140310,1,2,3,4", "20140311,0,0,0,0", "20140312,2,3,1,0", "20140313,0,0,0,0",
                           "20140314,0,0,0,0", "20140317,0,0,0,0"}));
    const auto master = build.master();
    const MsSeries& series = master.series.at(0);
    EXPECT_EQ(series.first_date, 1140310);
    EXPECT_EQ(series.last_date, 1140312);
    const MsData data = build.data(series);
    EXPECT_EQ(data.last_record, 4u);  // three counted records
    EXPECT_EQ(data.stored_records, 6u);
    EXPECT_EQ(records_of(data)[1], (Record{1140311, {0, 0, 0, 0}}));
    // A zero is written as four zero bytes, not as the MBF form of zero.
    const std::string bytes = build.install.read("MS/F1.DAT");
    EXPECT_EQ(bytes.substr(2 * 20 + 4, 16), std::string(16, '\0'));
}

TEST(MetastockOutput, SameSymbolOtherTimeFrameIsASecondSeries) {
    Build build;
    ASSERT_TRUE(build.run({"20140310,1", "20140311,2"}, "\\QUORVANT\\MS\\SP"));
    const std::string daily_dat = build.install.read("MS/F1.DAT");
    build.settings.sampling_period = 'W';
    ASSERT_TRUE(build.run({"20140310,1", "20140311,2", "20140314,3", "20140317,4"}, "\\QUORVANT\\MS\\SP"));

    const auto master = build.master();
    ASSERT_EQ(master.series.size(), 2u);
    EXPECT_EQ(master.highest, 2u);
    const MsSeries* daily = master.find("SP", 'D');
    const MsSeries* weekly = master.find("SP", 'W');
    ASSERT_TRUE(daily && weekly);
    EXPECT_EQ(daily->file_number, 1);
    EXPECT_EQ(weekly->file_number, 2);
    EXPECT_EQ(weekly->name, "S&P 500 IND-R   ");
    EXPECT_EQ(build.install.read("MS/F1.DAT"), daily_dat);
    EXPECT_EQ(records_of(build.data(*weekly)), (std::vector<Record>{{1140314, {3, 3, 3, 0}}}));
}

TEST(MetastockOutput, SecurityNames) {
    struct Case {
        const char* what;
        std::string symbol;
        std::optional<InputLine> first;
        bool substituted;
        char linking;
        std::string name;
    };
    const Case cases[] = {
        {"linked CLC", "S_", input("S__CLC", SeriesClass::clc), false, '1', "SOYBEANS   -N"},
        {"forward adjusted", "S_F", input("S__CLC", SeriesClass::clc), false, '2', "SOYBEANS   -F"},
        {"ratio adjusted", "SP", input("SP_CLC", SeriesClass::clc), false, '4', "S&P 500 IND-%"},
        {"no commodity of that tag", "ZQ", input("S__CLC", SeriesClass::clc), false, '3', "ZQ-R"},
        {"contract in the name", "S_H14", input("S__CLC", SeriesClass::clc), true, '3', "S_H14"},
        {"not CLC", "S_", input("S__COT", SeriesClass::cot), false, '3', "S_"},
    };
    for (const Case& c : cases) {
        BuildSettings settings;
        settings.clc_linking_method = c.linking;
        const CommodityTable table = commodities();
        const HolidayTable holidays;
        const MetastockBlock block{settings, table, holidays, "\\QUORVANT\\MS\\" + c.symbol, c.substituted, c.first,
                                   c.first};
        EXPECT_EQ(MetastockOutput::security_name(block, c.symbol), c.name) << c.what;
    }
}

TEST(MetastockOutput, AFoundSeriesIsRewrittenFromScratchOnlyWhenTheBuildSucceeds) {
    Build build;
    ASSERT_TRUE(build.run({"20140310,1", "20140311,2", "20140312,3"}));
    const std::string old_dat = build.install.read("MS/F1.DAT");

    // Answered No: nothing changes.
    build.settings.overwrite_output_file = 'N';
    {
        RecordingConsole screen("N");
        EXPECT_FALSE(build.run({"20140310,9"}));
        EXPECT_NE(screen.text().find("WARNING-OUTPUT FILE EXISTS, OVERWRITE IT? (Y or N):"), std::string::npos);
    }
    EXPECT_EQ(build.install.read("MS/F1.DAT"), old_dat);

    // Tables refused, at once or half-way: the old series stays whole.
    build.settings.overwrite_output_file = 'Y';
    build.settings.sampling_period = 'D';
    {
        RecordingConsole screen;
        EXPECT_FALSE(build.run({"20140310,1,2,3,4,5,6,7"}));
        EXPECT_NE(screen.text().find("YOU HAVE SPECIFIED 1 FIELDS TOO MANY"), std::string::npos);
        EXPECT_FALSE(build.run({"20140310,1", "garbage,2"}));
        EXPECT_NE(screen.text().find("SYSTEM ERROR, EXTRACTED 4 DIGIT DATE LESS THAN 100"), std::string::npos);
        EXPECT_FALSE(build.run({"20140310,1", "20140311,1e39"}));
        EXPECT_NE(screen.text().find("IS TOO LARGE"), std::string::npos);
    }
    EXPECT_EQ(build.install.read("MS/F1.DAT"), old_dat);
    EXPECT_FALSE(std::filesystem::exists(build.install.path("MS/TEMP_MS.QVT")));

    // Answered Yes: the same file number, the old longer contents gone.
    build.settings.overwrite_output_file = 'N';
    RecordingConsole screen("y");
    ASSERT_TRUE(build.run({"20140317,9"}));
    const auto master = build.master();
    ASSERT_EQ(master.series.size(), 1u);
    const MsData data = build.data(master.series[0]);
    EXPECT_EQ(data.stored_records, 1u);
    EXPECT_EQ(records_of(data), (std::vector<Record>{{1140317, {9, 9, 9, 0}}}));
    EXPECT_EQ(master.series[0].first_date, 1140317);
}

TEST(MetastockOutput, SkippedOutputs) {
    std::string full_master(53, '\0');
    full_master[0] = static_cast<char>(255);
    full_master[2] = static_cast<char>(255);
    for (int n = 1; n <= 255; ++n) {
        std::string record(53, '\0');
        record[0] = static_cast<char>(n);
        record[1] = 101;
        record[33] = 'D';
        record.replace(36, 14, "X" + std::string(13, ' '));
        full_master += record;
    }
    struct Case {
        const char* what;
        std::string output_name;
        std::string keys;
        std::string shown;
    };
    const Case cases[] = {
        {"full directory", "\\QUORVANT\\FULL\\S_", "", "METASTOCK Directory FULL!"},
        {"no symbol", "\\QUORVANT\\MS\\", "", "OUTPUT FILE NAME NOT SPECIFIED."},
        {"no directory, answered No", "S_", "n",
         "IN THE QUORVANT DIRECTORY?? (Y or N):"},
    };
    for (const Case& c : cases) {
        RecordingConsole screen(c.keys);
        Build build;
        build.install.write("FULL/MASTER", full_master);
        EXPECT_FALSE(build.run({"20140310,1"}, c.output_name)) << c.what;
        EXPECT_NE(screen.text().find(c.shown), std::string::npos) << c.what << screen.text();
        EXPECT_EQ(build.install.read("FULL/MASTER"), full_master) << c.what;
        EXPECT_FALSE(std::filesystem::exists(build.install.path("MS"))) << c.what;
        EXPECT_FALSE(std::filesystem::exists(build.install.path("MASTER"))) << c.what;
    }
}

TEST(MetastockOutput, NoDirectoryAnsweredYesBuildsInTheInstallFolder) {
    RecordingConsole screen("Y");
    Build build;
    ASSERT_TRUE(build.run({"20140310,1"}, "S_"));
    const auto master = testing::read_ms_master(build.install.root());
    ASSERT_TRUE(master);
    ASSERT_EQ(master->series.size(), 1u);
    EXPECT_EQ(testing::read_ms_dat(build.install.root(), master->series[0]).last_record, 2u);
}

}  // namespace
}  // namespace qv::builder
