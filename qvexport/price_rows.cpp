#include "qvexport/price_rows.h"


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

namespace {

void put_digits(char* out, int value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

}  // namespace

FixedText<8> contract_text(const Contract& contract) {
    FixedText<8> text;
    put_digits(text.text, contract.year, 4);
    text.text[4] = contract.code;
    text.size = 5;
    return text;
}

FixedText<12> iso_date(DayNumber day) {
    const Date date = lotus_to_date(day);
    FixedText<12> text;
    put_digits(text.text, date.year, 4);
    text.text[4] = '-';
    put_digits(text.text + 5, date.month, 2);
    text.text[7] = '-';
    put_digits(text.text + 8, date.day, 2);
    text.size = 10;
    return text;
}

std::int64_t price_scale(int precision) {
    std::int64_t scale = 1;
    for (int i = 0; i < precision; ++i) scale *= 10;
    return scale;
}

}  // namespace qv::qvexport
