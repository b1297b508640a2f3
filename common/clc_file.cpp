#include "common/clc_file.h"
#include "common/install_files.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qv {

namespace {

// Whole records are read and written through buffers of this size, so that a
// long history is copied in large blocks rather than record by record.
constexpr std::size_t io_buffer_size = 64 * 1024;

// Field offsets of a record for a price width; the counts follow the prices.
struct RecordShape {
    std::size_t price[4];
    std::size_t counts[3];
};

RecordShape shape_of(int bytes) {
    const std::size_t w = static_cast<std::size_t>(bytes);
    const std::size_t first_count = 2 + 4 * w;
    return {{2, 2 + w, 2 + 2 * w, 2 + 3 * w},
            {first_count, first_count + 3, first_count + 6}};
}

void put_price(std::uint8_t* p, int bytes, std::int32_t value) {
    switch (bytes) {
    case 2: put_u16(p, static_cast<std::uint16_t>(value)); break;
    case 3: long_to_tri(p, value); break;
    default: long_to_quad(p, value); break;
    }
}

}  // namespace

bool valid_price_width(int bytes) { return bytes >= 2 && bytes <= 4; }

std::size_t clc_record_size(int bytes) {
    return valid_price_width(bytes) ? 2 + 4 * static_cast<std::size_t>(bytes) + 9 : 0;
}

void put_u16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value & 0xFF);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

void long_to_tri(std::uint8_t* p, std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    p[0] = static_cast<std::uint8_t>(bits & 0xFF);
    p[1] = static_cast<std::uint8_t>((bits >> 8) & 0xFF);
    p[2] = static_cast<std::uint8_t>((bits >> 16) & 0xFF);
}

bool fits_in_tri(std::int64_t value) { return value >= 0 && value <= tri_max; }

void long_to_quad(std::uint8_t* p, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFF);
}

bool fits_price_width(std::int64_t value, int bytes) {
    switch (bytes) {
    case 2: return value >= 0 && value <= 0xFFFF;
    case 3: return fits_in_tri(value);
    case 4:
        return value >= std::numeric_limits<std::int32_t>::min() &&
               value <= std::numeric_limits<std::int32_t>::max();
    default: return false;
    }
}

void encode_header(const ClcHeader& header, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(header.tag[0]);
    out[1] = static_cast<std::uint8_t>(header.tag[1]);
    put_u16(out + 2, static_cast<std::uint16_t>(header.precision));
    put_u16(out + 4, static_cast<std::uint16_t>(header.bytes));
    std::memcpy(out + 6, header.reserved.data(), header.reserved.size());
}

ClcHeader decode_header(const std::uint8_t* in) {
    ClcHeader header;
    header.tag = {static_cast<char>(in[0]), static_cast<char>(in[1])};
    header.precision = static_cast<std::int16_t>(get_u16(in + 2));
    header.bytes = static_cast<std::int16_t>(get_u16(in + 4));
    std::memcpy(header.reserved.data(), in + 6, header.reserved.size());
    return header;
}

ClcHeader make_clc_header(std::string_view tag, int precision, int bytes) {
    ClcHeader header;
    header.tag = {tag.size() > 0 ? tag[0] : ' ', tag.size() > 1 ? tag[1] : ' '};
    header.precision = static_cast<std::int16_t>(precision);
    header.bytes = static_cast<std::int16_t>(bytes);
    return header;
}

void encode_record(const ClcRecord& record, int bytes, std::uint8_t* out) {
    const RecordShape shape = shape_of(bytes);
    put_u16(out, record.day);
    put_price(out + shape.price[0], bytes, record.open);
    put_price(out + shape.price[1], bytes, record.high);
    put_price(out + shape.price[2], bytes, record.low);
    put_price(out + shape.price[3], bytes, record.close);
    long_to_tri(out + shape.counts[0], record.open_interest);
    long_to_tri(out + shape.counts[1], record.total_volume);
    long_to_tri(out + shape.counts[2], record.total_open_interest);
}

