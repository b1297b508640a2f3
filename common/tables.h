#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/tool.h"

namespace qv {

// TABLES.INI describes at most this many commodities.
inline constexpr std::size_t max_commodities = 150;

// Contract month codes, January to December.
inline constexpr std::string_view month_codes = "FGHJKMNQUVXZ";

// Month names as reports and file names print them, January to December.
inline constexpr std::array<std::string_view, 12> month_names = {
    "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC",
};

// One commodity: row i of every table of TABLES.INI.
struct Commodity {
    std::string tag;               // two characters: W_, BP, SP
    std::string name;              // 16 characters, padded with blanks
    std::int16_t roll_day = 0;     // day of month of the roll; negative: a coded weekday rule
    std::int16_t roll_month = 0;   // 1: the roll moves two contract steps
    std::int16_t precision = 0;    // decimal places of prices (-7 to 7)
    std::int16_t bytes = 0;        // width of a stored price (2 to 4)
    std::int16_t compu_trac = 0;   // decimals announced in MetaStock DOP files (-7 to 7)
    std::string all_tag;           // up to 13 characters; 1 to 12: contract in force per month
    std::string cycle;             // distinct contract month codes in calendar order
    std::int16_t group_index = 0;  // only where the tool reads group_index (0 to 7)
    double decimal = 1.0;          // price multiplier; only where the tool reads decimal
};

// The commodity table, used by position (row i) and by tag.
class CommodityTable {
public:
    CommodityTable() = default;
    explicit CommodityTable(std::vector<Commodity> rows) : rows_(std::move(rows)) {}

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const Commodity& operator[](std::size_t i) const { return rows_[i]; }
    Commodity& operator[](std::size_t i) { return rows_[i]; }
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }
    const std::vector<Commodity>& rows() const { return rows_; }

    // The row whose tag equals the first two characters of `tag`: exactly, or
    // without regard to case. Nothing when there is none or `tag` is shorter.
    std::optional<std::size_t> position_of(std::string_view tag) const;
    std::optional<std::size_t> position_of_no_case(std::string_view tag) const;
    const Commodity* find(std::string_view tag) const;
    const Commodity* find_no_case(std::string_view tag) const;

private:
    std::vector<Commodity> rows_;
};

// Reads \QUORVANT\TABLES.INI with the tool's limits. A file that cannot be read
// completely is reported on the console, framed by line feeds, and ends the
// program (throws ProgramEnd): no tool runs on a partial table.
CommodityTable load_tables(const TableRules& rules);

// The contract cycle of an all_tag word: the letter at position 1, then every
// later letter (positions 2 to 12) greater than the last one taken.
std::string contract_cycle(std::string_view all_tag);

// The price multiplier of a decimal table value n: 10 to the power n for -6 to
// 4, 1000000 for 5 and 10000000 for 6; 1 for any other value.
double decimal_multiplier(int n);

}  // namespace qv
