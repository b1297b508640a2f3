#include "common/metastock.h"
#include "common/metastock_data.h"

#include "common/platform/files.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace qv {
namespace {

const char* const dir = "\\QUORVANT\\MS\\";

// An independent reader of the directory, from the file layout alone.
std::uint8_t byte_at(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s.at(i)); }
unsigned u16_at(const std::string& s, std::size_t i) { return byte_at(s, i) | byte_at(s, i + 1) << 8; }

// MBF: exponent byte 3 (0 = zero), sign in byte 2 bit 7, mantissa 0.1mmm... x 2^(e - 128).
double mbf_at(const std::string& s, std::size_t i) {
    const int exponent = byte_at(s, i + 3);
    if (exponent == 0) return 0.0;
    const unsigned mantissa = (byte_at(s, i + 2) & 0x7F) << 16 | byte_at(s, i + 1) << 8 | byte_at(s, i);
    const double value = std::ldexp(1.0 + mantissa / 8388608.0, exponent - 129);
    return (byte_at(s, i + 2) & 0x80) ? -value : value;
}

std::string put_u16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// A MASTER series record as another program might write it.
std::string raw_record(int file_number, const std::string& symbol, char time_frame = 'D') {
    std::string r(53, '\0');
    r[0] = static_cast<char>(file_number);
    r[1] = 101;
    r[3] = 28;
    r[4] = 7;
    r.replace(7, 16, std::string(16, ' '));
    r.replace(7, symbol.size(), symbol);
    r[33] = time_frame;
    r.replace(36, 14, std::string(14, ' '));
    r.replace(36, symbol.size(), symbol);
    r[50] = r[51] = ' ';
    return r;
}

std::string raw_master(unsigned count, unsigned highest, const std::string& records) {
    std::string header(53, '\0');
    header.replace(0, 2, put_u16(count));
    header.replace(2, 2, put_u16(highest));
    return header + records;
}

// A DAT file: header with the last-record number, then records of 4-byte groups.
std::string raw_dat(unsigned last, std::size_t record_length, std::size_t records) {
    std::string dat(record_length * (records + 1), '\0');
    dat.replace(2, 2, put_u16(last));
    for (std::size_t i = 1; i <= records; ++i) dat[i * record_length + 3] = static_cast<char>(0x81);
    return dat;
}

TEST(MetaStockDate, EncodesAndSplits) {
    struct Case {
        int year, month, day;
        long date;
    };
    for (const Case& c : {Case{2014, 3, 15, 1140315}, Case{1995, 1, 2, 950102}, Case{1999, 12, 31, 991231},
                          Case{2000, 1, 1, 1000101}}) {
        EXPECT_EQ(metastock_date(c.year, c.month, c.day), c.date);
        const auto split = split_metastock_date(c.date);
        ASSERT_TRUE(split);
        EXPECT_EQ(split->year, c.year);
        EXPECT_EQ(split->month, c.month);
        EXPECT_EQ(split->day, c.day);
    }
    for (long bad : {-1L, 0L, 10000101L, 1001301L, 1000100L}) EXPECT_FALSE(split_metastock_date(bad)) << bad;
}

