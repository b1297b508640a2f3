#include "common/clc_file.h"
#include "common/clc_price.h"
#include "common/testing/temp_install.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qv {
namespace {

using Bytes = std::vector<std::uint8_t>;

ClcRecord sample_record(std::uint16_t day) {
    ClcRecord r;
    r.day = day;
    r.open = 12345;
    r.high = 12400;
    r.low = 12300;
    r.close = 12350;
    r.open_interest = 1000000;
    r.total_volume = 70000;
    r.total_open_interest = tri_max;
    return r;
}

TEST(ClcNumbers, TriAndQuadEncodings) {
    const std::uint8_t million[] = {0x40, 0x42, 0x0F};
    EXPECT_EQ(tri_to_long(million), 1000000u);

    const std::uint8_t all_ones[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(get_u16(all_ones), 65535);
    EXPECT_EQ(quad_to_long(all_ones), -1);
    EXPECT_EQ(tri_to_long(all_ones), tri_max);

    std::uint8_t out[4] = {};
    long_to_tri(out, 0x12345678);  // only the low three bytes are kept
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{0x78, 0x56, 0x34}));
    long_to_quad(out, -2);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));

    EXPECT_TRUE(fits_in_tri(16777215));
    EXPECT_FALSE(fits_in_tri(16777216));
    EXPECT_FALSE(fits_in_tri(-1));
}

