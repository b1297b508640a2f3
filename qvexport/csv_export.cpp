#include "qvexport/csv_export.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/clc_price.h"
#include "common/platform/files.h"
#include "common/platform/work_file.h"
#include "qvexport/database_series.h"
#include "qvexport/price_rows.h"

namespace qv::qvexport {

namespace {

void append_number(std::string& line, std::int64_t value) {
    line += ',';
    line += std::to_string(value);
}

std::string clc_csv(const DatabaseSeries& series, const Commodity& commodity) {
    std::string text =
        "date,open,high,low,close,open_interest,total_volume,total_open_interest,contract,"
        "roll_price_left,roll_price_taken\n";
    const std::vector<ClcRecord> records = series.clc_records();
    for (const PriceRow& row : price_rows(records, commodity).prices) {
        const ClcRecord& r = *row.record;
        text += iso_date(r.day).view();
        for (const std::int32_t price : {r.open, r.high, r.low, r.close}) {
            text += ',';
            append_price(text, price, commodity.precision);
        }
        append_number(text, r.open_interest);
        append_number(text, r.total_volume);
        append_number(text, r.total_open_interest);
        text += ',';
        text += contract_text(row.contract).view();
        text += ',';
        if (row.roll) {
            append_price(text, row.roll->price_left, commodity.precision);
            text += ',';
            append_price(text, row.roll->price_taken, commodity.precision);
        } else {
            text += ',';
        }
        text += '\n';
    }
    return text;
}

std::string cot_csv(const DatabaseSeries& series) {
    std::string text =
        "date,non_commercial_long,non_commercial_short,non_commercial_spreading,commercial_long,"
        "commercial_short,non_reportable_long,non_reportable_short,non_commercial_traders_long,"
        "non_commercial_traders_short,commercial_traders_long,commercial_traders_short\n";
    for (const CotRecord& r : series.cot_records()) {
        if (r.day == no_date) continue;
        text += iso_date(r.day).view();
        for (const std::int64_t value :
             {std::int64_t(r.non_commercial_long), std::int64_t(r.non_commercial_short),
              std::int64_t(r.non_commercial_spreading), std::int64_t(r.commercial_long),
              std::int64_t(r.commercial_short), std::int64_t(r.non_reportable_long),
              std::int64_t(r.non_reportable_short), std::int64_t(r.non_commercial_traders_long),
              std::int64_t(r.non_commercial_traders_short), std::int64_t(r.commercial_traders_long),
              std::int64_t(r.commercial_traders_short)})
            append_number(text, value);
        text += '\n';
    }
    return text;
}

// The fields of an IDX line, split at blanks, tabs and commas.
std::vector<std::string_view> idx_fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ','; };
    while (pos < text.size()) {
        while (pos < text.size() && separator(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !separator(text[pos])) ++pos;
        if (pos > start) fields.push_back(text.substr(start, pos - start));
    }
    return fields;
}

std::string idx_csv(const DatabaseSeries& series) {
    const std::vector<IdxLine> lines = series.idx_lines();
    std::size_t columns = 0;
    for (const IdxLine& line : lines) columns = std::max(columns, idx_fields(line.fields).size());
    std::string text = "date";
    for (std::size_t i = 1; i <= columns; ++i) text += ",value" + std::to_string(i);
    text += '\n';
    for (const IdxLine& line : lines) {
        text += iso_date(line.day).view();
        const auto fields = idx_fields(line.fields);
        for (std::size_t i = 0; i < columns; ++i) {
            text += ',';
            if (i < fields.size()) text += fields[i];
        }
        text += '\n';
    }
    return text;
}

std::string csv_name(const std::string& folder, const std::string& tag, DatabaseKind kind) {
    std::string name = folder;
    if (!name.empty() && name.back() != '/') name += '/';
    name += tag + "_";
    for (const char c : kind_name(kind)) name += static_cast<char>(c - 'A' + 'a');
    return name + ".csv";
}

bool write_csv(const std::string& path, const std::string& text) {
    WorkFile work(path + ".tmp", path);
    if (!work.is_open()) return false;
    if (std::fwrite(text.data(), 1, text.size(), work.file()) != text.size()) return false;
    return work.commit();
}

}  // namespace

int export_csv(const std::string& folder, const std::vector<const Commodity*>& selected,
               std::vector<std::string>& problems) {
    if (!folder_exists(folder) && !create_folders(folder)) {
        problems.push_back("cannot create the folder " + folder);
        return 0;
    }
    int written = 0;
    DatabaseFiles files;
    DatabaseSeries series;
    for (const Commodity* commodity : selected) {
        for (DatabaseKind kind : {DatabaseKind::clc, DatabaseKind::cot, DatabaseKind::idx}) {
            std::string error;
            const bool read = read_series(files, kind, commodity->tag, series, error);
            if (!error.empty()) problems.push_back(error);
            if (!read) continue;
            const std::string text = kind == DatabaseKind::clc   ? clc_csv(series, *commodity)
                                     : kind == DatabaseKind::cot ? cot_csv(series)
                                                                 : idx_csv(series);
            const std::string path = csv_name(folder, series.tag, kind);
            if (write_csv(path, text)) ++written;
            else problems.push_back("cannot write " + path);
        }
    }
    return written;
}

}  // namespace qv::qvexport
