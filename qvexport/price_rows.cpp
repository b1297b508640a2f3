#include "qvexport/price_rows.h"

#include <cstdio>

namespace qv::qvexport {

PriceRows price_rows(const std::vector<ClcRecord>& records, const Commodity& commodity) {
    PriceRows rows;
    rows.prices.reserve(records.size());
    const ClcRecord* pending_roll = nullptr;
    const ClcRecord* previous_day = nullptr;
    for (const ClcRecord& record : records) {
        if (record.is_roll_over()) {
            pending_roll = &record;
            continue;
        }
        PriceRow row{&record, contract_in_force(record.day, commodity), std::nullopt};
        if (pending_roll) {
            RollOverRow roll;
            roll.day = record.day;
            roll.taken = row.contract;
            roll.left = previous_day ? contract_in_force(previous_day->day, commodity) : row.contract;
            roll.price_left = pending_roll->open;
            roll.price_taken = pending_roll->close;
            row.roll = roll;
            rows.rolls.push_back(roll);
            pending_roll = nullptr;
        }
        rows.prices.push_back(row);
        previous_day = &record;
    }
    return rows;
}

std::string trim_name(std::string_view name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    return std::string(name);
}

std::string contract_text(const Contract& contract) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%c", contract.year, contract.code);
    return text;
}

std::string iso_date(DayNumber day) {
    const Date date = lotus_to_date(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::int64_t price_scale(int precision) {
    std::int64_t scale = 1;
    for (int i = 0; i < precision; ++i) scale *= 10;
    return scale;
}

}  // namespace qv::qvexport