TEST(MetaStockDirectory, NewSeriesAreReadBackByAnIndependentReader) {
    testing::TempInstall install;
    std::filesystem::create_directories(install.path("MS"));
    MasterReadResult read = read_master(dir);
    ASSERT_EQ(read.status, MasterReadResult::missing);
    MetaStockMaster master = read.master;

    const Allocation daily = allocate_series(master, "SOYBEANS-N", "SP", 'D');
    // The same symbol with another time frame is another series.
    ASSERT_FALSE(find_series(master, "sp", 'W'));
    const Allocation weekly = allocate_series(master, "SP", "SP", 'W');
    ASSERT_EQ(daily.status, Allocation::ok);
    ASSERT_EQ(weekly.status, Allocation::ok);
    EXPECT_EQ(find_series(master, "sp", 'D'), daily.index);
    EXPECT_EQ(find_series(master, "Sp", 'W'), weekly.index);
    EXPECT_FALSE(find_series(master, "SP", 'M'));

    MetaStockData data;
    data.field_count = 7;
    data.records = {{1140314, {10.5f, 11.25f, 9.75f, 11.0f, 1200, 0}},
                    {1140315, {11.0f, -0.5f, 0, 1e6f, 0, 33000}}};
    ASSERT_EQ(write_dat(dir, 1, data), DataWrite::ok);
    MetaStockData weekly_data;
    weekly_data.field_count = 5;
    weekly_data.records = {{991231, {2.5f, 1.5f, 2.0f, 7}}};
    ASSERT_EQ(write_dat(dir, 2, weekly_data), DataWrite::ok);
    describe_series(master.records[daily.index], data);
    describe_series(master.records[weekly.index], weekly_data);
    stamp_master(master, 37);
    ASSERT_TRUE(write_master(dir, master));
    ASSERT_TRUE(write_dop(dir, 1, 7, 2));
    ASSERT_TRUE(write_dop(dir, 2, 5, -1));

    const std::string m = install.read("MS/MASTER");
    ASSERT_EQ(m.size(), 3 * 53u);
    EXPECT_EQ(u16_at(m, 0), 2u);
    EXPECT_EQ(u16_at(m, 2), 2u);
    EXPECT_EQ(m.substr(49, 4), "\x64\xFB\x6B\x82");  // the stamp for a 7: 100 251 107 130
    struct Expected {
        int file_number, record_length, fields;
        std::string name, symbol;
        double first, last;
        char time_frame;
    };
    const Expected expected[] = {{1, 28, 7, "SOYBEANS-N      ", "SP            ", 1140314, 1140315, 'D'},
                                 {2, 20, 5, "SP              ", "SP            ", 991231, 991231, 'W'}};
    for (int i = 0; i < 2; ++i) {
        const std::string r = m.substr(53 * (i + 1), 53);
        const Expected& e = expected[i];
        EXPECT_EQ(byte_at(r, 0), e.file_number);
        EXPECT_EQ(u16_at(r, 1), 101u);
        EXPECT_EQ(byte_at(r, 3), e.record_length);
        EXPECT_EQ(byte_at(r, 4), e.fields);
        EXPECT_EQ(r.substr(7, 16), e.name);
        EXPECT_EQ(mbf_at(r, 25), e.first);
        EXPECT_EQ(mbf_at(r, 29), e.last);
        EXPECT_EQ(r[33], e.time_frame);
        EXPECT_EQ(r.substr(36, 14), e.symbol);
        EXPECT_EQ(r.substr(50, 3), std::string("  \0", 3));
        for (std::size_t z : {5, 6, 23, 24, 34, 35}) EXPECT_EQ(r[z], 0) << z;
    }

    const std::string d = install.read("MS/F1.DAT");
    ASSERT_EQ(d.size(), 3 * 28u);
    EXPECT_EQ(d.substr(0, 28), std::string("\0\0\x03", 3) + std::string(25, '\0'));
    for (std::size_t i = 0; i < data.records.size(); ++i) {
        EXPECT_EQ(mbf_at(d, 28 * (i + 1)), data.records[i].date);
        for (std::size_t f = 0; f < 6; ++f) EXPECT_EQ(mbf_at(d, 28 * (i + 1) + 4 * (f + 1)), data.records[i].values[f]);
    }
    EXPECT_EQ(d.substr(28 * 2 + 12, 4), std::string(4, '\0'));  // a zero is four zero bytes
    const std::string w = install.read("MS/F2.DAT");
    ASSERT_EQ(w.size(), 2 * 20u);
    EXPECT_EQ(u16_at(w, 2), 2u);
    EXPECT_EQ(mbf_at(w, 20), 991231);
    EXPECT_EQ(mbf_at(w, 36), 7);

    EXPECT_EQ(install.read("MS/F1.DOP"),
              "\"DATE\",0,0\n\"OPEN\",2,2\n\"HIGH\",2,2\n\"LOW\",2,2\n\"CLOSE\",2,2\n\"VOL\",0,0\n\"OI\",0,0\n\x1A");
    EXPECT_EQ(install.read("MS/F2.DOP"), "\"DATE\",0,0\n\"HIGH\",-1,-1\n\"LOW\",-1,-1\n\"CLOSE\",-1,-1\n\"VOL\",0,0\n\x1A");

    // And our own reader gives back the same.
    const MasterReadResult again = read_master(dir);
    ASSERT_EQ(again.status, MasterReadResult::ok);
    ASSERT_EQ(again.master.records.size(), 2u);
    const DataReadResult back = read_dat(dir, again.master.records[0]);
    ASSERT_EQ(back.status, DataReadResult::ok);
    ASSERT_EQ(back.data.records.size(), 2u);
    EXPECT_EQ(back.data.records[1].values, data.records[1].values);
    EXPECT_EQ(read_dat(dir, again.master.records[0], 1).data.records.at(0).date, 1140315);
}