ClcRecord decode_record(const std::uint8_t* in, int bytes) {
    const RecordShape shape = shape_of(bytes);
    ClcRecord record;
    record.day = get_u16(in);
    record.open = get_price(in + shape.price[0], bytes);
    record.high = get_price(in + shape.price[1], bytes);
    record.low = get_price(in + shape.price[2], bytes);
    record.close = get_price(in + shape.price[3], bytes);
    record.open_interest = tri_to_long(in + shape.counts[0]);
    record.total_volume = tri_to_long(in + shape.counts[1]);
    record.total_open_interest = tri_to_long(in + shape.counts[2]);
    return record;
}

std::string clc_file_name(std::string_view tag) {
    std::string name(install::clc_folder);
    name.append(tag.substr(0, 2));
    name += "_CLC.QVT";
    return name;
}

ClcReader::Status ClcReader::open(std::string_view path, Buffering buffering) {
    file_.reset();
    cut_ = false;
    record_size_ = 0;
    header_ = ClcHeader{};
    file_ = open_file(path, "rb");
    if (!file_) return Status::cannot_open;
    if (buffering == Buffering::records) {
        buffer_.resize(io_buffer_size);
        std::setvbuf(file_.get(), buffer_.data(), _IOFBF, buffer_.size());
    } else {
        std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    }
    std::uint8_t raw[clc_header_size];
    if (std::fread(raw, 1, sizeof raw, file_.get()) != sizeof raw) {
        file_.reset();
        return Status::short_header;
    }
    header_ = decode_header(raw);
    record_size_ = clc_record_size(header_.bytes);
    if (record_size_ == 0) {
        file_.reset();
        return Status::bad_width;
    }
    return Status::ok;
}

bool ClcReader::read(ClcRecord& record) {
    if (!file_ || cut_) return false;
    std::uint8_t raw[clc_max_record_size];
    const std::size_t got = std::fread(raw, 1, record_size_, file_.get());
    if (got != record_size_) {
        cut_ = got != 0;
        return false;
    }
    record = decode_record(raw, header_.bytes);
    return true;
}

std::size_t ClcReader::read_block(std::uint8_t* bytes, std::size_t count) {
    if (!file_ || cut_ || count == 0) return 0;
    const std::size_t got = std::fread(bytes, 1, count * record_size_, file_.get());
    cut_ = got % record_size_ != 0;
    return got / record_size_;
}

bool ClcReader::rewind() {
    if (!file_) return false;
    cut_ = false;
    return std::fseek(file_.get(), static_cast<long>(clc_header_size), SEEK_SET) == 0;
}

std::size_t ClcReader::record_count() {
    if (!file_ || record_size_ == 0) return 0;
    const long here = std::ftell(file_.get());
    if (here < 0 || std::fseek(file_.get(), 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(file_.get());
    std::fseek(file_.get(), here, SEEK_SET);
    if (end < static_cast<long>(clc_header_size)) return 0;
    return (static_cast<std::size_t>(end) - clc_header_size) / record_size_;
}

bool ClcReader::seek(std::size_t index) {
    if (!file_ || record_size_ == 0) return false;
    cut_ = false;
    const std::size_t offset = clc_header_size + index * record_size_;
    if (offset > static_cast<std::size_t>(std::numeric_limits<long>::max())) return false;
    return std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) == 0;
}

bool ClcWriter::create(std::string_view path, const ClcHeader& header) {
    file_.reset();
    failed_ = false;
    bytes_ = header.bytes;
    if (!valid_price_width(bytes_)) return false;
    file_ = open_file(path, "wb");
    if (!file_) return false;
    buffer_.resize(io_buffer_size);
    std::setvbuf(file_.get(), buffer_.data(), _IOFBF, buffer_.size());
    std::uint8_t raw[clc_header_size];
    encode_header(header, raw);
    failed_ = std::fwrite(raw, 1, sizeof raw, file_.get()) != sizeof raw;
    return true;
}

void ClcWriter::write(const ClcRecord& record) {
    if (!file_ || failed_) return;
    std::uint8_t raw[clc_max_record_size];
    const std::size_t size = clc_record_size(bytes_);
    encode_record(record, bytes_, raw);
    failed_ = std::fwrite(raw, 1, size, file_.get()) != size;
}

bool ClcWriter::finish() {
    if (!file_) return false;
    std::FILE* file = file_.release();
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return !failed_ && flushed && closed;
}

}  // namespace qv
