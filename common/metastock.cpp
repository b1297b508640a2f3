#include "common/metastock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "common/clc_file.h"
#include "common/platform/clock.h"
#include "common/platform/files.h"
#include "common/mbf.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"

namespace qv {

namespace {

constexpr std::size_t name_offset = 7;
constexpr std::size_t name_size = 16;
constexpr std::size_t first_date_offset = 25;
constexpr std::size_t last_date_offset = 29;
constexpr std::size_t time_frame_offset = 33;
constexpr std::size_t symbol_offset = 36;
constexpr std::size_t symbol_size = 14;
constexpr std::size_t stamp_offset = 49;

// The stamps, by the last digit of the seconds when MASTER is written.
constexpr std::uint8_t stamps[10][4] = {
    {227, 43, 220, 131}, {73, 119, 226, 132}, {232, 48, 227, 133}, {89, 54, 229, 134},
    {192, 255, 232, 135}, {174, 101, 235, 136}, {69, 123, 237, 137}, {100, 251, 107, 130},
    {220, 252, 109, 131}, {92, 251, 110, 132},
};

void put_padded(std::uint8_t* out, std::size_t size, std::string_view text) {
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

long get_date(const std::uint8_t* p) {
    const float value = mbf_to_float(p);
    // A date field holds a whole number of at most seven digits; anything else
    // another program left there reads as no date.
    if (!(value >= 0.0f && value < 1.0e8f)) return 0;
    return std::lround(value);
}

void put_date(std::uint8_t* p, long date) {
    // Every seven-digit whole number is exact in a float and has an MBF form.
    float_to_mbf(static_cast<float>(date), p);
}

}  // namespace

long metastock_date(int year, int month, int day) {
    return static_cast<long>(year - 1900) * 10000 + month * 100 + day;
}

std::optional<MetaStockDate> split_metastock_date(long date) {
    if (date < 0 || date > 9991231) return std::nullopt;
    MetaStockDate out{static_cast<int>(date / 10000) + 1900, static_cast<int>(date / 100 % 100),
                      static_cast<int>(date % 100)};
    if (out.month < 1 || out.month > 12 || out.day < 1 || out.day > 31) return std::nullopt;
    return out;
}

MasterRecord MasterRecord::make(int file_number, std::string_view security_name,
                                std::string_view symbol, char time_frame) {
    MasterBytes bytes{};
    bytes[0] = static_cast<std::uint8_t>(file_number);
    bytes[1] = 101;
    bytes[2] = 0;
    bytes[4] = 4;
    put_padded(&bytes[name_offset], name_size, security_name.substr(0, name_size));
    bytes[time_frame_offset] = static_cast<std::uint8_t>(time_frame);
    put_padded(&bytes[symbol_offset], symbol_size, symbol.substr(0, symbol_size));
    bytes[50] = ' ';
    bytes[51] = ' ';
    return MasterRecord(bytes);
}

void MasterRecord::set_names(std::string_view security_name, std::string_view symbol) {
    put_padded(&bytes_[name_offset], name_size, security_name.substr(0, name_size));
    put_padded(&bytes_[symbol_offset], symbol_size, symbol.substr(0, symbol_size));
}

void MasterRecord::set_field_count(int fields) {
    bytes_[3] = static_cast<std::uint8_t>(4 * fields);
    bytes_[4] = static_cast<std::uint8_t>(fields);
}

std::string MasterRecord::security_name() const {
    std::string name(reinterpret_cast<const char*>(&bytes_[name_offset]), name_size);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    return name;
}

std::string MasterRecord::symbol() const {
    std::string symbol;
    for (std::size_t i = symbol_offset; i < symbol_offset + symbol_size; ++i) {
        if (bytes_[i] == ' ' || bytes_[i] == 0) break;
        symbol += static_cast<char>(bytes_[i]);
    }
    return symbol;
}

long MasterRecord::first_date() const { return get_date(&bytes_[first_date_offset]); }
long MasterRecord::last_date() const { return get_date(&bytes_[last_date_offset]); }
void MasterRecord::set_first_date(long date) { put_date(&bytes_[first_date_offset], date); }
void MasterRecord::set_last_date(long date) { put_date(&bytes_[last_date_offset], date); }

int MetaStockMaster::highest_file_number() const { return get_u16(&header[2]); }

void MetaStockMaster::set_highest_file_number(int number) {
    put_u16(&header[2], static_cast<std::uint16_t>(number));
}

bool MetaStockMaster::uses_file_number(int number) const {
    return std::any_of(records.begin(), records.end(),
                       [number](const MasterRecord& r) { return r.file_number() == number; });
}

std::string metastock_path(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':')
        path += '\\';
    path += name;
    return path;
}

std::string dat_file_name(int file_number) { return format("F%d.DAT", file_number); }
std::string dop_file_name(int file_number) { return format("F%d.DOP", file_number); }

bool metastock_in_use(std::string_view directory, InUseLook look) {
    const std::string marker = metastock_path(directory, "~MSFL.USR");
    return look == InUseLook::any_case ? file_exists(marker) : file_exists_as_written(marker);
}

MasterReadResult read_master(std::string_view directory) {
    MasterReadResult result;
    const std::string path = metastock_path(directory, "MASTER");
    FilePtr file = open_file(path, "rb");
    if (!file) {
        result.status = file_exists(path) ? MasterReadResult::damaged : MasterReadResult::missing;
        if (result.status == MasterReadResult::damaged)
            result.message = format("CAN'T READ THE METASTOCK MASTER FILE@%s", path.c_str());
        return result;
    }
    auto damaged = [&](const std::string& why) {
        result.status = MasterReadResult::damaged;
        result.master = MetaStockMaster{};
        result.message = format("DAMAGED METASTOCK MASTER FILE %s@%s", path.c_str(), why.c_str());
        return result;
    };
    MetaStockMaster& master = result.master;
    if (std::fread(master.header.data(), 1, master_record_size, file.get()) != master_record_size)
        return damaged("TOO SHORT FOR ITS HEADER");
    const int count = get_u16(&master.header[0]);
    if (count > max_file_number)
        return damaged(format("IT LISTS %d SERIES, AT MOST %d FIT", count, max_file_number));
    if (master.highest_file_number() > max_file_number)
        return damaged(format("HIGHEST FILE NUMBER %d IS ABOVE %d", master.highest_file_number(),
                              max_file_number));
    std::array<bool, 256> used{};  // by file number
    for (int i = 1; i <= count; ++i) {
        MasterBytes bytes;
        if (std::fread(bytes.data(), 1, master_record_size, file.get()) != master_record_size)
            return damaged(format("IT LISTS %d SERIES BUT HOLDS ONLY %d", count, i - 1));
        MasterRecord record(bytes);
        if (record.file_number() == 0)
            return damaged(format("SERIES RECORD %d HAS NO FILE NUMBER", i));
        if (std::exchange(used[record.file_number()], true))
            return damaged(format("FILE NUMBER %d IS USED TWICE", record.file_number()));
        master.records.push_back(record);
    }
    result.status = MasterReadResult::ok;
    return result;
}

void stamp_master(MetaStockMaster& master, int second) {
    std::memcpy(&master.header[stamp_offset], stamps[second % 10], 4);
}

void stamp_master(MetaStockMaster& master) { stamp_master(master, now().second); }

bool metastock_write_protected(std::string_view path) {
    return is_read_only(path);
}

std::string metastock_work_path(std::string_view directory, std::string_view work_directory,
                                std::string_view name) {
    return metastock_path(work_directory.empty() ? directory : work_directory, name);
}

bool write_master(std::string_view directory, const MetaStockMaster& master, WorkFileMode mode,
                  std::string_view work_directory) {
    const std::string path = metastock_path(directory, "MASTER");
    if (master.records.size() > static_cast<std::size_t>(max_file_number) || metastock_write_protected(path))
        return false;
    const std::string_view work_name = mode == WorkFileMode::reuse ? metastock_master_work_file : metastock_work_file;
    WorkFile work(metastock_work_path(directory, work_directory, work_name), path, mode);
    if (!work.is_open()) return false;
    MasterBytes header = master.header;
    put_u16(&header[0], static_cast<std::uint16_t>(master.records.size()));
    std::fwrite(header.data(), 1, header.size(), work.file());
    for (const MasterRecord& record : master.records)
        std::fwrite(record.bytes().data(), 1, master_record_size, work.file());
    return work.commit();
}

std::optional<std::size_t> find_series(const MetaStockMaster& master, std::string_view symbol,
                                       char time_frame) {
    for (std::size_t i = 0; i < master.records.size(); ++i) {
        const MasterRecord& record = master.records[i];
        if (record.time_frame() == time_frame && equal_no_case(record.symbol(), symbol)) return i;
    }
    return std::nullopt;
}

Allocation allocate_series(MetaStockMaster& master, std::string_view security_name,
                           std::string_view symbol, char time_frame) {
    if (master.records.size() >= static_cast<std::size_t>(max_file_number))
        return {Allocation::full, 0};
    const int highest = master.highest_file_number();
    int number = 0;
    if (highest < max_file_number && !master.uses_file_number(highest + 1)) {
        number = highest + 1;
    } else {
        for (int candidate = 1; candidate <= max_file_number && number == 0; ++candidate)
            if (!master.uses_file_number(candidate)) number = candidate;
        if (number == 0) return {Allocation::no_free_number, 0};
    }
    master.set_highest_file_number(std::max(highest, number));
    master.records.push_back(MasterRecord::make(number, security_name, symbol, time_frame));
    return {Allocation::ok, master.records.size() - 1};
}

bool remove_series(std::string_view directory, MetaStockMaster& master, std::size_t index) {
    if (index >= master.records.size()) return false;
    MetaStockMaster changed = master;
    const int number = changed.records[index].file_number();
    changed.records.erase(changed.records.begin() + static_cast<std::ptrdiff_t>(index));
    int highest = 0;
    for (const MasterRecord& record : changed.records) highest = std::max(highest, record.file_number());
    changed.set_highest_file_number(highest);
    stamp_master(changed);
    if (!write_master(directory, changed)) return false;
    master = changed;
    delete_file(metastock_path(directory, dat_file_name(number)));
    delete_file(metastock_path(directory, dop_file_name(number)));
    return true;
}

char metastock_time_frame(char sampling_period) {
    switch (sampling_period) {
        case 'W': case 'w': case 'K': case 'k':
        case '1': case '2': case '3': case '4': case '5': case '6': return 'W';
        case 'M': case 'm': case 'H': case 'h': case 'B': case 'b': return 'M';
        default: return 'D';
    }
}

MetaStockName split_metastock_name(std::string_view output_name) {
    const std::size_t last = output_name.find_last_of("\\/:");
    if (last == std::string_view::npos) return {std::string(), std::string(output_name)};
    return {std::string(output_name.substr(0, last + 1)), std::string(output_name.substr(last + 1))};
}

}  // namespace qv
