#include "updater/broadcast_output.h"

#include <cmath>
#include <cstdlib>

#include "common/metastock.h"
#include "common/metastock_data.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"
#include "updater/updater.h"

namespace qv {

namespace {

// The rows that a broadcast may change: the last one, the one before (a
// repeated write of the day before), and the holiday rows that may stand
// between the trading day before and the update's day.
constexpr std::size_t rows_read_back = 12;

char separator_of(char setting) {
    switch (setting) {
        case 'S': return ' ';
        case 'T': return '\t';
        default: return ',';
    }
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (true) {
        const std::size_t end = text.find(separator, at);
        parts.emplace_back(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos) return parts;
        at = end + 1;
    }
}

std::optional<OutputRow> read_row(std::string_view line, const BuildSettings& settings) {
    std::vector<std::string> parts = split(line, separator_of(settings.col_separator_character));
    const auto date = read_output_date(parts.front(), settings.output_date_format);
    if (!date) return std::nullopt;
    OutputRow row;
    row.day = date_to_lotus(*date);
    row.date_text = std::move(parts.front());
    row.values.assign(std::make_move_iterator(parts.begin() + 1), std::make_move_iterator(parts.end()));
    return row;
}

bool read_whole(const std::string& path, std::string& content) {
    const FilePtr file = open_file(path, "rb");
    if (!file) return false;
    char piece[65536];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, file.get())) > 0) content.append(piece, got);
    return !std::ferror(file.get());
}

void apply_writes(std::vector<OutputRow>& rows, DayNumber day, const std::vector<FieldWrite>& writes,
                  const BuildSettings& settings, const HolidayTable& holidays, const ValueFormat& format) {
    append_rows_up_to(rows, day, settings, holidays);
    for (const FieldWrite& write : writes) write_field(rows, write, settings, format);
}

}  // namespace

OutputWrite write_ascii_output(const std::string& path, DayNumber day, const std::vector<FieldWrite>& writes,
                               const BuildSettings& settings, const HolidayTable& holidays) {
    // A work file left by a broadcast that was stopped goes.
    const std::string work_path = path + ".QVB";
    delete_file(work_path);
    std::string content;
    if (!read_whole(path, content)) return OutputWrite::missing;

    // The text after the last line (its line end), and the line end the
    // appended rows get.
    std::size_t end = content.size();
    while (end > 0 && (content[end - 1] == '\n' || content[end - 1] == '\r')) --end;
    const std::string trailing = content.substr(end);
    const std::size_t last_start = content.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t last_begin = last_start == std::string::npos || end == 0 ? 0 : last_start + 1;
    if (end - last_begin >= longest_broadcast_line) return OutputWrite::long_line;

    // The dated rows at the end of the file, newest last; `begin` is where
    // the first of them starts.
    std::vector<OutputRow> rows;
    std::size_t begin = end;
    std::size_t text_end = end;  // of the line being read, without its line end
    while (rows.size() < rows_read_back && text_end > 0) {
        const std::size_t feed = content.rfind('\n', text_end - 1);
        const std::size_t line_begin = feed == std::string::npos ? 0 : feed + 1;
        std::string_view line(content.data() + line_begin, text_end - line_begin);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::optional<OutputRow> row = read_row(line, settings);
        if (!row) break;
        rows.insert(rows.begin(), std::move(*row));
        begin = line_begin;
        if (line_begin == 0) break;
        text_end = line_begin - 1;
    }
    if (rows.empty()) return OutputWrite::failed;
    const std::string row_end = end > 0 && content.find('\r', begin) < end ? "\r\n" : "\n";

    apply_writes(rows, day, writes, settings, holidays, ascii_value_text);
    bool changed = false;
    for (const OutputRow& row : rows) changed = changed || row.changed;
    if (!changed) return OutputWrite::written;

    const char separator = separator_of(settings.col_separator_character);
    std::string tail;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const OutputRow& row = rows[i];
        tail += row.date_text.empty() ? output_date_text(row.day, settings.output_date_format) : row.date_text;
        for (const std::string& value : row.values) {
            tail += separator;
            tail += value;
        }
        tail += i + 1 < rows.size() ? row_end : trailing;
    }
    WorkFile work(work_path, path);
    if (!work.is_open()) return OutputWrite::failed;
    std::fwrite(content.data(), 1, begin, work.file());
    std::fwrite(tail.data(), 1, tail.size(), work.file());
    return work.commit() ? OutputWrite::written : OutputWrite::failed;
}

