#include "clcconv/clcconv.h"

#include "common/clc_file.h"
#include "common/clc_price.h"
#include "common/platform/text.h"
#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qv::clcconv {
namespace {

Commodity row(const char* tag, int precision, int bytes) {
    Commodity c;
    c.tag = tag;
    c.precision = static_cast<std::int16_t>(precision);
    c.bytes = static_cast<std::int16_t>(bytes);
    c.all_tag = "-HHHMMMUUUZZZ";
    return c;
}

// BP: 4 decimals in 3 bytes; W_: 2 in 2 bytes; SP: 2 in 4 bytes (negative
// prices possible); NK: a precision outside 0 to 7.
CommodityTable sample_table() {
    return CommodityTable({row("BP", 4, 3), row("W_", 2, 2), row("SP", 2, 4), row("NK", -1, 3)});
}

ClcRecord record(std::uint16_t day, std::int32_t open, std::int32_t high, std::int32_t low,
                 std::int32_t close, std::uint32_t oi = 1200, std::uint32_t vol = 340,
                 std::uint32_t total = 5600) {
    return ClcRecord{day, open, high, low, close, oi, vol, total};
}

void write_database(std::string_view tag, int precision, int bytes, const std::vector<ClcRecord>& records) {
    ClcWriter writer;
    ASSERT_TRUE(writer.create(clc_file_name(tag), make_clc_header(tag, precision, bytes)));
    for (const ClcRecord& r : records) writer.write(r);
    ASSERT_TRUE(writer.finish());
}

class ClcconvTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(install.path("CLC")); }

    // Runs the converter as its main does: a ProgramEnd is the end of the program.
    bool run_to_end(std::vector<std::string> args) {
        try {
            run(args, table);
        } catch (const ProgramEnd&) {
            return false;
        }
        return true;
    }

    qv::testing::TempInstall install;
    CommodityTable table = sample_table();
};

TEST_F(ClcconvTest, DatabaseToAsciiAndBackByteForByte) {
    // 7 December 2020 is 44172. The roll-over record keeps its high and low.
    write_database("BP", 4, 3,
                   {record(44169, 13350, 13420, 13301, 13399), record(0, 13399, 13460, 13399, 13460, 0, 0, 0),
                    record(44172, 13460, 13500, 13410, 13477, 16777215, 0, 16777215)});
    write_database("W_", 2, 2, {record(36526, 65535, 65535, 100, 25050)});
    write_database("SP", 2, 4, {record(44172, -150, 5, -2147483647 - 1, 2147483647)});
    write_database("NK", -1, 3, {record(44172, 27000, 27100, 26900, 27050)});

    qv::testing::RecordingConsole console;
    ASSERT_TRUE(run_to_end({"/1"}));
    EXPECT_EQ(install.read("CLC/TEMP/BP_CLC.ASC"),
              "20201204 1.3350 1.3420 1.3301 1.3399 1200 340 5600\n"
              "00000000 1.3399 1.3460 1.3399 1.3460 0 0 0\n"
              "20201207 1.3460 1.3500 1.3410 1.3477 16777215 0 16777215\n");
    EXPECT_EQ(install.read("CLC/TEMP/W__CLC.ASC"), "20000101 655.35 655.35 1.00 250.50 1200 340 5600\n");
    EXPECT_EQ(install.read("CLC/TEMP/SP_CLC.ASC"),
              "20201207 -1.50 0.05 -21474836.48 21474836.47 1200 340 5600\n");
    EXPECT_EQ(install.read("CLC/TEMP/NK_CLC.ASC"), "20201207 1200 340 5600\n");
    EXPECT_EQ(console.text(),
              "\nConverting BP_CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\BP_CLC.ASC- Done!"
              "\nConverting W__CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\W__CLC.ASC- Done!"
              "\nConverting SP_CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\SP_CLC.ASC- Done!"
              "\nConverting NK_CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\NK_CLC.ASC- Done!");

    console.clear();
    ASSERT_TRUE(run_to_end({"/2", "/BP", "/w_", "/SP"}));
    for (const char* tag : {"BP", "W_", "SP"}) {
        const std::string name = std::string(tag) + "_CLC";
        EXPECT_EQ(install.read("CLC/TEMP/" + name + ".BIN"), install.read("CLC/" + name + ".QVT")) << tag;
    }
    EXPECT_EQ(console.text(),
              "\nConverting BP_CLC.ASC to binary format - \\QUORVANT\\CLC\\TEMP\\BP_CLC.BIN - Done!"
              "\nConverting W__CLC.ASC to binary format - \\QUORVANT\\CLC\\TEMP\\W__CLC.BIN - Done!"
              "\nConverting SP_CLC.ASC to binary format - \\QUORVANT\\CLC\\TEMP\\SP_CLC.BIN - Done!");
}

