#include "common/cot_file.h"

#include <limits>

#include "common/clc_file.h"
#include "common/install_files.h"

namespace qv {

namespace {

std::int16_t get_i16(const std::uint8_t* p) { return static_cast<std::int16_t>(get_u16(p)); }
void put_i16(std::uint8_t* p, std::int16_t value) { put_u16(p, static_cast<std::uint16_t>(value)); }

bool fits_i16(std::int32_t value) {
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

std::int64_t CotRecord::total_open_interest() const {
    return std::int64_t{non_commercial_long} + non_commercial_spreading + commercial_long + non_reportable_long;
}
std::int64_t CotRecord::commercial_net() const { return std::int64_t{commercial_long} - commercial_short; }
std::int64_t CotRecord::non_commercial_net() const {
    return std::int64_t{non_commercial_long} - non_commercial_short;
}
std::int64_t CotRecord::non_reportable_net() const {
    return std::int64_t{non_reportable_long} - non_reportable_short;
}

bool cot_record_from_values(DayNumber day, const std::array<std::int32_t, 11>& values, CotRecord& record) {
    for (std::size_t i = 7; i < 11; ++i)
        if (!fits_i16(values[i])) return false;
    record.day = day;
    record.non_commercial_long = values[0];
    record.non_commercial_short = values[1];
    record.non_commercial_spreading = values[2];
    record.commercial_long = values[3];
    record.commercial_short = values[4];
    record.non_reportable_long = values[5];
    record.non_reportable_short = values[6];
    record.non_commercial_traders_long = static_cast<std::int16_t>(values[7]);
    record.non_commercial_traders_short = static_cast<std::int16_t>(values[8]);
    record.commercial_traders_long = static_cast<std::int16_t>(values[9]);
    record.commercial_traders_short = static_cast<std::int16_t>(values[10]);
    return true;
}

void encode_cot_record(const CotRecord& r, std::uint8_t* out) {
    put_u16(out, r.day);
    long_to_quad(out + 2, r.non_commercial_long);
    long_to_quad(out + 6, r.non_commercial_short);
    long_to_quad(out + 10, r.non_commercial_spreading);
    long_to_quad(out + 14, r.commercial_long);
    long_to_quad(out + 18, r.commercial_short);
    long_to_quad(out + 22, r.non_reportable_long);
    long_to_quad(out + 26, r.non_reportable_short);
    put_i16(out + 30, r.non_commercial_traders_long);
    put_i16(out + 32, r.non_commercial_traders_short);
    put_i16(out + 34, r.commercial_traders_long);
    put_i16(out + 36, r.commercial_traders_short);
}

CotRecord decode_cot_record(const std::uint8_t* in) {
    CotRecord r;
    r.day = get_u16(in);
    r.non_commercial_long = quad_to_long(in + 2);
    r.non_commercial_short = quad_to_long(in + 6);
    r.non_commercial_spreading = quad_to_long(in + 10);
    r.commercial_long = quad_to_long(in + 14);
    r.commercial_short = quad_to_long(in + 18);
    r.non_reportable_long = quad_to_long(in + 22);
    r.non_reportable_short = quad_to_long(in + 26);
    r.non_commercial_traders_long = get_i16(in + 30);
    r.non_commercial_traders_short = get_i16(in + 32);
    r.commercial_traders_long = get_i16(in + 34);
    r.commercial_traders_short = get_i16(in + 36);
    return r;
}

bool write_cot_record(std::FILE* file, const CotRecord& record) {
    std::uint8_t raw[cot_record_size];
    encode_cot_record(record, raw);
    return std::fwrite(raw, 1, sizeof raw, file) == sizeof raw;
}

std::string cot_file_name(std::string_view tag) { return std::string(install::cot_folder) + std::string(tag) + "_COT.QVT"; }

DayNumber next_cot_report_day(DayNumber day) {
    // Counted in wide numbers: after the last report day that fits, there is none.
    long report = first_cot_report_day;
    while (report <= day) report += 7;
    return report > last_day_number ? no_date : static_cast<DayNumber>(report);
}

bool CotReader::open(std::string_view path) {
    file_ = open_file(path, "rb");
    cut_ = false;
    return file_ != nullptr;
}

bool CotReader::read(CotRecord& record) {
    if (!file_) return false;
    std::uint8_t raw[cot_record_size];
    const std::size_t got = std::fread(raw, 1, sizeof raw, file_.get());
    if (got != sizeof raw) {
        cut_ = got != 0;
        return false;
    }
    record = decode_cot_record(raw);
    return true;
}

}  // namespace qv