TEST(MetaStockDirectory, AllocatesTheLowestFreeNumberOnceTheHighestIs255) {
    // 200 series with the numbers 1 to 255 except 2 to 56.
    std::string records;
    for (int n = 57; n <= 255; ++n) records += raw_record(n, "S" + std::to_string(n));
    records += raw_record(1, "S1");
    testing::TempInstall install;
    install.write("MS/MASTER", raw_master(200, 255, records));
    MasterReadResult read = read_master(dir);
    ASSERT_EQ(read.status, MasterReadResult::ok) << read.message;
    const Allocation a = allocate_series(read.master, "NEW", "NEW", 'D');
    ASSERT_EQ(a.status, Allocation::ok);
    EXPECT_EQ(a.index, 200u);
    EXPECT_EQ(read.master.records[a.index].file_number(), 2);
    EXPECT_EQ(read.master.highest_file_number(), 255);

    // A header whose highest number is below one in use never hands that number out.
    MetaStockMaster stale;
    stale.records = {MasterRecord::make(1, "A", "A", 'D'), MasterRecord::make(2, "B", "B", 'D')};
    stale.set_highest_file_number(1);
    const Allocation b = allocate_series(stale, "C", "C", 'D');
    ASSERT_EQ(b.status, Allocation::ok);
    EXPECT_EQ(stale.records[b.index].file_number(), 3);

    // 255 series: full.
    MetaStockMaster full;
    for (int n = 1; n <= 255; ++n) full.records.push_back(MasterRecord::make(n, "X", "X", 'D'));
    full.set_highest_file_number(255);
    EXPECT_EQ(allocate_series(full, "Y", "Y", 'D').status, Allocation::full);
    EXPECT_EQ(full.records.size(), 255u);
}

TEST(MetaStockDirectory, ForeignBytesSurviveARewrite) {
    testing::TempInstall install;
    std::string record = raw_record(1, "CL");
    for (std::size_t i : {2, 5, 6, 23, 24, 34, 35, 52}) record[i] = static_cast<char>(0xA0 + i);
    std::string master_bytes = raw_master(1, 1, record);
    master_bytes[10] = 'x';
    master_bytes[48] = 'y';
    install.write("MS/MASTER", master_bytes);
    std::string dat = raw_dat(2, 28, 1);
    dat[0] = 7;
    dat[20] = 9;
    install.write("MS/F1.DAT", dat);

    MasterReadResult read = read_master(dir);
    ASSERT_EQ(read.status, MasterReadResult::ok);
    DataReadResult data = read_dat(dir, read.master.records[0]);
    ASSERT_EQ(data.status, DataReadResult::ok);
    data.data.records.push_back({1140316, {1, 2, 3, 4, 5, 6}});
    ASSERT_EQ(write_dat(dir, 1, data.data), DataWrite::ok);
    describe_series(read.master.records[0], data.data);
    ASSERT_TRUE(write_master(dir, read.master));

    const std::string m = install.read("MS/MASTER");
    std::string expected_record = record;
    expected_record.replace(25, 8, m.substr(53 + 25, 8));  // the dates are ours
    EXPECT_EQ(m.substr(53), expected_record);
    EXPECT_EQ(m.substr(0, 49), master_bytes.substr(0, 49));
    const std::string d = install.read("MS/F1.DAT");
    EXPECT_EQ(d[0], 7);
    EXPECT_EQ(d[20], 9);
    EXPECT_EQ(u16_at(d, 2), 3u);
}

