#include "common/metastock_data.h"

#include <algorithm>
#include <cmath>

#include "common/clc_file.h"
#include "common/platform/files.h"
#include "common/mbf.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"

namespace qv {

namespace {

constexpr std::size_t max_record_count = 65534;  // the header's count is record count + 1

bool valid_layout(const MasterRecord& series) {
    const int fields = series.field_count();
    return fields >= 2 && fields <= max_metastock_fields && series.record_length() == 4 * fields;
}

std::string layout_message(const std::string& path, const MasterRecord& series) {
    return format("DAMAGED METASTOCK DATA FILE %s@MASTER GIVES %d FIELDS IN %d BYTES", path.c_str(),
                  series.field_count(), series.record_length());
}

// False when a value has no MBF form. Zero is four zero bytes.
bool encode_day(const MetaStockRecord& record, int fields, std::uint8_t* out) {
    if (!float_to_mbf(record.date, out)) return false;
    for (int i = 1; i < fields; ++i) {
        const float value = record.values[static_cast<std::size_t>(i - 1)];
        if (!float_to_mbf(value, out + 4 * i)) return false;
    }
    return true;
}

MetaStockRecord decode_day(const std::uint8_t* in, int fields) {
    MetaStockRecord record;
    record.date = mbf_to_float(in);
    for (int i = 1; i < fields; ++i)
        record.values[static_cast<std::size_t>(i - 1)] = mbf_to_float(in + 4 * i);
    return record;
}

// The data records the header counts, checked against the size of the file.
struct DataExtent {
    bool ok = false;
    std::size_t count = 0;
    std::string message;
};

DataExtent data_extent(const std::string& path, const std::uint8_t* header, std::uintmax_t size,
                       std::size_t record_length) {
    DataExtent extent;
    if (size < record_length) {
        extent.message = format("DAMAGED METASTOCK DATA FILE %s@TOO SHORT FOR ITS HEADER", path.c_str());
        return extent;
    }
    const unsigned last = get_u16(header + 2);
    const std::uintmax_t held = size / record_length - 1;
    if (last == 0 && held > 0) {
        extent.message = format("DAMAGED METASTOCK DATA FILE %s@ITS HEADER COUNTS NO RECORDS", path.c_str());
        return extent;
    }
    extent.count = last == 0 ? 0 : last - 1;
    if (extent.count > held) {
        extent.message = format("DAMAGED METASTOCK DATA FILE %s@IT COUNTS %zu RECORDS BUT HOLDS ONLY %ju",
                                path.c_str(), extent.count, held);
        return extent;
    }
    extent.ok = true;
    return extent;
}

}  // namespace

DataReadResult read_dat(std::string_view directory, const MasterRecord& series,
                        std::size_t keep_newest) {
    DataReadResult result;
    const std::string path = metastock_path(directory, dat_file_name(series.file_number()));
    FilePtr file = open_file(path, "rb");
    if (!file) {
        result.status = DataReadResult::missing;
        return result;
    }
    auto damaged = [&](std::string message) {
        result.status = DataReadResult::damaged;
        result.data = MetaStockData{};
        result.message = std::move(message);
        return result;
    };
    if (!valid_layout(series)) return damaged(layout_message(path, series));
    const int fields = series.field_count();
    const std::size_t length = series.record_length();
    result.data.field_count = fields;
    result.data.header.resize(length);
    const auto size = open_file_size(file.get()).value_or(0);
    if (std::fread(result.data.header.data(), 1, length, file.get()) != length)
        return damaged(format("DAMAGED METASTOCK DATA FILE %s@TOO SHORT FOR ITS HEADER", path.c_str()));
    const DataExtent extent = data_extent(path, result.data.header.data(), size, length);
    if (!extent.ok) return damaged(extent.message);

    const std::size_t skip = extent.count > keep_newest ? extent.count - keep_newest : 0;
    std::vector<std::uint8_t> buffer(length);
    if (skip > 0) {
        if (std::fread(buffer.data(), 1, length, file.get()) != length ||
            std::fseek(file.get(), static_cast<long>((skip + 1) * length), SEEK_SET) != 0)
            return damaged(format("CAN'T READ THE METASTOCK DATA FILE %s", path.c_str()));
        result.data.skipped = skip;
        result.data.first_date = decode_day(buffer.data(), fields).date;
    }
    result.data.records.reserve(extent.count - skip);
    for (std::size_t i = skip; i < extent.count; ++i) {
        if (std::fread(buffer.data(), 1, length, file.get()) != length)
            return damaged(format("CAN'T READ THE METASTOCK DATA FILE %s", path.c_str()));
        result.data.records.push_back(decode_day(buffer.data(), fields));
    }
    result.status = DataReadResult::ok;
    return result;
}

namespace {

// The header, with the count of `kept` records and the new ones, and the new
// records, encoded; a value without an MBF form leaves the old file.
DataWrite encode_dat(const MetaStockData& data, std::size_t kept, std::vector<std::uint8_t>& bytes) {
    if (data.field_count < 2 || data.field_count > max_metastock_fields) return DataWrite::cannot_write;
    if (kept + data.records.size() > max_record_count) return DataWrite::too_many;
    const std::size_t length = 4 * static_cast<std::size_t>(data.field_count);
    bytes.assign(length * (data.records.size() + 1), 0);
    std::copy_n(data.header.begin(), std::min(data.header.size(), length), bytes.begin());
    put_u16(&bytes[2], static_cast<std::uint16_t>(kept + data.records.size() + 1));
    for (std::size_t i = 0; i < data.records.size(); ++i)
        if (!encode_day(data.records[i], data.field_count, &bytes[(i + 1) * length])) return DataWrite::no_mbf_form;
    return DataWrite::ok;
}

}  // namespace

DataWrite write_dat(std::string_view directory, int file_number, const MetaStockData& data) {
    return write_dat_after(directory, file_number, data, 0);
}

DataWrite write_dat_after(std::string_view directory, int file_number, const MetaStockData& data, std::size_t kept,
                          WorkFileMode mode, std::string_view work_directory) {
    std::vector<std::uint8_t> bytes;
    if (const DataWrite encoded = encode_dat(data, kept, bytes); encoded != DataWrite::ok) return encoded;
    const std::size_t length = 4 * static_cast<std::size_t>(data.field_count);

    const std::string path = metastock_path(directory, dat_file_name(file_number));
    // The old file, whose first records are kept, tells itself whether it is write-protected.
    FilePtr old;
    if (kept > 0 ? !(old = open_file(path, "rb")) || open_file_read_only(old.get()) : metastock_write_protected(path))
        return DataWrite::cannot_write;
    WorkFile work(metastock_work_path(directory, work_directory, metastock_work_file), path, mode);
    if (!work.is_open()) return DataWrite::cannot_write;
    std::fwrite(bytes.data(), 1, length, work.file());
    if (kept > 0 && !copy_file_bytes(old.get(), length, kept * length, work.file())) return DataWrite::cannot_write;
    std::fwrite(bytes.data() + length, 1, bytes.size() - length, work.file());
    return work.commit() ? DataWrite::ok : DataWrite::cannot_write;
}

namespace {

std::string dop_text(int field_count, int decimals) {
    std::string text = "\"DATE\",0,0\n";
    const std::string shown = std::to_string(decimals);
    const auto price = [&](std::string_view name) {
        text += '"';
        text += name;
        text += "\",";
        text += shown;
        text += ',';
        text += shown;
        text += '\n';
    };
    if (field_count == 7) price("OPEN");
    price("HIGH");
    price("LOW");
    price("CLOSE");
    text += "\"VOL\",0,0\n";
    if (field_count == 7) text += "\"OI\",0,0\n";
    text += '\x1a';
    return text;
}

// The open file holds exactly these bytes.
bool holds_bytes(std::FILE* file, std::string_view bytes) {
    std::string held;
    return read_file_bytes(file, 0, bytes.size() + 1, held) && held == bytes;
}

}  // namespace

bool write_dop(std::string_view directory, int file_number, int field_count, int decimals, WorkFileMode mode,
               std::string_view work_directory) {
    const std::string path = metastock_path(directory, dop_file_name(file_number));
    const FilePtr held = open_file(path, "rb");
    if (held ? open_file_read_only(held.get()) : metastock_write_protected(path)) return false;
    // Every update of a series names the same columns: a column file that
    // holds them already is left as it is rather than replaced by its copy.
    const std::string text = dop_text(field_count, decimals);
    if (held && holds_bytes(held.get(), text)) return true;
    const std::string_view work_name = mode == WorkFileMode::reuse ? metastock_dop_work_file : metastock_work_file;
    WorkFile work(metastock_work_path(directory, work_directory, work_name), path, mode);
    if (!work.is_open()) return false;
    std::fwrite(text.data(), 1, text.size(), work.file());
    return work.commit();
}

void describe_series(MasterRecord& series, const MetaStockData& data) {
    series.set_field_count(data.field_count);
    series.set_first_date(data.records.empty() ? 0 : std::lround(data.records.front().date));
    series.set_last_date(data.records.empty() ? 0 : std::lround(data.records.back().date));
}

AppendResult append_day(std::string_view directory, MetaStockMaster& master, std::size_t index,
                        const MetaStockRecord& record, std::size_t replace_back) {
    if (index >= master.records.size()) return AppendResult::missing;
    MasterRecord& series = master.records[index];
    if (!valid_layout(series)) return AppendResult::damaged;
    const std::string path = metastock_path(directory, dat_file_name(series.file_number()));
    if (metastock_write_protected(path)) return AppendResult::cannot_write;
    FilePtr file = open_file(path, "r+b");
    if (!file) return AppendResult::missing;
    const std::size_t length = series.record_length();
    std::vector<std::uint8_t> header(length);
    if (std::fread(header.data(), 1, length, file.get()) != length) return AppendResult::damaged;
    const DataExtent extent = data_extent(path, header.data(), file_size(path).value_or(0), length);
    if (!extent.ok || replace_back > extent.count) return AppendResult::damaged;
    if (replace_back == 0 && extent.count >= max_record_count) return AppendResult::cannot_write;

    std::vector<std::uint8_t> bytes(length, 0);
    if (!encode_day(record, series.field_count(), bytes.data())) return AppendResult::no_mbf_form;
    const std::size_t position = extent.count + 1 - replace_back;
    if (std::fseek(file.get(), static_cast<long>(position * length), SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, length, file.get()) != length || std::fflush(file.get()) != 0)
        return AppendResult::cannot_write;
    if (replace_back != 0) return AppendResult::ok;

    // The record is in place before the count takes it in: a stop between the
    // two leaves the series as it was.
    put_u16(&header[2], static_cast<std::uint16_t>(extent.count + 2));
    if (std::fseek(file.get(), 0, SEEK_SET) != 0 || std::fwrite(header.data(), 1, 4, file.get()) != 4 ||
        std::fflush(file.get()) != 0)
        return AppendResult::cannot_write;
    file.reset();

    const long date = std::lround(record.date);
    if (extent.count == 0) series.set_first_date(date);
    series.set_last_date(date);
    return write_master(directory, master) ? AppendResult::ok : AppendResult::cannot_write;
}

}  // namespace qv