TEST(ClcNumbers, PriceWidthLimits) {
    struct Case {
        std::int64_t value;
        int bytes;
        bool fits;
    } cases[] = {
        {65535, 2, true},          {65536, 2, false},         {-1, 2, false},
        {16777215, 3, true},       {16777216, 3, false},      {-1, 3, false},
        {-2147483648LL, 4, true},  {2147483647LL, 4, true},   {2147483648LL, 4, false},
        {0, 1, false},             {0, 5, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fits_price_width(c.value, c.bytes), c.fits) << c.value << " in " << c.bytes;
}

// The byte layout of one record in each width, written out field by field.
TEST(ClcLayout, RecordBytesPerWidth) {
    EXPECT_EQ(clc_record_size(2), 19u);
    EXPECT_EQ(clc_record_size(3), 23u);
    EXPECT_EQ(clc_record_size(4), 27u);
    EXPECT_EQ(clc_record_size(1), 0u);
    EXPECT_EQ(clc_record_size(5), 0u);

    ClcRecord r;
    r.day = 44172;  // 0xAC8C
    r.open = 0x0102;
    r.high = 0x0304;
    r.low = 0x0506;
    r.close = 0x0708;
    r.open_interest = 0x0A0B0C;
    r.total_volume = 0x0D0E0F;
    r.total_open_interest = 0x101112;
    const Bytes counts = {0x0C, 0x0B, 0x0A, 0x0F, 0x0E, 0x0D, 0x12, 0x11, 0x10};

    Bytes two = {0x8C, 0xAC, 0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07};
    two.insert(two.end(), counts.begin(), counts.end());
    Bytes three = {0x8C, 0xAC, 0x02, 0x01, 0, 0x04, 0x03, 0, 0x06, 0x05, 0, 0x08, 0x07, 0};
    three.insert(three.end(), counts.begin(), counts.end());
    r.open = -2;  // only a 4-byte file holds negative prices
    Bytes four = {0x8C, 0xAC, 0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0, 0,
                  0x06, 0x05, 0,    0,    0x08, 0x07, 0,    0};
    four.insert(four.end(), counts.begin(), counts.end());

    for (const auto& [bytes, expected] : {std::pair{2, two}, std::pair{3, three}, std::pair{4, four}}) {
        ClcRecord in = r;
        if (bytes != 4) in.open = 0x0102;
        Bytes out(clc_record_size(bytes));
        encode_record(in, bytes, out.data());
        EXPECT_EQ(out, expected) << "width " << bytes;
        EXPECT_EQ(decode_record(expected.data(), bytes), in) << "width " << bytes;
    }
}

TEST(ClcLayout, HeaderBytes) {
    ClcHeader header = make_clc_header("W_", 2, 3);
    std::uint8_t raw[clc_header_size];
    encode_header(header, raw);
    Bytes expected(clc_header_size, 0);
    expected[0] = 'W';
    expected[1] = '_';
    expected[2] = 2;
    expected[4] = 3;
    EXPECT_EQ(Bytes(raw, raw + clc_header_size), expected);

    raw[6] = 0x77;  // reserved bytes survive a read and rewrite
    raw[2] = 0xF9;  // precision -7
    raw[3] = 0xFF;
    const ClcHeader back = decode_header(raw);
    EXPECT_EQ(back.precision, -7);
    std::uint8_t again[clc_header_size];
    encode_header(back, again);
    EXPECT_EQ(Bytes(again, again + clc_header_size), Bytes(raw, raw + clc_header_size));
    EXPECT_EQ(clc_file_name("W_"), "\\QUORVANT\\CLC\\W__CLC.QVT");
}

TEST(ClcFile, HundredThreeByteRecordsMake2340BytesAndReadBack) {
    testing::TempInstall install;
    std::filesystem::create_directories(install.path("CLC"));
    ClcWriter writer;
    ASSERT_TRUE(writer.create(clc_file_name("BP"), make_clc_header("BP", 4, 3)));
    std::vector<ClcRecord> written;
    for (std::uint16_t i = 0; i < 100; ++i) {
        // a roll-over record in the middle is kept in place like any other
        written.push_back(sample_record(i == 50 ? 0 : static_cast<std::uint16_t>(40000 + i)));
        writer.write(written.back());
    }
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(install.read("CLC/BP_CLC.QVT").size(), 2340u);

    ClcReader reader;
    ASSERT_EQ(reader.open(clc_file_name("BP")), ClcReader::Status::ok);
    EXPECT_EQ(reader.price_width(), 3);
    EXPECT_EQ(reader.header().precision, 4);
    std::vector<ClcRecord> read;
    for (ClcRecord r; reader.read(r);) read.push_back(r);
    EXPECT_EQ(read, written);
    EXPECT_FALSE(reader.cut());

    ASSERT_TRUE(reader.rewind());
    ClcRecord first;
    ASSERT_TRUE(reader.read(first));
    EXPECT_EQ(first, written.front());
}

TEST(ClcFile, CutFileEndsAtLastWholeRecord) {
    testing::TempInstall install;
    std::string file(clc_header_size, '\0');
    file[0] = 'S';
    file[1] = 'P';
    file[4] = 2;
    Bytes record(19);
    encode_record(sample_record(44172), 2, record.data());
    file.append(record.begin(), record.end());
    file.append(record.begin(), record.begin() + 7);  // cut inside the second record
    install.write("CLC/SP_CLC.QVT", file);

    ClcReader reader;
    ASSERT_EQ(reader.open(clc_file_name("SP")), ClcReader::Status::ok);
    ClcRecord r;
    EXPECT_TRUE(reader.read(r));
    EXPECT_EQ(r.day, 44172);
    EXPECT_FALSE(reader.read(r));
    EXPECT_TRUE(reader.cut());
}

TEST(ClcFile, ReaderRefusesBadHeaders) {
    testing::TempInstall install;
    for (int width : {0, 1, 5, 27}) {
        std::string file(clc_header_size + 27, '\0');
        file[4] = static_cast<char>(width);
        install.write("CLC/XX_CLC.QVT", file);
        ClcReader reader;
        EXPECT_EQ(reader.open(clc_file_name("XX")), ClcReader::Status::bad_width) << width;
        EXPECT_EQ(reader.price_width(), width);
        ClcRecord r;
        EXPECT_FALSE(reader.read(r));
    }
    install.write("CLC/XX_CLC.QVT", std::string(39, '\0'));
    ClcReader reader;
    EXPECT_EQ(reader.open(clc_file_name("XX")), ClcReader::Status::short_header);
    EXPECT_EQ(reader.open(clc_file_name("NO")), ClcReader::Status::cannot_open);
}

TEST(ClcPrice, StoredToPrice) {
    EXPECT_DOUBLE_EQ(stored_to_price(65535, 2), 655.35);
    EXPECT_DOUBLE_EQ(stored_to_price(-1, 4), -0.0001);
    EXPECT_DOUBLE_EQ(stored_to_price(123, 0), 123.0);
    EXPECT_DOUBLE_EQ(stored_to_price(123, -2), 123.0);  // no division at 0 or less
}

TEST(ClcPrice, UpdateNumberToStored) {
    struct Case {
        const char* token;
        int precision;
        std::int64_t stored;
    } cases[] = {
        {"1.2345", 2, 123},   // extra decimals dropped, not rounded
        {"98.5", 2, 9850},    // missing decimals count as 0
        {"98", 2, 98},        // no point: already a stored number
        {"12.5", 3, 12500},
        {"1234.5", 2, 123450},
        {"12.5", 0, 12},
        {"12.5", -2, 12},
        {"-1.50", 2, -150},
        {"-0.05", 2, -5},
        {".5", 2, 50},
        {"1.5x", 3, 1500},     // a non-digit after the point counts as 0
        {"99999999999999999999.9", 2, INT64_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(update_number_to_stored(c.token, c.precision), c.stored)
            << c.token << " at precision " << c.precision;
}

TEST(ClcPrice, TokensAndWholeNumbers) {
    const std::string line = " \t,1.5,, 2.25\t3 ";
    std::size_t pos = 0;
    EXPECT_EQ(next_price_token(line, pos), "1.5");
    EXPECT_EQ(next_price_token(line, pos), "2.25");
    EXPECT_EQ(next_price_token(line, pos), "3");
    EXPECT_EQ(next_price_token(line, pos), "");

    const std::string counts = " 12 -3\tx";
    pos = 0;
    std::int64_t value = 0;
    ASSERT_TRUE(read_whole_number(counts, pos, value));
    EXPECT_EQ(value, 12);
    ASSERT_TRUE(read_whole_number(counts, pos, value));
    EXPECT_EQ(value, -3);
    EXPECT_FALSE(read_whole_number(counts, pos, value));
    EXPECT_EQ(pos, 6u);
}

}  // namespace
}  // namespace qv
