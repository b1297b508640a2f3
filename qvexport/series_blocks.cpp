#include "qvexport/series_blocks.h"

#include <algorithm>

namespace qv::qvexport {

namespace {

// FNV-1a, 64 bits.
constexpr std::uint64_t fnv_offset = 0xcbf29ce484222325ULL;
constexpr std::uint64_t fnv_prime = 0x100000001b3ULL;

std::uint64_t mix(std::uint64_t hash, unsigned char byte) { return (hash ^ byte) * fnv_prime; }

}  // namespace

std::vector<Block> blocks_of(const std::vector<Unit>& units) {
    std::vector<Block> blocks;
    for (std::size_t start = 0; start < units.size(); start += units_per_block) {
        const std::size_t end = std::min(units.size(), start + units_per_block);
        Block block;
        std::uint64_t hash = fnv_offset;
        for (std::size_t i = start; i < end; ++i) {
            const Unit& unit = units[i];
            if (block.first_day == no_date) block.first_day = unit.day;
            hash = mix(mix(hash, static_cast<unsigned char>(unit.day & 0xFF)), static_cast<unsigned char>(unit.day >> 8));
            for (const char c : unit.bytes) hash = mix(hash, static_cast<unsigned char>(c));
            // The unit's length counts too, so that the same bytes cut into other lines differ.
            hash = mix(hash, static_cast<unsigned char>(unit.bytes.size() & 0xFF));
        }
        block.hash = static_cast<std::int64_t>(hash);
        blocks.push_back(block);
    }
    return blocks;
}

std::optional<BlockChange> first_change(const std::vector<Block>& stored, const std::vector<Block>& now) {
    std::size_t i = 0;
    while (i < stored.size() && i < now.size() && stored[i] == now[i]) ++i;
    if (i == stored.size() && i == now.size()) return std::nullopt;
    // A block that has no dated unit cannot say from which day on it differs:
    // then every day is written again.
    DayNumber from = 0xFFFF;
    bool every_day = false;
    for (const std::vector<Block>* side : {&stored, &now}) {
        if (i >= side->size()) continue;
        const DayNumber first = (*side)[i].first_day;
        if (first == no_date) every_day = true;
        from = std::min(from, first);
    }
    return BlockChange{i, every_day ? no_date : from};
}

}  // namespace qv::qvexport
