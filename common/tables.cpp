#include "common/tables.h"

#include "common/text.h"

namespace qv {

namespace {
bool same_tag(std::string_view row, std::string_view tag, bool ignore_case) {
    if (tag.size() < 2 || row.size() < 2) return false;
    return ignore_case ? equal_no_case(row.substr(0, 2), tag.substr(0, 2)) : row.substr(0, 2) == tag.substr(0, 2);
}
}  // namespace

std::optional<std::size_t> CommodityTable::position_of(std::string_view tag) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (same_tag(rows_[i].tag, tag, false)) return i;
    return std::nullopt;
}

std::optional<std::size_t> CommodityTable::position_of_no_case(std::string_view tag) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (same_tag(rows_[i].tag, tag, true)) return i;
    return std::nullopt;
}

const Commodity* CommodityTable::find(std::string_view tag) const {
    const auto i = position_of(tag);
    return i ? &rows_[*i] : nullptr;
}

const Commodity* CommodityTable::find_no_case(std::string_view tag) const {
    const auto i = position_of_no_case(tag);
    return i ? &rows_[*i] : nullptr;
}

std::string contract_cycle(std::string_view all_tag) {
    std::string cycle;
    if (all_tag.size() < 2) return cycle;
    cycle.push_back(all_tag[1]);
    for (std::size_t i = 2; i <= 12 && i < all_tag.size(); ++i)
        if (all_tag[i] > cycle.back()) cycle.push_back(all_tag[i]);
    return cycle;
}

double decimal_multiplier(int n) {
    static constexpr double powers[] = {0.000001, 0.00001, 0.0001, 0.001, 0.01, 0.1, 1.0,
                                        10.0, 100.0, 1000.0, 10000.0, 100000.0, 1000000.0};
    if (n < -6 || n > 6) return 1.0;
    return powers[n + 6];
}

CommodityTable load_tables(const TableRules& rules) {
    (void)rules;
    return {};
}

}  // namespace qv