namespace {

// MetaStock values as texts that read back as the same single-precision number.
std::string value_text(float value) { return format("%.9g", static_cast<double>(value)); }

// The values of a MetaStock series are numbers: an update's value is taken as
// it is, rounded to four decimal places when an operator made it.
std::string metastock_value_text(std::string_view, double value, bool has_operator) {
    if (has_operator) value = std::round(value * 10000.0) / 10000.0;
    return value_text(static_cast<float>(value));
}

}  // namespace

OutputWrite write_metastock_output(const std::string& output, DayNumber day, const std::vector<FieldWrite>& writes,
                                   const BuildSettings& settings, const HolidayTable& holidays) {
    const MetaStockName name = split_metastock_name(output);
    const std::string directory = name.directory.empty() ? std::string(install::root) : name.directory;
    if (metastock_in_use(directory)) {
        updater_message(in_use_message);
        return OutputWrite::failed;
    }
    delete_file(metastock_path(directory, metastock_work_file));  // left by a stopped broadcast
    MasterReadResult master = read_master(directory);
    if (master.status != MasterReadResult::ok) return OutputWrite::missing;
    const auto index = find_series(master.master, name.symbol, metastock_time_frame(settings.sampling_period));
    if (!index) return OutputWrite::missing;
    MasterRecord& series = master.master.records[*index];
    DataReadResult data = read_dat(directory, series);
    if (data.status != DataReadResult::ok) return OutputWrite::missing;
    std::vector<MetaStockRecord>& records = data.data.records;
    const std::size_t values = static_cast<std::size_t>(data.data.field_count - 1);

    // The newest records as rows; the others stay as they are.
    const std::size_t kept = std::min(records.size(), rows_read_back);
    const std::size_t first = records.size() - kept;
    std::vector<OutputRow> rows;
    for (std::size_t i = first; i < records.size(); ++i) {
        const auto date = split_metastock_date(std::lround(records[i].date));
        if (!date) return OutputWrite::failed;
        OutputRow row;
        row.day = date_to_lotus(date->year, date->month, date->day);
        for (std::size_t k = 0; k < values; ++k) row.values.push_back(value_text(records[i].values[k]));
        rows.push_back(std::move(row));
    }
    if (rows.empty()) return OutputWrite::failed;

    // A series has no holiday values of Z: they repeat the day before, as
    // the builder fills them.
    BuildSettings series_settings = settings;
    if (series_settings.value_of_included_holiday == 'Z') series_settings.value_of_included_holiday = 'P';
    apply_writes(rows, day, writes, series_settings, holidays, metastock_value_text);
    bool changed = false;
    for (const OutputRow& row : rows) changed = changed || row.changed;
    if (!changed) {
        // A broadcast stopped between the data file and MASTER left MASTER's
        // last date behind: it is put right now.
        if (series.last_date() == std::lround(records.back().date)) return OutputWrite::written;
        describe_series(series, data.data);
        if (!write_master(directory, master.master)) {
            updater_message(master_write_message);
            return OutputWrite::failed;
        }
        return OutputWrite::written;
    }

    records.resize(first);
    for (const OutputRow& row : rows) {
        MetaStockRecord record;
        const Date date = lotus_to_date(row.day);
        record.date = static_cast<float>(metastock_date(date.year, date.month, date.day));
        for (std::size_t k = 0; k < values && k < row.values.size(); ++k)
            record.values[k] = std::strtof(row.values[k].c_str(), nullptr);
        records.push_back(record);
    }
    if (write_dat(directory, series.file_number(), data.data) != DataWrite::ok) return OutputWrite::failed;
    describe_series(series, data.data);
    if (!write_master(directory, master.master)) {
        updater_message(master_write_message);
        return OutputWrite::failed;
    }
    return OutputWrite::written;
}

}  // namespace qv
