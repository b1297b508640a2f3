#include "common/testing/metastock_reader.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qv::testing {

namespace {

constexpr std::size_t record_size = 53;

std::string read_whole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

unsigned byte_at(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s.at(i)); }
unsigned u16_at(std::string_view s, std::size_t i) { return byte_at(s, i) | byte_at(s, i + 1) << 8; }

// The folder's file of that name whatever the case it has on disk.
std::optional<std::filesystem::path> find_file(const std::filesystem::path& folder, std::string_view name) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string found = entry.path().filename().string();
        if (found.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < found.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(found[i])) == std::toupper(static_cast<unsigned char>(name[i]));
        if (same) return entry.path();
    }
    return std::nullopt;
}

std::filesystem::path existing_file(const std::filesystem::path& folder, const std::string& name) {
    if (auto found = find_file(folder, name)) return *found;
    throw std::runtime_error("no " + name + " in " + folder.string());
}

}  // namespace

double mbf_value(std::string_view b) {
    if (b.size() != 4) throw std::runtime_error("an MBF number has four bytes");
    const int exponent = static_cast<int>(byte_at(b, 3));
    if (exponent == 0) return 0.0;
    const unsigned mantissa = (byte_at(b, 2) & 0x7F) << 16 | byte_at(b, 1) << 8 | byte_at(b, 0);
    // 1.mmm x 2^(exponent - 129): the MBF exponent is biased by 128 with the
    // binary point before the implied 1.
    const double value = std::ldexp(1.0 + mantissa / 8388608.0, exponent - 129);
    return (byte_at(b, 2) & 0x80) ? -value : value;
}

std::string MsSeries::trimmed_symbol() const { return symbol.substr(0, symbol.find(' ')); }

const MsSeries* MsMaster::find(std::string_view wanted, char frame) const {
    for (const MsSeries& s : series)
        if (s.trimmed_symbol() == wanted && s.time_frame == frame) return &s;
    return nullptr;
}

std::optional<MsMaster> read_ms_master(const std::filesystem::path& folder) {
    const auto file = find_file(folder, "MASTER");
    if (!file) return std::nullopt;
    const std::string bytes = read_whole(*file);
    if (bytes.size() < record_size || bytes.size() % record_size != 0)
        throw std::runtime_error("MASTER of " + std::to_string(bytes.size()) + " bytes is not whole 53-byte records");
    MsMaster master;
    master.header = bytes.substr(0, record_size);
    master.series_count = u16_at(bytes, 0);
    master.highest = u16_at(bytes, 2);
    master.stamp = bytes.substr(49, 4);
    if (bytes.size() / record_size != master.series_count + 1)
        throw std::runtime_error("MASTER counts " + std::to_string(master.series_count) + " series but holds " +
                                 std::to_string(bytes.size() / record_size - 1));
    for (unsigned i = 1; i <= master.series_count; ++i) {
        const std::string r = bytes.substr(i * record_size, record_size);
        MsSeries s;
        s.raw = r;
        s.file_number = static_cast<int>(byte_at(r, 0));
        s.file_type = u16_at(r, 1);
        s.record_length = static_cast<int>(byte_at(r, 3));
        s.field_count = static_cast<int>(byte_at(r, 4));
        s.name = r.substr(7, 16);
        s.first_date = mbf_value(std::string_view(r).substr(25, 4));
        s.last_date = mbf_value(std::string_view(r).substr(29, 4));
        s.time_frame = r[33];
        s.symbol = r.substr(36, 14);
        master.series.push_back(std::move(s));
    }
    return master;
}

MsData read_ms_dat(const std::filesystem::path& folder, const MsSeries& series) {
    const std::string name = "F" + std::to_string(series.file_number) + ".DAT";
    const std::string bytes = read_whole(existing_file(folder, name));
    const auto length = static_cast<std::size_t>(series.record_length);
    if (length == 0 || length != 4 * static_cast<std::size_t>(series.field_count))
        throw std::runtime_error(name + ": record length " + std::to_string(length) + " for " +
                                 std::to_string(series.field_count) + " fields");
    if (bytes.size() < length || bytes.size() % length != 0)
        throw std::runtime_error(name + " of " + std::to_string(bytes.size()) + " bytes is not whole records of " +
                                 std::to_string(length));
    MsData data;
    data.header = bytes.substr(0, length);
    data.last_record = u16_at(bytes, 2);
    data.stored_records = bytes.size() / length - 1;
    for (std::size_t i = 1; i <= data.stored_records; ++i) {
        const std::string_view r = std::string_view(bytes).substr(i * length, length);
        MsRecord record;
        record.date = std::lround(mbf_value(r.substr(0, 4)));
        for (std::size_t f = 4; f < length; f += 4) record.values.push_back(mbf_value(r.substr(f, 4)));
        data.records.push_back(std::move(record));
    }
    return data;
}

MsDop read_ms_dop(const std::filesystem::path& folder, int file_number) {
    const std::string bytes = read_whole(existing_file(folder, "F" + std::to_string(file_number) + ".DOP"));
    MsDop dop;
    std::string_view text = bytes;
    if (!text.empty() && text.back() == '\x1A') {
        dop.end_mark = true;
        text.remove_suffix(1);
    }
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) throw std::runtime_error("DOP line without a line end");
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        dop.lines.emplace_back(line);
        text.remove_prefix(end + 1);
    }
    return dop;
}

}  // namespace qv::testing
