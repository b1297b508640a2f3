#include "qvexport/database_series.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "common/idx_file.h"
#include "common/platform/paths.h"
#include "common/platform/text.h"

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

// Fixed-size records after a header; a record cut by the end of the file is no record.
void split_records(DatabaseSeries& series, std::size_t header, std::size_t record_size) {
    if (series.bytes.size() < header) return;
    series.units.resize((series.bytes.size() - header) / record_size);
    std::size_t offset = header;
    for (Unit& unit : series.units) {
        // The day: the record's first two bytes, low byte first.
        const auto* p = reinterpret_cast<const std::uint8_t*>(series.bytes.data() + offset);
        unit = {static_cast<DayNumber>(p[0] | p[1] << 8), static_cast<std::uint32_t>(offset),
                static_cast<std::uint32_t>(record_size)};
        offset += record_size;
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
        if (day != no_date)
            series.units.push_back({day, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
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

std::optional<std::filesystem::path> DatabaseFiles::find(DatabaseKind kind, std::string_view tag) {
    const std::string dos_path = database_file_name(kind, tag);
    const std::size_t slash = dos_path.rfind('\\');
    const std::string_view folder_name = std::string_view(dos_path).substr(0, slash + 1);
    const std::string_view name = std::string_view(dos_path).substr(slash + 1);
    auto folder = folders_.find(folder_name);
    if (folder == folders_.end()) {
        Folder listed{translate_path(folder_name), list_matching(std::string(folder_name) + "*.*")};
        folder = folders_.emplace(std::string(folder_name), std::move(listed)).first;
    }
    const FolderEntry* found = nullptr;
    for (const FolderEntry& entry : folder->second.files) {
        if (entry.name == name) return folder->second.path / entry.name;
        if (!found && equal_no_case(entry.name, name)) found = &entry;
    }
    if (!found) return std::nullopt;
    return folder->second.path / found->name;
}

bool read_series(DatabaseFiles& files, DatabaseKind kind, std::string_view tag, DatabaseSeries& series,
                 std::string& error) {
    const std::optional<std::filesystem::path> path = files.find(kind, tag);
    if (!path) return false;
    const std::string name = database_file_name(kind, tag);
    series.kind = kind;
    series.tag = std::string(tag);
    series.price_width = 0;
    series.units.clear();
    if (!read_found_file(*path, series.bytes)) {
        error = "cannot read " + name;
        return false;
    }
    if (series.bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        error = name + " is too large to export (4 GB or more)";
        return false;
    }
    switch (kind) {
        case DatabaseKind::clc: {
            if (series.bytes.size() < clc_header_size) {
                error = name + " ends inside its header";
                return false;
            }
            const ClcHeader header = decode_header(reinterpret_cast<const std::uint8_t*>(series.bytes.data()));
            if (!valid_price_width(header.bytes)) {
                error = name + " has a price width other than 2, 3 or 4";
                return false;
            }
            series.price_width = header.bytes;
            split_records(series, clc_header_size, clc_record_size(header.bytes));
            break;
        }
        case DatabaseKind::cot: split_records(series, 0, cot_record_size); break;
        case DatabaseKind::idx: split_lines(series); break;
    }
    return true;
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