TEST(ClcconvPrices, WrittenAsPrintfWritesThePrice) {
    for (int precision = 0; precision <= 7; ++precision) {
        for (std::int64_t stored : {0LL, 1LL, -1LL, 5LL, -5LL, 99LL, 100LL, 65535LL, 16777215LL, 123456789LL,
                                    -2147483648LL, 2147483647LL}) {
            std::string line;
            append_price(line, stored, precision);
            EXPECT_EQ(line, format("%.*f", precision, stored_to_price(stored, precision)))
                << stored << " at precision " << precision;
        }
    }
}

TEST_F(ClcconvTest, CommandLineChoosesDirectionAndCommodities) {
    struct Case {
        std::vector<std::string> args;
        Direction direction;
        std::vector<bool> selected;
        std::string messages;
    } cases[] = {
        {{"/1", "/W_", "/SP"}, Direction::to_ascii, {false, true, true, false}, ""},
        {{"\\2sp"}, Direction::to_binary, {true, true, true, true}, ""},  // no slash: no tag
        {{"/W_"}, Direction::none, {false, true, false, false}, ""},
        {{"/1/bp/ZZ"}, Direction::to_ascii, {true, false, false, false},
         "\n\n    INVALID COMMODITY ENTERED - ZZ, BYPASSED"},
        {{"/2", "/Q"}, Direction::to_binary, {false, false, false, false},
         "\n\n    INVALID COMMODITY ENTERED - Q, BYPASSED"},
    };
    for (const Case& c : cases) {
        qv::testing::RecordingConsole console;
        const Selection selection = read_command_line(c.args, table);
        EXPECT_EQ(selection.direction, c.direction) << c.args[0];
        EXPECT_EQ(selection.selected, c.selected) << c.args[0];
        EXPECT_EQ(console.text(), c.messages) << c.args[0];
    }

    qv::testing::RecordingConsole console;
    ASSERT_TRUE(run_to_end({"/W_"}));
    EXPECT_EQ(console.text(), "\n\n\n     Didn't specifiy if converting to ASCCI or Binary?");
    EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP")));
}

TEST_F(ClcconvTest, MenuReadsOneKey) {
    write_database("BP", 4, 3, {record(44172, 1, 2, 3, 4)});
    {
        qv::testing::RecordingConsole console("1");
        ASSERT_TRUE(run_to_end({}));
        const std::string text = console.text();
        EXPECT_EQ(text.find("\n\n\n       CONVERT CLC FILES TO ASCII (AND BACK TO CLC BINARY), Ver. 1.9"), 0u);
        EXPECT_NE(text.find("\n  any other char - Return To DOS\n\n\n        CHOICE:"), std::string::npos);
        EXPECT_NE(console.transcript().find("CHOICE:{key 1}1\nConverting BP_CLC.QVT"), std::string::npos);
        EXPECT_NE(text.find("ERROR-couldn't open input file \\QUORVANT\\CLC\\W__CLC.QVT"), std::string::npos);
    }
    qv::testing::RecordingConsole console("x");
    ASSERT_TRUE(run_to_end({}));
    EXPECT_TRUE(console.text().ends_with("CHOICE:x\n\n\n     Didn't specifiy if converting to ASCCI or Binary?"));
}

TEST_F(ClcconvTest, AsciiFileChecks) {
    // A first roll-over line is stripped, one in the middle stays; a zero
    // price is reported and kept; a price without a point is already scaled.
    install.write("CLC/TEMP/W__CLC.ASC",
                  "00000000 1.00 0 0 2.00 0 0 0\n"
                  "20201204 1234.5 0 1.2345 1234 1 2 3\r\n"
                  "00000000 3.00 3.10 2.90 3.05 0 0 0\n"
                  "20201207 3.05 3.10 3.00 3.07 4 5 6");  // the last line end may be missing
    qv::testing::RecordingConsole console;
    table[1].bytes = 3;
    ASSERT_TRUE(run_to_end({"/2/W_"}));
    EXPECT_EQ(console.text(),
              "\nConverting W__CLC.ASC to binary format - \\QUORVANT\\CLC\\TEMP\\W__CLC.BIN"
              "\nFound zero record at start of W_ file and stripped it."
              "\nZero price found in W_, date = 12/4/2020,"
              " - Done!");
    ClcReader reader;
    ASSERT_EQ(reader.open("\\QUORVANT\\CLC\\TEMP\\W__CLC.BIN"), ClcReader::Status::ok);
    EXPECT_EQ(reader.header().precision, 2);
    std::vector<ClcRecord> records;
    for (ClcRecord r; reader.read(r);) records.push_back(r);
    EXPECT_EQ(records, (std::vector<ClcRecord>{record(44169, 123450, 0, 123, 1234, 1, 2, 3),
                                               record(0, 300, 310, 290, 305, 0, 0, 0),
                                               record(44172, 305, 310, 300, 307, 4, 5, 6)}));
}

