#pragma once

// The CLC database file: one binary file per commodity, \QUORVANT\CLC\xx_CLC.QVT,
// holding the daily prices of the commodity's front contract, with a roll-over
// record (day number 0) wherever the front contract changes.
//
// Layout, all numbers little-endian, no gaps:
//   header, 40 bytes: tag (2 characters), precision (signed 16-bit),
//                     bytes (signed 16-bit: width of a price, 2, 3 or 4),
//                     34 reserved bytes
//   records:          day number (unsigned 16-bit), open, high, low, close in
//                     the price width (2: unsigned 16-bit, 3: unsigned 24-bit,
//                     4: signed 32-bit), then open interest, total volume and
//                     total open interest as unsigned 24-bit numbers.

#include "common/platform/files.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::size_t clc_header_size = 40;
inline constexpr std::size_t clc_max_record_size = 27;
inline constexpr std::uint32_t tri_max = 0xFFFFFF;

struct ClcHeader {
    std::array<char, 2> tag{};
    std::int16_t precision = 0;
    std::int16_t bytes = 0;
    std::array<std::uint8_t, 34> reserved{};  // kept as found when a header is rewritten
};

// One record as stored: prices are whole numbers, the price times 10^precision.
struct ClcRecord {
    std::uint16_t day = 0;  // 0: roll-over record
    std::int32_t open = 0;
    std::int32_t high = 0;
    std::int32_t low = 0;
    std::int32_t close = 0;
    std::uint32_t open_interest = 0;
    std::uint32_t total_volume = 0;
    std::uint32_t total_open_interest = 0;

    bool is_roll_over() const { return day == 0; }
    friend bool operator==(const ClcRecord&, const ClcRecord&) = default;
};

// A price width the layout knows: 2, 3 or 4.
bool valid_price_width(int bytes);
// 19, 23 or 27 for the price widths 2, 3 and 4; 0 for any other width.
std::size_t clc_record_size(int bytes);

// The number encodings shared by every binary file of the suite. The readers
// are defined here, as they are read for every field of every record.
inline std::uint16_t get_u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void put_u16(std::uint8_t* p, std::uint16_t value);
// A 24-bit number ("tri"): three bytes, lowest first, read as unsigned.
inline std::uint32_t tri_to_long(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}
// Writes the low three bytes of value; whatever lies above them is dropped.
void long_to_tri(std::uint8_t* p, std::int64_t value);
bool fits_in_tri(std::int64_t value);
// A 32-bit number ("quad"): four bytes, lowest first, read as signed.
inline std::int32_t quad_to_long(const std::uint8_t* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(bits);
}
void long_to_quad(std::uint8_t* p, std::int32_t value);
// A stored price in the price width (2, 3 or 4).
inline std::int32_t get_price(const std::uint8_t* p, int bytes) {
    switch (bytes) {
    case 2: return get_u16(p);
    case 3: return static_cast<std::int32_t>(tri_to_long(p));
    default: return quad_to_long(p);
    }
}

// Whether a stored price can be written in the price width without losing
// digits: 0 to 65535 for 2 bytes, 0 to 16777215 for 3, any 32-bit value for 4.
bool fits_price_width(std::int64_t value, int bytes);

void encode_header(const ClcHeader& header, std::uint8_t* out);
ClcHeader decode_header(const std::uint8_t* in);
// A header as the tools write it for a commodity: tag, precision, width, zeros.
ClcHeader make_clc_header(std::string_view tag, int precision, int bytes);

// Encodes into clc_record_size(bytes) bytes. Prices are cut to the width;
// callers that must not lose digits check fits_price_width first.
void encode_record(const ClcRecord& record, int bytes, std::uint8_t* out);
ClcRecord decode_record(const std::uint8_t* in, int bytes);

// A record's fields read from its stored bytes one at a time, for readers
// that need only some of them. It points into the bytes it was made from.
class ClcRecordBytes {
public:
    ClcRecordBytes() = default;
    ClcRecordBytes(const std::uint8_t* bytes, int width) : bytes_(bytes), width_(width) {}

    std::uint16_t day() const { return bytes_ ? get_u16(bytes_) : 0; }
    bool is_roll_over() const { return day() == 0; }
    // 0 open, 1 high, 2 low, 3 close.
    std::int32_t price(int index) const { return get_price(bytes_ + 2 + index * width_, width_); }
    // 0 open interest, 1 total volume, 2 total open interest.
    std::uint32_t count(int index) const { return tri_to_long(bytes_ + 2 + 4 * width_ + 3 * index); }
    ClcRecord record() const { return decode_record(bytes_, width_); }

private:
    const std::uint8_t* bytes_ = nullptr;
    int width_ = 0;
};

// "\QUORVANT\CLC\" + tag + "_CLC.QVT" (so W_ gives W__CLC.QVT).
std::string clc_file_name(std::string_view tag);

// Streams the records of a CLC file through a buffer, in file order.
class ClcReader {
public:
    enum class Status {
        ok,
        cannot_open,
        short_header,  // the file ends inside the header
        bad_width,     // the header's price width is not 2, 3 or 4
    };

    // How the reader takes the file's bytes: through a buffer of its own, for
    // reading many records one by one, or straight from the file, for reading
    // blocks (see read_block) or just a few records, which need no buffer in
    // between.
    enum class Buffering { records, direct };

    Status open(std::string_view path, Buffering buffering = Buffering::records);
    const ClcHeader& header() const { return header_; }
    int price_width() const { return header_.bytes; }

    // The next record; false at the end of the file. A record cut by the end of
    // the file ends the series: the whole records before it are the file's.
    bool read(ClcRecord& record);
    // Up to `count` next records as stored, read from the file with one call
    // for the whole block rather than one per record, into `bytes`, which has
    // room for `count` records (record n at n * record_size()); the number of
    // records read, 0 at the end. A record cut by the end of the file ends the
    // series as for read().
    std::size_t read_block(std::uint8_t* bytes, std::size_t count);
    std::size_t record_size() const { return record_size_; }
    // Whether the series ended inside a record.
    bool cut() const { return cut_; }
    // Back to the first record.
    bool rewind();
    // The number of whole records after the header.
    std::size_t record_count();
    // Positions the reader at record `index` (from 0): the next read returns it.
    bool seek(std::size_t index);

private:
    std::vector<char> buffer_;  // declared before file_: it must outlive the stream
    FilePtr file_;
    ClcHeader header_{};
    std::size_t record_size_ = 0;
    bool cut_ = false;
};

// Writes a CLC file through a buffer: the header first, then records.
class ClcWriter {
public:
    // Creates (or truncates) the file and writes the header.
    bool create(std::string_view path, const ClcHeader& header);
    void write(const ClcRecord& record);
    // Flushes and closes; false when anything could not be written.
    bool finish();
    bool is_open() const { return file_ != nullptr; }

private:
    std::vector<char> buffer_;  // declared before file_: it must outlive the stream
    FilePtr file_;
    int bytes_ = 0;
    bool failed_ = false;
};

}  // namespace qv