TEST(MetaStockDirectory, RemovingASeriesMovesTheLaterOnesUp) {
    testing::TempInstall install;
    install.write("MS/MASTER", raw_master(3, 9, raw_record(4, "A") + raw_record(9, "B") + raw_record(2, "C")));
    for (int n : {4, 9, 2}) {
        install.write("MS/F" + std::to_string(n) + ".DAT", raw_dat(1, 28, 0));
        install.write("MS/F" + std::to_string(n) + ".DOP", "x");
    }
    MasterReadResult read = read_master(dir);
    ASSERT_EQ(read.status, MasterReadResult::ok);
    ASSERT_TRUE(remove_series(dir, read.master, 1));

    const std::string m = install.read("MS/MASTER");
    ASSERT_EQ(m.size(), 3 * 53u);
    EXPECT_EQ(u16_at(m, 0), 2u);
    EXPECT_EQ(u16_at(m, 2), 4u);
    EXPECT_EQ(byte_at(m, 53), 4);
    EXPECT_EQ(byte_at(m, 106), 2);
    EXPECT_FALSE(std::filesystem::exists(install.path("MS/F9.DAT")));
    EXPECT_FALSE(std::filesystem::exists(install.path("MS/F9.DOP")));
    EXPECT_TRUE(std::filesystem::exists(install.path("MS/F4.DAT")));
}

TEST(MetaStockDirectory, AppendsAndReplacesADay) {
    testing::TempInstall install;
    install.write("MS/MASTER", raw_master(1, 1, raw_record(1, "W_")));
    // Two counted records and a stray one after them that the count leaves out.
    std::string dat = raw_dat(3, 28, 3);
    install.write("MS/F1.DAT", dat);
    MasterReadResult read = read_master(dir);
    ASSERT_EQ(read.status, MasterReadResult::ok);

    ASSERT_EQ(append_day(dir, read.master, 0, {1140317, {1, 2, 3, 4, 0, 6}}), AppendResult::ok);
    std::string d = install.read("MS/F1.DAT");
    ASSERT_EQ(d.size(), 4 * 28u);  // the stray record was overwritten, not counted
    EXPECT_EQ(u16_at(d, 2), 4u);
    EXPECT_EQ(mbf_at(d, 3 * 28), 1140317);
    EXPECT_EQ(mbf_at(d, 3 * 28 + 24), 6);
    EXPECT_EQ(d.substr(3 * 28 + 20, 4), std::string(4, '\0'));
    const std::string m = install.read("MS/MASTER");
    EXPECT_EQ(mbf_at(m, 53 + 29), 1140317);
    EXPECT_EQ(m.substr(49, 4), std::string(4, '\0'));  // written back as read, not stamped

    ASSERT_EQ(append_day(dir, read.master, 0, {1140318, {9, 9, 9, 9, 9, 9}}, 1), AppendResult::ok);
    d = install.read("MS/F1.DAT");
    EXPECT_EQ(d.size(), 4 * 28u);
    EXPECT_EQ(u16_at(d, 2), 4u);
    EXPECT_EQ(mbf_at(d, 3 * 28), 1140318);

    // A value without an MBF form changes nothing.
    EXPECT_EQ(append_day(dir, read.master, 0, {1140319, {std::numeric_limits<float>::infinity(), 0, 0, 0, 0, 0}}), AppendResult::no_mbf_form);
    EXPECT_EQ(install.read("MS/F1.DAT"), d);
    MetaStockData huge;
    huge.records = {{1140319, {std::ldexp(1.5f, 127), 0, 0, 0, 0, 0}}};
    EXPECT_EQ(write_dat(dir, 1, huge), DataWrite::no_mbf_form);
    EXPECT_EQ(install.read("MS/F1.DAT"), d);
}