// Every error that ends a conversion to binary leaves no .BIN behind, not even
// an earlier one of the same name, and nothing is written after the message.
TEST_F(ClcconvTest, BinaryErrorsLeaveNoBinFile) {
    struct Case {
        const char* line;
        const char* message;
    } cases[] = {
        {"20201207 1.00 1.00 1.00 1.00 1 2 3 \n", "\nERROR-while reading input record"},
        {"20201207 1.00 1.00 1.00 1.00 1 2\n", "\nERROR-while reading input record"},
        {"20201207 1.00 1.00 1.00\n", "\nERROR-while reading input record"},
        {"20201307 1.00 1.00 1.00 1.00 1 2 3\n", "\nERROR-while reading input record"},
        {"2020120 1.00 1.00 1.00 1.00 1 2 3\n", "\nERROR-while reading input record"},
        {"\n", "\nERROR-while reading input record"},
        {"20201207 1.00 1.00 1.00 1.00 16777216 2 3\n", "\nERROR-loss of data in long_to_tri sub, lx = 16777216"},
        {"20201207 1.00 1.00 1.00 1.00 1 -1 3\n", "\nERROR-loss of data in long_to_tri sub, lx = -1"},
        {"20201207 655.36 1.00 1.00 1.00 1 2 3\n", "\nERROR-loss of data in long_to_tri sub, lx = 65536"},
    };
    for (const Case& c : cases) {
        install.write("CLC/TEMP/W__CLC.BIN", "an earlier conversion");
        install.write("CLC/TEMP/W__CLC.ASC", std::string("20201204 1.00 1.00 1.00 1.00 1 2 3\n") + c.line +
                                                 "20201208 1.00 1.00 1.00 1.00 1 2 3\n");
        qv::testing::RecordingConsole console;
        EXPECT_FALSE(run_to_end({"/2/W_/SP"})) << c.line;
        EXPECT_TRUE(console.text().ends_with(c.message)) << c.line << console.text();
        EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP/W__CLC.BIN"))) << c.line;
        EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP/SP_CLC.BIN"))) << c.line;
    }
}

TEST_F(ClcconvTest, AsciiErrors) {
    write_database("W_", 2, 2, {record(44172, 1, 2, 3, 4)});
    install.write("CLC/SP_CLC.QVT", std::string(4, '\0') + std::string(1, '\5') + std::string(40, '\0'));
    qv::testing::RecordingConsole console;
    // BP has no file: reported, and the next commodity is converted.
    EXPECT_FALSE(run_to_end({"/1/BP/W_/SP/NK"}));
    EXPECT_EQ(console.text(),
              "\nConverting BP_CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\BP_CLC.ASC"
              "\nERROR-couldn't open input file \\QUORVANT\\CLC\\BP_CLC.QVT"
              "\nConverting W__CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\W__CLC.ASC- Done!"
              "\nConverting SP_CLC.QVT to ASCII format -  \\QUORVANT\\CLC\\TEMP\\SP_CLC.ASC"
              "\n\n\nERROR-invalid header byte count of 5");
    EXPECT_TRUE(std::filesystem::exists(install.path("CLC/TEMP/W__CLC.ASC")));
    EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP/BP_CLC.ASC")));
    EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP/SP_CLC.ASC")));
    EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP/NK_CLC.ASC")));
}

TEST_F(ClcconvTest, MissingFolders) {
    qv::testing::RecordingConsole console;
    ASSERT_TRUE(run_to_end({"/2"}));
    EXPECT_EQ(console.text(), "\n\n\n     ERROR - \\QUORVANT\\CLC\\TEMP DIRECTORY NOT FOUND??\n\n\n");
    console.clear();
    std::filesystem::remove_all(install.path("CLC"));
    ASSERT_TRUE(run_to_end({"/1"}));
    EXPECT_EQ(console.text(), "\n\n\n     ERROR - \\QUORVANT\\CLC DIRECTORY NOT FOUND??\n\n\n");
}

TEST_F(ClcconvTest, KeyPressStopsBetweenCommodities) {
    for (const char* tag : {"BP", "W_"}) write_database(tag, 2, 3, {record(44172, 1, 2, 3, 4)});
    qv::testing::RecordingConsole console("x");
    console.key_waiting_after(1);
    ASSERT_TRUE(run_to_end({"/1"}));
    EXPECT_TRUE(std::filesystem::exists(install.path("CLC/TEMP/BP_CLC.ASC")));
    EXPECT_FALSE(std::filesystem::exists(install.path("CLC/TEMP/W__CLC.ASC")));
}

}  // namespace
}  // namespace qv::clcconv
