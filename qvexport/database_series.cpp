#include "qvexport/database_series.h"

#include <array>

#include "common/idx_file.h"
#include "common/platform/files.h"
#include "common/platform/text.h"

namespace qv::qvexport {

namespace {

std::optional<DatabaseSeries> read_clc(std::string_view tag, std::string& error) {
    const std::string path = clc_file_name(tag);
    if (!file_exists(path)) return std::nullopt;
    ClcReader reader;
    switch (reader.open(path)) {
        case ClcReader::Status::ok: break;
        case ClcReader::Status::cannot_open: error = "cannot open " + path; return std::nullopt;
        case ClcReader::Status::short_header: error = path + " ends inside its header"; return std::nullopt;
        case ClcReader::Status::bad_width: error = path + " has a price width other than 2, 3 or 4"; return std::nullopt;
    }
    DatabaseSeries series{DatabaseKind::clc, std::string(tag), {}, {}, {}, {}};
    const int width = reader.price_width();
    std::array<std::uint8_t, clc_max_record_size> bytes{};
    ClcRecord record;
    while (reader.read(record)) {
        encode_record(record, width, bytes.data());
        series.units.push_back({record.day, std::string(bytes.begin(), bytes.begin() + clc_record_size(width))});
        series.clc.push_back(record);
    }
    return series;
}

std::optional<DatabaseSeries> read_cot(std::string_view tag, std::string& error) {
    const std::string path = cot_file_name(tag);
    if (!file_exists(path)) return std::nullopt;
    CotReader reader;
    if (!reader.open(path)) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    DatabaseSeries series{DatabaseKind::cot, std::string(tag), {}, {}, {}, {}};
    std::array<std::uint8_t, 38> bytes{};
    CotRecord record;
    while (reader.read(record)) {
        encode_cot_record(record, bytes.data());
        series.units.push_back({record.day, std::string(bytes.begin(), bytes.end())});
        series.cot.push_back(record);
    }
    return series;
}

std::optional<DatabaseSeries> read_idx(std::string_view tag, std::string& error) {
    const std::string path = idx_file_name(tag);
    if (!file_exists(path)) return std::nullopt;
    const FilePtr file = open_file(path, "rb");
    if (!file) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    DatabaseSeries series{DatabaseKind::idx, std::string(tag), {}, {}, {}, {}};
    std::string line;
    while (read_idx_line(file.get(), line)) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const DayNumber day = idx_line_day(line);
        // A line without a date is no day of the series (an IDX file holds none).
        if (day == no_date) continue;
        std::string_view rest = std::string_view(line).substr(8);
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == ',')) rest.remove_prefix(1);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
        series.units.push_back({day, line});
        series.idx.push_back({day, std::string(rest)});
    }
    return series;
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
    switch (kind) {
        case DatabaseKind::clc: return read_clc(tag, error);
        case DatabaseKind::cot: return read_cot(tag, error);
        case DatabaseKind::idx: return read_idx(tag, error);
    }
    return std::nullopt;
}

}  // namespace qv::qvexport