TEST(MetaStockDirectory, WriteProtectedFilesAreLeftAlone) {
    testing::TempInstall install;
    const std::string master_bytes = raw_master(1, 1, raw_record(1, "A"));
    const std::string dat = raw_dat(2, 28, 1);
    install.write("MS/MASTER", master_bytes);
    install.write("MS/F1.DAT", dat);
    install.write("MS/F1.DOP", "old");
    MasterReadResult read = read_master(dir);
    ASSERT_EQ(read.status, MasterReadResult::ok);
    for (const char* name : {"MASTER", "F1.DAT", "F1.DOP"}) ASSERT_TRUE(make_read_only(metastock_path(dir, name)));

    EXPECT_FALSE(write_master(dir, read.master));
    MetaStockData data;
    EXPECT_EQ(write_dat(dir, 1, data), DataWrite::cannot_write);
    EXPECT_EQ(write_dat_after(dir, 1, data, 1, WorkFileMode::reuse), DataWrite::cannot_write);
    EXPECT_FALSE(write_dop(dir, 1, 7, 2));
    EXPECT_FALSE(write_dop(dir, 1, 7, 2, WorkFileMode::reuse));
    EXPECT_EQ(append_day(dir, read.master, 0, {1140315, {}}), AppendResult::cannot_write);
    EXPECT_FALSE(remove_series(dir, read.master, 0));
    EXPECT_EQ(install.read("MS/MASTER"), master_bytes);
    EXPECT_EQ(install.read("MS/F1.DAT"), dat);
    EXPECT_EQ(install.read("MS/F1.DOP"), "old");
    EXPECT_EQ(read.master.records.size(), 1u);
}

TEST(MetaStockDirectory, AColumnFileIsReplacedOnlyWhenItsBytesChange) {
    testing::TempInstall install;
    std::filesystem::create_directories(install.path("MS"));
    const std::string two =
        "\"DATE\",0,0\n\"OPEN\",2,2\n\"HIGH\",2,2\n\"LOW\",2,2\n\"CLOSE\",2,2\n\"VOL\",0,0\n\"OI\",0,0\n\x1A";
    const auto inode = [&]() -> ino_t {
        struct stat info;
        return ::stat(install.path("MS/F1.DOP").c_str(), &info) == 0 ? info.st_ino : 0;
    };
    struct Case {
        const char* what;
        std::string before;  // empty: no file
        bool kept;           // the same file afterwards
    } cases[] = {
        {"no column file yet", "", false},
        {"the same bytes", two, true},
        {"other decimals",
         "\"DATE\",0,0\n\"OPEN\",3,3\n\"HIGH\",3,3\n\"LOW\",3,3\n\"CLOSE\",3,3\n\"VOL\",0,0\n\"OI\",0,0\n\x1A", false},
        {"the same bytes and more", two + "x", false},
        {"the bytes cut short", two.substr(0, two.size() - 1), false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(install.path("MS/F1.DOP"));
        if (!c.before.empty()) install.write("MS/F1.DOP", c.before);
        const auto before = c.before.empty() ? 0 : inode();
        for (const WorkFileMode mode : {WorkFileMode::fresh, WorkFileMode::reuse}) {
            ASSERT_TRUE(write_dop(dir, 1, 7, 2, mode)) << c.what;
            EXPECT_EQ(install.read("MS/F1.DOP"), two) << c.what;
        }
        EXPECT_EQ(inode() == before, c.kept) << c.what;
    }
}

TEST(MetaStockDirectory, TheInUseMarker) {
    testing::TempInstall install;
    install.write("MS/MASTER", raw_master(0, 0, ""));
    EXPECT_FALSE(metastock_in_use(dir));
    EXPECT_FALSE(metastock_in_use(dir, InUseLook::as_written));
    // A marker in another case is found by the look in any case only.
    install.write("MS/~msfl.usr", "");
    EXPECT_TRUE(metastock_in_use(dir));
    EXPECT_FALSE(metastock_in_use(dir, InUseLook::as_written));
    install.write("MS/~MSFL.USR", "");
    EXPECT_TRUE(metastock_in_use(dir, InUseLook::as_written));
    EXPECT_TRUE(metastock_in_use("\\QUORVANT\\MS"));
}

TEST(MetaStockDirectory, DamagedMasterFilesAreRefused) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"shorter than its header", std::string(30, '\0')},
        {"count beyond 255", raw_master(300, 255, raw_record(1, "A"))},
        {"count beyond the records held", raw_master(5, 2, raw_record(1, "A") + raw_record(2, "B"))},
        {"record cut short", raw_master(1, 1, raw_record(1, "A").substr(0, 40))},
        {"highest number beyond 255", raw_master(1, 256, raw_record(1, "A"))},
        {"record without a file number", raw_master(1, 1, raw_record(0, "A"))},
        {"file number used twice", raw_master(2, 3, raw_record(3, "A") + raw_record(3, "B"))},
    };
    for (const Case& c : cases) {
        testing::TempInstall install;
        install.write("MS/MASTER", c.bytes);
        const MasterReadResult read = read_master(dir);
        EXPECT_EQ(read.status, MasterReadResult::damaged) << c.what;
        EXPECT_TRUE(read.master.records.empty()) << c.what;
        EXPECT_NE(read.message.find("DAMAGED METASTOCK MASTER FILE"), std::string::npos) << c.what;
        EXPECT_EQ(install.read("MS/MASTER"), c.bytes) << c.what;
    }
}

