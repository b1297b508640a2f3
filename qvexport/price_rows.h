#pragma once

// The rows an export makes of a CLC series: each dated record with the
// contract in force on its day, and each roll-over record as a roll from the
// contract left to the contract taken, dated on the first day of the new
// contract (the roll day whose prices the roll-over record carries).

#include <optional>
#include <string>
#include <string_view>
#include <cstddef>
#include <vector>

#include "common/clc_file.h"
#include "common/contract_rule.h"
#include "common/tables.h"

namespace qv::qvexport {

struct RollOverRow {
    DayNumber day = no_date;     // the roll day: the new contract's first day
    Contract left;
    Contract taken;
    std::int32_t price_left = 0;   // stored: the open of the roll-over record
    std::int32_t price_taken = 0;  // stored: its close
    std::int64_t gap() const { return std::int64_t(price_taken) - price_left; }
};

struct PriceRow {
    const ClcRecord* record = nullptr;
    Contract contract;
    std::optional<RollOverRow> roll;  // the roll that took place on this day
};

struct PriceRows {
    std::vector<PriceRow> prices;
    std::vector<RollOverRow> rolls;
};

// A roll-over record with no dated record after it (the file ends with it) has
// no roll day yet and gives no roll.
PriceRows price_rows(const std::vector<ClcRecord>& records, const Commodity& commodity);

// The commodity's name without the blanks that pad it to 16 characters.
std::string trim_name(std::string_view name);

// Short texts held in place, for the rows written by the hundred thousand.
template <std::size_t N>
struct FixedText {
    char text[N] = {};
    std::size_t size = 0;
    std::string_view view() const { return {text, size}; }
    operator std::string_view() const { return view(); }
};

// "2021H": the contract's year and month code.
FixedText<8> contract_text(const Contract& contract);
// "2020-12-07".
FixedText<12> iso_date(DayNumber day);

// 10^precision, or 1 for a precision of 0 or less: a stored price divided by it
// is the price.
std::int64_t price_scale(int precision);

}  // namespace qv::qvexport
