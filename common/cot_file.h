#pragma once

// The COT database file: the weekly Commitments of Traders reports of one
// commodity, \QUORVANT\COT\xx_COT.QVT. No header; a sequence of 38-byte
// records in ascending date order, one per report day, little-endian, packed:
//   day number (unsigned 16-bit),
//   seven positions (signed 32-bit): non-commercial long, short and spreading,
//     commercial long and short, non-reportable long and short,
//   four trader counts (signed 16-bit): non-commercial traders long and short,
//     commercial traders long and short.
// An update line gives the eleven values in this same order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/calendar.h"
#include "common/platform/files.h"

namespace qv {

inline constexpr std::size_t cot_record_size = 38;

struct CotRecord {
    DayNumber day = no_date;
    std::int32_t non_commercial_long = 0;
    std::int32_t non_commercial_short = 0;
    std::int32_t non_commercial_spreading = 0;
    std::int32_t commercial_long = 0;
    std::int32_t commercial_short = 0;
    std::int32_t non_reportable_long = 0;
    std::int32_t non_reportable_short = 0;
    std::int16_t non_commercial_traders_long = 0;
    std::int16_t non_commercial_traders_short = 0;
    std::int16_t commercial_traders_long = 0;
    std::int16_t commercial_traders_short = 0;

    // The figures the builder shows beside the stored ones. They are summed in
    // 64 bits: positions near the 32-bit limits must not wrap round.
    std::int64_t total_open_interest() const;
    std::int64_t commercial_net() const;
    std::int64_t non_commercial_net() const;
    std::int64_t non_reportable_net() const;

    friend bool operator==(const CotRecord&, const CotRecord&) = default;
};

// The record of an update line's eleven values (in update-line order); false
// when a trader count does not fit its 16 bits, which would store another
// number than the report gives.
bool cot_record_from_values(DayNumber day, const std::array<std::int32_t, 11>& values, CotRecord& record);

void encode_cot_record(const CotRecord& record, std::uint8_t* out);
CotRecord decode_cot_record(const std::uint8_t* in);

// Writes the 38 bytes; false when the write failed.
bool write_cot_record(std::FILE* file, const CotRecord& record);

// "\QUORVANT\COT\" + tag + "_COT.QVT".
std::string cot_file_name(std::string_view tag);

// The first COT report day after `day`: reports come weekly on Tuesdays,
// counted from 6 October 1992 (day number 33883).
DayNumber next_cot_report_day(DayNumber day);
inline constexpr DayNumber first_cot_report_day = 33883;

// Reads the records of a COT file in file order. A record cut by the end of
// the file ends the series: the whole records before it are the file's.
class CotReader {
public:
    // False when the file cannot be opened.
    bool open(std::string_view path);
    // The next record; false at the end.
    bool read(CotRecord& record);
    bool cut() const { return cut_; }

private:
    FilePtr file_;
    bool cut_ = false;
};

}  // namespace qv
