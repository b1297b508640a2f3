#pragma once

// Small builders for the updater's tests: commodity rows, CLC files written
// record by record, and an updater state over a temporary install folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/tables.h"
#include "common/testing/temp_install.h"
#include "updater/updater.h"

namespace qv::testing {

inline Commodity commodity(std::string tag, int precision, int bytes) {
    Commodity row;
    row.tag = std::move(tag);
    row.name = row.tag + " FUTURES";
    row.precision = static_cast<std::int16_t>(precision);
    row.bytes = static_cast<std::int16_t>(bytes);
    row.all_tag = "HHHMMMUUUZZZ";
    row.cycle = "HMUZ";
    return row;
}

inline DayNumber day(int year, int month, int day_of_month) { return date_to_lotus(year, month, day_of_month); }

inline ClcRecord record(DayNumber day, std::int32_t close, std::uint32_t open_interest = 100,
                        std::uint32_t volume = 200, std::uint32_t total_open_interest = 300) {
    ClcRecord r;
    r.day = day;
    r.open = close - 3;
    r.high = close + 5;
    r.low = close - 7;
    r.close = close;
    r.open_interest = open_interest;
    r.total_volume = volume;
    r.total_open_interest = total_open_interest;
    return r;
}

inline ClcRecord rollover(std::int32_t left, std::int32_t entered) {
    ClcRecord r = record(no_date, entered);
    r.open = left;
    return r;
}

// The bytes of a CLC file: its header and records as the layout has them.
inline std::string clc_bytes(std::string_view tag, int precision, int bytes, const std::vector<ClcRecord>& records) {
    std::string out(clc_header_size, '\0');
    encode_header(make_clc_header(tag, precision, bytes), reinterpret_cast<std::uint8_t*>(out.data()));
    const std::size_t size = clc_record_size(bytes);
    for (const ClcRecord& r : records) {
        std::string raw(size, '\0');
        encode_record(r, bytes, reinterpret_cast<std::uint8_t*>(raw.data()));
        out += raw;
    }
    return out;
}

inline std::string clc_path(std::string_view tag) { return "CLC/" + std::string(tag) + "_CLC.QVT"; }

// An updater state for the rows, with the holidays given, as the start-up
// leaves it.
inline updater::UpdaterState updater_state(std::vector<Commodity> rows, std::vector<DayNumber> holidays = {}) {
    updater::UpdaterState state;
    state.tables = CommodityTable(std::move(rows));
    state.holidays = HolidayTable(std::move(holidays));
    state.reset_commodity_states();
    state.message_mode = true;
    return state;
}

}  // namespace qv::testing
