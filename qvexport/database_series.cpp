#include "qvexport/database_series.h"

#include <algorithm>
#include <cstdio>

#include "common/idx_file.h"
#include "common/platform/files.h"

namespace qv::qvexport {

namespace {

constexpr std::size_t cot_record_size = 38;

std::string database_file_name(DatabaseKind kind, std::string_view tag) {
    switch (kind) {
        case DatabaseKind::clc: return clc_file_name(tag);
        case DatabaseKind::cot: return cot_file_name(tag);
        case DatabaseKind::idx: return idx_file_name(tag);
    }
    return {};
}

bool read_whole_file(const std::string& path, std::string& bytes) {
    const FilePtr file = open_file(path, "rb");
    if (!file) return false;
    // Straight into the string, sized by the file (it may still grow or shrink).
    const auto size = file_size(path);
    bytes.resize(size ? static_cast<std::size_t>(*size) : 0);
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    bytes.resize(got);
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    return !std::ferror(file.get());
}

// Fixed-size records after a header; a record cut by the end of the file is no record.
void split_records(DatabaseSeries& series, std::size_t header, std::size_t record_size) {
    for (std::size_t offset = header; offset + record_size <= series.bytes.size(); offset += record_size) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(series.bytes.data() + offset);
        series.units.push_back({get_u16(p), offset, record_size});
    }
}

// Lines with a date; a line without one is no day of the series.
void split_lines(DatabaseSeries& series) {
    const std::string_view text = series.bytes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::size_t length = end - start;
        if (length > 0 && text[start + length - 1] == '\r') --length;
        const DayNumber day = idx_line_day(text.substr(start, length));
        if (day != no_date) series.units.push_back({day, start, length});
        start = end + 1;
    }
}

}  // namespace

std::string_view kind_name(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::clc: return "CLC";
        case DatabaseKind::cot: return "COT";
        case DatabaseKind::idx: return "IDX";
    }
    return "";
}

std::optional<DatabaseSeries> read_series(DatabaseKind kind, std::string_view tag, std::string& error) {
    const std::string path = database_file_name(kind, tag);
    if (!file_exists(path)) return std::nullopt;
    DatabaseSeries series;
    series.kind = kind;
    series.tag = std::string(tag);
    if (!read_whole_file(path, series.bytes)) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    switch (kind) {
        case DatabaseKind::clc: {
            if (series.bytes.size() < clc_header_size) {
                error = path + " ends inside its header";
                return std::nullopt;
            }
            const ClcHeader header = decode_header(reinterpret_cast<const std::uint8_t*>(series.bytes.data()));
            if (!valid_price_width(header.bytes)) {
                error = path + " has a price width other than 2, 3 or 4";
                return std::nullopt;
            }
            series.price_width = header.bytes;
            split_records(series, clc_header_size, clc_record_size(header.bytes));
            break;
        }
        case DatabaseKind::cot: split_records(series, 0, cot_record_size); break;
        case DatabaseKind::idx: split_lines(series); break;
    }
    return series;
}

std::vector<ClcRecord> DatabaseSeries::clc_records(std::size_t first) const {
    std::vector<ClcRecord> records;
    records.reserve(units.size() - std::min(first, units.size()));
    for (std::size_t i = first; i < units.size(); ++i) {
        const Unit& unit = units[i];
        records.push_back(decode_record(reinterpret_cast<const std::uint8_t*>(bytes.data() + unit.offset), price_width));
    }
    return records;
}

std::vector<CotRecord> DatabaseSeries::cot_records() const {
    std::vector<CotRecord> records;
    records.reserve(units.size());
    for (const Unit& unit : units)
        records.push_back(decode_cot_record(reinterpret_cast<const std::uint8_t*>(bytes.data() + unit.offset)));
    return records;
}

std::vector<IdxLine> DatabaseSeries::idx_lines() const {
    std::vector<IdxLine> lines;
    lines.reserve(units.size());
    for (const Unit& unit : units) {
        std::string_view rest = unit_bytes(unit).substr(8);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == ',')) rest.remove_prefix(1);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
        lines.push_back({unit.day, std::string(rest)});
    }
    return lines;
}

}  // namespace qv::qvexport