TEST(MetaStockDirectory, DamagedDataFilesAreRefused) {
    struct Case {
        const char* what;
        std::string dat;
        int record_length, fields;
    };
    const Case cases[] = {
        {"count beyond the records held", raw_dat(40, 28, 3), 28, 7},
        {"count beyond 16 records in a short file", raw_dat(0xFFFF, 28, 1), 28, 7},
        {"header cut short", std::string(10, '\0'), 28, 7},
        {"no count but records", raw_dat(0, 28, 2), 28, 7},
        {"record length not 4 x fields", raw_dat(2, 28, 1), 24, 7},
        {"too many fields", raw_dat(2, 40, 1), 40, 10},
    };
    for (const Case& c : cases) {
        testing::TempInstall install;
        std::string record = raw_record(1, "A");
        record[3] = static_cast<char>(c.record_length);
        record[4] = static_cast<char>(c.fields);
        install.write("MS/MASTER", raw_master(1, 1, record));
        install.write("MS/F1.DAT", c.dat);
        MasterReadResult read = read_master(dir);
        ASSERT_EQ(read.status, MasterReadResult::ok) << c.what;
        const DataReadResult data = read_dat(dir, read.master.records[0]);
        EXPECT_EQ(data.status, DataReadResult::damaged) << c.what;
        EXPECT_TRUE(data.data.records.empty()) << c.what;
        EXPECT_FALSE(data.message.empty()) << c.what;
        EXPECT_EQ(append_day(dir, read.master, 0, {1140315, {1, 1, 1, 1, 1, 1}}), AppendResult::damaged) << c.what;
        EXPECT_EQ(install.read("MS/F1.DAT"), c.dat) << c.what;
        EXPECT_EQ(install.read("MS/MASTER"), raw_master(1, 1, record)) << c.what;
    }
    testing::TempInstall install;
    install.write("MS/MASTER", raw_master(1, 1, raw_record(1, "A")));
    MasterReadResult read = read_master(dir);
    EXPECT_EQ(read_dat(dir, read.master.records[0]).status, DataReadResult::missing);
    EXPECT_EQ(append_day(dir, read.master, 0, {1140315, {}}), AppendResult::missing);
}

}  // namespace
}  // namespace qv
