#include "common/tables.h"

#include <map>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "common/platform/program_end.h"
#include "common/testing/recording_console.h"
#include "common/testing/temp_install.h"

namespace qv {
namespace {

using testing::RecordingConsole;
using testing::TempInstall;

std::string tag_of(int row) { return {char('A' + row / 10), char('0' + row % 10)}; }

std::string numeric_section(const std::string& name, int count, const std::string& value) {
    std::string section = "[" + name + "]\n";
    for (int line = 0; line < (count + 3) / 4; ++line) section += value + "," + value + "," + value + "," + value + "\n";
    return section;
}

// A TABLES.INI of `count` commodities with every table a tool may read.
// `replaced` puts other text in place of a section ("" leaves it out).
std::string tables_ini(int count, const std::map<std::string, std::string>& replaced = {}) {
    std::map<std::string, std::string> sections{
        {"numcom", "[numcom] = " + std::to_string(count) + "\n"},
        {"roll_day", numeric_section("roll_day", count, "15")},
        {"roll_month", numeric_section("roll_month", count, "0")},
        {"precision", numeric_section("precision", count, "2")},
        {"bytes", numeric_section("bytes", count, "4")},
        {"compu_trac", numeric_section("compu_trac", count, "2")},
        {"group_index", numeric_section("group_index", count, "1")},
    };
    std::string names = "[mynames]\n";
    std::string decimals = "[decimal]\n";
    for (int row = 0; row < count; ++row) {
        names += tag_of(row) + " COMMODITY NUMBER " + std::to_string(row) + "\n";
        decimals += tag_of(row) + " = 2\n";
    }
    std::string all_tags = "[all_tag]\n";
    for (int line = 0; line < (count + 3) / 4; ++line) all_tags += "-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ\n";
    sections["mynames"] = names;
    sections["all_tag"] = all_tags;
    sections["decimal"] = decimals;
    for (const auto& [name, text] : replaced) sections[name] = text;

    std::string ini = "; commodity tables\n";
    for (const char* name : {"numcom", "roll_day", "roll_month", "precision", "bytes", "compu_trac", "mynames",
                             "all_tag", "group_index", "decimal"})
        ini += sections[name];
    return ini;
}

std::string framed(const std::string& message) { return "\n\n\n\n" + message + "\n\n\n\n\n"; }

// The console text of a load that must end the program.
std::string failure_of(const TableRules& rules) {
    RecordingConsole console;
    try {
        load_tables(rules);
    } catch (const ProgramEnd&) {
        return console.text();
    }
    ADD_FAILURE() << "TABLES.INI was accepted";
    return {};
}

TEST(Tables, LoadsEveryTableByPosition) {
    TempInstall install;
    install.write("TABLES.INI",
                  "; lines before the count are ignored\r\n"
                  "[NUMCOM]=6\r\n"
                  "[comment]\r\n"
                  "this section is skipped with its lines\r\n"
                  "[ROLL_DAY]\r\n"
                  "15,15,-13,20\r\n"
                  "1\r\n"
                  " 1, 2, 3, 4\r\n"
                  "[roll_month]\n0,1,0,1\n0,0,0,0\n"
                  "[precision]\n-7,7,0,2\n2,2,2,2\n"
                  "[bytes]\n2,3,4,2\n2,2,2,2\n"
                  "[compu_trac]\n-7,7,0,2\n2,2,2,2\n"
                  "[mynames]\n"
                  "BP POUND\n"
                  "W_ WHEAT AND A NAME TOO LONG\n"
                  "SP S&P 500 INDEX\n"
                  "ZF FIVE YEAR\n"
                  "LC LIVE CATTLE\n"
                  "LH LEAN HOGS\n"
                  "[all_tag]\n"
                  "-HHHMMMUUUZZZ,-FGHJKMNQUVXZ,-GGJJMMQQVVZZ,-GJJMMQQVVZZG\n"
                  "-HHHMMMUUUZZZ,xHHHMMMUUUZZZ,-,-\n");
    const CommodityTable table = load_tables(builder_profile.tables);

    ASSERT_EQ(table.size(), 6u);
    const int roll_days[] = {15, 15, -13, 20, 1, 2};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(table[i].roll_day, roll_days[i]) << i;
    EXPECT_EQ(table[1].roll_month, 1);
    EXPECT_EQ(table[0].precision, -7);
    EXPECT_EQ(table[1].precision, 7);
    EXPECT_EQ(table[2].bytes, 4);
    EXPECT_EQ(table[0].compu_trac, -7);

    EXPECT_EQ(table[0].tag, "BP");
    EXPECT_EQ(table[0].name, "BP POUND        ");  // padded, no line end kept
    EXPECT_EQ(table[1].name, "W_ WHEAT AND A N");
    EXPECT_EQ(table[5].name, "LH LEAN HOGS    ");

    EXPECT_EQ(table[0].all_tag, "-HHHMMMUUUZZZ");
    const char* cycles[] = {"HMUZ", "FGHJKMNQUVXZ", "GJMQVZ", "GJMQVZ", "HMUZ", "HMUZ"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(table[i].cycle, cycles[i]) << i;

    EXPECT_EQ(table.position_of("SP"), 2u);
    EXPECT_EQ(table.position_of("W__CLC.QVT"), 1u);
    EXPECT_FALSE(table.position_of("sp"));
    EXPECT_FALSE(table.position_of("S"));
    EXPECT_EQ(table.position_of_no_case("sp"), 2u);
    EXPECT_EQ(table.find_no_case("w_"), &table[1]);
    EXPECT_EQ(table.find("XX"), nullptr);
}

TEST(Tables, CountLimitsPerTool) {
    const struct {
        const ToolProfile& tool;
        int count;
        bool accepted;
    } cases[] = {
        {updater_profile, 68, false},     {updater_profile, 69, true},      {updater_profile, 150, true},
        {updater_profile, 151, false},    {roll_profile, 69, false},        {roll_profile, 70, true},
        {roll_profile, 100, true},        {roll_profile, 101, false},       {clcconv_profile, 49, false},
        {clcconv_profile, 50, true},      {clcconv_profile, 101, false},    {favorites_profile, 50, true},
        {favorites_profile, 101, false},  {distributor_profile, 49, false}, {distributor_profile, 150, true},
        {distributor_profile, 151, false}, {builder_profile, 1, true},      {builder_profile, 150, true},
        {builder_profile, 151, false},    {builder_profile, 0, false},
    };
    for (const auto& c : cases) {
        TempInstall install;
        install.write("TABLES.INI", tables_ini(c.count));
        RecordingConsole console;
        SCOPED_TRACE(std::string(c.tool.program) + " " + std::to_string(c.count));
        if (c.accepted) {
            EXPECT_EQ(load_tables(c.tool.tables).size(), std::size_t(c.count));
        } else {
            EXPECT_THROW(load_tables(c.tool.tables), ProgramEnd);
            EXPECT_EQ(console.text(), framed("SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE"));
        }
    }
}

TEST(Tables, MissingFile) {
    TempInstall install;
    EXPECT_EQ(failure_of(builder_profile.tables),
              framed("ERROR -  FILE \" TABLES.INI\" MISSING FROM \\QUORVANT FOLDER."));
}

TEST(Tables, FaultsOfTheFileAreReportedWithTheirMessage) {
    const std::string long_header = "[" + std::string(30, 'r') + "]\n";
    const struct {
        const char* what;
        std::string ini;
        std::string message;
    } cases[] = {
        {"no count", tables_ini(8, {{"numcom", ""}}), "SUPPORT FILE \"TABLES.INI\" IS MISSING LINE ENTRY: [numcom]"},
        {"count not a number", tables_ini(8, {{"numcom", "[numcom] = many\n"}}),
         "SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE"},
        {"count without =", tables_ini(8, {{"numcom", "[numcom] 8\n"}}),
         "SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE"},
        {"header without ]", tables_ini(8) + long_header, "INVALID TABLE HEADER IN FILE \"TABLES.INI\""},
        {"three numbers", tables_ini(8, {{"roll_day", "[roll_day]\n15,15,15\n15,15,15,15\n"}}),
         "ERROR-LINE 1 IN TABLE roll_day INVALID"},
        {"second line bad", tables_ini(8, {{"bytes", "[bytes]\n4,4,4,4\n4;4;4;x\n"}}),
         "ERROR-LINE 2 IN TABLE bytes INVALID"},
        {"number too large", tables_ini(8, {{"roll_day", "[roll_day]\n15,15,15,15\n15,15,15,99999999999\n"}}),
         "ERROR-LINE 2 IN TABLE roll_day INVALID"},
        {"roll_month 2", tables_ini(8, {{"roll_month", numeric_section("roll_month", 8, "2")}}),
         "ERROR - INVALID roll_month ENTRY IN \"TABLES.INI\" FILE"},
        {"precision 8", tables_ini(8, {{"precision", "[precision]\n2,2,2,2\n2,2,2,8\n"}}),
         "ERROR - INVALID precision ENTRY IN \"TABLES.INI\" FILE"},
        {"precision -8", tables_ini(8, {{"precision", numeric_section("precision", 8, "-8")}}),
         "ERROR - INVALID precision ENTRY IN \"TABLES.INI\" FILE"},
        {"bytes 1", tables_ini(8, {{"bytes", numeric_section("bytes", 8, "1")}}),
         "ERROR - INVALID bytes ENTRY IN \"TABLES.INI\" FILE"},
        {"bytes 5", tables_ini(8, {{"bytes", numeric_section("bytes", 8, "5")}}),
         "ERROR - INVALID bytes ENTRY IN \"TABLES.INI\" FILE"},
        {"compu_trac 8", tables_ini(8, {{"compu_trac", numeric_section("compu_trac", 8, "8")}}),
         "ERROR - INVALID compu_trac ENTRY IN \"TABLES.INI\" FILE"},
        {"lower-case month code", tables_ini(8, {{"all_tag", "[all_tag]\n-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZz,-HHHMMMUUUZZZ\n"
                                                           "-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ\n"}}),
         "ERROR - INVALID all_tag ENTRY IN \"TABLES.INI\" FILE"},
        {"short all_tag line", tables_ini(8, {{"all_tag", "[all_tag]\n-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ\n"
                                                        "-HHHMMMUUUZZZ,-HHHMMMUUUZZZ\n"}}),
         "ERROR - INVALID all_tag ENTRY IN \"TABLES.INI\" FILE"},
        {"six tables", tables_ini(8, {{"all_tag", ""}}), "SUPPORT FILE \"TABLES.INI\" DOES NOT CONTAIN 7 TABLES"},
        {"file ends inside a table", tables_ini(8, {{"group_index", ""}, {"decimal", ""}, {"all_tag", "[all_tag]\n-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ\n"}}),
         "ERROR-FILE 'TABLES.INI' IS MISSING DATA"},
        {"names run out before the count", tables_ini(8, {{"mynames", "[mynames]\nA0 ONE\nA1 TWO\n"}}),
         "ERROR-FILE 'TABLES.INI' IS MISSING DATA"},
        // Damaged files: a truncated last line, NUL and high bytes, pure junk.
        {"truncated last line", tables_ini(8, {{"group_index", ""}, {"decimal", ""}, {"all_tag", "[all_tag]\n-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMUUUZZZ\n-HHHMMMUUUZZZ,-HHHMMMUUUZZZ,-HHHMMMU"}}),
         "ERROR - INVALID all_tag ENTRY IN \"TABLES.INI\" FILE"},
        {"NUL byte in a number", tables_ini(8, {{"precision", std::string("[precision]\n2,2,2,2\n2,2,\0,2\n", 28)}}),
         "ERROR-LINE 2 IN TABLE precision INVALID"},
        {"high bytes in a number", tables_ini(8, {{"precision", "[precision]\n2,2,2,2\n2,2,\xE9\xFF,2\n"}}),
         "ERROR-LINE 2 IN TABLE precision INVALID"},
        {"binary junk", std::string("\x7F" "ELF\0\0\x01\xFF\xFE[\0numcom\n\x80\x81", 19),
         "SUPPORT FILE \"TABLES.INI\" IS MISSING LINE ENTRY: [numcom]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempInstall install;
        install.write("TABLES.INI", c.ini);
        EXPECT_EQ(failure_of(builder_profile.tables),
                  framed(c.message));
    }
}

TEST(Tables, OverlongLinesAndJunkDoNotShiftTheRows) {
    TempInstall install;
    std::string names = "[mynames]\n";
    for (int row = 0; row < 8; ++row) {
        if (row == 3) names += std::string("A3 BAD\0\x01JUNK\xFF\n", 14);
        else names += tag_of(row) + " " + std::string(row == 2 ? 400 : 20, 'N') + "\n";
    }
    install.write("TABLES.INI", tables_ini(8, {{"mynames", names}, {"roll_day", "[roll_day]\n1,2,3,4" + std::string(300, ' ') + "\n5,6,7,8\n"}}));
    RecordingConsole console;
    const CommodityTable table = load_tables(builder_profile.tables);
    ASSERT_EQ(table.size(), 8u);
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(table[row].tag, tag_of(row));
        EXPECT_EQ(table[row].roll_day, row + 1);
    }
    EXPECT_EQ(table[2].name, "A2 NNNNNNNNNNNNN");
    EXPECT_EQ(table[3].name, "A3 BAD          ");
}

TEST(Tables, TableCountsPerTool) {
    {
        // A table given twice counts twice: seven tables without all_tag.
        TempInstall install;
        install.write("TABLES.INI", tables_ini(8, {{"all_tag", numeric_section("roll_day", 8, "20")}}));
        RecordingConsole console;
        const CommodityTable table = load_tables(builder_profile.tables);
        EXPECT_EQ(table[7].roll_day, 20);
        EXPECT_EQ(table[7].all_tag, "");
        EXPECT_EQ(table[7].cycle, "");
    }
    {
        // The favourites tool needs group_index as an eighth table.
        TempInstall install;
        install.write("TABLES.INI", tables_ini(50, {{"group_index", ""}}));
        EXPECT_EQ(failure_of(favorites_profile.tables), framed("SUPPORT FILE \"TABLES.INI\" DOES NOT CONTAIN 8 TABLES"));
        install.write("TABLES.INI", tables_ini(50, {{"group_index", numeric_section("group_index", 50, "8")}}));
        EXPECT_EQ(failure_of(favorites_profile.tables),
                  framed("ERROR - INVALID group_index ENTRY IN \"TABLES.INI\" FILE"));
        install.write("TABLES.INI", tables_ini(50));
        RecordingConsole console;
        EXPECT_EQ(load_tables(favorites_profile.tables)[49].group_index, 1);
    }
    {
        // The distributor does not count tables and passes over a bad header.
        TempInstall install;
        install.write("TABLES.INI", "[numcom] = 50\n[" + std::string(40, 'x') + "\n" + numeric_section("bytes", 50, "3"));
        RecordingConsole console;
        const CommodityTable table = load_tables(distributor_profile.tables);
        EXPECT_EQ(table[0].bytes, 3);
        EXPECT_EQ(console.text(), "");
    }
}

TEST(Tables, DistributorDecimalMultipliers) {
    TempInstall install;
    std::string decimals = "[decimal]\n";
    const char* values[] = {"A0 = 2", "a1 = -3", "XX = 4", "A3 =  1", "A4=2 x", "A5 = 5", "A6 = 6", "A7 = 9"};
    for (const char* value : values) decimals += std::string(value) + "\n";
    for (int row = 8; row < 50; ++row) decimals += tag_of(row) + " = 0\n";
    // The decimal table may come before the names it is matched with.
    std::string ini = tables_ini(50, {{"decimal", ""}});
    ini.insert(ini.find("[roll_day]"), decimals);
    install.write("TABLES.INI", ini);
    RecordingConsole console;
    const CommodityTable table = load_tables(distributor_profile.tables);
    const double expected[] = {100.0, 0.001, 1.0, 10.0, 1.0, 1000000.0, 10000000.0, 1.0, 1.0};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(table[i].decimal, expected[i]) << i;
    EXPECT_EQ(table[0].group_index, 1);
}

TEST(Tables, DecimalMultipliers) {
    double power = 0.000001;
    for (int n = -6; n <= 4; ++n, power *= 10) EXPECT_NEAR(decimal_multiplier(n), power, power * 1e-9) << n;
    EXPECT_EQ(decimal_multiplier(5), 1000000.0);  // not 100000
    EXPECT_EQ(decimal_multiplier(6), 10000000.0);
    EXPECT_EQ(decimal_multiplier(7), 1.0);
    EXPECT_EQ(decimal_multiplier(-7), 1.0);
}

// Damaged copies of a good file: each either loads whole or ends the program
// with a framed message; nothing else (no crash, no sanitizer report).
TEST(Tables, DamagedFilesLoadWholeOrFail) {
    std::mt19937 random(20201207);
    const std::string good = tables_ini(8);
    TempInstall install;
    for (int round = 0; round < 400; ++round) {
        std::string ini = good;
        for (unsigned change = 0, changes = 1 + random() % 6; change < changes && !ini.empty(); ++change) {
            const std::size_t at = random() % ini.size();
            switch (random() % 3) {
                case 0: ini[at] = static_cast<char>(random()); break;
                case 1: ini.erase(at, 1 + random() % 40); break;
                default: ini.insert(at, std::string(1 + random() % 200, static_cast<char>(random()))); break;
            }
        }
        install.write("TABLES.INI", ini);
        const TableRules& rules = round % 2 ? distributor_profile.tables : builder_profile.tables;
        RecordingConsole console;
        try {
            const CommodityTable table = load_tables(rules);
            ASSERT_LE(table.size(), max_commodities);
            for (const Commodity& row : table) {
                ASSERT_EQ(row.name.size(), 16u);
                ASSERT_EQ(row.name.find('\n'), std::string::npos);
                ASSERT_TRUE(row.bytes == 0 || (row.bytes >= 2 && row.bytes <= 4));
                ASSERT_LE(row.cycle.size(), 12u);
            }
        } catch (const ProgramEnd&) {
            const std::string text = console.text();
            ASSERT_EQ(text.substr(0, 4), "\n\n\n\n") << round;
            ASSERT_EQ(text.substr(text.size() - 5), "\n\n\n\n\n") << round;
        }
    }
}

}  // namespace
}  // namespace qv
